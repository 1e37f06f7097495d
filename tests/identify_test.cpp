// Identification of the scanner over the simulated bus: which scanners this
// build accepts, what it records when it does not, and the model lists.
#include <gtest/gtest.h>
#include <windows.h>
#include <stdio.h>
#include <string>
#include "device/aspi_library.h"
#include "device/device_ops.h"
#include "device/identify.h"
#include "ds/library_attach.h"
#include "ds/source_state.h"
#include "tests/support/simulator.h"
#include "ui/scan_settings.h"

namespace {

class Identification_ : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AttachLibrary(GetModuleHandleA(nullptr)));
        AspiUnload();
        AspiLoad();
        ASSERT_TRUE(sim.Attach());
        ScanSettings.InterfaceIndex = 25;
        ScanSettings.Model = 0;
        ScanSettings.Left = ScanSettings.Top = 200;
        ScanSettings.Right = ScanSettings.Bottom = 600;
        ScanSettings.PrescanLength = 1400;
        Identification.identified = 0;
    }
    void TearDown() override { AspiUnload(); }
    void Configure(const std::string &extra)
    {
        ASSERT_EQ(sim.configure((std::string(OwnModelConfig()) + ";" + extra).c_str()), 0);
    }
    Simulator sim;
};

#if DS_MODEL_600
const char *const kOtherModel = "model=QS52D0";
#else
const char *const kOtherModel = "model=QS71B0";
#endif

TEST_F(Identification_, OwnModelSetsTheModelConstants)
{
    for (const char *placement : {"ident=standard", "ident=page82", "ident=both;page82_at=9"}) {
        SCOPED_TRACE(placement);
        Configure(placement);
        ScanSettings.Model = 5;
        Identify(nullptr);
        EXPECT_EQ(Identification.modelCode, ThisModel.modelCode);
        EXPECT_EQ(Identification.transportNumber, 4);
        EXPECT_EQ(Identification.identified, 1);
        EXPECT_EQ(Identification.opticalResolution, ThisModel.opticalResolution);
        EXPECT_EQ(Identification.maxInterpolated, DS_MODEL_600 ? 9600 : 4800);
        EXPECT_STREQ(Identification.displayName, ProductName);
        EXPECT_STREQ(Identification.prescanFile, DS_MODEL_600 ? "QS71B0.TMP" : "QS52D0.TMP");
        EXPECT_STREQ(Identification.findIdentifier, ThisModel.identifier);
        EXPECT_EQ(ScanSettings.Model, 0) << "the model index is stored as 0 from now on";
        EXPECT_TRUE(ScannerPresent());
    }
}

struct Outcome {
    const char *name;
    std::string config;     // after the model; "" with library false: no ASPI at all
    int interfaceIndex;
    int model;              // saved model index
    int modelCode;
    int transport;
};

TEST_F(Identification_, ScannersThisBuildDoesNotAcceptLeaveTheModelUnknown)
{
    const Outcome cases[] = {
        {"another model of the list", kOtherModel, 25, 0, MODEL_NOT_OURS, 4},
        {"a listed model found by its own identifier", "model=QS22K0", 25, 1, MODEL_NOT_OURS, 4},
        {"not a scanner", "type=3", 25, 0, MODEL_NOT_FOUND, 4},
        {"garbage inquiry", "inq_garbage=1", 25, 0, MODEL_NOT_FOUND, 4},
        {"short inquiry", "inq_len=20", 25, 0, MODEL_NOT_FOUND, 4},
        {"no adapters", "adapters=0", 25, 0, MODEL_STARTED, -1},
        {"an adapter card index", "", 3, 0, MODEL_STARTED, -1},
        {"a jumperless card index", "", 20, 0, MODEL_STARTED, -1},
        {"an index outside the table", "", 99, 0, MODEL_STARTED, -1},
    };
    for (const Outcome &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.config.rfind("model=", 0) == 0)
            ASSERT_EQ(sim.configure(c.config.c_str()), 0);
        else
            Configure(c.config);
        ScanSettings.InterfaceIndex = c.interfaceIndex;
        ScanSettings.Model = c.model;
        Identify(nullptr);
        EXPECT_EQ(Identification.modelCode, c.modelCode);
        EXPECT_EQ(Identification.transportNumber, c.transport);
        EXPECT_EQ(Identification.opticalResolution, 0);
        EXPECT_STREQ(Identification.displayName, "Unknown");
        EXPECT_FALSE(ScannerPresent());
    }
}

TEST_F(Identification_, NoAspiLibraryGivesTransportMinusOne)
{
    AspiUnload();
    char system[MAX_PATH], library[MAX_PATH + 16], aside[MAX_PATH + 16];
    GetSystemDirectoryA(system, MAX_PATH);
    snprintf(library, sizeof library, "%s\\wnaspi32.dll", system);
    snprintf(aside, sizeof aside, "%s\\wnaspi32.aside", system);
    ASSERT_TRUE(MoveFileA(library, aside));
    AspiLoad();
    bool loaded = AspiLoaded();
    MoveFileA(aside, library);
    EXPECT_FALSE(loaded) << "a missing library is no error and binds nothing";
    Identify(nullptr);
    EXPECT_EQ(Identification.transportNumber, -1);
    EXPECT_EQ(Identification.modelCode, MODEL_STARTED);
}

TEST_F(Identification_, SelectionOutsideTheBedIsReset)
{
    Configure("ident=standard");
    ScanSettings.Left = ScanSettings.Top = 0;
    ScanSettings.Right = 850;
    ScanSettings.Bottom = 1400;
    ScanSettings.PrescanLength = 1400;
    Identify(nullptr);
#if DS_MODEL_600
    EXPECT_EQ(ScanSettings.Right, 826);
    EXPECT_EQ(ScanSettings.Bottom, 1167);
    EXPECT_EQ(ScanSettings.PrescanLength, 1167);
#else
    EXPECT_EQ(ScanSettings.Right, 850);
    EXPECT_EQ(ScanSettings.Bottom, 1400);
    EXPECT_EQ(ScanSettings.PrescanLength, 1400);
#endif
}

TEST_F(Identification_, TheIdentifiedFlagSurvivesAnEarlyFailure)
{
    Configure("ident=standard");
    Identify(nullptr);
    ASSERT_EQ(Identification.identified, 1);
    ASSERT_EQ(sim.configure("type=3"), 0);
    Identify(nullptr);
    EXPECT_EQ(Identification.modelCode, MODEL_NOT_FOUND);
    EXPECT_EQ(Identification.identified, 1) << "the vendor check was never reached";
    ASSERT_EQ(sim.configure(kOtherModel), 0);
    Identify(nullptr);
    EXPECT_EQ(Identification.identified, 0) << "the vendor check ran and refused";
}

TEST_F(Identification_, ModelDisplayTable)
{
    char name[40];
    const struct {
        int index;
        const char *name;
    } rows[] = {{1, " QS22K0"}, {2, " Morv PX3"}, {10, " Qor DX-KL510/SR"}, {15, " Morv 7130"},
                {16, "Unknown"}, {-1, "Unknown"}};
    for (auto &r : rows) {
        ModelDisplayName(name, r.index);
        EXPECT_STREQ(name, r.name) << r.index;
    }
    ModelDisplayName(name, 0);
    EXPECT_STREQ(name, ProductName);
}

} // namespace
