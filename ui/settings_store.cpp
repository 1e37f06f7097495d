#include "ui/settings_store.h"
#include <windows.h>
#include <stdio.h>
#include "adjust/tone_state.h"
#include "device/identify.h"
#include "ds/library_strings.h"
#include "ds/source_state.h"
#include "scan/temp_files.h"
#include "ui/scan_settings.h"

const char SettingsFileName[] = "QSXXXX.INI";
const char MapFileName[] = "QSMAPX.MAP";
uint8_t DisplayIdentityTable[256];

namespace {

// One row per key of the settings file, in the order read and written.
struct SettingsField {
    int32_t ScanSettingsRecord::*wide;
    uint16_t ScanSettingsRecord::*narrow;
    int defaultValue;
};

const SettingsField kFields[SETTINGS_KEY_COUNT] = {
    {&ScanSettingsRecord::InterfaceIndex, nullptr, 25},
    {&ScanSettingsRecord::Mode, nullptr, 0},
    {nullptr, &ScanSettingsRecord::Resolution, 300},
    {&ScanSettingsRecord::Scaling, nullptr, 0},
    {nullptr, &ScanSettingsRecord::XScaling, 100},
    {nullptr, &ScanSettingsRecord::YScaling, 100},
    {&ScanSettingsRecord::Source, nullptr, 0},
    {&ScanSettingsRecord::Speed, nullptr, 0},
    {&ScanSettingsRecord::Filter, nullptr, 0},
    {&ScanSettingsRecord::Dither, nullptr, 0},
    {&ScanSettingsRecord::Unit, nullptr, 0},
    {&ScanSettingsRecord::PrescanLength, nullptr, 1400},
    {&ScanSettingsRecord::Automatic, nullptr, 0},
    {&ScanSettingsRecord::Flip, nullptr, 0},
    {&ScanSettingsRecord::Invert, nullptr, 0},
    {&ScanSettingsRecord::Top, nullptr, 200},
    {&ScanSettingsRecord::Bottom, nullptr, 600},
    {&ScanSettingsRecord::Left, nullptr, 200},
    {&ScanSettingsRecord::Right, nullptr, 600},
    {&ScanSettingsRecord::Width, nullptr, 400},
    {&ScanSettingsRecord::Length, nullptr, 400},
    {&ScanSettingsRecord::Model, nullptr, 0},
};
const int kInvertKey = 14;

// Shows the wait cursor for the lifetime of the object.
struct WaitCursorScope {
    HCURSOR previous;
    WaitCursorScope() : previous(SetCursor(WaitCursor)) {}
    ~WaitCursorScope() { SetCursor(previous); }
};

bool FirstUse()
{
    char value[20];
    GetPrivateProfileStringA(ProductName, SettingsKeys[kInvertKey], "S", value, sizeof value,
                             SettingsFileName);
    return value[0] == 'S';
}

void DeleteMapFile()
{
    char path[TEMP_PATH_SIZE];
    if (TempFilePath(MapFileName, path, sizeof path))
        DeleteFileA(path);
}

void ReadField(const SettingsField &f, const char *key)
{
    UINT value = GetPrivateProfileIntA(ProductName, key, f.defaultValue, SettingsFileName);
    if (f.wide)
        ScanSettings.*f.wide = int32_t(value);
    else
        ScanSettings.*f.narrow = uint16_t(value);
}

void WriteField(const SettingsField &f, const char *key)
{
    char text[16];
    if (f.wide)
        snprintf(text, sizeof text, "%d", int(ScanSettings.*f.wide));
    else
        snprintf(text, sizeof text, "%u", unsigned(ScanSettings.*f.narrow));
    WritePrivateProfileStringA(ProductName, key, text, SettingsFileName);
}

} // namespace

void ReadSettings()
{
    WaitCursorScope wait;
    if (FirstUse())
        DeleteMapFile();
    ScanSettings.Brightness = 128;
    for (int i = 0; i < SETTINGS_KEY_COUNT; i++)
        ReadField(kFields[i], SettingsKeys[i]);
    ScanSettings.SavedInvert = ScanSettings.Invert;
    DeriveEffectiveResolutions(ScanSettings);
    DeleteRecordedTempScanFile();
    ReadMapFile();
    for (int i = 0; i < 256; i++)
        DisplayIdentityTable[i] = uint8_t(i);
    LoadLibraryString(10, Identification.findIdentifier, sizeof Identification.findIdentifier);
}

void WriteSettings()
{
    WaitCursorScope wait;
    for (int i = 0; i < SETTINGS_KEY_COUNT; i++)
        WriteField(kFields[i], SettingsKeys[i]);
    ScanSettings.SavedInvert = ScanSettings.Invert;
    WriteMapFile();
}

void ReadMapFile()
{
    char path[TEMP_PATH_SIZE];
    HANDLE file = INVALID_HANDLE_VALUE;
    if (TempFilePath(MapFileName, path, sizeof path))
        file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ResetToneState();
        return;
    }
    DWORD got = 0;
    // A short file fills only the start of the block; the rest stays as it was.
    if (!ReadFile(file, &ToneState, sizeof ToneState, &got, nullptr))
        ResetToneState();
    CloseHandle(file);
}

void WriteMapFile()
{
    char path[TEMP_PATH_SIZE];
    if (!TempFilePath(MapFileName, path, sizeof path))
        return;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, &ToneState, sizeof ToneState, &written, nullptr);
    CloseHandle(file);
}
