// Settings file and map file, exercised on the library's own code linked
// into the test program (with the same resources).
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "adjust/tone_state.h"
#include "ds/library_attach.h"
#include "ds/source_state.h"
#include "tests/support/source_session.h"
#include "ui/scan_settings.h"
#include "ui/settings_store.h"

namespace {

std::string Profile(const char *section, const char *key)
{
    char value[64];
    GetPrivateProfileStringA(section, key, "<absent>", value, sizeof value, "QSXXXX.INI");
    return value;
}

void SetProfile(const char *section, const char *key, const char *value)
{
    WritePrivateProfileStringA(section, key, value, "QSXXXX.INI");
}

std::string IdentityBlock()
{
    std::string block(TONE_STATE_SIZE, '\0');
    for (int i = 0; i < TONE_TABLES_SIZE; i++)
        block[i] = char(i % 256);
    return block;
}

std::string ToneStateBytes()
{
    return std::string(reinterpret_cast<const char *>(&ToneState), sizeof ToneState);
}

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AttachLibrary(GetModuleHandleA(nullptr)));
        ForgetSavedSettings();
    }
    void TearDown() override { ForgetSavedSettings(); }
};

TEST_F(SettingsStore, FirstUseTakesDefaultsAndWritesEveryKey)
{
    WriteWholeFile(MapFilePath(), std::string(TONE_STATE_SIZE, '\x55'));
    ScanSettings.Resolution = 1234;
    ReadSettings();
    EXPECT_EQ(ReadWholeFile(MapFilePath()), "") << "first use deletes the map file";
    EXPECT_EQ(ToneStateBytes(), IdentityBlock());
    EXPECT_EQ(ScanSettings.Resolution, 300);
    EXPECT_EQ(ScanSettings.InterfaceIndex, 25);
    EXPECT_EQ(ScanSettings.PrescanLength, 1400);
    EXPECT_EQ(ScanSettings.Right, 600);
    EXPECT_EQ(ScanSettings.Brightness, 128);
    EXPECT_EQ(ScanSettings.XEffective, 300);

    WriteSettings();
    const char *expected[][2] = {
        {"I/O ADDR", "25"}, {"Mode", "0"}, {"Resolution", "300"}, {"Scaling", "0"},
        {"X-Scaling", "100"}, {"Y-Scaling", "100"}, {"Transparency", "0"}, {"Speed", "0"},
        {"Filter", "0"}, {"Dither", "0"}, {"Unit", "0"}, {"Prescan Length", "1400"},
        {"Automatic", "0"}, {"Flip", "0"}, {"Invert", "0"}, {"Top", "200"}, {"Bottom", "600"},
        {"Left", "200"}, {"Right", "600"}, {"Width", "400"}, {"Length", "400"}, {"Model", "0"},
    };
    for (auto &kv : expected)
        EXPECT_EQ(Profile(ProductSection(), kv[0]), kv[1]) << kv[0];
    char keys[2048];
    DWORD got = GetPrivateProfileStringA(ProductSection(), nullptr, "", keys, sizeof keys, "QSXXXX.INI");
    int count = 0;
    for (DWORD i = 0; i < got; i += strlen(keys + i) + 1)
        count++;
    EXPECT_EQ(count, 22);
    EXPECT_EQ(ReadWholeFile(MapFilePath()), IdentityBlock());
}

TEST_F(SettingsStore, ToneStateIsNeutralFromAttachOn)
{
    memset(&ToneState, 0, sizeof ToneState);
    ASSERT_TRUE(AttachLibrary(GetModuleHandleA(nullptr)));
    EXPECT_EQ(ToneStateBytes(), IdentityBlock());
    // A short map file then replaces only its own bytes of a neutral state.
    WritePrivateProfileStringA(ProductSection(), "Invert", "0", "QSXXXX.INI");
    WriteWholeFile(MapFilePath(), std::string(100, '\x33'));
    ReadSettings();
    EXPECT_EQ(ToneStateBytes(), std::string(100, '\x33') + IdentityBlock().substr(100));
}

