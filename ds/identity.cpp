// DAT_IDENTITY: get, open and close.
#include <string.h>
#include "device/aspi_library.h"
#include "device/identify.h"
#include "ds/failure.h"
#include "ds/source_state.h"
#include "ds/triplets.h"
#include "ui/settings_store.h"

namespace {

TW_UINT16 OpenSource(const TripletCall &call)
{
    if (SourceState != 3)
        return FailTriplet(TWCC_SEQERROR, FAIL_OPENDS);
    if (call.origin == nullptr) {
        ConditionCode = TWCC_BADVALUE;
        return TWRC_FAILURE;
    }
    memcpy(&AppIdentity, call.origin, sizeof AppIdentity);
    AppIdentity.ProductName[sizeof AppIdentity.ProductName - 1] = 0;
    SampleAppMode = strcmp(AppIdentity.ProductName, "TWAIN Sample App") == 0;
    memcpy(&SourceIdentity, call.data, sizeof SourceIdentity);
    ResetPixelTypeList();
    AspiLoad();
    ReadSettings();
    Identify(GetActiveWindow());
    SourceState = 4;
    return TWRC_SUCCESS;
}

TW_UINT16 CloseSource()
{
    TW_UINT16 rc = TWRC_SUCCESS;
    if (SourceState >= 4 && SourceState <= 7) {
        AppIdentity.Id = 0;
        EndDialogSession();
        SourceState = 3;
    } else {
        rc = FailTriplet(TWCC_SEQERROR, FAIL_CLOSEDS);
    }
    ReleaseMemoryTransferBuffer();
    AspiUnload();
    return rc;
}

} // namespace

TW_UINT16 HandleIdentity(const TripletCall &call)
{
    switch (call.msg) {
    case MSG_GET:
        memcpy(call.data, &SourceIdentity, sizeof SourceIdentity);
        return TWRC_SUCCESS;
    case MSG_OPENDS:
        return OpenSource(call);
    case MSG_CLOSEDS:
        return CloseSource();
    default:
        return FailTriplet(TWCC_BADPROTOCOL, FAIL_IDENTITY);
    }
}
