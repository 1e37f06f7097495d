// The source's spine as an application sees it through DS_Entry: identity,
// the state table, failure boxes, status and bad input.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <memory>
#include "sim/sim_control.h"
#include "tests/support/msgbox_capture.h"
#include "tests/support/source_session.h"

namespace {

const char kSeqError[] = "DG DAT MSG is out of expected sequence.";
const char kProtocolError[] = "プロトコルエラー。";

class SourceStates : public ::testing::Test {
protected:
    void SetUp() override
    {
        ForgetSavedSettings();
        Restart();
    }
    // Unloads the source and loads it afresh, back at state 3.
    void Restart()
    {
        session.reset();
        session.reset(new SourceSession);
        ASSERT_TRUE(session->loaded()) << "DS_UNDER_TEST must name a loadable source";
    }
    MessageBoxCapture boxes;
    std::unique_ptr<SourceSession> session;
    SourceSession &ds() { return *session; }

    void ExpectOneBox(const std::string &text)
    {
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, text);
        EXPECT_EQ(boxes.boxes()[0].caption, ProductSection());
        boxes.clear();
    }
    void ExpectNoBox() { EXPECT_TRUE(boxes.boxes().empty()); }
};

// Byte offsets of the exchanged identity in this build's layout.
#if DS_BUILD_X
const size_t kIdentitySize = 156, kGroupsAt = 50, kManufacturerAt = 54, kFamilyAt = 88, kNameAt = 122;
const char kVersionInfo[] = "Version 4.12X Apr. 10, 1996";
#else
const size_t kIdentitySize = 160, kGroupsAt = 52, kManufacturerAt = 56, kFamilyAt = 90, kNameAt = 124;
const char kVersionInfo[] = "Version 4.12 Sep. 25, 1995";
#endif

TEST_F(SourceStates, IdentityBeforeOpenHasTheBuildsLayoutAndValues)
{
    unsigned char raw[200];
    memset(raw, 0xCC, sizeof raw);
    ASSERT_EQ(ds().call(DG_CONTROL, DAT_IDENTITY, MSG_GET, raw), TWRC_SUCCESS);
    EXPECT_EQ(raw[kIdentitySize], 0xCC) << "wrote past the identity";
    uint32_t id, groups;
    memcpy(&id, raw, 4);
    memcpy(&groups, raw + kGroupsAt, 4);
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(groups, 3u);
    uint16_t words[6];
    memcpy(words, raw + 4, 8);
    memcpy(words + 4, raw + 46, 4);
    EXPECT_EQ(words[0], 1);
    EXPECT_EQ(words[1], 5);
    EXPECT_EQ(words[2], 13);
    EXPECT_EQ(words[3], 1);
    EXPECT_EQ(words[4], 1);
    EXPECT_EQ(words[5], 5);
    EXPECT_STREQ(reinterpret_cast<char *>(raw + 12), kVersionInfo);
    EXPECT_STREQ(reinterpret_cast<char *>(raw + kManufacturerAt), " ");
    EXPECT_EQ(AnsiToUtf8(reinterpret_cast<char *>(raw + kFamilyAt)), "スキャナ");
    EXPECT_STREQ(reinterpret_cast<char *>(raw + kNameAt), ProductSection());
}

TEST_F(SourceStates, IdentityAfterOpenIsTheRecordTheManagerPassed)
{
    ASSERT_EQ(ds().open(), TWRC_SUCCESS);
    TW_IDENTITY got;
    memset(&got, 0, sizeof got);
    ASSERT_EQ(ds().call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &got), TWRC_SUCCESS);
    EXPECT_EQ(got.Id, 42u);
    EXPECT_EQ(memcmp(&got, &ds().assigned, sizeof got), 0);
    ExpectNoBox();
}

// Brings a fresh source to a state of the table: 3 loaded, 4 open,
// 5 enabled without a scanner (close request sent).
void Reach(SourceSession &ds, int state)
{
    if (state >= 4) {
        ASSERT_EQ(ds.open(), TWRC_SUCCESS);
    }
    if (state >= 5) {
        ASSERT_EQ(ds.enable(1), TWRC_FAILURE);
    }
}

