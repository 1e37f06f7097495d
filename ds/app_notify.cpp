#include "ds/app_notify.h"
#include <windows.h>
#include "ds/source_state.h"

namespace {

#if DS_BUILD_X
const char kManagerLibrary[] = "TWAIN_32.DLL";
#else
const char kManagerLibrary[] = "TWAIN32.DLL";
#endif

typedef TW_UINT16(WINAPI *DsmEntryFn)(TW_IDENTITY *, TW_IDENTITY *, TW_UINT32, TW_UINT16, TW_UINT16,
                                      TW_MEMREF);

// The library is loaded for each message and freed again: the source holds
// no reference to the manager between messages.
void SendToApplication(TW_UINT16 msg)
{
    HMODULE manager = LoadLibraryA(kManagerLibrary);
    if (manager == nullptr)
        return;
    DsmEntryFn entry = reinterpret_cast<DsmEntryFn>(
        reinterpret_cast<void *>(GetProcAddress(manager, "DSM_Entry")));
    if (entry != nullptr)
        entry(&SourceIdentity, &AppIdentity, DG_CONTROL, DAT_NULL, msg, nullptr);
    FreeLibrary(manager);
}

} // namespace

void SignalXferReady()
{
    SourceState = 6;
    SendToApplication(MSG_XFERREADY);
}

void RequestClose()
{
    SendToApplication(MSG_CLOSEDSREQ);
}
