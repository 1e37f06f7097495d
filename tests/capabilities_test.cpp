// Capability negotiation on the library's own code: containers in this
// build's layout, values before and after identification, what a set
// changes, and containers an application gets wrong.
#include <gtest/gtest.h>
#include <windows.h>
#include <string.h>
#include <vector>
#include "adjust/tone_state.h"
#include "device/aspi_library.h"
#include "device/identify.h"
#include "ds/library_attach.h"
#include "ds/source_state.h"
#include "ds/triplets.h"
#include "tests/support/msgbox_capture.h"
#include "tests/support/simulator.h"
#include "ui/scan_settings.h"

namespace {

// Offsets of the layout this build exchanges.
const size_t kOneItem = DS_PACKED ? 2 : 4;
const size_t kEnumCount = DS_PACKED ? 2 : 4, kEnumItems = DS_PACKED ? 14 : 16;
const size_t kRangeMin = DS_PACKED ? 2 : 4;

class Capabilities : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AttachLibrary(GetModuleHandleA(nullptr)));
        AspiUnload();
        Identification.opticalResolution = 0;   // no scanner until a test identifies one
    }
    void TearDown() override
    {
        for (HGLOBAL h : handed)
            GlobalFree(h);
        AspiUnload();
    }
    void IdentifyScanner(const char *extra = "") { ASSERT_TRUE(IdentifySimulatedScanner(sim, extra)); }
    TW_UINT16 Call(TW_UINT16 msg, TW_CAPABILITY &cap)
    {
        TripletCall call = {nullptr, DG_CONTROL, DAT_CAPABILITY, msg, &cap};
        TW_UINT16 rc = HandleCapability(call);
        if (msg <= MSG_GETDEFAULT && cap.hContainer != nullptr)
            handed.push_back(static_cast<HGLOBAL>(cap.hContainer));
        return rc;
    }
    // The container the source answers with, as raw bytes.
    std::vector<uint8_t> Get(TW_UINT16 capId, TW_UINT16 expectedType, TW_UINT16 msg = MSG_GET)
    {
        TW_CAPABILITY cap = {capId, 0, nullptr};
        EXPECT_EQ(Call(msg, cap), TWRC_SUCCESS);
        EXPECT_EQ(cap.ConType, expectedType);
        std::vector<uint8_t> bytes;
        if (cap.hContainer == nullptr)
            return bytes;
        bytes.resize(GlobalSize(cap.hContainer));
        EXPECT_EQ(GlobalFlags(cap.hContainer) & GMEM_LOCKCOUNT, 0u) << "handed over unlocked";
        memcpy(bytes.data(), GlobalLock(cap.hContainer), bytes.size());
        GlobalUnlock(cap.hContainer);
        return bytes;
    }
    // A container as an application would build it.
    static HGLOBAL Container(const std::vector<uint8_t> &bytes)
    {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size() ? bytes.size() : 1);
        memcpy(GlobalLock(h), bytes.data(), bytes.size());
        GlobalUnlock(h);
        return h;
    }
    TW_UINT16 Set(TW_UINT16 capId, TW_UINT16 conType, const std::vector<uint8_t> &bytes)
    {
        HGLOBAL h = Container(bytes);
        TW_CAPABILITY cap = {capId, conType, h};
        TW_UINT16 rc = Call(MSG_SET, cap);
        GlobalFree(h);
        return rc;
    }
    static std::vector<uint8_t> OneValue(TW_UINT16 type, uint32_t value)
    {
        std::vector<uint8_t> b(kOneItem + 4, 0);
        memcpy(&b[0], &type, 2);
        memcpy(&b[kOneItem], &value, 4);
        return b;
    }
    static std::vector<uint8_t> Enumeration(const std::vector<uint16_t> &items, uint32_t count)
    {
        std::vector<uint8_t> b(kEnumItems + 2 * items.size(), 0);
        uint16_t type = TWTY_UINT16;
        memcpy(&b[0], &type, 2);
        memcpy(&b[kEnumCount], &count, 4);
        memcpy(&b[kEnumItems], items.data(), 2 * items.size());
        return b;
    }
    static uint32_t U32(const std::vector<uint8_t> &b, size_t at)
    {
        uint32_t v;
        memcpy(&v, &b[at], 4);
        return v;
    }
    static uint16_t U16(const std::vector<uint8_t> &b, size_t at)
    {
        uint16_t v;
        memcpy(&v, &b[at], 2);
        return v;
    }
    std::vector<HGLOBAL> handed;
    Simulator sim;
    MessageBoxCapture boxes;
};

