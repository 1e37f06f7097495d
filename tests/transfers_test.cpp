// Native, file and memory transfers on the library's own code, from the
// simulated scanner: the bitmaps and strips the application receives, and
// what bad buffers and cancels give.
#include <gtest/gtest.h>
#include <windows.h>
#include <string.h>
#include <string>
#include "adjust/tone_state.h"
#include "device/aspi_library.h"
#include "device/identify.h"
#include "ds/library_attach.h"
#include "ds/source_state.h"
#include "ds/transfer_setup.h"
#include "ds/triplets.h"
#include "ds/work_buffers.h"
#include "scan/acquisition.h"
#include "scan/scan_window.h"
#include "scan/temp_files.h"
#include "tests/support/msgbox_capture.h"
#include "tests/support/reference_image.h"
#include "tests/support/simulator.h"
#include "ui/scan_settings.h"

namespace {

class Transfers : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AttachLibrary(GetModuleHandleA(nullptr)));
        AspiUnload();
        ASSERT_TRUE(IdentifySimulatedScanner(sim));
        ResetToneState();
        DecodeHueSatValues();
        Job = JobFlags();
        PlaceholderImage = false;
        SourceState = 6;
        ScanSettings.Brightness = 128;
        ScanSettings.Flip = ScanSettings.Filter = 0;
        ScanSettings.Source = SOURCE_REFLECTIVE;
        Area(100, 100, 100, 50);
        Mode(MODE_GREY, 300);
    }
    void TearDown() override
    {
        ReleaseMemoryTransferBuffer();
        AspiUnload();
        SourceState = 3;
    }
    void Area(int left, int top, int width, int length)
    {
        ScanSettings.Left = left;
        ScanSettings.Top = top;
        ScanSettings.Width = width;
        ScanSettings.Length = length;
    }
    void Mode(int mode, uint16_t resolution)
    {
        ScanSettings.Mode = mode;
        ScanSettings.Resolution = ScanSettings.XEffective = ScanSettings.YEffective = resolution;
    }
    static TW_UINT16 Call(TripletHandler handler, void *data, TW_UINT16 msg = MSG_GET)
    {
        TripletCall call = {nullptr, DG_IMAGE, 0, msg, data};
        return handler(call);
    }
    // The expected rows of the last scan, packed, top row first.
    Bytes ExpectedRows()
    {
        ChartWindow w;
        ChartTone tone;
        EXPECT_EQ(sim.lastScan(&w, &tone), 0);
        return Expected(w, tone, ScanSettings.Mode, ScanSettings.Flip != 0, ScanSettings.XEffective,
                        ScanSettings.YEffective, YLimit);
    }
    // Bottom-up rows of a bitmap with the given stride back to packed top-down
    // rows, blue and red swapped back for colour.
    static Bytes Unbitmap(const uint8_t *pixels, uint32_t rows, uint32_t bytesPerLine, uint32_t stride, bool colour)
    {
        Bytes out;
        for (uint32_t r = 0; r < rows; r++) {
            const uint8_t *row = pixels + size_t(rows - 1 - r) * stride;
            for (uint32_t i = 0; i < stride; i++)
                EXPECT_TRUE(i < bytesPerLine || row[i] == 0) << "pad bytes are zero";
            for (uint32_t i = 0; i < bytesPerLine; i++)
                out.push_back(colour ? row[i - i % 3 + 2 - i % 3] : row[i]);
        }
        return out;
    }
    Simulator sim;
    MessageBoxCapture boxes;
};

struct NativeCase {
    int mode;
    uint16_t resolution;
    int width;            // 1/100 inch
    uint32_t colours, bits;
};

