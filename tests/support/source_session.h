// Drives one built data source directly, as a source manager would: loads
// the library named by DS_UNDER_TEST, calls DS_Entry with an application
// identity, and records what the source sends back through the source
// manager library (the stand-in beside the test program).
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "ds/twain_types.h"

struct SentMessage {
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
    TW_UINT32 originId;
    TW_UINT32 destId;
};

class SourceSession {
public:
    SourceSession();          // loads the library afresh
    ~SourceSession();         // unloads it, so every test starts at load
    bool loaded() const { return module_ != nullptr; }

    TW_UINT16 call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void *data);
    TW_UINT16 callAs(TW_IDENTITY *origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void *data);
    TW_UINT16 open();                       // MSG_OPENDS with the assigned Id
    TW_UINT16 enable(int showUI);           // MSG_ENABLEDS, a test window as parent
    TW_UINT16 disable();
    TW_UINT16 close();
    TW_UINT16 status();                     // DAT_STATUS, returns the condition code

    TW_IDENTITY app;          // the application identity, Id 7
    TW_IDENTITY assigned;     // the source identity as the manager assigns it, Id 42
    HWND parent = nullptr;
    static std::vector<SentMessage> sent;   // what the source sent to the manager

private:
    HMODULE module_ = nullptr;
    bool open_ = false;
    HMODULE manager_ = nullptr;
    TW_UINT16(WINAPI *entry_)(TW_IDENTITY *, TW_UINT32, TW_UINT16, TW_UINT16, TW_MEMREF) = nullptr;
};

// Paths of the files the source keeps between sessions.
std::string SettingsFilePath();
std::string MapFilePath();
std::string ReadWholeFile(const std::string &path);
void WriteWholeFile(const std::string &path, const std::string &bytes);
// Removes the settings file and the map file.
void ForgetSavedSettings();
// The product name of the build under test, as the settings section.
const char *ProductSection();