TEST_F(Capabilities, ConstantAnswersInThisBuildsLayout)
{
    struct {
        TW_UINT16 cap;
        std::vector<uint16_t> items;
    } enumerations[] = {
        {ICAP_PIXELTYPE, {0, 1, 2}}, {ICAP_UNITS, {0, 1, 5}}, {ICAP_XFERMECH, {2, 0, 1}}, {ICAP_PLANARCHUNKY, {0, 1}},
    };
    for (auto &e : enumerations) {
        for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
            std::vector<uint8_t> b = Get(e.cap, TWON_ENUMERATION, msg);
            ASSERT_EQ(b.size(), 2 * e.items.size() + (DS_PACKED ? 15 : 19)) << e.cap;
            EXPECT_EQ(U16(b, 0), TWTY_UINT16);
            EXPECT_EQ(U32(b, kEnumCount), e.items.size());
            EXPECT_EQ(U32(b, kEnumCount + 4), 0u) << "current index";
            EXPECT_EQ(U32(b, kEnumCount + 8), 0u) << "default index";
            for (size_t i = 0; i < e.items.size(); i++)
                EXPECT_EQ(U16(b, kEnumItems + 2 * i), e.items[i]) << e.cap;
        }
    }
    struct {
        TW_UINT16 cap, type;
        uint32_t value;
    } ones[] = {
        {CAP_XFERCOUNT, TWTY_INT16, 0}, {ICAP_COMPRESSION, TWTY_UINT16, 0}, {ICAP_PIXELFLAVOR, TWTY_UINT16, 0},
        {ICAP_XSCALING, TWTY_FIX32, 1}, {ICAP_YSCALING, TWTY_FIX32, 1}, {CAP_FEEDERENABLED, TWTY_BOOL, 0},
        {CAP_FEEDERLOADED, TWTY_BOOL, 0},
    };
    for (auto &o : ones) {
        std::vector<uint8_t> b = Get(o.cap, TWON_ONEVALUE);
        ASSERT_EQ(b.size(), DS_PACKED ? 6u : 8u);
        EXPECT_EQ(U16(b, 0), o.type) << o.cap;
        EXPECT_EQ(U32(b, kOneItem) & (o.type == TWTY_FIX32 ? 0xFFFFFFFFu : 0xFFFFu), o.value) << o.cap;
    }
}

TEST_F(Capabilities, ResolutionRangeBeforeAndAfterIdentification)
{
    ScanSettings.Resolution = 600;
    ScanSettings.XEffective = 450;
    std::vector<uint8_t> b = Get(ICAP_XRESOLUTION, TWON_RANGE);
    ASSERT_EQ(b.size(), DS_PACKED ? 22u : 24u);
    EXPECT_EQ(U16(b, 0), TWTY_FIX32);
    EXPECT_EQ(U32(b, kRangeMin), 1u);
    EXPECT_EQ(U32(b, kRangeMin + 4), 1200u);
    EXPECT_EQ(U32(b, kRangeMin + 16), 300u) << "current";
    EXPECT_EQ(ScanSettings.Resolution, 300);
    EXPECT_EQ(ScanSettings.XEffective, 300);

    IdentifyScanner();
    b = Get(ICAP_YRESOLUTION, TWON_RANGE);
    EXPECT_EQ(U32(b, kRangeMin + 4), DS_MODEL_600 ? 9600u : 4800u);
    EXPECT_EQ(U32(b, kRangeMin + 12), DS_MODEL_600 ? 600u : 400u) << "default";
    EXPECT_EQ(U32(b, kRangeMin + 16), DS_MODEL_600 ? 600u : 400u) << "current";
    EXPECT_EQ(ScanSettings.YEffective, 300);
}