TEST_F(Transfers, NativeBitmapsAreBottomUpWithTheirPalette)
{
    const NativeCase cases[] = {
        {MODE_COLOUR, 300, 100, 0, 24},
        {MODE_GREY, 300, 101, 256, 8},
        {MODE_BW, 300, 97, 2, 1},
        {MODE_BW, 75, 2, 2, 1},   // one pixel wide: 3 pad bytes a row
    };
    for (const NativeCase &c : cases) {
        SCOPED_TRACE(c.mode * 1000 + c.width);
        Mode(c.mode, c.resolution);
        Area(100, 100, c.width, 40);
        TW_IMAGEINFO info;
        ASSERT_EQ(Call(HandleImageInfo, &info), TWRC_SUCCESS);
        TW_UINT32 handle = 0;
        ASSERT_EQ(Call(HandleImageNativeXfer, &handle), TWRC_XFERDONE);
        ASSERT_NE(handle, 0u);
        EXPECT_EQ(LastTransferResult, TWRC_XFERDONE);
        HGLOBAL block = reinterpret_cast<HGLOBAL>(UINT_PTR(handle));
        EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 0u) << "handed over unlocked";
        const uint8_t *dib = static_cast<const uint8_t *>(GlobalLock(block));
        BITMAPINFOHEADER h;
        memcpy(&h, dib, sizeof h);
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biWidth, info.ImageWidth);
        EXPECT_EQ(h.biHeight, info.ImageLength);
        EXPECT_EQ(h.biBitCount, c.bits);
        EXPECT_EQ(h.biClrUsed, c.colours);
        EXPECT_EQ(h.biXPelsPerMeter, LONG(c.resolution * 10000 / 254));
        uint32_t bytesPerLine = c.mode == MODE_COLOUR ? 3 * info.ImageWidth
                              : c.mode == MODE_GREY   ? info.ImageWidth
                                                      : info.ImageWidth / 8;
        uint32_t stride = (bytesPerLine + 3) & ~3u;
        EXPECT_EQ(h.biSizeImage, stride * h.biHeight);
        const uint8_t *palette = dib + 40;
        if (c.colours) {
            EXPECT_EQ(palette[4 * (c.colours - 1)], 255);
            EXPECT_EQ(palette[3], 0);
        }
        Bytes rows = Unbitmap(palette + 4 * c.colours, h.biHeight, bytesPerLine, stride, c.mode == MODE_COLOUR);
        EXPECT_TRUE(rows == ExpectedRows());
        GlobalUnlock(block);
        GlobalFree(block);
        EXPECT_FALSE(Job.prepared);
        EXPECT_EQ(GetFileAttributesA(TempScanFilePath), INVALID_FILE_ATTRIBUTES) << "the scan file is gone";
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(Transfers, FileTransferWritesABmpFile)
{
    char path[MAX_PATH];
    GetTempPathA(sizeof path, path);
    lstrcatA(path, "transfer test.bmp");
    const struct {
        int mode;
        uint32_t offBits;
    } cases[] = {{MODE_BW, 62}, {MODE_GREY, 1078}, {MODE_COLOUR, 54}};
    for (auto &c : cases) {
        Mode(c.mode, 200);
        TW_SETUPFILEXFER setup;
        memset(&setup, 0, sizeof setup);
        lstrcpyA(setup.FileName, path);
        setup.Format = TWFF_BMP;
        TripletCall call = {nullptr, DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup};
        ASSERT_EQ(HandleSetupFileXfer(call), TWRC_SUCCESS);
        char dummy[4];
        ASSERT_EQ(Call(HandleImageFileXfer, dummy), TWRC_XFERDONE);
        HANDLE f = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        DWORD size = GetFileSize(f, nullptr), got;
        Bytes file(size);
        ReadFile(f, file.data(), size, &got, nullptr);
        CloseHandle(f);
        ASSERT_GT(size, 54u);
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        uint32_t bfSize, offBits;
        memcpy(&bfSize, &file[2], 4);
        memcpy(&offBits, &file[10], 4);
        EXPECT_EQ(bfSize, size);
        EXPECT_EQ(offBits, c.offBits);
        BITMAPINFOHEADER h;
        memcpy(&h, &file[14], sizeof h);
        uint32_t bytesPerLine = ImageGeometry.BytesPerLine;
        uint32_t stride = (bytesPerLine + 3) & ~3u;
        EXPECT_EQ(size, offBits + stride * h.biHeight);
        EXPECT_TRUE(Unbitmap(&file[offBits], h.biHeight, bytesPerLine, stride, c.mode == MODE_COLOUR) ==
                    ExpectedRows());
        DeleteFileA(path);
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(Transfers, FileTransferWithoutASetUpFailsAndLeavesNothing)
{
    FileTransferFormat = 0;
    FileTransferName[0] = 0;
    char dummy[4];
    EXPECT_EQ(Call(HandleImageFileXfer, dummy), TWRC_FAILURE);
    EXPECT_EQ(ConditionCode, TWCC_BADCAP);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "General failure in response to DAT_IMAGEFILEXFER.  不適当な機能によるエラー。");
    EXPECT_EQ(GetFileAttributesA(TempScanFilePath), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Transfers, FileTransferIntoAMissingDirectoryIsADiskError)
{
    TW_SETUPFILEXFER setup;
    memset(&setup, 0, sizeof setup);
    lstrcpyA(setup.FileName, "C:\\no such directory\\image.bmp");
    setup.Format = TWFF_BMP;
    TripletCall call = {nullptr, DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup};
    ASSERT_EQ(HandleSetupFileXfer(call), TWRC_SUCCESS);
    char dummy[4];
    EXPECT_EQ(Call(HandleImageFileXfer, dummy), TWRC_FAILURE);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "General failure in response to DAT_IMAGEFILEXFER.  ディスクアクセスエラー。");
    EXPECT_EQ(GetFileAttributesA(TempScanFilePath), INVALID_FILE_ATTRIBUTES);
}

// A whole image through memory strips, with the buffer the test names.
struct MemoryRun {
    Bytes rows;             // packed, top-down
    std::vector<uint32_t> stripRows;
    TW_UINT16 last;
};

class MemoryTransfers : public Transfers {
protected:
    MemoryRun Run(TW_UINT32 flags, uint32_t length, bool handleBuffer)
    {
        MemoryRun run;
        HGLOBAL owned = handleBuffer ? GlobalAlloc(GMEM_MOVEABLE, length) : nullptr;
        Bytes pointerBuffer(length + 16, 0xEE);
        uint32_t stride = (ImageGeometry.BytesPerLine + 3) & ~3u;
        uint32_t expectedOffset = 0;
        for (int guard = 0; guard < 10000; guard++) {
            TW_IMAGEMEMXFER xfer;
            memset(&xfer, 0, sizeof xfer);
            xfer.Memory.Flags = flags;
            xfer.Memory.Length = length;
            xfer.Memory.TheMem = handleBuffer ? static_cast<void *>(owned) : pointerBuffer.data();
            run.last = Call(HandleImageMemXfer, &xfer);
            stride = xfer.BytesPerRow;
            EXPECT_EQ(xfer.YOffset, expectedOffset);
            expectedOffset += xfer.Rows;
            run.stripRows.push_back(xfer.Rows);
            const uint8_t *data = nullptr;
            if (flags & TWMF_DSOWNS)
                data = flags & TWMF_POINTER ? static_cast<uint8_t *>(xfer.Memory.TheMem)
                                            : static_cast<uint8_t *>(GlobalLock(xfer.Memory.TheMem));
            else
                data = handleBuffer ? static_cast<uint8_t *>(GlobalLock(owned)) : pointerBuffer.data();
            EXPECT_EQ(xfer.BytesWritten, xfer.Rows * stride);
            for (uint32_t r = 0; r < xfer.Rows; r++)
                run.rows.insert(run.rows.end(), data + r * stride, data + r * stride + ImageGeometry.BytesPerLine);
            if (!(flags & TWMF_DSOWNS) && !handleBuffer) {
                EXPECT_EQ(pointerBuffer[length], 0xEE) << "wrote past the application's buffer";
            }
            if (handleBuffer || ((flags & TWMF_DSOWNS) && !(flags & TWMF_POINTER)))
                GlobalUnlock(handleBuffer ? owned : xfer.Memory.TheMem);
            if (run.last != TWRC_SUCCESS)
                break;
        }
        if (owned)
            GlobalFree(owned);
        return run;
    }
    void Prepare()
    {
        TW_IMAGEINFO info;
        ASSERT_EQ(Call(HandleImageInfo, &info), TWRC_SUCCESS);
    }
};

TEST_F(MemoryTransfers, StripsOfEveryBufferKindMakeTheImage)
{
    const struct {
        const char *name;
        TW_UINT32 flags;
        uint32_t length;
        bool handle;
    } cases[] = {
        {"application pointer", TWMF_APPOWNS | TWMF_POINTER, 4000, false},
        {"application handle", TWMF_APPOWNS | TWMF_HANDLE, 2500, true},
        {"source pointer", TWMF_DSOWNS | TWMF_POINTER, 3000, false},
        {"source handle", TWMF_DSOWNS | TWMF_HANDLE, 65535, false},
    };
    for (auto &c : cases) {
        for (int mode : {MODE_COLOUR, MODE_GREY, MODE_BW}) {
            SCOPED_TRACE(std::string(c.name) + " mode " + std::to_string(mode));
            Mode(mode, 150);
            Area(100, 100, 97, 60);
            Prepare();
            uint32_t stride = (ImageGeometry.BytesPerLine + 3) & ~3u;
            MemoryRun run = Run(c.flags, c.length, c.handle);
            EXPECT_EQ(run.last, TWRC_XFERDONE);
            uint32_t capacity = c.length / stride;
            for (uint32_t rows : run.stripRows) {
                EXPECT_GE(rows, 1u);
                EXPECT_LE(rows, capacity);
            }
            EXPECT_TRUE(run.rows == ExpectedRows());
        }
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(MemoryTransfers, BuffersThatCannotHoldALineAreRefused)
{
    Mode(MODE_GREY, 300);
    Prepare();
    for (uint32_t length : {0u, 1u, ImageGeometry.BytesPerLine}) {
        SCOPED_TRACE(length);
        boxes.clear();
        Bytes buffer(16);
        TW_IMAGEMEMXFER xfer;
        memset(&xfer, 0, sizeof xfer);
        xfer.Memory = {TWMF_APPOWNS | TWMF_POINTER, length, buffer.data()};
        EXPECT_EQ(Call(HandleImageMemXfer, &xfer), TWRC_CANCEL);
        EXPECT_EQ(xfer.Rows, 0u);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, "メモリが足りません");
        Prepare();
    }
}

TEST_F(MemoryTransfers, LengthsBeyond16BitsAreUsedUpTo65535)
{
    Mode(MODE_GREY, 300);
    Area(100, 100, 200, 200);
    Prepare();
    uint32_t stride = (ImageGeometry.BytesPerLine + 3) & ~3u;
    MemoryRun run = Run(TWMF_APPOWNS | TWMF_POINTER, 65536 + 4 * stride, false);
    EXPECT_EQ(run.last, TWRC_XFERDONE);
    EXPECT_EQ(run.stripRows[0], 65535 / stride);
    EXPECT_TRUE(run.rows == ExpectedRows());
}

TEST_F(MemoryTransfers, BadBuffersFailWithoutTouchingMemory)
{
    Mode(MODE_GREY, 300);
    Prepare();
    TW_IMAGEMEMXFER xfer;
    memset(&xfer, 0, sizeof xfer);
    xfer.Memory = {TWMF_APPOWNS | TWMF_HANDLE, 4000, nullptr};
    EXPECT_EQ(Call(HandleImageMemXfer, &xfer), TWRC_FAILURE) << "null handle";
    Prepare();
    xfer.Memory = {TWMF_APPOWNS, 4000, nullptr};
    EXPECT_EQ(Call(HandleImageMemXfer, &xfer), TWRC_FAILURE) << "neither pointer nor handle";
    EXPECT_EQ(Call(HandleImageMemXfer, &xfer, MSG_SET), TWRC_FAILURE);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "General failure in response to DAT_IMAGEMEMXFER.  プロトコルエラー。");
}

TEST_F(Transfers, NoScannerGivesFailureForNativeAndCancelForMemory)
{
    AspiUnload();
    Identify(nullptr);
    ASSERT_FALSE(ScannerPresent());
    TW_IMAGEINFO info;
    ASSERT_EQ(Call(HandleImageInfo, &info), TWRC_SUCCESS);
    TW_UINT32 handle = 0xDEAD;
    EXPECT_EQ(Call(HandleImageNativeXfer, &handle), TWRC_FAILURE);
    TW_IMAGEMEMXFER xfer;
    memset(&xfer, 0, sizeof xfer);
    Bytes buffer(4000);
    xfer.Memory = {TWMF_APPOWNS | TWMF_POINTER, 4000, buffer.data()};
    EXPECT_EQ(Call(HandleImageMemXfer, &xfer), TWRC_CANCEL);
    EXPECT_EQ(xfer.Rows, 0u);
    SourceState = 5;
    EXPECT_EQ(Call(HandleImageNativeXfer, &handle), TWRC_FAILURE);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text,
              "General failure in response to DAT_IMAGENATIVEXFER.  DG DAT MSG is out of expected sequence.");
}

} // namespace
