// Device operations over ASPI for Win32 against the simulated scanner: the
// command sequences as the scanner sees them, the data paths, time-outs and
// bad answers.
#include <gtest/gtest.h>
#include <windows.h>
#include <string.h>
#include <vector>
#include "device/aspi_layouts.h"
#include "device/aspi_library.h"
#include "device/aspi_transport.h"
#include "device/device_ops.h"
#include "device/identify.h"
#include "device/scsi_blocks.h"
#include "ds/library_attach.h"
#include "tests/support/simulator.h"

namespace {

const int kScannerTarget = 2;

std::vector<uint8_t> Cdb(const SimLogEntry &e)
{
    return std::vector<uint8_t>(e.cdb, e.cdb + e.cdbLength);
}

class DeviceOps : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AttachLibrary(GetModuleHandleA(nullptr)));
        AspiUnload();
        AspiLoad();
        ASSERT_TRUE(sim.Attach()) << "the simulator must be the prefix's ASPI manager";
        AspiTicks = RealTicks;
        AspiTimeout = ASPI_TIMEOUT_NORMAL;
        ASSERT_EQ(sim.configure(OwnModelConfig()), 0);
    }
    void TearDown() override
    {
        AspiTicks = RealTicks;
        AspiUnload();
    }
    void OpenAndFind()
    {
        ASSERT_EQ(Dev_Open(0x0001), TRANSPORT_WIN32_ASPI);
        ASSERT_EQ(Dev_Find(6, ThisModel.identifier), 0);
        sim.Mark();
    }
    static uint32_t RealTicks() { return GetTickCount(); }
    Simulator sim;
};

// A scan parameter block: neutral 1024-byte tone table and the template
// window, with the given window fields (pixels of the optical resolution).
std::vector<uint8_t> ParameterBlock(uint8_t composition, uint16_t xres, uint16_t yres, uint32_t width,
                                    uint32_t length)
{
    std::vector<uint8_t> block(4 + 1024 + WINDOW_LIST_SIZE);
    block[0] = 0x28;
    block[1] = 2;
    for (int i = 0; i < 1024; i++)
        block[TONE_BLOCK_OFFSET + i] = uint8_t(i);
    block[3 + 1024] = 0x29;
    uint8_t *list = &block[4 + 1024];
    memcpy(list, WindowTemplate, WINDOW_LIST_SIZE);
    uint8_t *d = list + WINDOW_HEADER_SIZE;
    PutBig16(d + 2, xres);
    PutBig16(d + 4, yres);
    PutBig32(d + 14, width);
    PutBig32(d + 18, length);
    d[25] = composition;
    d[26] = composition == 0 ? 1 : 8;
    return block;
}

uint32_t Pixels(uint32_t opticalPixels, uint16_t resolution)
{
    return opticalPixels * resolution / ThisModel.opticalResolution;
}

TEST_F(DeviceOps, OpenSearchesTheBusAndFindPreparesTheScanner)
{
    EXPECT_EQ(Dev_Open(0x0001), TRANSPORT_WIN32_ASPI);
    EXPECT_EQ(AspiTarget.target, kScannerTarget);
    EXPECT_EQ(AspiTarget.adapterId, 7);
    sim.Mark();
    ASSERT_EQ(Dev_Find(6, ThisModel.identifier), 0);

    const std::vector<uint8_t> inquiry(CdbInquiry, CdbInquiry + 6);
    std::vector<SimLogEntry> log = sim.Log();
    // Targets 7 down to 3 answer nothing; the scanner at 2 matches.
    ASSERT_EQ(log.size(), 9u);
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(log[i].target, 7 - i);
        EXPECT_EQ(Cdb(log[i]), inquiry);
        EXPECT_EQ(log[i].flags, SRB_DIR_IN);
        EXPECT_EQ(log[i].bufLength, 53u);
    }
    struct {
        std::vector<uint8_t> cdb;
        uint8_t flags;
        uint32_t length;
    } tail[] = {
        {{0x03, 0, 0, 0, 0x12, 0}, SRB_DIR_IN, 18},
        {{0, 0, 0, 0, 0, 0}, SRB_DIR_IN, 0},
        {{0x15, 0x10, 0, 0, 0x18, 0}, SRB_DIR_OUT, 24},
    };
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(log[6 + i].target, kScannerTarget);
        EXPECT_EQ(Cdb(log[6 + i]), tail[i].cdb);
        EXPECT_EQ(log[6 + i].flags, tail[i].flags);
        EXPECT_EQ(log[6 + i].bufLength, tail[i].length);
    }
    const std::vector<uint8_t> modeList = {0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 1,
                                           3, 6, 2, 0, 0, 1, 0, 0};
    EXPECT_EQ(sim.Payload(8), modeList);
}

