#include "scan/temp_files.h"
#include <windows.h>
#include <string.h>
#include "ds/source_state.h"

char TempScanFilePath[TEMP_PATH_SIZE];

bool TempDirectory(char *path, int size)
{
    char dir[MAX_PATH], unique[MAX_PATH];
    DWORD len = GetTempPathA(sizeof dir, dir);
    if (len == 0 || len >= sizeof dir)
        return false;
    // Asking for a unique name proves the directory is usable; the file it
    // creates is not wanted.
    if (GetTempFileNameA(dir, "VAS", 0, unique) == 0)
        return false;
    DeleteFileA(unique);
    char *slash = strrchr(unique, '\\');
    if (slash == nullptr || slash - unique + 2 > size)
        return false;
    memcpy(path, unique, slash - unique + 1);
    path[slash - unique + 1] = 0;
    return true;
}

bool TempFilePath(const char *name, char *path, int size)
{
    if (!TempDirectory(path, size))
        return false;
    size_t used = strlen(path);
    if (used + strlen(name) + 1 > size_t(size))
        return false;
    strcpy(path + used, name);
    return true;
}

void DeleteRecordedTempScanFile()
{
    if (TempScanFilePath[0] == 0)
        return;
    char recorded[128];
    GetProfileStringA(ProductName, TempScanFilePath, "", recorded, sizeof recorded);
    if (recorded[0] != 0)
        DeleteFileA(recorded);
}
