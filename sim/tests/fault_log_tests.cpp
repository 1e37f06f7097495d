// Injected faults, the vanishing scanner, and the request log.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/tests/sim_dll.h"

namespace {

struct Step {
    uint8_t op;  // 0x00 TEST UNIT READY or 0x12 INQUIRY
    uint8_t target;
    uint8_t status;
};

struct FaultCase {
    const char *config;
    std::vector<Step> steps;
};

uint8_t RunStep(const Step &s, uint32_t *returned)
{
    uint8_t data[53];
    Request r;
    r.target = s.target;
    if (s.op == 0x12) {
        r.cdb = {0x12, 0, 0, 0, 53, 0};
        r.buffer = data;
        r.length = 53;
    } else {
        r.cdb = {s.op, 0, 0, 0, 0, 0};
    }
    Answer a = Execute(r);
    *returned = a.returned;
    return a.status();
}

TEST(SimFault, FailAndHangHitTheChosenOccurrenceOfTheChosenOperation)
{
    const FaultCase cases[] = {
        {"fail=00:2", {{0x00, 2, SS_COMP}, {0x00, 2, SS_ERR}, {0x00, 2, SS_COMP}}},
        {"fail=00:*", {{0x00, 2, SS_ERR}, {0x12, 2, SS_COMP}, {0x00, 2, SS_ERR}}},
        // Requests to other targets are not counted.
        {"fail=00:2", {{0x00, 3, SS_NO_DEVICE}, {0x00, 2, SS_COMP}, {0x00, 2, SS_ERR}}},
        {"fail=12:1;hang=00:3",
         {{0x12, 2, SS_ERR}, {0x00, 2, SS_COMP}, {0x00, 2, SS_COMP}, {0x00, 2, SS_PENDING}, {0x12, 2, SS_COMP}}},
    };
    for (const FaultCase &c : cases) {
        SCOPED_TRACE(c.config);
        Configure(c.config);
        for (size_t i = 0; i < c.steps.size(); i++) {
            uint32_t returned;
            EXPECT_EQ(c.steps[i].status, RunStep(c.steps[i], &returned)) << "step " << i;
            EXPECT_EQ(c.steps[i].status, returned) << "step " << i;
        }
    }
}

TEST(SimFault, FailedReadReportsHardwareErrorAndTheScanGoesOn)
{
    Configure("fail=28:2");
    ASSERT_EQ(SS_COMP, SetWindow([] { WindowFields w; w.width = 600; w.length = 40; return w; }()));
    ASSERT_EQ(SS_COMP, StartScan());
    uint8_t buffer[300];
    EXPECT_EQ(SS_COMP, ReadImage(buffer, 300));
    Request r;
    r.cdb = {0x28, 0, 0, 0, 0, 0, 0, 0x01, 0x2C, 0};
    r.buffer = buffer;
    r.length = 300;
    Answer failed = Execute(r);
    EXPECT_EQ(SS_ERR, failed.status());
    EXPECT_EQ(0x02, failed.srb.SRB_TargStat);
    EXPECT_EQ(0x04, failed.srb.SenseArea[2] & 0x0F);
    EXPECT_EQ(SS_COMP, ReadImage(buffer, 300));
    EXPECT_EQ(6000u - 600u, GetBufferStatus().ready());
}

TEST(SimFault, HungRequestStaysPendingUntilAborted)
{
    Configure("hang=00:1");
    Request r;
    r.cdb = {0x00, 0, 0, 0, 0, 0};
    Answer hung = Execute(r);
    EXPECT_EQ(SS_PENDING, hung.returned);
    EXPECT_EQ(SS_PENDING, hung.srb.SRB_Status);

    struct {
        SRB_Header header;
        void *toAbort;
    } abort = {};
    abort.header.SRB_Cmd = 0x03;  // SC_ABORT_SRB
    abort.toAbort = &hung.srb;
    Sim().send(&abort);
    EXPECT_EQ(SS_COMP, abort.header.SRB_Status);
    EXPECT_EQ(SS_ABORTED, hung.srb.SRB_Status);
    Sim().send(&abort);  // nothing left to abort
    EXPECT_NE(SS_COMP, abort.header.SRB_Status);
}

TEST(SimFault, AdapterInquiryFaults)
{
    const struct {
        const char *config;
        uint8_t first, second;
    } cases[] = {
        {"adapters=2;fail=ha:1", SS_ERR, SS_COMP},
        {"adapters=2;hang=ha:2", SS_COMP, SS_PENDING},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.config);
        Configure(c.config);
        SRB_HAInquiry h0 = {}, h1 = {};
        h0.SRB_Cmd = h1.SRB_Cmd = SC_HA_INQUIRY;
        h1.SRB_HaId = 1;
        Sim().send(&h0);
        Sim().send(&h1);
        EXPECT_EQ(c.first, h0.SRB_Status);
        EXPECT_EQ(c.second, h1.SRB_Status);
    }
}