TEST_F(DeviceOps, OpenWithoutTheLibraryOrOnAnotherTransportFails)
{
    AspiUnload();
    EXPECT_EQ(Dev_Open(0x0001), -1);
    EXPECT_EQ(Dev_Find(6, ThisModel.identifier), -1);
    AspiLoad();
    ASSERT_TRUE(sim.Attach());
    for (uint16_t code : {0x0280, 0xC800, 0x0000}) {
        sim.Mark();
        EXPECT_EQ(Dev_Open(code), -1) << code;
        EXPECT_EQ(Dev_Inquiry(std::vector<uint8_t>(86).data()), -1);
        EXPECT_EQ(sim.logCount(), 0) << "nothing reaches ASPI for another transport";
    }
    ASSERT_EQ(sim.configure("adapters=0"), 0);
    EXPECT_EQ(Dev_Open(0x0001), -1) << "the manager reports no adapters";
}

TEST_F(DeviceOps, FindSkipsTargetsThatAreNotScannersOrNameAnotherModel)
{
    struct {
        const char *config;
        int expected;
    } cases[] = {
        {"type=3", -1},
        {"ident=page82", 0},
        {"ident=none", -1},
        {"model=QS22K0", -1},
        {"disk=5;disk_ident=1", 0},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.config);
        ASSERT_EQ(sim.configure((std::string(OwnModelConfig()) + ";" + c.config).c_str()), 0);
        ASSERT_EQ(Dev_Open(0x0001), TRANSPORT_WIN32_ASPI);
        EXPECT_EQ(Dev_Find(6, ThisModel.identifier), c.expected);
        if (c.expected == 0) {
            EXPECT_EQ(AspiTarget.target, kScannerTarget);
        }
    }
}

TEST_F(DeviceOps, InquiryFillsTheRecord)
{
    ASSERT_EQ(sim.configure((std::string(OwnModelConfig()) + ";feeder=empty;tpu=1").c_str()), 0);
    OpenAndFind();
    uint8_t record[INQUIRY_RECORD_SIZE + 4];
    memset(record, 0xEE, sizeof record);
    ASSERT_EQ(Dev_Inquiry(record), 0);
    EXPECT_EQ(record[INQUIRY_RECORD_SIZE], 0xEE) << "wrote past the record";
    EXPECT_EQ(record[33], 6);
    EXPECT_EQ(record[33 + 40], 1) << "feeder empty";
    EXPECT_EQ(record[33 + 41], 1) << "transparency unit present";
    EXPECT_EQ(memcmp(record + 33 + 42, ThisModel.inquiryText, 11), 0);
}

