// Native and file transfers: the whole scan goes to the temporary scan file,
// which is then read back row by row into a bottom-up bitmap in global
// memory, or into a BMP file.
#include <windows.h>
#include <string.h>
#include "device/identify.h"
#include "ds/bitmap_header.h"
#include "ds/failure.h"
#include "ds/source_state.h"
#include "ds/transfer_setup.h"
#include "ds/triplets.h"
#include "ds/work_buffers.h"
#include "scan/acquisition.h"
#include "scan/pixel_routines.h"
#include "scan/progress_box.h"
#include "scan/temp_files.h"

namespace {

enum { MSG_ESC_CANCELS = 130, TWCC_DISK_ERROR = 7 };
const uint32_t kBitmapSlack = 136;
const uint64_t kLargestBlock = 0x7FFF0000u;

TW_UINT16 FromScanResult(int result)
{
    return result == TEMP_SCAN_CANCELLED ? TWRC_CANCEL : TWRC_FAILURE;
}

bool ReadRow(uint8_t *row)
{
    DWORD want = ImageGeometry.BytesPerLine, got = 0;
    return ReadFile(TempScanFile, row, want, &got, nullptr) && got == want;
}

void SwapRow(uint8_t *row, uint32_t stride)
{
    if (ImageGeometry.Kind == KIND_COLOUR)
        SwapRedBlue(row, uint16_t(stride / 3));
}

// Scanner present and the final scan prepared (preparing it if needed).
bool ReadyToScan()
{
    return ScannerPresent() && (Job.prepared || PrepareFinalScan());
}

void TransferCleanUp()
{
    if (TempScanFileOpen) {
        CloseHandle(TempScanFile);
        TempScanFile = INVALID_HANDLE_VALUE;
        DeleteFileA(TempScanFilePath);
    }
    TempScanFileOpen = false;
    Job.prepared = false;
}

// The bitmap: header, palette and rows, the first row read into the last
// slot so that the image is bottom-up.
TW_UINT16 BuildBitmap(HGLOBAL &handle)
{
    handle = nullptr;
    BitmapLayout layout = ImageBitmapLayout();
    uint64_t bytes = uint64_t(layout.paletteBytes) + layout.imageSize + kBitmapSlack;
    if (bytes > kLargestBlock)
        return TWRC_FAILURE;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, SIZE_T(bytes));
    uint8_t *base = block ? static_cast<uint8_t *>(GlobalLock(block)) : nullptr;
    if (base == nullptr) {
        if (block)
            GlobalFree(block);
        return TWRC_FAILURE;
    }
    WriteBitmapInfo(base, layout);
    uint8_t *pixels = base + sizeof(BITMAPINFOHEADER) + layout.paletteBytes;
    ProgressOpen(MainDialog, MSG_ESC_CANCELS, true, nullptr);
    uint32_t rows = ImageGeometry.ImageLength;
    TW_UINT16 rc = TWRC_XFERDONE;
    for (uint32_t done = 0; done < rows && rc == TWRC_XFERDONE; done++) {
        uint8_t *slot = pixels + uint64_t(rows - 1 - done) * layout.stride;
        if (!ReadRow(slot)) {
            rc = TWRC_CANCEL;
            break;
        }
        SwapRow(slot, layout.stride);
        if (ProgressAdvance(rows, done + 1) && done + 1 < rows)
            rc = TWRC_CANCEL;
    }
    ProgressClose();
    GlobalUnlock(block);
    if (rc != TWRC_XFERDONE) {
        GlobalFree(block);
        return rc;
    }
    handle = block;
    return rc;
}

bool SeekTo(HANDLE file, uint64_t position)
{
    LARGE_INTEGER want, got;
    want.QuadPart = LONGLONG(position);
    return SetFilePointerEx(file, want, &got, FILE_BEGIN) && uint64_t(got.QuadPart) >= position;
}

