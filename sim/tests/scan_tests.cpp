// Windows, the image a scan delivers, and when the scanner says it is ready.
#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "sim/tests/sim_dll.h"

namespace {

int ShapedTone(int table, int v)
{
    switch (table) {
    case 0: return 255 - v;
    case 1: return v / 2 + 64;
    case 2: return v * v / 255;
    default: return 0;
    }
}

struct GeometryCase {
    const char *config;
    WindowFields window;
    uint32_t lines, lineLength;
};

WindowFields Window(uint8_t composition, uint16_t xres, uint16_t yres, uint32_t left, uint32_t top, uint32_t width,
                  uint32_t length)
{
    WindowFields w;
    w.composition = composition;
    w.xres = xres;
    w.yres = yres;
    w.left = left;
    w.top = top;
    w.width = width;
    w.length = length;
    return w;
}

TEST(SimWindow, LineCountAndLengthFollowAreaResolutionAndComposition)
{
    const GeometryCase cases[] = {
        {"", Window(CHART_GREY, 300, 300, 0, 0, 600, 600), 300, 300},
        {"", Window(CHART_COLOUR, 150, 200, 60, 60, 1000, 900), 300, 250},
        {"", Window(CHART_BW, 300, 300, 0, 0, 1001, 7), 3, 63},
        {"", Window(CHART_BW, 600, 600, 0, 0, 8, 1), 1, 1},
        {"", Window(CHART_COLOUR, 22, 22, 0, 0, 4956, 7002), 256, 181},
        {"", Window(CHART_GREY, 600, 2400, 0, 0, 6, 600), 2400, 6},
        {"", Window(CHART_GREY, 300, 300, 0, 0, 0, 0), 0, 0},
        {"model=QS52D0", Window(CHART_GREY, 400, 1600, 0, 0, 3400, 100), 400, 3400},
        {"model=QS52D0", Window(CHART_BW, 100, 100, 0, 0, 401, 401), 100, 13},
    };
    for (const GeometryCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.config << " comp " << (int)c.window.composition << " "
                                        << c.window.width << "x" << c.window.length);
        Configure(c.config);
        ASSERT_EQ(SS_COMP, SetWindow(c.window));
        BufferStatus before = GetBufferStatus();
        EXPECT_EQ(c.lines, before.lines());
        EXPECT_EQ(c.lineLength, before.lineLength());
        EXPECT_EQ(0u, before.ready());
        ASSERT_EQ(SS_COMP, StartScan());
        BufferStatus during = GetBufferStatus();
        EXPECT_EQ(c.lines, during.lines());
        EXPECT_EQ(c.lineLength, during.lineLength());
    }
}

struct AcceptCase {
    const char *what;
    const char *config;
    WindowFields window;
    uint8_t status;
};

WindowFields Fed(WindowFields w, uint8_t feeder, uint8_t transparency)
{
    w.feeder = feeder;
    w.transparency = transparency;
    return w;
}

TEST(SimWindow, WindowsTheScannerCannotServeAreRefused)
{
    const AcceptCase cases[] = {
        {"halftone composition", "", Window(1, 300, 300, 0, 0, 600, 600), SS_ERR},
        {"X above optical", "", Window(CHART_GREY, 601, 300, 0, 0, 600, 600), SS_ERR},
        {"X above optical, not strict", "strict=0", Window(CHART_GREY, 601, 300, 0, 0, 600, 600), SS_COMP},
        {"Y at maximum", "", Window(CHART_GREY, 600, 2400, 0, 0, 600, 6), SS_COMP},
        {"Y above maximum", "", Window(CHART_GREY, 600, 2401, 0, 0, 600, 6), SS_ERR},
        {"Y above 400-dpi maximum", "model=QS52D0", Window(CHART_GREY, 400, 1601, 0, 0, 400, 4), SS_ERR},
        {"feeder at optical", "feeder=loaded", Fed(Window(CHART_GREY, 300, 600, 0, 0, 600, 600), 1, 0), SS_COMP},
        {"feeder above optical", "feeder=loaded", Fed(Window(CHART_GREY, 300, 601, 0, 0, 600, 600), 1, 0), SS_ERR},
        {"feeder and film", "feeder=loaded", Fed(Window(CHART_GREY, 300, 300, 0, 0, 600, 600), 1, 1), SS_ERR},
        {"right edge on the bed edge", "", Window(CHART_GREY, 300, 300, 3956, 0, 1000, 10), SS_COMP},
        {"past the right edge", "", Window(CHART_GREY, 300, 300, 3957, 0, 1000, 10), SS_ERR},
        {"past the bottom", "", Window(CHART_GREY, 300, 300, 0, 7000, 10, 3), SS_ERR},
        {"400-dpi bed end", "model=QS52D0", Window(CHART_GREY, 300, 300, 0, 5500, 10, 100), SS_COMP},
        {"past the 400-dpi bed end", "model=QS52D0", Window(CHART_GREY, 300, 300, 0, 5501, 10, 100), SS_ERR},
    };
    for (const AcceptCase &c : cases) {
        SCOPED_TRACE(c.what);
        Configure(c.config);
        EXPECT_EQ(c.status, SetWindow(c.window));
    }
}

