// An application's whole session with the built source, through DS_Entry:
// open, enable without the dialog, negotiate, read the image information
// and take the image by each transfer mechanism, compared with the chart the
// simulated scanner rendered.
#include <gtest/gtest.h>
#include <windows.h>
#include <string.h>
#include <memory>
#include <string>
#include "sim/sim_control.h"
#include "tests/support/msgbox_capture.h"
#include "tests/support/reference_image.h"
#include "tests/support/source_session.h"

namespace {

#if DS_MODEL_600
const char kScanner[] = "model=QS71B0";
const uint32_t kYLimit = 2400;
#else
const char kScanner[] = "model=QS52D0";
const uint32_t kYLimit = 1600;
#endif

enum Mechanism { NATIVE, MEMORY_POINTER, MEMORY_HANDLE, SOURCE_BUFFER, FILE_BMP };

class Application : public ::testing::Test {
protected:
    void SetUp() override
    {
        ForgetSavedSettings();
        aspi = LoadLibraryA("wnaspi32.dll");
        ASSERT_NE(aspi, nullptr);
        configure = reinterpret_cast<SimConfigureFn>(reinterpret_cast<void *>(GetProcAddress(aspi, "Sim_Configure")));
        lastScan = reinterpret_cast<SimLastScanFn>(reinterpret_cast<void *>(GetProcAddress(aspi, "Sim_LastScan")));
        ASSERT_TRUE(configure && lastScan);
        ASSERT_EQ(configure(kScanner), 0);
        session.reset(new SourceSession);
        ASSERT_TRUE(session->loaded());
        ASSERT_EQ(session->open(), TWRC_SUCCESS);
        ASSERT_EQ(session->enable(0), TWRC_SUCCESS);
        ASSERT_EQ(session->sent.size(), 1u);
        ASSERT_EQ(session->sent[0].msg, MSG_XFERREADY);
    }
    void TearDown() override
    {
        if (session) {
            session->disable();
            session.reset();
        }
        if (configure)
            configure("adapters=0");
        if (aspi)
            FreeLibrary(aspi);
        ForgetSavedSettings();
    }
    TW_UINT16 SetOne(TW_UINT16 cap, TW_UINT16 type, TW_UINT32 value)
    {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, sizeof(TW_ONEVALUE));
        TW_ONEVALUE *one = static_cast<TW_ONEVALUE *>(GlobalLock(h));
        one->ItemType = type;
        one->Item = value;
        GlobalUnlock(h);
        TW_CAPABILITY c = {cap, TWON_ONEVALUE, h};
        TW_UINT16 rc = session->call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &c);
        GlobalFree(h);
        return rc;
    }
    // Mode, resolution and a frame in inches, negotiated while enabled.
    void Negotiate(TW_UINT16 pixelType, TW_UINT32 dpi, TW_INT16 left, TW_INT16 top, TW_INT16 right, TW_INT16 bottom)
    {
        ASSERT_EQ(SetOne(ICAP_PIXELTYPE, TWTY_UINT16, pixelType), TWRC_SUCCESS);
        ASSERT_EQ(SetOne(ICAP_XRESOLUTION, TWTY_FIX32, dpi), TWRC_SUCCESS);
        ASSERT_EQ(SetOne(ICAP_YRESOLUTION, TWTY_FIX32, dpi), TWRC_SUCCESS);
        ASSERT_EQ(SetOne(ICAP_UNITS, TWTY_UINT16, TWUN_INCHES), TWRC_SUCCESS);
        TW_IMAGELAYOUT layout = {{{left, 0}, {top, 0}, {right, 0}, {bottom, 0}}, 0, 0, 0};
        ASSERT_EQ(session->call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_SUCCESS);
    }
    Bytes Reference(int mode, uint32_t dpi)
    {
        ChartWindow w;
        ChartTone tone;
        EXPECT_EQ(lastScan(&w, &tone), 0);
        return Expected(w, tone, mode, false, dpi, dpi, kYLimit);
    }
    static Bytes TopDown(const uint8_t *bottomUp, uint32_t rows, uint32_t bytesPerLine, uint32_t stride, bool colour)
    {
        Bytes out;
        for (uint32_t r = 0; r < rows; r++) {
            const uint8_t *row = bottomUp + size_t(rows - 1 - r) * stride;
            for (uint32_t i = 0; i < bytesPerLine; i++)
                out.push_back(colour ? row[i - i % 3 + 2 - i % 3] : row[i]);
        }
        return out;
    }
    Bytes TakeNative(const TW_IMAGEINFO &info, uint32_t bytesPerLine, bool colour);
    Bytes TakeMemory(Mechanism how, uint32_t bytesPerLine, bool colour);
    Bytes TakeFile(const TW_IMAGEINFO &info, uint32_t bytesPerLine, bool colour);

    HMODULE aspi = nullptr;
    SimConfigureFn configure = nullptr;
    SimLastScanFn lastScan = nullptr;
    MessageBoxCapture boxes;
    std::unique_ptr<SourceSession> session;
};

