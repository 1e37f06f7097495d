// Interface of TWAIN32.DLL for the process that hosts it.
//
// A 4.12 source loads "TWAIN32.DLL" and calls its DSM_Entry each time it
// announces MSG_XFERREADY or MSG_CLOSEDSREQ. With a handler registered, every
// DSM_Entry call goes to that handler (the host acts as source manager);
// without one, the call is forwarded to DSM_Entry of "TWAIN_32.DLL".
//
// The source frees the library after every message, so the host must keep a
// LoadLibrary reference of its own for as long as its registration matters.
#pragma once
#include <windows.h>
#include "ds/twain_types.h"

typedef TW_UINT16(WINAPI *StandInHandler)(TW_IDENTITY *origin, TW_IDENTITY *dest, TW_UINT32 dg,
                                          TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);

// Exported undecorated; resolve with GetProcAddress(module, "StandIn_SetHandler").
// Returns the handler that was registered before (null for none).
typedef StandInHandler(WINAPI *StandInSetHandlerFn)(StandInHandler handler);

typedef TW_UINT16(WINAPI *DsmEntryFn)(TW_IDENTITY *origin, TW_IDENTITY *dest, TW_UINT32 dg,
                                      TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
