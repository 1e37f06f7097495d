#include "device/aspi_library.h"
#include <string.h>

AspiBinding Aspi;

bool AspiLoaded()
{
    return reinterpret_cast<UINT_PTR>(Aspi.library) >= 32;
}

static bool FileExists(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_ARCHIVE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

void AspiLoad()
{
    if (AspiLoaded())
        return;
    static const char kName[] = "\\WNASPI32.DLL";
    char path[144 + sizeof kName];
    UINT len = GetSystemDirectoryA(path, 144);
    if (len == 0 || len >= 144)
        return;
    memcpy(path + len, kName, sizeof kName);
    if (!FileExists(path))
        return;
    Aspi.library = LoadLibraryA(path);
    if (!AspiLoaded())
        return;
    Aspi.supportInfo = reinterpret_cast<AspiSupportInfoFn>(
        reinterpret_cast<void *>(GetProcAddress(Aspi.library, "GetASPI32SupportInfo")));
    Aspi.sendCommand = reinterpret_cast<AspiSendCommandFn>(
        reinterpret_cast<void *>(GetProcAddress(Aspi.library, "SendASPI32Command")));
}

void AspiUnload()
{
    if (AspiLoaded())
        FreeLibrary(Aspi.library);
    Aspi = AspiBinding();
}
