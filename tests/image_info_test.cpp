// Image information, layout and transfer set-up on the library's own code.
#include <gtest/gtest.h>
#include <windows.h>
#include <string.h>
#include <string>
#include "device/aspi_library.h"
#include "device/identify.h"
#include "ds/library_attach.h"
#include "ds/source_state.h"
#include "ds/transfer_setup.h"
#include "ds/triplets.h"
#include "scan/scan_window.h"
#include "tests/support/msgbox_capture.h"
#include "tests/support/simulator.h"
#include "ui/scan_settings.h"

namespace {

class ImageTriplets : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AttachLibrary(GetModuleHandleA(nullptr)));
        AspiUnload();
        Identification.opticalResolution = 0;
        Identification.areaWidthLimit = 850;
        Identification.areaLengthLimit = 1400;
        ImageGeometry = ImageGeometryRecord();
        Job = JobFlags();
        LayoutUnit = TWUN_INCHES;
        SourceState = 6;
        LastTransferResult = TWRC_SUCCESS;
        ScanSettings.Source = SOURCE_REFLECTIVE;
    }
    void TearDown() override
    {
        AspiUnload();
        SourceState = 3;
    }
    void IdentifyScanner(const char *extra = "") { ASSERT_TRUE(IdentifySimulatedScanner(sim, extra)); }
    static TW_UINT16 Call(TripletHandler handler, TW_UINT16 msg, void *data)
    {
        TripletCall call = {nullptr, DG_CONTROL, 0, msg, data};
        return handler(call);
    }
    Simulator sim;
    MessageBoxCapture boxes;
};

TEST_F(ImageTriplets, LayoutReportsTheWholeBedInEachUnit)
{
    struct {
        int32_t unit;
        TW_FIX32 right, bottom;
    } cases[] =
#if DS_MODEL_600
        {{TWUN_INCHES, {8, 17695}, {11, 45875}},
         {TWUN_CENTIMETERS, {21, 380}, {29, 47055}},
         {TWUN_PIXELS, {4800, 0}, {6600, 0}}};
#else
        {{TWUN_INCHES, {8, 33423}, {14, 1966}},
         {TWUN_PIXELS, {3200, 0}, {5600, 0}}};
#endif
    IdentifyScanner();
    for (auto &c : cases) {
        LayoutUnit = c.unit;
        TW_IMAGELAYOUT layout;
        memset(&layout, 0xEE, sizeof layout);
        ASSERT_EQ(Call(HandleImageLayout, MSG_GET, &layout), TWRC_SUCCESS);
        EXPECT_EQ(layout.Frame.Left.Whole, 0);
        EXPECT_EQ(layout.Frame.Top.Frac, 0);
        EXPECT_EQ(layout.Frame.Right.Whole, c.right.Whole) << c.unit;
        EXPECT_EQ(layout.Frame.Right.Frac, c.right.Frac) << c.unit;
        EXPECT_EQ(layout.Frame.Bottom.Whole, c.bottom.Whole) << c.unit;
        EXPECT_EQ(layout.Frame.Bottom.Frac, c.bottom.Frac) << c.unit;
        EXPECT_EQ(layout.DocumentNumber, 0u);
        EXPECT_EQ(layout.FrameNumber, 0u);
    }
}