struct WrongStateCase {
    int state;
    TW_UINT16 dat, msg;
    const char *box;   // primary text, followed by the sequence error text
};

TEST_F(SourceStates, TripletsInTheWrongStateFailWithTheirBox)
{
    const WrongStateCase cases[] = {
        {4, DAT_IDENTITY, MSG_OPENDS, "General failure in response to MSG_OPENDS.  "},
        {3, DAT_IDENTITY, MSG_CLOSEDS, "General failure in response to MSG_CLOSEDS.  "},
        {3, DAT_USERINTERFACE, MSG_ENABLEDS, "General failure in response to MSG_ENABLEDS.  "},
        {5, DAT_USERINTERFACE, MSG_ENABLEDS, "General failure in response to MSG_ENABLEDS.  "},
        {3, DAT_USERINTERFACE, MSG_DISABLEDS, "General failure in response to MSG_DISABLEDS.  "},
        {4, DAT_USERINTERFACE, MSG_DISABLEDS, "General failure in response to MSG_DISABLEDS.  "},
    };
    for (const WrongStateCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "state " << c.state << " msg " << c.msg);
        Restart();
        SourceSession &fresh = ds();
        Reach(fresh, c.state);
        boxes.clear();
        TW_IDENTITY identity = fresh.assigned;
        TW_USERINTERFACE ui = {0, 0, fresh.parent};
        void *data = c.dat == DAT_IDENTITY ? static_cast<void *>(&identity) : static_cast<void *>(&ui);
        EXPECT_EQ(fresh.call(DG_CONTROL, c.dat, c.msg, data), TWRC_FAILURE);
        ExpectOneBox(std::string(c.box) + kSeqError);
        EXPECT_EQ(fresh.status(), TWCC_SEQERROR);
        EXPECT_EQ(fresh.status(), TWCC_SUCCESS) << "status reports a failure once";
    }
}

TEST_F(SourceStates, UnknownMessagesOfEachOwnTripletShowTheirBox)
{
    ASSERT_EQ(ds().open(), TWRC_SUCCESS);
    TW_IDENTITY identity = ds().assigned;
    TW_USERINTERFACE ui = {0, 0, ds().parent};
    TW_STATUS status;
    struct {
        TW_UINT16 dat;
        void *data;
        const char *box;
    } cases[] = {
        {DAT_IDENTITY, &identity, "General failure in response to DAT_IDENTITY.  "},
        {DAT_USERINTERFACE, &ui, "General failure in response to DAT_USERINTERFACE.  "},
        {DAT_STATUS, &status, "General failure in response to DAT_STATUS.  "},
    };
    for (auto &c : cases) {
        EXPECT_EQ(ds().call(DG_CONTROL, c.dat, MSG_GETFIRST, c.data), TWRC_FAILURE);
        ExpectOneBox(std::string(c.box) + kProtocolError);
        EXPECT_EQ(ds().status(), TWCC_BADPROTOCOL);
    }
}

TEST_F(SourceStates, OpenEnableDisableCloseWalkTheStates)
{
    ASSERT_EQ(ds().open(), TWRC_SUCCESS);
    // No scanner answers: enabling asks the application to close us, state 5.
    EXPECT_EQ(ds().enable(1), TWRC_FAILURE);
    ASSERT_EQ(ds().sent.size(), 1u);
    EXPECT_EQ(ds().sent[0].msg, MSG_CLOSEDSREQ);
    EXPECT_EQ(ds().sent[0].dat, DAT_NULL);
    EXPECT_EQ(ds().sent[0].originId, 42u);
    EXPECT_EQ(ds().sent[0].destId, 7u);
    EXPECT_EQ(ds().status(), TWCC_SUCCESS) << "the no-scanner path leaves the condition code";
    EXPECT_EQ(ds().disable(), TWRC_SUCCESS);
    EXPECT_EQ(ds().close(), TWRC_SUCCESS);
    EXPECT_EQ(ds().open(), TWRC_SUCCESS) << "closed again: state 3";
    ExpectNoBox();
}

