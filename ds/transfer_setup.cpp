// DAT_PENDINGXFERS, DAT_SETUPMEMXFER, DAT_SETUPFILEXFER and DAT_XFERGROUP.
#include "ds/transfer_setup.h"
#include <string.h>
#include "device/device_ops.h"
#include "device/identify.h"
#include "ds/failure.h"
#include "ds/source_state.h"
#include "ds/triplets.h"
#include "scan/scan_window.h"
#include "ui/scan_settings.h"

char FileTransferName[256];
TW_UINT16 FileTransferFormat;
bool PlaceholderImage;

namespace {

enum { FEEDER_BYTE = 33 + 40, FEEDER_LOADED = 0 };
const char kDefaultFileName[] = "TWAIN.TMP";

bool InSetUpStates()
{
    return SourceState >= 4 && SourceState <= 6;
}

bool IsGet(TW_UINT16 msg)
{
    return msg == MSG_GET || msg == MSG_GETCURRENT || msg == MSG_GETDEFAULT;
}

// One more image waits only when the feeder holds paper and is the source.
TW_UINT16 PendingCount()
{
    if (!ScannerPresent() || ScanSettings.Source != SOURCE_FEEDER)
        return 0;
    uint8_t record[INQUIRY_RECORD_SIZE];
    if (Dev_Inquiry(record) != 0)
        return 0;
    return record[FEEDER_BYTE] == FEEDER_LOADED ? 1 : 0;
}

void StoreFileName(const char *name)
{
    size_t n = strnlen(name, sizeof FileTransferName - 1);
    memcpy(FileTransferName, name, n);
    FileTransferName[n] = 0;
}

} // namespace

TW_UINT16 HandlePendingXfers(const TripletCall &call)
{
    TW_PENDINGXFERS &pending = *static_cast<TW_PENDINGXFERS *>(call.data);
    switch (call.msg) {
    case MSG_GET:
        if (SourceState < 4 || SourceState > 7)
            return FailTriplet(TWCC_SEQERROR, FAIL_PENDINGXFERS);
        pending.Count = PendingCount();
        return TWRC_SUCCESS;
    case MSG_ENDXFER:
    case MSG_RESET:
        if (MainDialog != nullptr) {
            BringWindowToTop(MainDialog);
            UpdateWindow(MainDialog);
        }
        pending.Count = LastTransferResult == TWRC_CANCEL ? 0 : PendingCount();
        return TWRC_SUCCESS;
    default:
        return FailTriplet(TWCC_BADPROTOCOL, FAIL_PENDINGXFERS);
    }
}

TW_UINT16 HandleSetupMemXfer(const TripletCall &call)
{
    if (!InSetUpStates())
        return FailTriplet(TWCC_SEQERROR, FAIL_SETUPMEMXFER);
    TW_SETUPMEMXFER &setup = *static_cast<TW_SETUPMEMXFER *>(call.data);
    if (IsGet(call.msg)) {
        uint32_t stride = (ImageGeometry.BytesPerLine + 3) & ~3u;
        setup.MinBufSize = 2 * stride;
        setup.MaxBufSize = 65535;
        setup.Preferred = 65000;
        return TWRC_SUCCESS;
    }
    if (call.msg == MSG_SET || call.msg == MSG_RESET)
        return TWRC_SUCCESS;
    return FailTriplet(TWCC_BADPROTOCOL, FAIL_SETUPMEMXFER);
}

TW_UINT16 HandleSetupFileXfer(const TripletCall &call)
{
    if (!InSetUpStates())
        return FailTriplet(TWCC_SEQERROR, FAIL_SETUPFILEXFER);
    TW_SETUPFILEXFER &setup = *static_cast<TW_SETUPFILEXFER *>(call.data);
    if (IsGet(call.msg)) {
        strcpy(setup.FileName, kDefaultFileName);
        setup.Format = TWFF_BMP;
        StoreFileName(kDefaultFileName);
        FileTransferFormat = TWFF_BMP;
        return TWRC_SUCCESS;
    }
    if (call.msg == MSG_SET || call.msg == MSG_RESET) {
        if (setup.Format != TWFF_BMP) {
            ConditionCode = TWCC_BUMMER;
            return TWRC_FAILURE;
        }
        StoreFileName(setup.FileName);
        FileTransferFormat = TWFF_BMP;
        return TWRC_SUCCESS;
    }
    return FailTriplet(TWCC_BADPROTOCOL, FAIL_SETUPFILEXFER);
}

TW_UINT16 HandleXferGroup(const TripletCall &call)
{
    if (!InSetUpStates())
        return FailTriplet(TWCC_SEQERROR, FAIL_XFERGROUP);
    TW_UINT32 &group = *static_cast<TW_UINT32 *>(call.data);
    if (IsGet(call.msg) || call.msg == MSG_RESET) {
        group = DG_IMAGE;
        return TWRC_SUCCESS;
    }
    if (call.msg == MSG_SET)
        return TWRC_SUCCESS;
    return FailTriplet(TWCC_BADPROTOCOL, FAIL_XFERGROUP);
}