TEST_F(Capabilities, BrightnessGetDiscardsToneAdjustmentsAndSetStoresTheThreshold)
{
    memset(&ToneState, 0x5A, sizeof ToneState);
    ScanSettings.Brightness = 40;
    std::vector<uint8_t> b = Get(ICAP_BRIGHTNESS, TWON_RANGE);
    EXPECT_EQ(U32(b, kRangeMin + 12), 128u);
    EXPECT_EQ(ScanSettings.Brightness, 128);
    for (int i = 0; i < TONE_TABLES_SIZE; i++)
        ASSERT_EQ(ToneState.ToneTables[i], i % 256);
    for (uint8_t byte : ToneState.HueSatRecord)
        ASSERT_EQ(byte, 0);

    const struct {
        uint32_t set;
        int32_t brightness;
    } cases[] = {{0, 1}, {1, 1}, {2, 1}, {200, 199}};
    for (auto &c : cases) {
        EXPECT_EQ(Set(ICAP_BRIGHTNESS, TWON_ONEVALUE, OneValue(TWTY_FIX32, c.set)), TWRC_SUCCESS);
        EXPECT_EQ(ScanSettings.Brightness, c.brightness) << c.set;
    }
}

TEST_F(Capabilities, PixelTypeSetShapesTheModeList)
{
    ScanSettings.Mode = MODE_COLOUR;
    EXPECT_EQ(Set(ICAP_PIXELTYPE, TWON_ONEVALUE, OneValue(TWTY_UINT16, TWPT_GRAY)), TWRC_SUCCESS);
    EXPECT_EQ(PixelTypeList[0], TWPT_GRAY);
    for (int i = 1; i < PIXEL_TYPE_SLOTS; i++)
        EXPECT_EQ(PixelTypeList[i], 0xFFFF);
    EXPECT_EQ(ScanSettings.Mode, MODE_GREY);

    EXPECT_EQ(Set(ICAP_PIXELTYPE, TWON_ENUMERATION, Enumeration({TWPT_BW, TWPT_GRAY}, 2)), TWRC_SUCCESS);
    EXPECT_EQ(PixelTypeList[0], TWPT_BW);
    EXPECT_EQ(PixelTypeList[1], TWPT_GRAY);
    EXPECT_EQ(PixelTypeList[2], 0xFFFF);
    EXPECT_EQ(ScanSettings.Mode, MODE_GREY) << "an enumeration leaves the mode";

    EXPECT_EQ(Set(ICAP_PIXELTYPE, TWON_ONEVALUE, OneValue(TWTY_UINT16, 7)), TWRC_SUCCESS);
    EXPECT_EQ(ScanSettings.Mode, MODE_BW);
}

