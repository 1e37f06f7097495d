// The memory transfer: one strip per triplet, read from the running scan
// straight into the application's buffer (or one the source lends), rows
// widened in place to the bitmap stride.
#include <windows.h>
#include "device/device_ops.h"
#include "device/identify.h"
#include "ds/bitmap_header.h"
#include "ds/failure.h"
#include "ds/source_state.h"
#include "ds/transfer_setup.h"
#include "ds/triplets.h"
#include "scan/acquisition.h"
#include "scan/pixel_routines.h"
#include "scan/progress_box.h"
#include "scan/show_message.h"
#include "ui/scan_settings.h"
#include "ui/version_dialogs.h"

namespace {

enum { MSG_SETUP_ERROR = 107, MSG_NO_MEMORY = 205, MSG_ESC_CANCELS = 130 };

uint32_t RowsDelivered;
HGLOBAL SourceBuffer;          // lent to the application, TWMF_DSOWNS
uint8_t *SourceBufferBytes;    // while it is lent as a pointer: locked for the whole image

// The buffer of one strip, and what must be unlocked after it.
struct StripBuffer {
    uint8_t *bytes;
    HGLOBAL unlockAfter;
};

void ReleaseSourceBuffer()
{
    if (SourceBuffer == nullptr)
        return;
    if (SourceBufferBytes != nullptr)
        GlobalUnlock(SourceBuffer);
    GlobalFree(SourceBuffer);
    SourceBuffer = nullptr;
    SourceBufferBytes = nullptr;
}

// A buffer the source lends: allocated at the first strip of an image; as a
// pointer it stays locked until the image ends, as a handle it is locked for
// each strip. Null gives TWRC_FAILURE.
uint8_t *TakeSourceBuffer(TW_IMAGEMEMXFER &xfer, uint32_t length, StripBuffer &strip)
{
    bool pointer = (xfer.Memory.Flags & TWMF_POINTER) != 0;
    if (!pointer && !(xfer.Memory.Flags & TWMF_HANDLE))
        return nullptr;
    if (RowsDelivered == 0) {
        ReleaseSourceBuffer();
        SourceBuffer = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, length + 10);
    }
    if (SourceBuffer == nullptr)
        return nullptr;
    if (SourceBufferBytes != nullptr) {
        xfer.Memory.TheMem = SourceBufferBytes;
        return SourceBufferBytes;
    }
    uint8_t *bytes = static_cast<uint8_t *>(GlobalLock(SourceBuffer));
    if (bytes == nullptr) {
        ReleaseSourceBuffer();
        return nullptr;
    }
    if (pointer) {
        SourceBufferBytes = bytes;
        xfer.Memory.TheMem = bytes;
    } else {
        xfer.Memory.TheMem = SourceBuffer;
        strip.unlockAfter = SourceBuffer;
    }
    return bytes;
}

uint8_t *ChooseBuffer(TW_IMAGEMEMXFER &xfer, uint32_t length, StripBuffer &strip)
{
    TW_UINT32 flags = xfer.Memory.Flags;
    if ((flags & TWMF_DSOWNS) && !(flags & (TWMF_APPOWNS | TWMF_DSMOWNS)))
        return TakeSourceBuffer(xfer, length, strip);
    if (flags & TWMF_POINTER)
        return static_cast<uint8_t *>(xfer.Memory.TheMem);
    if (!(flags & TWMF_HANDLE) || xfer.Memory.TheMem == nullptr)
        return nullptr;
    HGLOBAL handle = static_cast<HGLOBAL>(xfer.Memory.TheMem);
    uint8_t *bytes = static_cast<uint8_t *>(GlobalLock(handle));
    if (bytes != nullptr)
        strip.unlockAfter = handle;
    return bytes;
}

// The application's buffer must hold at least one stretched line.
bool BufferBigEnough(uint32_t length)
{
    uint32_t maxY = Identification.maxResolution;
    uint32_t bytesPerLine = ImageGeometry.BytesPerLine;
    if (bytesPerLine == 0)
        return false;
    if (ScanSettings.YEffective > maxY)
        return uint64_t(length / bytesPerLine) * maxY / ScanSettings.YEffective >= 1;
    return bytesPerLine < length;
}

