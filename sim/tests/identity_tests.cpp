// Buses, adapters, targets and what each target says about itself.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "sim/tests/sim_dll.h"

namespace {

std::string Bytes(const uint8_t *p, size_t n) { return std::string(reinterpret_cast<const char *>(p), n); }

bool AllZero(const uint8_t *p, size_t n)
{
    for (size_t i = 0; i < n; i++) {
        if (p[i]) return false;
    }
    return true;
}

TEST(SimLoad, EnvironmentFileThenTextConfigureTheFreshDll)
{
    const SimDll &d = Sim();
    EXPECT_EQ((uint32_t)SS_COMP << 8 | 1, d.loadSupportInfo);
    ASSERT_EQ(SS_COMP, d.loadInquiryStatus);  // target 4: the text overrode the file's 5
    EXPECT_EQ("Vasp QS52D0", Bytes(d.loadInquiry + 42, 11));  // model from the file
    EXPECT_EQ(1, d.loadInquiry[40]);                          // feeder from the text
}

TEST(SimConfig, RefusedItemIsNamedAndLeavesTheConfigurationAlone)
{
    Configure("target=3");
    EXPECT_EQ(2, Sim().configure("model=QS71B0; bogus=1"));
    EXPECT_EQ(1, Sim().configure("target=8"));
    EXPECT_EQ(3, Sim().configure("ha=0\n# a comment line\ntpu=1;fail=28"));
    EXPECT_EQ(1, Sim().amend("feeder=sideways"));
    uint8_t data[53];
    EXPECT_EQ(SS_COMP, Inquiry(3, -1, 53, data));
    EXPECT_EQ(SS_NO_DEVICE, Inquiry(2, -1, 53, data));
}

TEST(SimBus, AdaptersAnswerWithTheirCountAndOwnId)
{
    Configure("adapters=3;ha_id=6");
    EXPECT_EQ((uint32_t)SS_COMP << 8 | 3, Sim().supportInfo());
    for (uint8_t ha = 0; ha < 4; ha++) {
        SRB_HAInquiry h = {};
        h.SRB_Cmd = SC_HA_INQUIRY;
        h.SRB_HaId = ha;
        uint32_t r = Sim().send(&h);
        if (ha < 3) {
            EXPECT_EQ(SS_COMP, h.SRB_Status) << (int)ha;
            EXPECT_EQ(SS_COMP, r);
            EXPECT_EQ(6, h.HA_SCSI_ID);
            EXPECT_EQ(3, h.HA_Count);
        } else {
            EXPECT_EQ(SS_INVALID_HA, h.SRB_Status);
        }
    }
    Configure("adapters=0");
    EXPECT_NE(SS_COMP, (Sim().supportInfo() >> 8) & 0xFF);
}

struct TargetCase {
    const char *config;
    uint8_t ha, target;
    uint8_t status;  // of a standard INQUIRY
    uint8_t type;
};

TEST(SimBus, EveryAddressAnswersAsConfigured)
{
    const TargetCase cases[] = {
        {"", 0, 2, SS_COMP, 6},
        {"", 0, 3, SS_NO_DEVICE, 0},
        {"empty=err", 0, 3, SS_ERR, 0},
        {"target=7;ha_id=7", 0, 7, SS_NO_DEVICE, 0},  // the adapter's own id is not a target
        {"adapters=2;ha=1", 0, 2, SS_NO_DEVICE, 0},
        {"adapters=2;ha=1", 1, 2, SS_COMP, 6},
        {"adapters=1", 1, 2, SS_INVALID_HA, 0},
        {"disk=4", 0, 4, SS_COMP, 0},
        {"adapters=2;disk=0:5,1:3", 1, 3, SS_COMP, 0},
        {"type=3", 0, 2, SS_COMP, 3},
    };
    for (const TargetCase &c : cases) {
        SCOPED_TRACE(c.config);
        Configure(c.config);
        uint8_t data[53] = {};
        ASSERT_EQ(c.status, Inquiry(c.target, -1, 53, data, c.ha)) << (int)c.ha << ":" << (int)c.target;
        if (c.status == SS_COMP) {
            EXPECT_EQ(c.type, data[0]);
        }
    }
}

struct InquiryCase {
    const char *config;
    uint8_t target;
    const char *standardText;  // at byte 42; null: bytes 42..52 zero
    uint8_t feeder, tpu;
    int page82At;  // -1: page 82h carries no text
};

TEST(SimInquiry, IdentityFeederAndTransparencyBytesFollowTheConfiguration)
{
    const InquiryCase cases[] = {
        {"", 2, "Vasp QS71B0", 2, 1, -1},
        {"model=QS52D0;feeder=loaded;tpu=0", 2, "Vasp QS52D0", 0, 0, -1},
        {"model=QS22K0;target=5;feeder=empty", 5, "Vasp QS22K0", 1, 1, -1},
        {"ident=page82", 2, nullptr, 2, 1, 5},
        {"ident=both;page82_at=9", 2, "Vasp QS71B0", 2, 1, 9},
        {"ident=none", 2, nullptr, 2, 1, -1},
    };
    for (const InquiryCase &c : cases) {
        SCOPED_TRACE(c.config);
        Configure(c.config);
        uint8_t std53[53], page[33];
        ASSERT_EQ(SS_COMP, Inquiry(c.target, -1, 53, std53));
        ASSERT_EQ(SS_COMP, Inquiry(c.target, 0x82, 33, page));
        EXPECT_EQ(6, std53[0]);
        EXPECT_EQ(c.feeder, std53[40]);
        EXPECT_EQ(c.tpu, std53[41]);
        if (c.standardText) {
            EXPECT_EQ(c.standardText, Bytes(std53 + 42, 11));
        } else {
            EXPECT_TRUE(AllZero(std53 + 42, 11));
        }
        EXPECT_EQ(0x82, page[1]);
        if (c.page82At >= 0) {
            EXPECT_TRUE(AllZero(page + 4, (size_t)c.page82At - 4));
            EXPECT_EQ("Vasp QS71B0", Bytes(page + c.page82At, 11));
        } else {
            EXPECT_TRUE(AllZero(page + 4, 29));
        }
    }
}

TEST(SimInquiry, DeliveredLengthFollowsAllocationAndDeviceLimit)
{
    Configure("");
    uint8_t full[53], shortForm[41];
    ASSERT_EQ(SS_COMP, Inquiry(2, -1, 53, full));
    Request r;
    r.cdb = {0x12, 0, 0, 0, 41, 0};
    r.buffer = shortForm;
    r.length = 41;
    Answer a = Execute(r);
    EXPECT_EQ(SS_COMP, a.status());
    EXPECT_EQ(0, memcmp(full, shortForm, 41));

    // A device that delivers 36 bytes leaves the rest of the buffer alone.
    Configure("inq_len=36");
    uint8_t data[53];
    memset(data, 0xEE, sizeof data);
    ASSERT_EQ(SS_COMP, Inquiry(2, -1, 53, data));
    EXPECT_EQ(6, data[0]);
    for (int i = 36; i < 53; i++) EXPECT_EQ(0xEE, data[i]) << i;
}

TEST(SimInquiry, GarbageInquiryHasNoZeroByteAndNoName)
{
    Configure("inq_garbage=1");
    uint8_t data[53];
    ASSERT_EQ(SS_COMP, Inquiry(2, -1, 53, data));
    EXPECT_EQ(6, data[0]);
    std::string text = Bytes(data, 53);
    EXPECT_EQ(std::string::npos, text.find('\0'));
    EXPECT_EQ(std::string::npos, text.find("Vasp"));
    EXPECT_EQ(std::string::npos, text.find("QS"));
}

TEST(SimInquiry, DiskCarriesTheScannerTextOnlyWhenAskedTo)
{
    Configure("disk=6");
    uint8_t data[53];
    ASSERT_EQ(SS_COMP, Inquiry(6, -1, 53, data));
    EXPECT_EQ(0, data[0]);
    EXPECT_TRUE(AllZero(data + 42, 11));
    Configure("disk=6;disk_ident=1");
    ASSERT_EQ(SS_COMP, Inquiry(6, -1, 53, data));
    EXPECT_EQ(0, data[0]);
    EXPECT_EQ("Vasp QS71B0", Bytes(data + 42, 11));
}

struct RequestCheckCase {
    const char *what;
    const char *config;
    std::vector<uint8_t> cdb;
    uint8_t flags;
    uint32_t bufferLength;
    uint8_t status;
};

// The bus refuses what a real one could not carry out.
TEST(SimRequests, MalformedRequestsFailAndGoodOnesPass)
{
    const RequestCheckCase cases[] = {
        {"good inquiry", "", {0x12, 0, 0, 0, 53, 0}, SRB_DIR_IN, 53, SS_COMP},
        {"buffer shorter than allocation", "", {0x12, 0, 0, 0, 53, 0}, SRB_DIR_IN, 20, SS_ERR},
        {"data-in sent as out", "", {0x12, 0, 0, 0, 53, 0}, SRB_DIR_OUT, 53, SS_ERR},
        {"direction unchecked when not strict", "strict=0", {0x12, 0, 0, 0, 53, 0}, SRB_DIR_OUT, 53, SS_COMP},
        {"6-byte command as 10 bytes", "", {0x12, 0, 0, 0, 53, 0, 0, 0, 0, 0}, SRB_DIR_IN, 53, SS_ERR},
        {"unknown operation", "", {0x08, 0, 0, 0, 1, 0}, SRB_DIR_IN, 53, SS_ERR},
        {"no-data command flagged in", "", {0x00, 0, 0, 0, 0, 0}, SRB_DIR_IN, 0, SS_COMP},
        {"unsupported page", "", {0x12, 1, 0x80, 0, 33, 0}, SRB_DIR_IN, 53, SS_ERR},
    };
    for (const RequestCheckCase &c : cases) {
        SCOPED_TRACE(c.what);
        Configure(c.config);
        uint8_t buffer[64];
        Request r;
        r.cdb = c.cdb;
        r.flags = c.flags;
        r.buffer = buffer;
        r.length = c.bufferLength;
        EXPECT_EQ(c.status, Execute(r).status());
    }
}

TEST(SimRequests, RequestSenseReportsTheLastFailureOnce)
{
    Configure("");
    uint8_t sense[18];
    EXPECT_EQ(SS_ERR, Send({0x28, 0, 0, 0, 0, 0, 0, 0, 16, 0}, SRB_DIR_IN, sense, 16));  // READ before SCAN
    ASSERT_EQ(SS_COMP, Send({0x03, 0, 0, 0, 18, 0}, SRB_DIR_IN, sense, 18));
    EXPECT_EQ(0x70, sense[0]);
    EXPECT_EQ(0x05, sense[2] & 0x0F);  // illegal request
    ASSERT_EQ(SS_COMP, Send({0x03, 0, 0, 0, 18, 0}, SRB_DIR_IN, sense, 18));
    EXPECT_EQ(0x00, sense[2] & 0x0F);
}

}  // namespace