TEST_F(SettingsStore, ValuesAndToneStateRoundTrip)
{
    ReadSettings();
    ScanSettings.Mode = 2;
    ScanSettings.Resolution = 65535;
    ScanSettings.XScaling = 250;
    ScanSettings.Left = -5;
    ScanSettings.Model = 14;
    ToneState.ToneTables[5] = 0;
    ToneState.HueSatRecord[41] = 7;
    WriteSettings();
    EXPECT_EQ(Profile(ProductSection(), "Resolution"), "65535");
    EXPECT_EQ(Profile(ProductSection(), "Left"), "-5");
    ScanSettingsRecord written = ScanSettings;
    std::string tone = ToneStateBytes();

    ScanSettings = ScanSettingsRecord();
    ResetToneState();
    ReadSettings();
    EXPECT_EQ(ScanSettings.Mode, 2);
    EXPECT_EQ(ScanSettings.Resolution, 65535);
    EXPECT_EQ(ScanSettings.XScaling, 250);
    EXPECT_EQ(ScanSettings.Left, -5);
    EXPECT_EQ(ScanSettings.Model, 14);
    EXPECT_EQ(ScanSettings.XEffective, uint16_t(65535u * 250 / 100));
    EXPECT_EQ(memcmp(&written, &ScanSettings, offsetof(ScanSettingsRecord, Brightness)), 0);
    EXPECT_EQ(ToneStateBytes(), tone);
}

TEST_F(SettingsStore, CorruptValuesAreTakenAsTheyReadWithoutCrash)
{
    SetProfile(ProductSection(), "Invert", "0");
    SetProfile(ProductSection(), "Resolution", "65536");
    SetProfile(ProductSection(), "Mode", "garbage");
    SetProfile(ProductSection(), "X-Scaling", "150");
    SetProfile(ProductSection(), "Top", "");
    ReadSettings();
    EXPECT_EQ(ScanSettings.Resolution, 0) << "65536 does not fit the 16-bit field";
    EXPECT_EQ(ScanSettings.Mode, 0);
    EXPECT_EQ(ScanSettings.Top, 200) << "the system reads an empty value as absent";
    EXPECT_EQ(ScanSettings.Bottom, 600) << "a missing key takes its default";
    EXPECT_EQ(ScanSettings.XEffective, 0);
}

TEST_F(SettingsStore, EachProductReadsOnlyItsOwnSection)
{
    SetProfile("Some Other Scanner", "Invert", "0");
    SetProfile("Some Other Scanner", "Resolution", "1200");
    ReadSettings();
    EXPECT_EQ(ScanSettings.Resolution, 300);
}

TEST_F(SettingsStore, DerivedResolutionsFollowTheRatios)
{
    SetProfile(ProductSection(), "Invert", "0");
    SetProfile(ProductSection(), "Resolution", "300");
    SetProfile(ProductSection(), "X-Scaling", "150");
    SetProfile(ProductSection(), "Y-Scaling", "100");
    ReadSettings();
    EXPECT_EQ(ScanSettings.XEffective, 450);
    EXPECT_EQ(ScanSettings.YEffective, 300);
}

// Map files of every shape the disk may hold, after a first read has put
// known bytes in memory.
TEST_F(SettingsStore, MapFileShapes)
{
    SetProfile(ProductSection(), "Invert", "0");   // not a first use: the map file is read
    std::string known(TONE_STATE_SIZE, '\x11');

    struct Case {
        const char *name;
        std::string file;      // contents; "" with exists false: no file
        bool exists;
        std::string expected;
    } cases[] = {
        {"full", std::string(TONE_STATE_SIZE, '\x22'), true, std::string(TONE_STATE_SIZE, '\x22')},
        {"100 bytes", std::string(100, '\x33'), true, std::string(100, '\x33') + known.substr(100)},
        {"empty", "", true, known},
        {"missing", "", false, IdentityBlock()},
        {"longer", std::string(TONE_STATE_SIZE + 50, '\x44'), true, std::string(TONE_STATE_SIZE, '\x44')},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        memcpy(&ToneState, known.data(), TONE_STATE_SIZE);
        DeleteFileA(MapFilePath().c_str());
        if (c.exists)
            WriteWholeFile(MapFilePath(), c.file);
        ReadSettings();
        EXPECT_EQ(ToneStateBytes(), c.expected);
    }
}

TEST_F(SettingsStore, MapFileThatCannotBeOpenedResetsTheToneState)
{
    SetProfile(ProductSection(), "Invert", "0");
    WriteWholeFile(MapFilePath(), std::string(TONE_STATE_SIZE, '\x22'));
    HANDLE held = CreateFileA(MapFilePath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    memset(&ToneState, 0x11, sizeof ToneState);
    ReadSettings();
    CloseHandle(held);
    EXPECT_EQ(ToneStateBytes(), IdentityBlock());
}

TEST_F(SettingsStore, LosingOnlyTheMapFileKeepsTheSettings)
{
    ReadSettings();
    ScanSettings.Resolution = 600;
    ToneState.ToneTables[0] = 99;
    WriteSettings();
    DeleteFileA(MapFilePath().c_str());
    ReadSettings();
    EXPECT_EQ(ScanSettings.Resolution, 600);
    EXPECT_EQ(ToneStateBytes(), IdentityBlock());
}

} // namespace
