// Binding of the ASPI-for-Win32 library in the system directory.
#pragma once
#include <windows.h>

typedef DWORD(__cdecl *AspiSupportInfoFn)(void);
typedef DWORD(__cdecl *AspiSendCommandFn)(void *srb);

struct AspiBinding {
    HMODULE library;                 // below 32: not loaded
    AspiSupportInfoFn supportInfo;
    AspiSendCommandFn sendCommand;
};

extern AspiBinding Aspi;

bool AspiLoaded();
// Loads "<system dir>\WNASPI32.DLL" when it exists; a missing file is no error.
void AspiLoad();
void AspiUnload();