TEST_F(SourceStates, TripletsOfASecondApplicationAreIgnored)
{
    ASSERT_EQ(ds().open(), TWRC_SUCCESS);
    TW_IDENTITY other = ds().app;
    other.Id = 8;
    TW_IDENTITY identity = ds().assigned;
    EXPECT_NE(ds().callAs(&other, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity), TWRC_SUCCESS);
    EXPECT_NE(ds().callAs(&other, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &identity), TWRC_SUCCESS);
    ExpectNoBox();
    EXPECT_EQ(ds().close(), TWRC_SUCCESS) << "the first application still has the source open";
}

TEST_F(SourceStates, ProcessEventWithoutDialogLeavesTheEventAlone)
{
    MSG msg = {ds().parent, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    TW_EVENT event = {&msg, 0x1234};
    EXPECT_EQ(ds().call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
    EXPECT_EQ(event.TWMessage, 0x1234);
}

TEST_F(SourceStates, BadInputGetsAReturnCodeNotACrash)
{
    ASSERT_EQ(ds().open(), TWRC_SUCCESS);
    TW_EVENT noEvent = {nullptr, 0x1234};
    EXPECT_EQ(ds().call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &noEvent), TWRC_NOTDSEVENT);
    EXPECT_EQ(ds().call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, nullptr), TWRC_NOTDSEVENT);
    const TW_UINT16 dats[] = {DAT_IDENTITY, DAT_USERINTERFACE, DAT_STATUS, DAT_CAPABILITY,
                              DAT_PENDINGXFERS, DAT_SETUPMEMXFER, DAT_SETUPFILEXFER};
    for (TW_UINT16 dat : dats) {
        EXPECT_EQ(ds().call(DG_CONTROL, dat, MSG_GET, nullptr), TWRC_FAILURE) << dat;
        EXPECT_EQ(ds().status(), TWCC_BADVALUE) << dat;
    }
    EXPECT_EQ(ds().call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, nullptr), TWRC_FAILURE);
    char scratch[64] = {0};
    EXPECT_EQ(ds().call(DG_CONTROL, 0x7777, MSG_GET, scratch), TWRC_FAILURE);
    EXPECT_EQ(ds().status(), TWCC_BADPROTOCOL);
    EXPECT_EQ(ds().call(DG_IMAGE, 0x0199, MSG_GET, scratch), TWRC_FAILURE);
    EXPECT_EQ(ds().status(), TWCC_BADPROTOCOL);
    EXPECT_EQ(ds().call(0x0004, DAT_IDENTITY, MSG_GET, scratch), TWRC_FAILURE);
    EXPECT_EQ(ds().call(DG_CONTROL, DAT_IDENTITY, 0x7777, scratch), TWRC_FAILURE);
    EXPECT_EQ(ds().status(), TWCC_BADPROTOCOL);
    boxes.clear();
    // MSG_OPENDS from a null origin while nobody has the source open.
    Restart();
    TW_IDENTITY identity = ds().assigned;
    EXPECT_EQ(ds().callAs(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &identity), TWRC_FAILURE);
    EXPECT_EQ(ds().open(), TWRC_SUCCESS) << "the failed open left state 3";
}

TEST_F(SourceStates, CloseAndReopenLoadsTheAspiLibraryAgain)
{
    ASSERT_EQ(GetModuleHandleA("WNASPI32.DLL"), nullptr);
    ASSERT_EQ(ds().open(), TWRC_SUCCESS);
    EXPECT_NE(GetModuleHandleA("WNASPI32.DLL"), nullptr);
    ASSERT_EQ(ds().close(), TWRC_SUCCESS);
    EXPECT_EQ(GetModuleHandleA("WNASPI32.DLL"), nullptr);
    ASSERT_EQ(ds().open(), TWRC_SUCCESS);
    EXPECT_NE(GetModuleHandleA("WNASPI32.DLL"), nullptr);
}

} // namespace