TEST(SimWindow, ParameterListShorterThanItsHeaderIsRefused)
{
    Configure("");
    std::vector<uint8_t> list = WindowList(Window(CHART_GREY, 300, 300, 0, 0, 600, 600));
    EXPECT_EQ(SS_ERR, Send({0x24, 0, 0, 0, 0, 0, 0, 0, 60, 0}, SRB_DIR_OUT, list.data(), 60));
    EXPECT_EQ(SS_COMP, Send({0x24, 0, 0, 0, 0, 0, 0, 0, 99, 0}, SRB_DIR_OUT, list.data(), 99));
}

struct ScanCase {
    const char *config;
    uint16_t optical;
    WindowFields window;
    uint32_t maxRead;
};

// The DLL delivers, through READ, exactly what the reference renderer says.
TEST(SimImage, DeliveredBytesEqualTheReferenceRenderer)
{
    const ScanCase cases[] = {
        {"", 600, Window(CHART_COLOUR, 75, 75, 0, 0, 4956, 1200), 65535},
        {"", 600, Window(CHART_GREY, 200, 300, 300, 2400, 3000, 1200), 7777},
        {"", 600, Window(CHART_BW, 300, 300, 150, 2460, 600, 300), 1000},
        {"", 600, [] { WindowFields w = Window(CHART_BW, 300, 300, 0, 0, 4956, 300); w.halftone = 3; return w; }(), 4099},
        {"feeder=loaded", 600, Fed(Window(CHART_COLOUR, 100, 100, 0, 600, 3000, 600), 1, 0), 65535},
        {"", 600, Fed(Window(CHART_GREY, 150, 150, 600, 3600, 2400, 2400), 0, 1), 65535},
        {"model=QS52D0", 400, Window(CHART_COLOUR, 100, 400, 400, 2000, 1600, 200), 30000},
    };
    std::vector<uint8_t> tone = MakeTone(ShapedTone);
    for (const ScanCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.config << " comp " << (int)c.window.composition);
        Configure(c.config);
        ASSERT_EQ(SS_COMP, SendTone(tone));
        uint32_t planes = c.window.composition == CHART_COLOUR ? 3 : 1;
        std::vector<uint8_t> got = ScanWhole(c.window, planes, c.maxRead);
        std::vector<uint8_t> expected;
        ChartRenderImage(ChartWindowOf(c.window, c.optical), ChartToneOf(tone), &expected);
        ASSERT_FALSE(expected.empty());
        ASSERT_EQ(expected.size(), got.size());
        EXPECT_TRUE(expected == got);

        ChartWindow last;
        ChartTone lastTone;
        ASSERT_EQ(0, Sim().lastScan(&last, &lastTone));
        EXPECT_EQ(c.window.left, last.left);
        EXPECT_EQ(c.window.xres, last.xres);
        EXPECT_EQ(c.optical, last.optical);
        EXPECT_EQ(0, memcmp(lastTone.channel, tone.data(), 1024));
    }
}