TEST_F(ImageTriplets, LayoutSetBecomesTheScanArea)
{
    const TW_INT16 nine = 9;
    struct {
        int32_t unit;
        TW_FRAME frame;
        int left, top, right, bottom;
    } cases[] = {
        {TWUN_INCHES, {{1, 0}, {1, 0}, {5, 0}, {7, 0}}, 100, 100, 500, 700},
        {TWUN_INCHES, {{0, 32768}, {1, 16384}, {2, 0}, {3, 0}}, 50, 125, 200, 300},
        {TWUN_CENTIMETERS, {{2, 35390}, {0, 0}, {10, 10486}, {5, 5243}}, 100, 0, 400, 200},
        {TWUN_PIXELS, {{150, 0}, {300, 0}, {450, 0}, {900, 0}}, 50, 100, 150, 300},
        {TWUN_INCHES, {{1, 0}, {1, 0}, {nine, 0}, {7, 0}}, 0, 0, DS_MODEL_600 ? 826 : 850,
         DS_MODEL_600 ? 1167 : 1400},
    };
    ScanSettings.XEffective = ScanSettings.YEffective = 300;
    for (auto &c : cases) {
        SCOPED_TRACE(c.left);
        LayoutUnit = c.unit;
        TW_IMAGELAYOUT layout = {c.frame, 0, 0, 0};
        ASSERT_EQ(Call(HandleImageLayout, MSG_SET, &layout), TWRC_SUCCESS);
        EXPECT_EQ(ScanSettings.Left, c.left);
        EXPECT_EQ(ScanSettings.Top, c.top);
        EXPECT_EQ(ScanSettings.Right, c.right);
        EXPECT_EQ(ScanSettings.Bottom, c.bottom);
        EXPECT_EQ(ScanSettings.Width, c.right - c.left);
        EXPECT_EQ(ScanSettings.Length, c.bottom - c.top);
    }
    LayoutUnit = TWUN_PIXELS;
    ScanSettings.XEffective = 0;
    TW_IMAGELAYOUT layout = {{{1, 0}, {1, 0}, {2, 0}, {2, 0}}, 0, 0, 0};
    EXPECT_EQ(Call(HandleImageLayout, MSG_SET, &layout), TWRC_FAILURE) << "pixels at no resolution";
    EXPECT_EQ(ConditionCode, TWCC_BADVALUE);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(ImageTriplets, ImageInfoWithoutAScannerIsThePlaceholder)
{
    TW_IMAGEINFO info;
    memset(&info, 0xEE, sizeof info);
    ASSERT_EQ(Call(HandleImageInfo, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_TRUE(PlaceholderImage);
    EXPECT_EQ(info.ImageWidth, 100);
    EXPECT_EQ(info.ImageLength, 100);
    EXPECT_EQ(info.BitsPerPixel, 8);
    EXPECT_EQ(info.PixelType, TWPT_GRAY);
    EXPECT_EQ(info.XResolution.Whole, 300);
    EXPECT_EQ(info.XResolution.Frac, 0);
    EXPECT_EQ(info.BitsPerSample[1], 0);
    EXPECT_TRUE(Job.imageInformation);
}

TEST_F(ImageTriplets, ImageInfoOfAPreparedColourScan)
{
    IdentifyScanner();
    ScanSettings.Mode = MODE_COLOUR;
    ScanSettings.Resolution = ScanSettings.XEffective = ScanSettings.YEffective = 300;
    ScanSettings.Left = ScanSettings.Top = 100;
    ScanSettings.Width = ScanSettings.Length = 100;
    TW_IMAGEINFO info;
    ASSERT_EQ(Call(HandleImageInfo, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_FALSE(PlaceholderImage);
    EXPECT_EQ(info.SamplesPerPixel, 3);
    const TW_INT16 samples[8] = {8, 8, 8, 0, 0, 0, 0, 0};
    EXPECT_EQ(memcmp(info.BitsPerSample, samples, sizeof samples), 0);
    EXPECT_EQ(info.BitsPerPixel, 24);
    EXPECT_EQ(info.Planar, 0);
    EXPECT_EQ(info.PixelType, TWPT_RGB);
    EXPECT_EQ(info.Compression, 0);
    EXPECT_EQ(info.ImageWidth, 300);
    EXPECT_EQ(info.ImageLength, 300);
}

TEST_F(ImageTriplets, WrongStateAndUnknownMessages)
{
    TW_IMAGEINFO info;
    SourceState = 5;
    EXPECT_EQ(Call(HandleImageInfo, MSG_GET, &info), TWRC_FAILURE);
    SourceState = 6;
    EXPECT_EQ(Call(HandleImageInfo, MSG_SET, &info), TWRC_FAILURE);
    SourceState = 7;
    TW_SETUPMEMXFER mem;
    EXPECT_EQ(Call(HandleSetupMemXfer, MSG_GET, &mem), TWRC_FAILURE);
    ASSERT_EQ(boxes.boxes().size(), 3u);
    EXPECT_EQ(boxes.boxes()[0].text, "General failure in transfer.  DG DAT MSG is out of expected sequence.");
    EXPECT_EQ(boxes.boxes()[1].text, "General failure in transfer.  プロトコルエラー。");
    EXPECT_EQ(boxes.boxes()[2].text,
              "General failure in response to DAT_SETUPMEMXFER, not supported.  DG DAT MSG is out of expected sequence.");
}

TEST_F(ImageTriplets, TransferSetUp)
{
    TW_SETUPMEMXFER mem = {1, 1, 1};
    ASSERT_EQ(Call(HandleSetupMemXfer, MSG_GET, &mem), TWRC_SUCCESS);
    EXPECT_EQ(mem.MinBufSize, 0u) << "nothing prepared yet";
    EXPECT_EQ(mem.MaxBufSize, 65535u);
    EXPECT_EQ(mem.Preferred, 65000u);
    ImageGeometry.BytesPerLine = 301;
    ASSERT_EQ(Call(HandleSetupMemXfer, MSG_GET, &mem), TWRC_SUCCESS);
    EXPECT_EQ(mem.MinBufSize, 2u * 304);

    TW_SETUPFILEXFER file;
    memset(&file, 0, sizeof file);
    ASSERT_EQ(Call(HandleSetupFileXfer, MSG_GET, &file), TWRC_SUCCESS);
    EXPECT_STREQ(file.FileName, "TWAIN.TMP");
    EXPECT_EQ(file.Format, TWFF_BMP);
    memset(file.FileName, 'a', sizeof file.FileName);   // no terminator at all
    file.Format = TWFF_BMP;
    ASSERT_EQ(Call(HandleSetupFileXfer, MSG_SET, &file), TWRC_SUCCESS);
    EXPECT_EQ(strlen(FileTransferName), 255u);
    file.Format = TWFF_TIFF;
    strcpy(file.FileName, "other.tif");
    EXPECT_EQ(Call(HandleSetupFileXfer, MSG_SET, &file), TWRC_FAILURE);
    EXPECT_EQ(ConditionCode, TWCC_BUMMER);
    EXPECT_EQ(strlen(FileTransferName), 255u) << "the stored name is kept";

    TW_UINT32 group = 0;
    ASSERT_EQ(Call(HandleXferGroup, MSG_GET, &group), TWRC_SUCCESS);
    EXPECT_EQ(group, DG_IMAGE);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(ImageTriplets, PendingTransfersFollowTheFeeder)
{
    IdentifyScanner("feeder=loaded");
    TW_PENDINGXFERS pending = {99, 0};
    ScanSettings.Source = SOURCE_FEEDER;
    ASSERT_EQ(Call(HandlePendingXfers, MSG_GET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 1);
    ASSERT_EQ(Call(HandlePendingXfers, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 1);
    LastTransferResult = TWRC_CANCEL;
    ASSERT_EQ(Call(HandlePendingXfers, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0) << "after a cancelled transfer";
    ScanSettings.Source = SOURCE_REFLECTIVE;
    LastTransferResult = TWRC_XFERDONE;
    ASSERT_EQ(Call(HandlePendingXfers, MSG_GET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
}

} // namespace