namespace {

#if DS_MODEL_600
const char kScannerConfig[] = "model=QS71B0";
#else
const char kScannerConfig[] = "model=QS52D0";
#endif

// The simulated scanner of this build's model on the bus for one test; the
// other tests run with an empty bus.
class WithScanner : public SourceStates {
protected:
    void SetUp() override
    {
        aspi = LoadLibraryA("wnaspi32.dll");
        ASSERT_NE(aspi, nullptr);
        configure = reinterpret_cast<SimConfigureFn>(
            reinterpret_cast<void *>(GetProcAddress(aspi, "Sim_Configure")));
        ASSERT_NE(configure, nullptr) << "the simulator must stand in for ASPI";
        ASSERT_EQ(configure(kScannerConfig), 0);
        SourceStates::SetUp();
    }
    void TearDown() override
    {
        session.reset();
        if (configure != nullptr)
            configure("adapters=0");
        if (aspi != nullptr)
            FreeLibrary(aspi);
    }
    HMODULE aspi = nullptr;
    SimConfigureFn configure = nullptr;
};

TEST_F(WithScanner, EnableWithoutDialogSavesSettingsAndAnnouncesTheTransfer)
{
    ASSERT_EQ(ds().open(), TWRC_SUCCESS);
    EXPECT_EQ(ReadWholeFile(SettingsFilePath()), "") << "opening saves nothing";
    ASSERT_EQ(ds().enable(0), TWRC_SUCCESS);
    ASSERT_EQ(ds().sent.size(), 1u);
    EXPECT_EQ(ds().sent[0].msg, MSG_XFERREADY);
    EXPECT_EQ(ds().sent[0].originId, 42u);
    EXPECT_EQ(ds().sent[0].destId, 7u);
    // State 6: enabling again is out of sequence, disabling is accepted.
    EXPECT_EQ(ds().enable(0), TWRC_FAILURE);
    ExpectOneBox(std::string("General failure in response to MSG_ENABLEDS.  ") + kSeqError);
    EXPECT_EQ(ds().disable(), TWRC_SUCCESS);

    char value[32];
    GetPrivateProfileStringA(ProductSection(), "Resolution", "", value, sizeof value, "QSXXXX.INI");
    EXPECT_STREQ(value, "300");
    GetPrivateProfileStringA(ProductSection(), "I/O ADDR", "", value, sizeof value, "QSXXXX.INI");
    EXPECT_STREQ(value, "25");
    EXPECT_EQ(ReadWholeFile(MapFilePath()).size(), 3114u);
}

} // namespace

namespace {

TEST(Exports, EveryEntryByNameAndOrdinal)
{
    const char *path = getenv("DS_UNDER_TEST");
    ASSERT_NE(path, nullptr);
    HMODULE source = LoadLibraryA(path);
    ASSERT_NE(source, nullptr);
    const struct {
        int ordinal;
        const char *name;
    } exports[] = {{1, "DS_Entry"}, {3, "LineFunc"}, {4, "LineProc"}, {5, "Setting"}, {6, "AbortBox"},
                   {7, "AbortCancel"}, {8, "About"}, {10, "Calib"}, {11, "Diagnostic"}, {15, "BrigCont"},
                   {17, "Curve"}, {18, "Level"}, {19, "Balance"}, {20, "HueSat"}};
    for (auto &e : exports) {
        FARPROC byName = GetProcAddress(source, e.name);
        EXPECT_NE(byName, nullptr) << e.name;
        EXPECT_EQ(GetProcAddress(source, MAKEINTRESOURCEA(e.ordinal)), byName) << e.name;
    }
    for (int unused : {2, 9, 12, 13, 14, 16})
        EXPECT_EQ(GetProcAddress(source, MAKEINTRESOURCEA(unused)), nullptr) << unused;
    FreeLibrary(source);
}

} // namespace