// What follows checks the chart itself against its documented layout, so
// that the renderer cannot drift into something that shows no fault.

std::vector<uint8_t> GreyScan(const WindowFields &w)
{
    Configure("feeder=loaded");
    return ScanWhole(w, w.composition == CHART_COLOUR ? 3 : 1);
}

TEST(SimChart, PlanesComeRedGreenBlueEachThroughItsOwnTable)
{
    struct Patch {
        uint32_t left;
        uint8_t r, g, b;
    };
    const Patch patches[] = {{120, 255, 0, 0}, {1320, 0, 0, 255}, {3720, 255, 255, 0}};
    std::vector<uint8_t> tone = MakeTone(ShapedTone);
    for (const Patch &p : patches) {
        SCOPED_TRACE(p.left);
        Configure("");
        ASSERT_EQ(SS_COMP, SendTone(tone));
        // Inside one patch: 0.5 by 0.3 inch, 100 dpi, clear of the grid.
        std::vector<uint8_t> image = ScanWhole(Window(CHART_COLOUR, 100, 100, p.left, 720, 300, 180), 3);
        ASSERT_EQ(50u * 3 * 30, image.size());
        for (size_t line = 0; line < 30; line++) {
            const uint8_t *l = image.data() + line * 150;
            for (int i = 0; i < 50; i++) {
                ASSERT_EQ(tone[0 * 256 + p.r], l[i]);
                ASSERT_EQ(tone[1 * 256 + p.g], l[50 + i]);
                ASSERT_EQ(tone[2 * 256 + p.b], l[100 + i]);
            }
        }
    }
}

TEST(SimChart, GreyRampRisesFromLeftToRight)
{
    std::vector<uint8_t> line = GreyScan(Window(CHART_GREY, 50, 50, 0, 240, 4956, 12));
    ASSERT_EQ(413u, line.size());
    EXPECT_LT(line.front(), 8);
    EXPECT_GT(line.back(), 240);
    for (size_t i = 1; i < line.size(); i++) ASSERT_LE(line[i - 1], line[i]) << i;
}

// A grid line 0.01 inch wide lies at every whole inch of the bed; where it
// shows in the image depends only on the window's offset and resolution.
TEST(SimChart, GridLinesLandWhereOffsetAndResolutionPutThem)
{
    // Across: x from 1.5 in at 300 dpi; lines at 2, 3, 4, 5 in.
    std::vector<uint8_t> across = GreyScan(Window(CHART_GREY, 300, 100, 900, 3900, 2400, 6));
    ASSERT_EQ(1200u, across.size());
    for (int i = 0; i < 1200; i++) {
        bool onLine = false;
        for (int inch = 2; inch <= 5; inch++) onLine |= i >= (inch * 2 - 3) * 150 && i < (inch * 2 - 3) * 150 + 3;
        EXPECT_EQ(onLine, across[i] < 60) << i;
        EXPECT_TRUE(across[i] < 60 || across[i] > 200) << i;
    }
    // Down: y from 6.9 in at 200 dpi; the line at 7 in covers lines 20 and 21.
    std::vector<uint8_t> down = GreyScan(Window(CHART_GREY, 300, 200, 900, 4140, 6, 120));
    ASSERT_EQ(40u * 3, down.size());
    for (int j = 0; j < 40; j++) {
        bool onLine = j == 20 || j == 21;
        EXPECT_EQ(onLine, down[j * 3] < 60) << j;
        EXPECT_TRUE(down[j * 3] < 60 || down[j * 3] > 200) << j;
    }
}

TEST(SimChart, ReflectiveFeederAndFilmShowDifferentPaper)
{
    uint8_t paper[3];
    for (int source = 0; source < 3; source++) {
        WindowFields w = Fed(Window(CHART_GREY, 100, 100, 900, 3960, 60, 60), source == 1, source == 2);
        std::vector<uint8_t> image = GreyScan(w);
        ASSERT_EQ(100u, image.size());
        for (uint8_t v : image) ASSERT_EQ(image[0], v);
        paper[source] = image[0];
    }
    EXPECT_NE(paper[0], paper[1]);
    EXPECT_NE(paper[0], paper[2]);
    EXPECT_NE(paper[1], paper[2]);
}

