#include <windows.h>
#include "ds/library_attach.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (instance == nullptr)
        return FALSE;
    if (reason == DLL_PROCESS_ATTACH)
        return AttachLibrary(instance) ? TRUE : FALSE;
    return TRUE;
}