Bytes Application::TakeNative(const TW_IMAGEINFO &info, uint32_t bytesPerLine, bool colour)
{
    TW_UINT32 handle = 0;
    EXPECT_EQ(session->call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
    if (handle == 0)
        return Bytes();
    HGLOBAL block = reinterpret_cast<HGLOBAL>(UINT_PTR(handle));
    const uint8_t *dib = static_cast<const uint8_t *>(GlobalLock(block));
    BITMAPINFOHEADER h;
    memcpy(&h, dib, sizeof h);
    EXPECT_EQ(h.biWidth, info.ImageWidth);
    EXPECT_EQ(h.biHeight, info.ImageLength);
    Bytes image = TopDown(dib + 40 + 4 * h.biClrUsed, h.biHeight, bytesPerLine, (bytesPerLine + 3) & ~3u, colour);
    GlobalUnlock(block);
    GlobalFree(block);
    return image;
}

Bytes Application::TakeMemory(Mechanism how, uint32_t bytesPerLine, bool colour)
{
    (void)colour;
    TW_SETUPMEMXFER setup;
    EXPECT_EQ(session->call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS);
    uint32_t length = setup.MinBufSize * 3;
    HGLOBAL owned = GlobalAlloc(GMEM_MOVEABLE, length);
    Bytes buffer(length), image;
    TW_UINT16 rc = TWRC_SUCCESS;
    for (int guard = 0; guard < 100000 && rc == TWRC_SUCCESS; guard++) {
        TW_IMAGEMEMXFER xfer;
        memset(&xfer, 0, sizeof xfer);
        TW_UINT32 flags = how == SOURCE_BUFFER ? TWMF_DSOWNS | TWMF_POINTER
                        : how == MEMORY_HANDLE ? TWMF_APPOWNS | TWMF_HANDLE
                                               : TWMF_APPOWNS | TWMF_POINTER;
        xfer.Memory = {flags, length, how == MEMORY_HANDLE ? static_cast<void *>(owned) : buffer.data()};
        rc = session->call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
        const uint8_t *data = how == MEMORY_HANDLE ? static_cast<uint8_t *>(GlobalLock(owned))
                                                   : static_cast<uint8_t *>(xfer.Memory.TheMem);
        for (uint32_t r = 0; r < xfer.Rows; r++)
            image.insert(image.end(), data + r * xfer.BytesPerRow, data + r * xfer.BytesPerRow + bytesPerLine);
        if (how == MEMORY_HANDLE)
            GlobalUnlock(owned);
    }
    EXPECT_EQ(rc, TWRC_XFERDONE);
    GlobalFree(owned);
    return image;
}

Bytes Application::TakeFile(const TW_IMAGEINFO &info, uint32_t bytesPerLine, bool colour)
{
    TW_SETUPFILEXFER setup;
    memset(&setup, 0, sizeof setup);
    char path[MAX_PATH];
    GetTempPathA(sizeof path, path);
    lstrcatA(path, "application test.bmp");
    lstrcpyA(setup.FileName, path);
    setup.Format = TWFF_BMP;
    EXPECT_EQ(session->call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);
    EXPECT_EQ(session->call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE)
        << "the file transfer passes no data";
    std::string file = ReadWholeFile(path);
    DeleteFileA(path);
    if (file.size() < 54)
        return Bytes();
    uint32_t offBits;
    memcpy(&offBits, &file[10], 4);
    EXPECT_EQ(file.size(), offBits + size_t((bytesPerLine + 3) & ~3u) * info.ImageLength);
    return TopDown(reinterpret_cast<const uint8_t *>(file.data()) + offBits, info.ImageLength, bytesPerLine,
                   (bytesPerLine + 3) & ~3u, colour);
}

TEST_F(Application, EveryModeByEveryMechanismIsTheScannedChart)
{
    const struct {
        TW_UINT16 pixelType;
        int mode;
        int bitsPerPixel;
    } modes[] = {{TWPT_RGB, 0, 24}, {TWPT_GRAY, 1, 8}, {TWPT_BW, 2, 1}};
    const Mechanism mechanisms[] = {NATIVE, MEMORY_POINTER, MEMORY_HANDLE, SOURCE_BUFFER, FILE_BMP};
    for (auto &m : modes)
        for (Mechanism how : mechanisms) {
            SCOPED_TRACE(testing::Message() << "pixel type " << m.pixelType << " mechanism " << how);
            Negotiate(m.pixelType, 100, 1, 1, 3, 2);
            TW_IMAGEINFO info;
            ASSERT_EQ(session->call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
            EXPECT_EQ(info.ImageWidth, 200);
            EXPECT_EQ(info.ImageLength, 100);
            EXPECT_EQ(info.BitsPerPixel, m.bitsPerPixel);
            uint32_t bytesPerLine = (info.ImageWidth * m.bitsPerPixel + 7) / 8;
            bool colour = m.mode == 0;
            Bytes got = how == NATIVE     ? TakeNative(info, bytesPerLine, colour)
                      : how == FILE_BMP   ? TakeFile(info, bytesPerLine, colour)
                                          : TakeMemory(how, bytesPerLine, colour);
            EXPECT_TRUE(got == Reference(m.mode, 100));
            TW_PENDINGXFERS pending = {9, 0};
            EXPECT_EQ(session->call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
            EXPECT_EQ(pending.Count, 0);
        }
    EXPECT_TRUE(boxes.boxes().empty());
}

} // namespace
