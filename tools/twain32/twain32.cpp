// TWAIN32.DLL: the source-manager library that 4.12 sources load by name.
// Wine ships only "TWAIN_32.DLL"; this library either hands each call to a
// handler registered by the host process, or forwards it to Wine's manager.
#include "twain32/standin.h"

namespace {

// Lives as long as the module: the host's own reference keeps it loaded
// while the source loads and frees the library around each message.
StandInHandler RegisteredHandler = nullptr;

// Loaded per call, like the source loads us: the application that opened the
// source already holds Wine's manager, so this only adds a reference.
TW_UINT16 ForwardToWine(TW_IDENTITY *origin, TW_IDENTITY *dest, TW_UINT32 dg, TW_UINT16 dat,
                        TW_UINT16 msg, TW_MEMREF data)
{
    HMODULE manager = LoadLibraryA("TWAIN_32.DLL");
    if (manager == nullptr)
        return TWRC_FAILURE;
    // A copy of this library installed under that name would call itself.
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&RegisteredHandler), &self);
    if (manager == self) {
        FreeLibrary(manager);
        return TWRC_FAILURE;
    }
    DsmEntryFn entry =
        reinterpret_cast<DsmEntryFn>(reinterpret_cast<void *>(GetProcAddress(manager, "DSM_Entry")));
    TW_UINT16 rc = entry ? entry(origin, dest, dg, dat, msg, data) : TW_UINT16(TWRC_FAILURE);
    FreeLibrary(manager);
    return rc;
}

} // namespace

// Exported by name through twain32.def.
extern "C" {

StandInHandler WINAPI StandIn_SetHandler(StandInHandler handler)
{
    StandInHandler previous = RegisteredHandler;
    RegisteredHandler = handler;
    return previous;
}

TW_UINT16 WINAPI DSM_Entry(TW_IDENTITY *origin, TW_IDENTITY *dest,
                                                 TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                                 TW_MEMREF data)
{
    if (RegisteredHandler != nullptr)
        return RegisteredHandler(origin, dest, dg, dat, msg, data);
    return ForwardToWine(origin, dest, dg, dat, msg, data);
}

} // extern "C"
