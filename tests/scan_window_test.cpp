// The scan job: resolution split, window fields, tone table choice and the
// geometry of the prepared final scan.
#include <gtest/gtest.h>
#include <windows.h>
#include <string.h>
#include <string>
#include "adjust/tone_state.h"
#include "device/aspi_library.h"
#include "device/aspi_transport.h"
#include "device/identify.h"
#include "device/scsi_blocks.h"
#include "ds/library_attach.h"
#include "scan/scan_window.h"
#include "tests/support/msgbox_capture.h"
#include "tests/support/simulator.h"
#include "ui/scan_settings.h"

namespace {

const uint16_t kOptical = DS_MODEL_600 ? 600 : 400;
const uint16_t kMax = DS_MODEL_600 ? 2400 : 1600;

class ScanJob : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AttachLibrary(GetModuleHandleA(nullptr)));
        AspiUnload();
        ASSERT_TRUE(IdentifySimulatedScanner(sim));
        ResetToneState();
        Job = JobFlags();
        AspiTimeout = ASPI_TIMEOUT_NORMAL;
        Area(200, 200, 100, 100);
        Settings(MODE_GREY, 300, SOURCE_REFLECTIVE);
        ScanSettings.Brightness = 128;
        ScanSettings.Dither = ScanSettings.Speed = 0;
    }
    void TearDown() override { AspiUnload(); }
    void Area(int left, int top, int width, int length)
    {
        ScanSettings.Left = left;
        ScanSettings.Top = top;
        ScanSettings.Width = width;
        ScanSettings.Length = length;
        ScanSettings.Right = left + width;
        ScanSettings.Bottom = top + length;
    }
    void Settings(int mode, uint16_t resolution, int source)
    {
        ScanSettings.Mode = mode;
        ScanSettings.Resolution = ScanSettings.XEffective = ScanSettings.YEffective = resolution;
        ScanSettings.Source = source;
    }
    const uint8_t *Window() const { return ScanBlock + SCAN_BLOCK_WINDOW + WINDOW_HEADER_SIZE; }
    uint32_t Field16(int offset) const { return GetBig16(Window() + offset); }
    Simulator sim;
    MessageBoxCapture boxes;
};

TEST(ResolutionSplit, ScannerScansUpToItsLimitsAndSoftwareStretchesBeyond)
{
    struct {
        uint16_t x, y;
        int source;
        uint16_t hardwareX, hardwareY;
        bool stretchX, stretchY;
    } cases[] = {
        {kOptical, kOptical, SOURCE_REFLECTIVE, kOptical, kOptical, false, false},
        {uint16_t(kOptical + 1), kMax, SOURCE_REFLECTIVE, kOptical, kMax, true, false},
        {300, uint16_t(kMax + 1), SOURCE_REFLECTIVE, 300, kMax, false, true},
        {300, uint16_t(kOptical + 1), SOURCE_FEEDER, 300, kOptical, false, true},
        {300, kOptical, SOURCE_FEEDER, 300, kOptical, false, false},
        {1, 1, SOURCE_TRANSPARENCY, 1, 1, false, false},
    };
    for (auto &c : cases) {
        ResolutionSplit split = SplitResolution(c.x, c.y, c.source, kOptical, kMax);
        EXPECT_EQ(split.hardwareX, c.hardwareX) << c.x;
        EXPECT_EQ(split.hardwareY, c.hardwareY) << c.y;
        EXPECT_EQ(split.stretchX, c.stretchX) << c.x;
        EXPECT_EQ(split.stretchY, c.stretchY) << c.y;
        EXPECT_EQ(split.yLimit, c.source == SOURCE_FEEDER ? kOptical : kMax);
    }
}

TEST(FeederCurveTable, ValuesOfTheIdentity)
{
    const struct {
        int in, out;
    } points[] = {{0, 13}, {50, 61}, {101, 126}, {102, 127}, {103, 134}, {200, 236}};
    for (auto &p : points)
        EXPECT_EQ(FeederCurve(uint8_t(p.in)), p.out) << p.in;
    for (int i = 230; i < 256; i++)
        EXPECT_EQ(FeederCurve(uint8_t(i)), 255) << i;
}