TEST_F(DeviceOps, SetWindowSendsToneAndWindowAndLeavesTheStatusBlock)
{
    OpenAndFind();
    std::vector<uint8_t> block = ParameterBlock(2, 300, 150, 600, 1200);
    const std::vector<uint8_t> window(block.begin() + 1028, block.end());
    ASSERT_EQ(Dev_SetWindow(block.data()), 0);

    std::vector<SimLogEntry> log = sim.Log();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(Cdb(log[0]), (std::vector<uint8_t>{0x09, 0, 0, 0x78, 0, 0}));
    EXPECT_EQ(log[0].bufLength, 30720u);
    EXPECT_EQ(Cdb(log[1]), (std::vector<uint8_t>{0x0E, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Cdb(log[2]), (std::vector<uint8_t>{0x2A, 0, 0x03, 0, 0, 0x02, 0, 0x04, 0x00, 0}));
    EXPECT_EQ(log[2].flags, SRB_DIR_OUT);
    std::vector<uint8_t> tone = sim.Payload(2);
    ASSERT_EQ(tone.size(), 1024u);
    EXPECT_EQ(tone[255], 255);
    EXPECT_EQ(tone[256], 0);
    EXPECT_EQ(Cdb(log[3]), (std::vector<uint8_t>{0x24, 0, 0, 0, 0, 0, 0, 0x00, 0x63, 0}));
    EXPECT_EQ(log[3].flags, SRB_DIR_OUT);
    EXPECT_EQ(sim.Payload(3), window);
    EXPECT_EQ(Cdb(log[4]), (std::vector<uint8_t>{0x34, 0x01, 0, 0, 0, 0, 0, 0, 0x12, 0}));
    EXPECT_EQ(log[4].flags, SRB_DIR_IN);

    uint32_t lines = Pixels(1200, 150), length = Pixels(600, 300);
    EXPECT_EQ(block[0] | block[1] << 8, int(lines)) << "line count, little-endian";
    EXPECT_EQ(block[2] | block[3] << 8, int(length)) << "line length, little-endian";
    EXPECT_EQ(DeviceLineLength, length);
}

TEST_F(DeviceOps, StartScanAndEndScanSequences)
{
    OpenAndFind();
    std::vector<uint8_t> block = ParameterBlock(2, 300, 300, 600, 600);
    ASSERT_EQ(Dev_SetWindow(block.data()), 0);
    sim.Mark();
    ASSERT_EQ(Dev_StartScan(block.data()), 0);
    ASSERT_EQ(Dev_EndScan(), 0);
    std::vector<SimLogEntry> log = sim.Log();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(Cdb(log[0]), (std::vector<uint8_t>{0x1B, 0, 0, 0, 0, 0}));
    EXPECT_EQ(log[0].bufLength, 0u);
    EXPECT_EQ(log[1].cdb[0], 0x34);
    EXPECT_EQ(Cdb(log[2]), (std::vector<uint8_t>{0x24, 0, 0, 0, 0, 0, 0, 0x00, 0x63, 0}));
    std::vector<uint8_t> zero = sim.Payload(2);
    ASSERT_EQ(zero.size(), 99u);
    EXPECT_EQ(memcmp(zero.data(), ZeroWindow, 99), 0);
    EXPECT_EQ(zero[8 + 17], 0) << "width 0";
    EXPECT_EQ(zero[8 + 21], 0) << "length 0";
    EXPECT_EQ(zero[8 + 3], 0x2C) << "300 dpi";
    EXPECT_EQ(Cdb(log[3]), (std::vector<uint8_t>{0x1B, 0, 0, 0, 0, 0}));
}

// A grey window of 300-byte lines, scanned with the given readiness.
class DeviceReads : public DeviceOps {
protected:
    void Scan(const char *readiness, uint8_t composition = 2)
    {
        ASSERT_EQ(sim.configure((std::string(OwnModelConfig()) + ";" + readiness).c_str()), 0);
        OpenAndFind();
        uint32_t optical = 300 * ThisModel.opticalResolution / 300;   // 300 pixels at 300 dpi
        block = ParameterBlock(composition, 300, 300, optical, optical);
        ASSERT_EQ(Dev_SetWindow(block.data()), 0);
        ASSERT_EQ(Dev_StartScan(block.data()), 0);
        sim.Mark();
    }
    uint32_t LastReadLength()
    {
        std::vector<SimLogEntry> log = sim.Log();
        for (size_t i = log.size(); i-- > 0;)
            if (log[i].cdb[0] == 0x28)
                return GetBig16(log[i].cdb + 7);
        return 0;
    }
    std::vector<uint8_t> block;
};

TEST_F(DeviceReads, ReadTakesWhatIsReadyInWholeLines)
{
    // The start of the scan polls once and finds nothing; the read's poll
    // finds the first 1000 bytes.
    Scan("chunk=1000;align=0;empty_polls=1");
    ASSERT_EQ(DeviceLineLength, 300);
    std::vector<uint8_t> buffer(1200);
    EXPECT_EQ(Dev_Read(1200, buffer.data()), 3);
    EXPECT_EQ(LastReadLength(), 1000u);
    EXPECT_EQ(sim.Log().back().flags, SRB_DIR_IN);
}

TEST_F(DeviceReads, NothingReadySendsNoRead)
{
    Scan("empty_polls=2");
    std::vector<uint8_t> buffer(1200);
    EXPECT_EQ(Dev_Read(1200, buffer.data()), 0);
    EXPECT_EQ(LastReadLength(), 0u);
}

TEST_F(DeviceReads, ReadNeverExceedsTheCallersBuffer)
{
    Scan("chunk=0");
    std::vector<uint8_t> buffer(100 + 16, 0xEE);
    EXPECT_EQ(Dev_Read(100, buffer.data()), 0) << "less than a line";
    EXPECT_EQ(LastReadLength(), 100u);
    EXPECT_EQ(buffer[100], 0xEE);
}

TEST_F(DeviceReads, AtLeast64KReadyReadsExactlyMax)
{
    ASSERT_EQ(sim.configure(OwnModelConfig()), 0);
    OpenAndFind();
    // 1500 by 1200 grey pixels: far more than 65536 bytes ready at once.
    uint32_t width = 1500 * ThisModel.opticalResolution / 300;
    block = ParameterBlock(2, 300, 300, width, 1200 * ThisModel.opticalResolution / 300);
    ASSERT_EQ(Dev_SetWindow(block.data()), 0);
    ASSERT_EQ(Dev_StartScan(block.data()), 0);
    std::vector<uint8_t> buffer(65000);
    EXPECT_EQ(Dev_Read(65000, buffer.data()), 65000 / 1500);
    EXPECT_EQ(LastReadLength(), 65000u);
}

TEST_F(DeviceReads, ColourLinesAreInterleavedInPlaceAndThroughScratch)
{
    // The same colour window read raw (planes) and through the colour reader.
    Scan("chunk=0", 5);
    uint16_t L = DeviceLineLength;
    ASSERT_EQ(L, 300);
    std::vector<uint8_t> planes(3 * L * 2);
    ASSERT_EQ(Dev_Read(uint16_t(planes.size()), planes.data()), 6) << "six planes, two colour lines";

    Scan("chunk=0", 5);
    std::vector<uint8_t> inPlace(3 * L * 3, 0xEE);
    EXPECT_EQ(Dev_ReadColor(uint16_t(inPlace.size()), inPlace.data()), 2);
    EXPECT_EQ(LastReadLength(), uint32_t(3 * L * 2)) << "read at offset 3L, limited to max - 3L";
    for (int g = 0; g < 2; g++)
        for (int i = 0; i < L; i++)
            for (int c = 0; c < 3; c++)
                ASSERT_EQ(inPlace[3 * L * g + 3 * i + c], planes[3 * L * g + c * L + i]) << g << " " << i << " " << c;

    Scan("chunk=0", 5);
    std::vector<uint8_t> exact(3 * L);
    EXPECT_EQ(Dev_ReadColor(uint16_t(exact.size()), exact.data()), 1) << "max = 3L reads through scratch";
    EXPECT_EQ(LastReadLength(), uint32_t(3 * L));
    for (int i = 0; i < L; i++)
        ASSERT_EQ(exact[3 * i + 1], planes[L + i]);
}

TEST_F(DeviceOps, ALineLengthOfZeroIsRefusedNotDividedBy)
{
    ASSERT_EQ(sim.configure((std::string(OwnModelConfig()) + ";strict=0").c_str()), 0);
    OpenAndFind();
    std::vector<uint8_t> zero = ParameterBlock(2, 300, 300, 0, 0);
    ASSERT_EQ(Dev_SetWindow(zero.data()), 0);
    ASSERT_EQ(Dev_StartScan(zero.data()), 0);
    EXPECT_EQ(DeviceLineLength, 0);
    std::vector<uint8_t> buffer(1200);
    EXPECT_EQ(Dev_Read(1200, buffer.data()), -1);
    EXPECT_EQ(Dev_ReadColor(1200, buffer.data()), -1);
}

TEST_F(DeviceReads, InquiryAtAnotherTargetKeepsTheScanner)
{
    Scan("chunk=0;disk=5");
    uint8_t answer[SHORT_INQUIRY_SIZE + 1];
    answer[SHORT_INQUIRY_SIZE] = 0xEE;
    ASSERT_EQ(Dev_InquiryAt(5, answer), 0);
    EXPECT_EQ(answer[0], 0) << "the disk's peripheral type";
    EXPECT_EQ(answer[SHORT_INQUIRY_SIZE], 0xEE);
    EXPECT_EQ(Dev_InquiryAt(4, answer), -1) << "nobody at 4";
    std::vector<uint8_t> buffer(600);
    EXPECT_EQ(Dev_Read(600, buffer.data()), 2);
    std::vector<SimLogEntry> log = sim.Log();
    EXPECT_EQ(Cdb(log[0]), (std::vector<uint8_t>{0x12, 0, 0, 0, 0x29, 0}));
    EXPECT_EQ(log[0].target, 5);
    EXPECT_EQ(log.back().target, kScannerTarget);
}

// Time passes only when the transport reads the clock.
struct FakeClock {
    static uint32_t now;
    static uint32_t step;
    static uint32_t finishAt;      // elapsed ms at which the hung request completes
    static uint32_t start;
    static uint32_t last;          // the latest reading the transport took
    static SimFinishHungFn finish;
    static uint32_t Tick()
    {
        uint32_t t = last = now;
        if (finish != nullptr && uint32_t(t - start) >= finishAt)
            finish(SS_COMP);
        now += step;
        return t;
    }
};
uint32_t FakeClock::now, FakeClock::step, FakeClock::finishAt, FakeClock::start, FakeClock::last;
SimFinishHungFn FakeClock::finish;

TEST_F(DeviceOps, RequestTimeOutsAreMeasuredWithWrapAround)
{
    struct {
        const char *name;
        uint32_t start;
        uint32_t timeout;
        uint32_t finishAt;       // 0: never
        uint8_t expected;
    } cases[] = {
        {"finishes at 119 s", 1000, ASPI_TIMEOUT_NORMAL, 119000, SS_COMP},
        {"pending at 120 s", 1000, ASPI_TIMEOUT_NORMAL, 0, SS_ERR},
        {"counter wraps", 0xFFFFFFFFu - 5000, ASPI_TIMEOUT_NORMAL, 119000, SS_COMP},
        {"wraps and times out", 0xFFFFFFFFu - 5000, ASPI_TIMEOUT_NORMAL, 0, SS_ERR},
        {"transparency allows 180 s", 1000, ASPI_TIMEOUT_TRANSPARENCY, 179000, SS_COMP},
    };
    OpenAndFind();
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(sim.configure((std::string(OwnModelConfig()) + ";hang=00:1").c_str()), 0);
        AspiTarget.target = kScannerTarget;
        FakeClock::now = FakeClock::start = c.start;
        FakeClock::step = 1000;
        FakeClock::finishAt = c.finishAt ? c.finishAt : 0xFFFFFFFFu;
        FakeClock::finish = sim.finishHung;
        AspiTicks = FakeClock::Tick;
        AspiTimeout = c.timeout;
        EXPECT_EQ(AspiExecute(CdbTestUnitReady, 6, SRB_DIR_IN, nullptr, 0), c.expected);
        uint32_t elapsed = FakeClock::last - c.start;
        if (c.expected == SS_ERR)
            EXPECT_EQ(elapsed, c.timeout) << "gave up at the time-out, not before";
        else
            EXPECT_EQ(elapsed, c.finishAt) << "waited until the request completed";
        sim.finishHung(SS_ERR);
    }
}

} // namespace