// Black and white inside the mid-grey patch (grey 128): 120 by 120 pixels.
std::vector<uint8_t> GreyPatchBits(uint8_t halftone, uint8_t threshold)
{
    WindowFields w = Window(CHART_BW, 300, 300, 1920, 720, 240, 240);
    w.halftone = halftone;
    w.threshold = threshold;
    Configure("");
    return ScanWhole(w, 1);
}

int Bit(const std::vector<uint8_t> &image, int x, int y) { return image[y * 15 + x / 8] >> (7 - x % 8) & 1; }

TEST(SimChart, HalftoneIndexSelectsThresholdOrPattern)
{
    std::vector<uint8_t> white = GreyPatchBits(0, 128), black = GreyPatchBits(0, 129);
    ASSERT_EQ(15u * 120, white.size());
    for (size_t i = 0; i < white.size(); i++) {
        ASSERT_EQ(0xFF, white[i]);
        ASSERT_EQ(0x00, black[i]);
    }
    for (uint8_t index = 1; index < CHART_HALFTONE_COUNT; index++) {
        SCOPED_TRACE((int)index);
        std::vector<uint8_t> image = GreyPatchBits(index, 128);
        ASSERT_EQ(15u * 120, image.size());
        int whites = 0;
        bool rowsUniform = true, columnsUniform = true, checkerboard = true;
        for (int y = 0; y < 120; y++) {
            for (int x = 0; x < 120; x++) {
                whites += Bit(image, x, y);
                rowsUniform &= Bit(image, x, y) == Bit(image, 0, y);
                columnsUniform &= Bit(image, x, y) == Bit(image, x, 0);
                checkerboard &= Bit(image, x, y) == ((x + y) % 2 == 0);
            }
        }
        EXPECT_NEAR(0.5, whites / 14400.0, 0.05);
        EXPECT_EQ(index == 6 || index == 7, rowsUniform);  // horizontal line screens
        EXPECT_EQ(index == 8, columnsUniform);              // vertical line screen
        EXPECT_EQ(index <= 3, checkerboard);              // ordered dither at 50%
    }
}

// ---- readiness ----

struct ReadyCase {
    const char *config;
    std::vector<uint32_t> polls;  // ready amount of each poll after SCAN
};

TEST(SimReady, ReadyAmountGrowsPerPollInWholeLines)
{
    // 20 lines of 300 bytes.
    const ReadyCase cases[] = {
        {"", {6000, 6000}},
        {"chunk=1000;empty_polls=2", {0, 0, 900, 1800, 3000, 3900, 4800, 6000, 6000}},
        {"chunk=1000;align=0", {1000, 2000, 3000, 4000, 5000, 6000, 6000}},
        {"chunk=100", {0, 0, 300, 300, 300, 600}},
    };
    for (const ReadyCase &c : cases) {
        SCOPED_TRACE(c.config);
        Configure(c.config);
        ASSERT_EQ(SS_COMP, SetWindow(Window(CHART_GREY, 300, 300, 0, 0, 600, 40)));
        ASSERT_EQ(SS_COMP, StartScan());
        for (size_t i = 0; i < c.polls.size(); i++) EXPECT_EQ(c.polls[i], GetBufferStatus().ready()) << "poll " << i;
    }
}

TEST(SimReady, ReadingTakesFromTheReadyAmount)
{
    Configure("chunk=3000");
    ASSERT_EQ(SS_COMP, SetWindow(Window(CHART_GREY, 300, 300, 0, 0, 600, 40)));
    ASSERT_EQ(SS_COMP, StartScan());
    EXPECT_EQ(3000u, GetBufferStatus().ready());
    std::vector<uint8_t> buffer(6000);
    ASSERT_EQ(SS_COMP, ReadImage(buffer.data(), 1200));
    // READ waits for data the scanner has not reported yet.
    ASSERT_EQ(SS_COMP, ReadImage(buffer.data(), 3300));
    EXPECT_EQ(6000u - 4500u, GetBufferStatus().ready());
    ASSERT_EQ(SS_COMP, ReadImage(buffer.data(), 1500));
    EXPECT_EQ(0u, GetBufferStatus().ready());
}