bool StartImage()
{
    HWND notice = ShowWaitNotice(GetActiveWindow());
    bool started = Dev_StartScan(ScanBlock) == 0;
    RemoveWaitNotice(notice);
    if (!started) {
        Dev_EndScan();
        ShowMessage(GetActiveWindow(), MSG_SETUP_ERROR);
        return false;
    }
    char caption[80];
    ScanCaption(SCAN_FINAL, caption, sizeof caption);
    ProgressOpen(MainDialog, MSG_ESC_CANCELS, true, caption);
    YAccumulator = 0;
    if (ProgressAdvance(100, 0)) {
        ProgressClose();
        return false;
    }
    return true;
}

void DescribeStrip(TW_IMAGEMEMXFER &xfer, uint32_t rows)
{
    BitmapLayout layout = ImageBitmapLayout();
    xfer.Compression = 0;
    xfer.BytesPerRow = layout.stride;
    xfer.Rows = rows;
    xfer.Columns = ImageGeometry.ImageWidth;
    xfer.BytesWritten = layout.stride * rows;
}

void EndImage()
{
    Job.busy = false;
    ProgressClose();
    if (ScannerPresent())
        Dev_EndScan();
    RowsDelivered = 0;
    TempScanFileOpen = false;
    Job.prepared = false;
}

TW_UINT16 Abort(TW_IMAGEMEMXFER &xfer)
{
    if (ScannerPresent())
        Dev_EndScan();
    Job.prepared = false;
    RowsDelivered = 0;
    DescribeStrip(xfer, 0);
    LastTransferResult = TWRC_CANCEL;
    return TWRC_CANCEL;
}

// Reads one strip into the chosen buffer and pads its rows.
TW_UINT16 ReadOneStrip(uint8_t *buffer, uint32_t length, uint32_t &rows)
{
    BitmapLayout layout = ImageBitmapLayout();
    uint32_t missing = ImageGeometry.ImageLength - RowsDelivered;
    uint32_t capacity = length / layout.stride;
    if (capacity > missing)
        capacity = missing;
    rows = ReadStrip(buffer, capacity);
    if (rows == 0)
        return TWRC_FAILURE;
    RowsDelivered += rows;
    if (layout.stride != ImageGeometry.BytesPerLine)
        PadRows(buffer, uint16_t(ImageGeometry.BytesPerLine), uint16_t(layout.stride - ImageGeometry.BytesPerLine),
                uint16_t(rows));
    if (ProgressAdvance(ImageGeometry.ImageLength, RowsDelivered))
        return TWRC_CANCEL;
    return RowsDelivered >= ImageGeometry.ImageLength ? TWRC_XFERDONE : TWRC_SUCCESS;
}

} // namespace

TW_UINT16 HandleImageMemXfer(const TripletCall &call)
{
    TW_IMAGEMEMXFER &xfer = *static_cast<TW_IMAGEMEMXFER *>(call.data);
    LastTransferResult = TWRC_SUCCESS;
    xfer.XOffset = 0;
    xfer.YOffset = RowsDelivered;
    // A message other than MSG_GET is refused before any scan is started.
    if (call.msg != MSG_GET) {
        Job.prepared = false;
        LastTransferResult = FailTriplet(TWCC_BADPROTOCOL, FAIL_IMAGEMEMXFER);
        return LastTransferResult;
    }
    if (PlaceholderImage || !ScannerPresent() || (!Job.prepared && !PrepareFinalScan()))
        return Abort(xfer);
    // Buffers are 16-bit lengths: a larger one is used up to 65535 bytes.
    uint32_t length = xfer.Memory.Length > 65535 ? 65535 : xfer.Memory.Length;
    if (!BufferBigEnough(length) || length / ImageBitmapLayout().stride == 0) {
        ShowMessage(GetActiveWindow(), MSG_NO_MEMORY);
        return Abort(xfer);
    }
    if (RowsDelivered == 0 && !StartImage())
        return Abort(xfer);
    ConditionCode = TWCC_BUMMER;
    StripBuffer strip = {nullptr, nullptr};
    uint8_t *buffer = ChooseBuffer(xfer, length, strip);
    uint32_t rows = 0;
    TW_UINT16 rc = TWRC_FAILURE;
    if (buffer != nullptr)
        rc = ReadOneStrip(buffer, length, rows);
    if (rc != TWRC_SUCCESS)
        EndImage();
    DescribeStrip(xfer, rows);
    if (strip.unlockAfter != nullptr)
        GlobalUnlock(strip.unlockAfter);
    LastTransferResult = rc;
    return rc;
}

// Closing the source releases a buffer the source lent.
void ReleaseMemoryTransferBuffer()
{
    ReleaseSourceBuffer();
}
