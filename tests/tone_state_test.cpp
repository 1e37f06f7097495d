// The tone state: hue record encoding, reset, invert, the at-default test
// and how adjustments compose.
#include <gtest/gtest.h>
#include <string.h>
#include "adjust/tone_state.h"
#include "ui/scan_settings.h"

namespace {

class ToneStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = ScanSettings;
        ResetToneDefaults();
    }
    void TearDown() override
    {
        ResetToneDefaults();
        ScanSettings = saved;
    }
    ScanSettingsRecord saved;
};

// The record's bytes as the map file holds them: low byte first, negative
// values plus 4000h.
void ExpectField(int entry, int field, uint8_t low, uint8_t high)
{
    const uint8_t *p = ToneState.HueSatRecord + entry * 6 + field * 2;
    EXPECT_EQ(p[0], low) << "entry " << entry << " field " << field;
    EXPECT_EQ(p[1], high) << "entry " << entry << " field " << field;
}

bool TablesAreIdentity()
{
    for (int i = 0; i < 3072; i++)
        if (ToneState.ToneTables[i] != i % 256)
            return false;
    return true;
}

bool RecordIsZero()
{
    for (uint8_t b : ToneState.HueSatRecord)
        if (b != 0)
            return false;
    return true;
}

TEST_F(ToneStateTest, RecordBytesOfKnownValues)
{
    StoreHueSatEntry(0, -30, 100, -100);
    StoreHueSatEntry(6, -180, -1, 0);
    ExpectField(0, 0, 0xE2, 0x3F);   // 16354
    ExpectField(0, 1, 0x64, 0x00);
    ExpectField(0, 2, 0x9C, 0x3F);   // 16284
    ExpectField(6, 0, 0x4C, 0x3F);   // 16204
    ExpectField(6, 1, 0xFF, 0x3F);
    ExpectField(6, 2, 0x00, 0x00);
    DecodeHueSatValues();
    EXPECT_EQ(HueSatValues.Hue[0], -30);
    EXPECT_EQ(HueSatValues.Saturation[0], 100);
    EXPECT_EQ(HueSatValues.Lightness[0], -100);
    EXPECT_EQ(HueSatValues.Hue[6], -180);
    EXPECT_EQ(HueSatValues.Saturation[6], -1);
}

TEST_F(ToneStateTest, EveryValueInRangeSurvivesTheRecord)
{
    for (int v = -180; v <= 180; v++) {
        int percent = v < -100 ? -100 : v > 100 ? 100 : v;
        StoreHueSatEntry(3, v, percent, -percent);
        DecodeHueSatValues();
        ASSERT_EQ(HueSatValues.Hue[3], v);
        ASSERT_EQ(HueSatValues.Saturation[3], percent);
        ASSERT_EQ(HueSatValues.Lightness[3], -percent);
    }
}