TEST_F(Capabilities, ResolutionsUnitsAndIgnoredSets)
{
    EXPECT_EQ(Set(ICAP_XRESOLUTION, TWON_ONEVALUE, OneValue(TWTY_FIX32, 200)), TWRC_SUCCESS);
    EXPECT_EQ(Set(ICAP_YRESOLUTION, TWON_ONEVALUE, OneValue(TWTY_FIX32, 150)), TWRC_SUCCESS);
    EXPECT_EQ(ScanSettings.XEffective, 200);
    EXPECT_EQ(ScanSettings.YEffective, 150);
    EXPECT_EQ(Set(ICAP_UNITS, TWON_ONEVALUE, OneValue(TWTY_UINT16, TWUN_PIXELS)), TWRC_SUCCESS);
    EXPECT_EQ(LayoutUnit, TWUN_PIXELS);
    EXPECT_EQ(Set(ICAP_XRESOLUTION, TWON_RANGE, OneValue(TWTY_FIX32, 999)), TWRC_SUCCESS)
        << "another container type is not read";
    EXPECT_EQ(ScanSettings.XEffective, 200);
    EXPECT_EQ(Set(0x7777, TWON_ONEVALUE, OneValue(TWTY_UINT16, 1)), TWRC_SUCCESS) << "unknown: accepted, ignored";
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(Capabilities, FeederStateFromTheScanner)
{
    IdentifyScanner("feeder=loaded");
    ScanSettings.Source = SOURCE_REFLECTIVE;
    std::vector<uint8_t> b = Get(CAP_FEEDERLOADED, TWON_ONEVALUE);
    EXPECT_EQ(U16(b, kOneItem), 1);
    EXPECT_EQ(ScanSettings.Source, SOURCE_FEEDER) << "paper in the feeder selects it";
    ASSERT_EQ(sim.configure((std::string(OwnModelConfig()) + ";feeder=empty").c_str()), 0);
    b = Get(CAP_FEEDERLOADED, TWON_ONEVALUE);
    EXPECT_EQ(U16(b, kOneItem), 0);
    EXPECT_EQ(ScanSettings.Source, SOURCE_REFLECTIVE);
    b = Get(CAP_FEEDERENABLED, TWON_ONEVALUE);
    EXPECT_EQ(U16(b, kOneItem), 1);
    ASSERT_EQ(sim.configure((std::string(OwnModelConfig()) + ";feeder=none").c_str()), 0);
    b = Get(CAP_FEEDERENABLED, TWON_ONEVALUE);
    EXPECT_EQ(U16(b, kOneItem), 0);
}

TEST_F(Capabilities, UnofferedAndUnknownMessages)
{
    TW_CAPABILITY cap = {CAP_SUPPORTEDCAPS, 0, nullptr};
    EXPECT_EQ(Call(MSG_GET, cap), TWRC_FAILURE);
    EXPECT_TRUE(boxes.boxes().empty());
    cap.Cap = ICAP_PIXELTYPE;
    EXPECT_EQ(Call(MSG_GETFIRST, cap), TWRC_FAILURE);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "General failure in response to DAT_CAPS.  プロトコルエラー。");
    EXPECT_EQ(ConditionCode, TWCC_BADPROTOCOL);
}

TEST_F(Capabilities, ContainersAnApplicationGetsWrongAreNeverReadPastTheirEnd)
{
    ScanSettings.Mode = MODE_COLOUR;
    // NumItems claims far more items than the block holds.
    EXPECT_EQ(Set(ICAP_PIXELTYPE, TWON_ENUMERATION, Enumeration({TWPT_GRAY}, 1000000)), TWRC_SUCCESS);
    EXPECT_EQ(PixelTypeList[0], TWPT_GRAY);
    EXPECT_EQ(PixelTypeList[1], 0xFFFF);
    // A ONEVALUE block too short for its item, and one of an unknown item type.
    std::vector<uint8_t> shortOne = OneValue(TWTY_UINT32, 77);
    shortOne.resize(kOneItem + 1);
    ScanSettings.XEffective = 300;
    EXPECT_EQ(Set(ICAP_XRESOLUTION, TWON_ONEVALUE, shortOne), TWRC_SUCCESS);
    EXPECT_EQ(Set(ICAP_XRESOLUTION, TWON_ONEVALUE, OneValue(99, 77)), TWRC_SUCCESS);
    EXPECT_EQ(ScanSettings.XEffective, 300);
    // No container at all.
    TW_CAPABILITY cap = {ICAP_XRESOLUTION, TWON_ONEVALUE, nullptr};
    EXPECT_EQ(Call(MSG_SET, cap), TWRC_FAILURE);
    EXPECT_EQ(ConditionCode, TWCC_BADVALUE);
    EXPECT_TRUE(boxes.boxes().empty());
}

} // namespace