bool WriteBytes(HANDLE file, const void *data, DWORD size)
{
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

bool WriteBmpHeaders(HANDLE file, const BitmapLayout &layout, uint64_t fileSize)
{
    uint32_t offBits = 14 + sizeof(BITMAPINFOHEADER) + layout.paletteBytes;
    uint8_t header[14] = {'B', 'M'};
    uint32_t size32 = uint32_t(fileSize);
    memcpy(header + 2, &size32, 4);
    memcpy(header + 10, &offBits, 4);
    uint8_t info[sizeof(BITMAPINFOHEADER) + 1024];
    WriteBitmapInfo(info, layout);
    return WriteBytes(file, header, sizeof header) &&
           WriteBytes(file, info, sizeof(BITMAPINFOHEADER) + layout.paletteBytes);
}

// Rows from the temporary scan file into the BMP file, bottom-up.
TW_UINT16 WriteBmpRows(HANDLE file, const BitmapLayout &layout, uint64_t fileSize)
{
    uint8_t *row = PushWorkBuffer(layout.stride, true);
    if (row == nullptr)
        return TWRC_FAILURE;
    ProgressOpen(MainDialog, MSG_ESC_CANCELS, true, nullptr);
    uint32_t rows = ImageGeometry.ImageLength;
    TW_UINT16 rc = TWRC_XFERDONE;
    // The pad bytes of each row stay zero; only the row's own bytes are read.
    memset(row, 0, layout.stride);
    for (uint32_t done = 0; done < rows && rc == TWRC_XFERDONE; done++) {
        uint64_t slot = fileSize - uint64_t(done + 1) * layout.stride;
        if (!SeekTo(file, slot) || !ReadRow(row)) {
            rc = TWRC_FAILURE;
            break;
        }
        SwapRow(row, layout.stride);
        if (!WriteBytes(file, row, layout.stride))
            rc = TWRC_FAILURE;
        else if (ProgressAdvance(rows, done + 1) && done + 1 < rows)
            rc = TWRC_CANCEL;
    }
    ProgressClose();
    PopWorkBuffer(true);
    return rc;
}

TW_UINT16 WriteBmpFile()
{
    HANDLE file = CreateFileA(FileTransferName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_ARCHIVE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return TWRC_FAILURE;
    BitmapLayout layout = ImageBitmapLayout();
    uint64_t fileSize = 14 + sizeof(BITMAPINFOHEADER) + layout.paletteBytes + layout.imageSize;
    TW_UINT16 rc = TWRC_FAILURE;
    if (fileSize <= 0xFFFFFFFFu && WriteBmpHeaders(file, layout, fileSize))
        rc = WriteBmpRows(file, layout, fileSize);
    CloseHandle(file);
    if (rc != TWRC_XFERDONE)
        DeleteFileA(FileTransferName);
    return rc;
}

TW_UINT16 NativeTransfer(TW_UINT32 &handle)
{
    if (!ReadyToScan())
        return TWRC_FAILURE;
    int scan = ScanToTempFile();
    if (scan != TEMP_SCAN_OK) {
        handle = 0;
        if (SampleAppMode) {
            ShowFailure(FAIL_IMAGENATIVEXFER, TWCC_BUMMER);
            return TWRC_XFERDONE;
        }
        return FromScanResult(scan);
    }
    HGLOBAL bitmap;
    TW_UINT16 rc = BuildBitmap(bitmap);
    handle = TW_UINT32(reinterpret_cast<UINT_PTR>(bitmap));
    if (rc == TWRC_FAILURE)
        return FailTriplet(TWCC_LOWMEMORY, FAIL_IMAGENATIVEXFER);
    return rc;
}

TW_UINT16 FileTransfer()
{
    if (!ReadyToScan())
        return TWRC_FAILURE;
    int scan = ScanToTempFile();
    if (scan != TEMP_SCAN_OK) {
        ConditionCode = TWCC_BADCAP;
        ShowFailure(FAIL_IMAGEFILEXFER, TWCC_BADCAP);
        return FromScanResult(scan);
    }
    if (FileTransferFormat != TWFF_BMP)
        return FailTriplet(TWCC_BADCAP, FAIL_IMAGEFILEXFER);
    TW_UINT16 rc = WriteBmpFile();
    if (rc == TWRC_FAILURE)
        return FailTriplet(TWCC_DISK_ERROR, FAIL_IMAGEFILEXFER);
    return rc;
}

} // namespace

TW_UINT16 HandleImageNativeXfer(const TripletCall &call)
{
    LastTransferResult = TWRC_FAILURE;
    if (SourceState != 6 && SourceState != 7)
        return FailTriplet(TWCC_SEQERROR, FAIL_IMAGENATIVEXFER);
    if (call.msg != MSG_GET)
        return FailTriplet(TWCC_BADPROTOCOL, FAIL_IMAGENATIVEXFER);
    TW_UINT16 rc = NativeTransfer(*static_cast<TW_UINT32 *>(call.data));
    TransferCleanUp();
    LastTransferResult = rc;
    return rc;
}

TW_UINT16 HandleImageFileXfer(const TripletCall &call)
{
    LastTransferResult = TWRC_FAILURE;
    if (call.msg != MSG_GET)
        return FailTriplet(TWCC_BADPROTOCOL, FAIL_IMAGEFILEXFER);
    TW_UINT16 rc = FileTransfer();
    TransferCleanUp();
    LastTransferResult = rc;
    return rc;
}