TEST_F(ScanJob, AreaIsInOpticalPixelsWhateverTheResolution)
{
    for (uint16_t resolution : {75, 300, 1200}) {
        Settings(MODE_COLOUR, resolution, SOURCE_REFLECTIVE);
        BuildScanBlock();
        EXPECT_EQ(Field16(8), 2u * kOptical);
        EXPECT_EQ(Field16(12), 2u * kOptical);
        EXPECT_EQ(Field16(16), kOptical) << "width";
        EXPECT_EQ(Field16(20), kOptical) << "length";
        EXPECT_EQ(Field16(6), 0u) << "high word of upper-left X stays 0";
    }
    Area(0, 0, 100, 100);
    BuildScanBlock();
    EXPECT_EQ(Field16(8), 0u);
    Area(1, 0, 100, 100);
    BuildScanBlock();
    EXPECT_EQ(Field16(8), kOptical / 100u);
}

TEST_F(ScanJob, WindowFieldsFollowTheSettings)
{
    struct {
        int mode, source, dither, speed;
        uint8_t composition, feeder, transparency;
    } cases[] = {
        {MODE_COLOUR, SOURCE_REFLECTIVE, 0, 0, 5, 0, 0},
        {MODE_GREY, SOURCE_FEEDER, 0, 1, 2, 1, 0},
        {MODE_BW, SOURCE_TRANSPARENCY, 7, 0, 0, 0, 1},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.mode);
        Settings(c.mode, 300, c.source);
        ScanSettings.Dither = c.dither;
        ScanSettings.Speed = c.speed;
        ScanSettings.Brightness = 199;
        Job.imageInformation = c.mode == MODE_BW;
        BuildScanBlock();
        const uint8_t *d = Window();
        EXPECT_EQ(d[25], c.composition);
        EXPECT_EQ(d[26], 8) << "8 bits per pixel in every mode";
        EXPECT_EQ(d[27], 0);
        EXPECT_EQ(d[28], c.dither);
        EXPECT_EQ(d[54], c.speed);
        EXPECT_EQ(d[55], 0);
        EXPECT_EQ(d[72], c.feeder);
        EXPECT_EQ(d[73], c.transparency);
        EXPECT_EQ(d[90], Job.imageInformation ? 1 : 0);
        EXPECT_EQ(d[23], 199);
        for (int i = 0; i < 4; i++) {
            EXPECT_EQ(d[46 + 2 * i], 0);
            EXPECT_EQ(d[47 + 2 * i], 199);
        }
        EXPECT_EQ(d[22], 0) << "brightness byte stays 0";
        EXPECT_EQ(d[29], 0x80);
        EXPECT_EQ(ScanBlock[0], 0x28);
        EXPECT_EQ(ScanBlock[1], 2);
        EXPECT_EQ(ScanBlock[1027], 0x29);
    }
    EXPECT_EQ(AspiTimeout, uint32_t(ASPI_TIMEOUT_TRANSPARENCY)) << "raised by the transparency window";
    Settings(MODE_GREY, 300, SOURCE_REFLECTIVE);
    BuildScanBlock();
    EXPECT_EQ(AspiTimeout, uint32_t(ASPI_TIMEOUT_TRANSPARENCY)) << "and never lowered";
}