TEST(SimReady, SixtyFourKilobytesOrMoreShowInByteNine)
{
    Configure("");
    ASSERT_EQ(SS_COMP, SetWindow(Window(CHART_COLOUR, 300, 300, 0, 0, 600, 600)));
    ASSERT_EQ(SS_COMP, StartScan());
    BufferStatus b = GetBufferStatus();
    EXPECT_NE(0, b.raw[9]);
    EXPECT_EQ(300u * 300 * 3, b.ready());
    std::vector<uint8_t> buffer(65535);
    ASSERT_EQ(SS_COMP, ReadImage(buffer.data(), 65535));
    EXPECT_EQ(300u * 300 * 3 - 65535, GetBufferStatus().ready());
}

TEST(SimReady, ReadPastTheEndDeliversTheRestAndFails)
{
    Configure("");
    WindowFields w = Window(CHART_GREY, 300, 300, 0, 0, 600, 4);  // 2 lines of 300
    ASSERT_EQ(SS_COMP, SetWindow(w));
    ASSERT_EQ(SS_COMP, StartScan());
    std::vector<uint8_t> image(700, 0xEE);
    ASSERT_EQ(SS_COMP, ReadImage(image.data(), 500));
    EXPECT_EQ(SS_ERR, ReadImage(image.data() + 500, 200));
    std::vector<uint8_t> expected;
    ChartTone identity;
    ChartIdentityTone(&identity);
    ChartRenderImage(ChartWindowOf(w, 600), identity, &expected);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image.begin()));
    EXPECT_EQ(0xEE, image[600]);

    // A new window abandons the scan: nothing more to read.
    ASSERT_EQ(SS_COMP, StartScan());
    ASSERT_EQ(SS_COMP, SetWindow(w));
    EXPECT_EQ(SS_ERR, ReadImage(image.data(), 100));
}

struct SourceCase {
    const char *config;
    uint8_t feeder, transparency;
    uint8_t scanStatus;
    uint8_t senseKey;
};

TEST(SimScan, FeederAndTransparencyUnitMustBeThereToScan)
{
    const SourceCase cases[] = {
        {"feeder=loaded", 1, 0, SS_COMP, 0},
        {"feeder=empty", 1, 0, SS_ERR, 0x02},
        {"feeder=none", 1, 0, SS_ERR, 0x05},
        {"tpu=1", 0, 1, SS_COMP, 0},
        {"tpu=0", 0, 1, SS_ERR, 0x05},
        {"feeder=none;tpu=0", 0, 0, SS_COMP, 0},
    };
    for (const SourceCase &c : cases) {
        SCOPED_TRACE(c.config);
        Configure(c.config);
        ASSERT_EQ(SS_COMP, SetWindow(Fed(Window(CHART_GREY, 300, 300, 0, 0, 600, 600), c.feeder, c.transparency)));
        EXPECT_EQ(c.scanStatus, StartScan());
        uint8_t sense[18];
        ASSERT_EQ(SS_COMP, Send({0x03, 0, 0, 0, 18, 0}, SRB_DIR_IN, sense, 18));
        EXPECT_EQ(c.senseKey, sense[2] & 0x0F);
    }
}

TEST(SimScan, FeederRunsEmptyAfterItsPages)
{
    Configure("feeder=loaded;feeder_pages=1");
    WindowFields page = Fed(Window(CHART_GREY, 100, 100, 0, 0, 600, 600), 1, 0);
    uint8_t inquiry[53];
    ASSERT_EQ(SS_COMP, Inquiry(2, -1, 53, inquiry));
    EXPECT_EQ(0, inquiry[40]);
    EXPECT_EQ(100u * 100, ScanWhole(page, 1).size());
    ASSERT_EQ(SS_COMP, Inquiry(2, -1, 53, inquiry));
    EXPECT_EQ(1, inquiry[40]);
    ASSERT_EQ(SS_COMP, SetWindow(page));
    EXPECT_EQ(SS_ERR, StartScan());
}

}  // namespace