TEST(SimFault, ScannerVanishesAfterTheConfiguredBytesUntilReset)
{
    const struct {
        const char *config;
        uint8_t goneStatus;
    } cases[] = {{"vanish=1000", SS_NO_DEVICE}, {"vanish=1000;empty=err", SS_ERR}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.config);
        Configure(c.config);
        ASSERT_EQ(SS_COMP, SetWindow([] { WindowFields w; w.width = 600; w.length = 40; return w; }()));
        ASSERT_EQ(SS_COMP, StartScan());
        uint8_t buffer[600];
        EXPECT_EQ(SS_COMP, ReadImage(buffer, 600));
        EXPECT_EQ(SS_COMP, ReadImage(buffer, 400));
        EXPECT_EQ(c.goneStatus, ReadImage(buffer, 1));
        EXPECT_EQ(c.goneStatus, Send({0x00, 0, 0, 0, 0, 0}));
        uint8_t inquiry[53];
        EXPECT_EQ(c.goneStatus, Inquiry(2, -1, 53, inquiry));
        Sim().reset();
        EXPECT_EQ(SS_COMP, Send({0x00, 0, 0, 0, 0, 0}));
    }
}

TEST(SimLog, EveryRequestIsLoggedWithItsCdbPayloadAndAnswer)
{
    Configure("");
    SRB_HAInquiry h = {};
    h.SRB_Cmd = SC_HA_INQUIRY;
    Sim().send(&h);
    uint8_t inquiry[53];
    Inquiry(2, -1, 53, inquiry);
    std::vector<uint8_t> tone(1024);
    for (size_t i = 0; i < tone.size(); i++) tone[i] = (uint8_t)(i * 13);
    SendTone(tone);
    WindowFields w;
    w.width = 600;
    w.length = 600;
    SetWindow(w);
    Send({0x00, 0, 0, 0, 0, 0}, SRB_DIR_IN, nullptr, 0, 3);

    ASSERT_EQ(5, Sim().logCount());
    SimLogEntry e[5];
    for (int i = 0; i < 5; i++) {
        ASSERT_EQ(0, Sim().logEntry(i, &e[i]));
        EXPECT_EQ((uint32_t)i, e[i].seq);
    }
    EXPECT_EQ(-1, Sim().logEntry(5, &e[0]));

    EXPECT_EQ(SC_HA_INQUIRY, e[0].srbCmd);
    EXPECT_EQ(SS_COMP, e[0].status);

    const uint8_t inquiryCdb[6] = {0x12, 0, 0, 0, 0x35, 0};
    EXPECT_EQ(SC_EXEC_SCSI_CMD, e[1].srbCmd);
    EXPECT_EQ(0, memcmp(inquiryCdb, e[1].cdb, 6));
    EXPECT_EQ(6, e[1].cdbLength);
    EXPECT_EQ(SRB_DIR_IN, e[1].flags);
    EXPECT_EQ(2, e[1].target);
    EXPECT_EQ(53u, e[1].bufLength);
    EXPECT_EQ(53u, e[1].dataIn);
    EXPECT_EQ(0u, e[1].dataOut);
    EXPECT_EQ(SS_COMP, e[1].status);

    const uint8_t sendCdb[10] = {0x2A, 0, 0x03, 0, 0, 0x02, 0, 0x04, 0x00, 0};
    EXPECT_EQ(0, memcmp(sendCdb, e[2].cdb, 10));
    EXPECT_EQ(SRB_DIR_OUT, e[2].flags);
    std::vector<uint8_t> payload(1024);
    EXPECT_EQ(1024, Sim().logPayload(2, payload.data(), 1024));
    EXPECT_TRUE(payload == tone);

    std::vector<uint8_t> list = WindowList(w);
    std::vector<uint8_t> small(16, 0xEE);
    EXPECT_EQ(99, Sim().logPayload(3, small.data(), 10));
    EXPECT_EQ(0, memcmp(list.data(), small.data(), 10));
    EXPECT_EQ(0xEE, small[10]);

    EXPECT_EQ(3, e[4].target);
    EXPECT_EQ(SS_NO_DEVICE, e[4].status);
    EXPECT_EQ(-1, Sim().logPayload(5, small.data(), 10));

    Sim().reset();
    EXPECT_EQ(0, Sim().logCount());
}

TEST(SimLog, LogFileGetsOneLinePerRequestWithThePayloadInHex)
{
    std::string path = TempFilePath("qs_sim_log_test.txt");
    remove(path.c_str());
    Configure(("log=" + path).c_str());
    uint8_t inquiry[53];
    Inquiry(2, -1, 53, inquiry);
    WindowFields w;
    w.width = 60;
    w.length = 60;
    SetWindow(w);

    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(2u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("cdb=12 00 00 00 35 00"));
    EXPECT_NE(std::string::npos, lines[0].find("status=01"));
    std::ostringstream hex;
    for (uint8_t b : WindowList(w)) {
        char two[3];
        snprintf(two, sizeof two, "%02X", b);
        hex << two;
    }
    EXPECT_NE(std::string::npos, lines[1].find("out=" + hex.str()));
    Configure("");
    remove(path.c_str());
}

}  // namespace