TEST_F(ToneStateTest, DecodingSubtractsTheBiasOnlyAboveTheRange)
{
    struct Case { uint16_t stored; int32_t limit, expected; } cases[] = {
        {180, 180, 180}, {181, 180, 181 - 16384}, {100, 100, 100}, {101, 100, 101 - 16384},
        {16383, 100, -1}, {16204, 180, -180}, {0, 180, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DecodeHueSatValue(c.stored, c.limit), c.expected) << c.stored;
}

TEST_F(ToneStateTest, DefaultButtonResetsEverything)
{
    memset(ToneState.ToneTables, 7, sizeof ToneState.ToneTables);
    SetAllHueSat(0, 15, 0);
    ScanSettings.Invert = 1;
    ScanSettings.Automatic = 0;
    ResetToneDefaults();
    EXPECT_TRUE(TablesAreIdentity());
    EXPECT_TRUE(RecordIsZero());
    for (int i = 0; i < 7; i++)
        EXPECT_EQ(HueSatValues.Saturation[i], 0);
    EXPECT_EQ(ScanSettings.Invert, 0);
    EXPECT_EQ(ScanSettings.Automatic, 1);
}

TEST_F(ToneStateTest, InvertActsOnAllModesAndTwiceRestores)
{
    ToneState.ToneTables[5] = 200;
    StoreHueSatEntry(0, 10, 0, 0);
    uint8_t before[TONE_STATE_SIZE];
    memcpy(before, &ToneState, sizeof before);

    ToggleInvert();
    EXPECT_EQ(ScanSettings.Invert, 1);
    EXPECT_EQ(ToneState.ToneTables[5], 55);
    EXPECT_EQ(ToneState.ToneTables[1024 + 0], 255) << "grey tables too";
    EXPECT_EQ(ToneState.ToneTables[2048 + 1023], 0) << "black and white tables too";
    EXPECT_EQ(memcmp(ToneState.HueSatRecord, before + 3072, 42), 0) << "record untouched";

    ToggleInvert();
    EXPECT_EQ(ScanSettings.Invert, 0);
    EXPECT_EQ(memcmp(&ToneState, before, sizeof before), 0);
}

TEST_F(ToneStateTest, AtDefaultLooksAtTheModeTableAndInColourAtTheRecord)
{
    struct Case { int offset; int recordByte; bool colour, grey, bw; } cases[] = {
        {-1, -1, true, true, true},
        {1023, -1, false, true, true},         // fourth table of colour
        {1024 + 300, -1, true, false, true},
        {2048, -1, true, true, false},
        {-1, 41, false, true, true},           // lightness of magenta
    };
    for (const Case &c : cases) {
        ResetToneState();
        if (c.offset >= 0)
            ToneState.ToneTables[c.offset] ^= 1;
        if (c.recordByte >= 0)
            ToneState.HueSatRecord[c.recordByte] = 1;
        EXPECT_EQ(ToneAtDefault(MODE_COLOUR), c.colour) << c.offset << "/" << c.recordByte;
        EXPECT_EQ(ToneAtDefault(MODE_GREY), c.grey) << c.offset << "/" << c.recordByte;
        EXPECT_EQ(ToneAtDefault(MODE_BW), c.bw) << c.offset << "/" << c.recordByte;
    }
}

TEST_F(ToneStateTest, AModeOutsideTheTablesSelectsTheColourTables)
{
    EXPECT_EQ(ModeTable(3), ToneState.ToneTables);
    EXPECT_EQ(ModeTable(-1), ToneState.ToneTables);
    EXPECT_EQ(ModeTable(MODE_BW), ToneState.ToneTables + 2048);
}

TEST_F(ToneStateTest, ReloadDecodesAndInvertsOnlyWhenTheSavedSettingDiffers)
{
    StoreHueSatEntry(0, -30, 20, 0);
    ScanSettings.SavedInvert = 0;
    ScanSettings.Invert = 0;
    ApplyReloadedToneState();
    EXPECT_EQ(HueSatValues.Hue[0], -30);
    EXPECT_EQ(HueSatValues.Saturation[0], 20);
    EXPECT_TRUE(TablesAreIdentity());
    ScanSettings.Invert = 1;
    ApplyReloadedToneState();
    EXPECT_EQ(ToneState.ToneTables[0], 255);
    EXPECT_EQ(ToneState.ToneTables[3071], 0);
}

TEST_F(ToneStateTest, HueSatConfirmationsAddUp)
{
    HueSatValueArrays working = {};
    working.Hue[0] = 30;
    working.Saturation[0] = 20;
    ComposeHueSat(working, true);
    ComposeHueSat(working, true);
    EXPECT_EQ(HueSatValues.Hue[0], 60);
    ExpectField(0, 0, 60, 0);
    ExpectField(0, 1, 0x28, 0x00);

    working.Hue[0] = -90;                      // preview: values change, record stays
    ComposeHueSat(working, false);
    EXPECT_EQ(HueSatValues.Hue[0], -30);
    ExpectField(0, 0, 60, 0);
    DecodeHueSatValues();                      // cancel
    EXPECT_EQ(HueSatValues.Hue[0], 60);
}

TEST_F(ToneStateTest, HueSatSumsStayWithinWhatTheRecordCanHold)
{
    StoreHueSatEntry(0, 170, -90, 95);
    HueSatValueArrays working = {};
    working.Hue[0] = 30;
    working.Saturation[0] = -50;
    working.Lightness[0] = 10;
    ComposeHueSat(working, true);
    DecodeHueSatValues();
    EXPECT_EQ(HueSatValues.Hue[0], 180);
    EXPECT_EQ(HueSatValues.Saturation[0], -100);
    EXPECT_EQ(HueSatValues.Lightness[0], 100);
}

TEST_F(ToneStateTest, AdjustmentsComposeOnTheBackupAndCancelRestores)
{
    uint8_t plusTen[256];
    for (int i = 0; i < 256; i++)
        plusTen[i] = uint8_t(i + 10 > 255 ? 255 : i + 10);
    uint8_t *green = ModeTable(MODE_COLOUR) + 256;

    for (int opening = 0; opening < 2; opening++) {
        BeginAdjustment(MODE_COLOUR);
        ComposeChannel(MODE_COLOUR, CHANNEL_GREEN, plusTen);
        ComposeChannel(MODE_COLOUR, CHANNEL_GREEN, plusTen);   // preview, then OK
    }
    EXPECT_EQ(green[0], 20);
    EXPECT_EQ(green[250], 255);
    EXPECT_EQ(ModeTable(MODE_COLOUR)[0], 0) << "red untouched";

    BeginAdjustment(MODE_COLOUR);
    ComposeChannel(MODE_COLOUR, CHANNEL_BLUE, plusTen);
    CopyBlueToFourth(MODE_COLOUR);
    EXPECT_EQ(ModeTable(MODE_COLOUR)[768 + 5], 15);
    CancelAdjustment(MODE_COLOUR);
    EXPECT_EQ(ModeTable(MODE_COLOUR)[768 + 5], 5);
    EXPECT_EQ(ModeTable(MODE_COLOUR)[512 + 5], 5);
    EXPECT_EQ(green[0], 20);
}

} // namespace