TEST_F(ScanJob, ToneTableChoice)
{
    for (int i = 0; i < TONE_TABLES_SIZE; i++)
        ToneState.ToneTables[i] = uint8_t(255 - (i % 256) / (1 + i / MODE_TABLE_SIZE));
    const uint8_t *tone = ScanBlock + 3;

    Settings(MODE_GREY, 300, SOURCE_REFLECTIVE);
    BuildScanBlock();
    EXPECT_EQ(memcmp(tone, ToneState.ToneTables + MODE_TABLE_SIZE, MODE_TABLE_SIZE), 0) << "grey table";

    Job.prescan = true;
    BuildScanBlock();
    for (int i = 0; i < MODE_TABLE_SIZE; i++)
        ASSERT_EQ(tone[i], i % 256) << "prescans are sent the identity";

    Settings(MODE_COLOUR, 300, SOURCE_FEEDER);
    BuildScanBlock();
    for (int c = 0; c < 4; c++)
        for (int i = 0; i < 256; i++)
            ASSERT_EQ(tone[256 * c + i], FeederCurve(uint8_t(i))) << "feeder prescan: the curve of the identity";

    Job.prescan = false;
    std::string stored(reinterpret_cast<char *>(ToneState.ToneTables), TONE_TABLES_SIZE);
    BuildScanBlock();
    for (int c = 0; c < 4; c++)
        ASSERT_EQ(tone[256 * c + 10], FeederCurve(ToneState.ToneTables[10])) << "channel table 0 reshaped into all four";
    EXPECT_EQ(stored, std::string(reinterpret_cast<char *>(ToneState.ToneTables), TONE_TABLES_SIZE));

    Settings(MODE_BW, 300, SOURCE_FEEDER);
    BuildScanBlock();
    EXPECT_EQ(memcmp(tone, ToneState.ToneTables + 2 * MODE_TABLE_SIZE, MODE_TABLE_SIZE), 0)
        << "black and white is never reshaped";
}

TEST_F(ScanJob, PrescanAndZoomJobsOverrideAndRestore)
{
    ScanSettings.Mode = MODE_BW;
    SavedJobFields saved = SaveJobFields();
    ApplyPrescanJob(300, 400);
    EXPECT_EQ(ScanSettings.Mode, MODE_COLOUR);
    EXPECT_EQ(ScanSettings.XEffective, 22);
    EXPECT_EQ(ScanSettings.Width, DS_MODEL_600 ? 826 : 850);
    EXPECT_EQ(ScanSettings.Length, (DS_MODEL_600 ? 1167 : 1400) * 300 / 400);
    EXPECT_TRUE(Job.prescan);
    RestoreJobFields(saved);
    EXPECT_EQ(ScanSettings.Mode, MODE_BW);
    EXPECT_EQ(ScanSettings.Left, 200);

    ApplyZoomJob(ZoomRegion{100, 100, 300, 200}, 240, 350);
    EXPECT_EQ(ScanSettings.XEffective, 120);
    EXPECT_EQ(ScanSettings.YEffective, 120);
    EXPECT_EQ(ScanSettings.Width, 200);
    EXPECT_TRUE(Job.zoom);
    ApplyZoomJob(ZoomRegion{0, 0, 1, 1}, 240, 350);
    EXPECT_EQ(ScanSettings.XEffective, DS_MODEL_600 ? 9600 : 4800) << "at most the interpolated maximum";
    RestoreJobFields(saved);
}

struct GeometryCase {
    const char *name;
    int mode;
    uint16_t x, y;
    int source;
    int width, length;     // 1/100 inch
};

