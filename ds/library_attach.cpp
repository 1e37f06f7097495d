#include "ds/library_attach.h"
#include <string.h>
#include "adjust/tone_state.h"
#include "ds/library_strings.h"
#include "ds/source_state.h"

namespace {

const int kKeyFirst = 50;
const int kCursorFirst = 610;

struct CachedString {
    char *buffer;
    int size;
    int id;
};

bool LoadStringCache()
{
    CachedString cache[2 + SETTINGS_KEY_COUNT] = {
        {ProductName, PRODUCT_NAME_SIZE, 2},
        {SettingsKeys[0], 29, kKeyFirst},
    };
    for (int i = 1; i < SETTINGS_KEY_COUNT; i++)
        cache[1 + i] = {SettingsKeys[i], 19, kKeyFirst + i};
    for (int i = 0; i < 1 + SETTINGS_KEY_COUNT; i++)
        if (LoadLibraryString(cache[i].id, cache[i].buffer, cache[i].size) <= 0)
            return false;
    return true;
}

void FillSourceIdentity()
{
    TW_IDENTITY &id = SourceIdentity;
    memset(&id, 0, sizeof id);
    id.Version.MajorNum = 1;
    id.Version.MinorNum = 5;
    id.Version.Language = TWLG_USA;
    id.Version.Country = TWCY_USA;
    LoadLibraryString(3, id.Version.Info, sizeof id.Version.Info);
    id.ProtocolMajor = 1;
    id.ProtocolMinor = 5;
    id.SupportedGroups = DG_CONTROL | DG_IMAGE;
    LoadLibraryString(0, id.Manufacturer, sizeof id.Manufacturer);
    LoadLibraryString(1, id.ProductFamily, sizeof id.ProductFamily);
    LoadLibraryString(2, id.ProductName, sizeof id.ProductName);
}

bool MeasureScreen()
{
    HDC info = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    if (info == nullptr)
        return false;
    ScreenWidth = GetDeviceCaps(info, HORZRES);
    ScreenHeight = GetDeviceCaps(info, VERTRES);
    DeleteDC(info);
    return true;
}

} // namespace

int LoadLibraryString(int id, char *buffer, int size)
{
    if (size <= 0)
        return 0;
    buffer[0] = 0;
    return LoadStringA(LibraryInstance, id, buffer, size);
}

bool AttachLibrary(HINSTANCE instance)
{
    if (instance == nullptr)
        return false;
    LibraryInstance = instance;
    AppIdentity.Id = 0;
    // No stored tone state has been read yet: every mode starts neutral.
    ResetToneState();
    FillSourceIdentity();
    if (!LoadStringCache())
        return false;
    WaitCursor = LoadCursorA(nullptr, IDC_WAIT);
    ArrowCursor = LoadCursorA(nullptr, IDC_ARROW);
    for (int i = 0; i < 3; i++)
        PaneCursors[i] = LoadCursorA(instance, MAKEINTRESOURCEA(kCursorFirst + i));
    return MeasureScreen();
}
