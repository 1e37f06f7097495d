#include "tests/support/source_session.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "tools/twain32/standin.h"

std::vector<SentMessage> SourceSession::sent;

namespace {

#if DS_BUILD_X
const char kManagerLibrary[] = "TWAIN_32.DLL";
#else
const char kManagerLibrary[] = "TWAIN32.DLL";
#endif


TW_UINT16 WINAPI RecordSent(TW_IDENTITY *origin, TW_IDENTITY *dest, TW_UINT32 dg, TW_UINT16 dat,
                            TW_UINT16 msg, TW_MEMREF)
{
    SourceSession::sent.push_back({dg, dat, msg, origin ? origin->Id : 0xFFFFFFFFu,
                                   dest ? dest->Id : 0xFFFFFFFFu});
    return TWRC_SUCCESS;
}

void FillIdentity(TW_IDENTITY &id, TW_UINT32 number, const char *product)
{
    memset(&id, 0, sizeof id);
    id.Id = number;
    id.Version.MajorNum = 1;
    id.ProtocolMajor = 1;
    id.ProtocolMinor = 5;
    id.SupportedGroups = DG_CONTROL | DG_IMAGE;
    strcpy(id.Manufacturer, "Test");
    strcpy(id.ProductFamily, "Test");
    strcpy(id.ProductName, product);
}

} // namespace

SourceSession::SourceSession()
{
    sent.clear();
    manager_ = LoadLibraryA(kManagerLibrary);
    if (manager_ != nullptr) {
        StandInSetHandlerFn setHandler = reinterpret_cast<StandInSetHandlerFn>(
            reinterpret_cast<void *>(GetProcAddress(manager_, "StandIn_SetHandler")));
        if (setHandler != nullptr)
            setHandler(RecordSent);
    }
    const char *path = getenv("DS_UNDER_TEST");
    module_ = path ? LoadLibraryA(path) : nullptr;
    if (module_ != nullptr)
        entry_ = reinterpret_cast<decltype(entry_)>(
            reinterpret_cast<void *>(GetProcAddress(module_, "DS_Entry")));
    FillIdentity(app, 7, "Test Application");
    FillIdentity(assigned, 42, "");
    parent = CreateWindowA("STATIC", "test parent", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                           nullptr, nullptr);
}

SourceSession::~SourceSession()
{
    // Closing releases what the source holds (the ASPI library) before the
    // next session loads it afresh.
    if (module_ != nullptr && open_)
        close();
    if (module_ != nullptr)
        FreeLibrary(module_);
    if (parent != nullptr)
        DestroyWindow(parent);
    if (manager_ != nullptr) {
        StandInSetHandlerFn setHandler = reinterpret_cast<StandInSetHandlerFn>(
            reinterpret_cast<void *>(GetProcAddress(manager_, "StandIn_SetHandler")));
        if (setHandler != nullptr)
            setHandler(nullptr);
        FreeLibrary(manager_);
    }
}

TW_UINT16 SourceSession::callAs(TW_IDENTITY *origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                void *data)
{
    return entry_(origin, dg, dat, msg, data);
}

TW_UINT16 SourceSession::call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void *data)
{
    return callAs(&app, dg, dat, msg, data);
}

TW_UINT16 SourceSession::open()
{
    TW_IDENTITY source;
    call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &source);
    source.Id = assigned.Id;
    assigned = source;
    TW_UINT16 rc = call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &assigned);
    open_ = open_ || rc == TWRC_SUCCESS;
    return rc;
}

TW_UINT16 SourceSession::enable(int showUI)
{
    TW_USERINTERFACE ui = {TW_BOOL(showUI), 0, parent};
    return call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
}

TW_UINT16 SourceSession::disable()
{
    TW_USERINTERFACE ui = {0, 0, parent};
    return call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
}

TW_UINT16 SourceSession::close()
{
    TW_UINT16 rc = call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &assigned);
    open_ = open_ && rc != TWRC_SUCCESS;
    return rc;
}

TW_UINT16 SourceSession::status()
{
    TW_STATUS s = {0xEEEE, 0xEEEE};
    call(DG_CONTROL, DAT_STATUS, MSG_GET, &s);
    return s.ConditionCode;
}

std::string SettingsFilePath()
{
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return std::string(dir) + "\\QSXXXX.INI";
}

std::string MapFilePath()
{
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    std::string path(dir);
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    return path + "QSMAPX.MAP";
}

std::string ReadWholeFile(const std::string &path)
{
    std::string bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (f == nullptr)
        return bytes;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.append(chunk, got);
    fclose(f);
    return bytes;
}

void WriteWholeFile(const std::string &path, const std::string &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (f == nullptr)
        return;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

void ForgetSavedSettings()
{
    // The system caches profile files; flush before deleting behind its back.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "QSXXXX.INI");
    DeleteFileA(SettingsFilePath().c_str());
    DeleteFileA(MapFilePath().c_str());
}

const char *ProductSection()
{
#if DS_MODEL_600 && DS_BUILD_X
    return "Qor DX-KL510/HR E";
#elif DS_MODEL_600
    return "Qor DX-KL510/HR";
#elif DS_BUILD_X
    return "Qor DX-KL510/SR E";
#else
    return "Qor DX-KL510/SR";
#endif
}