TEST_F(ScanJob, PreparedGeometryFollowsTheScannersAnswer)
{
    const GeometryCase cases[] = {
        {"grey 300", MODE_GREY, 300, 300, SOURCE_REFLECTIVE, 100, 100},
        {"colour 300", MODE_COLOUR, 300, 300, SOURCE_REFLECTIVE, 100, 100},
        {"black and white 300", MODE_BW, 300, 300, SOURCE_REFLECTIVE, 100, 100},
        {"grey 1200 across", MODE_GREY, 1200, 300, SOURCE_REFLECTIVE, 100, 50},
        {"feeder 601 down", MODE_GREY, 300, uint16_t(kOptical + 1), SOURCE_FEEDER, 100, 100},
        {"colour 9600 narrow", MODE_COLOUR, DS_MODEL_600 ? 9600 : 4800, DS_MODEL_600 ? 9600 : 4800,
         SOURCE_REFLECTIVE, 10, 10},
        {"1 dpi", MODE_GREY, 1, 1, SOURCE_REFLECTIVE, 400, 400},
    };
    std::string extra = std::string(OwnModelConfig()) + ";feeder=loaded";
    ASSERT_EQ(sim.configure(extra.c_str()), 0);
    for (const GeometryCase &c : cases) {
        SCOPED_TRACE(c.name);
        Settings(c.mode, c.x, c.source);
        ScanSettings.YEffective = c.y;
        Area(100, 100, c.width, c.length);
        ASSERT_EQ(PrepareFinalScan(), 1);
        uint32_t yLimit = c.source == SOURCE_FEEDER ? kOptical : kMax;
        uint32_t hx = c.x < kOptical ? c.x : kOptical, hy = c.y < yLimit ? c.y : yLimit;
        uint32_t pixels = uint32_t(kOptical) * c.width / 100 * hx / kOptical;
        uint32_t lines = uint32_t(kOptical) * c.length / 100 * hy / kOptical;
        uint32_t deviceLength = c.mode == MODE_BW ? (pixels + 7) / 8 : pixels;
        EXPECT_EQ(ImageGeometry.DeviceLines, lines);
        EXPECT_EQ(ImageGeometry.DeviceLineLength, deviceLength);
        uint32_t perPlane = c.x > kOptical ? c.x * deviceLength / kOptical : deviceLength;
        uint32_t imageLines = c.y > yLimit ? c.y * lines / yLimit : lines;
        EXPECT_EQ(ImageGeometry.ImageLength, imageLines);
        EXPECT_EQ(ImageGeometry.BytesPerLine, c.mode == MODE_COLOUR ? 3 * perPlane : perPlane);
        EXPECT_EQ(ImageGeometry.ImageWidth, c.mode == MODE_BW ? 8 * perPlane : perPlane);
        EXPECT_EQ(ImageGeometry.BitsPerPixel, c.mode == MODE_COLOUR ? 24u : c.mode == MODE_GREY ? 8u : 1u);
        EXPECT_EQ(ImageGeometry.Kind, uint32_t(600 + 2 - c.mode));
        EXPECT_EQ(ImageGeometry.XResolution, c.x) << "the nominal resolution";
        EXPECT_TRUE(Job.prepared);
        EXPECT_TRUE(Job.busy);
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(ScanJob, LongImagesAtHighResolutionAreCountedNotWrapped)
{
    Settings(MODE_GREY, DS_MODEL_600 ? 9600 : 4800, SOURCE_REFLECTIVE);
    Area(0, 0, 10, DS_MODEL_600 ? 1167 : 1400);
    ASSERT_EQ(PrepareFinalScan(), 1);
    uint32_t lines = uint32_t(kOptical) * ScanSettings.Length / 100 * kMax / kOptical;
    EXPECT_EQ(ImageGeometry.DeviceLines, lines);
    EXPECT_EQ(ImageGeometry.ImageLength, uint32_t(ScanSettings.YEffective) * lines / kMax);
    EXPECT_GT(ImageGeometry.ImageLength, 65535u);
}

TEST_F(ScanJob, PreparationFailuresShowTheirMessageOnceAndEndTheScan)
{
    struct {
        const char *name;
        const char *config;
        int width;
        const char *message;
    } cases[] = {
        {"scanner gone", "type=3", 100, "スキャナが見つかりません。 (-FFF)"},
        {"window refused", "fail=24:1", 100, "スキャナの設定エラー。"},
        {"nothing to scan", "strict=0", 0, "設定した範囲が小さすぎます。\n設定をやり直して下さい。"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(sim.configure((std::string(OwnModelConfig()) + ";" + c.config).c_str()), 0);
        Area(100, 100, c.width, c.width);
        sim.Mark();
        boxes.clear();
        EXPECT_EQ(PrepareFinalScan(), 0);
        EXPECT_FALSE(Job.prepared);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, c.message);
        std::vector<SimLogEntry> log = sim.Log();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back().cdb[0], 0x1B) << "the scanner's job was ended";
    }
}

} // namespace

namespace {

TEST_F(ScanJob, WithoutTheAspiLibraryTheDriverMessageIsShown)
{
    AspiUnload();
    Identify(nullptr);
    ASSERT_EQ(Identification.transportNumber, -1);
    EXPECT_EQ(PrepareFinalScan(), 0);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "デバイスドライバのオープンに失敗しました。");
}

} // namespace
