// Stopping scans: the user's cancel in the progress box, and a disk that
// runs out of room. Nothing half-made is left behind and nothing the user
// set is changed.
#include <gtest/gtest.h>
#include <windows.h>
#include <stdlib.h>
#include <string>
#include "adjust/tone_state.h"
#include "device/aspi_library.h"
#include "device/device_ops.h"
#include "device/identify.h"
#include "ds/library_attach.h"
#include "ds/source_state.h"
#include "ds/transfer_setup.h"
#include "ds/triplets.h"
#include "ds/work_buffers.h"
#include "scan/acquisition.h"
#include "scan/scan_window.h"
#include "scan/temp_files.h"
#include "tests/support/msgbox_capture.h"
#include "tests/support/simulator.h"
#include "ui/scan_settings.h"

namespace {

enum { PROGRESS_MESSAGE = 801 };

// Keeps pressing "中止" or Esc in the progress box from the moment it appears:
// presses before the first progress are ignored by design, so the press that
// counts is the first one after the scan has made progress.
struct ProgressCanceller {
    static HHOOK hook;
    static bool useEscape;
    static int boxesSeen;
    static void CALLBACK Press(HWND box, UINT, UINT_PTR, DWORD)
    {
        if (useEscape)
            PostMessageA(GetDlgItem(box, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
        else
            PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    }
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_ACTIVATE) {
            HWND window = reinterpret_cast<HWND>(wParam);
            if (GetDlgItem(window, PROGRESS_MESSAGE) != nullptr) {
                boxesSeen++;
                SetTimer(window, 1, 1, Press);
            }
        }
        return CallNextHookEx(hook, code, wParam, lParam);
    }
    explicit ProgressCanceller(bool escape)
    {
        useEscape = escape;
        boxesSeen = 0;
        hook = SetWindowsHookExA(WH_CBT, Watch, nullptr, GetCurrentThreadId());
    }
    ~ProgressCanceller() { UnhookWindowsHookEx(hook); }
};
HHOOK ProgressCanceller::hook;
bool ProgressCanceller::useEscape;
int ProgressCanceller::boxesSeen;

class StoppedScans : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AttachLibrary(GetModuleHandleA(nullptr)));
        AspiUnload();
        ASSERT_TRUE(IdentifySimulatedScanner(sim, "chunk=3000"));
        ResetToneState();
        DecodeHueSatValues();
        Job = JobFlags();
        ScanSettings.Mode = MODE_GREY;
        ScanSettings.Resolution = ScanSettings.XEffective = ScanSettings.YEffective = 300;
        ScanSettings.Source = SOURCE_REFLECTIVE;
        ScanSettings.Left = ScanSettings.Top = 100;
        ScanSettings.Width = ScanSettings.Length = 300;
        ScanSettings.Right = ScanSettings.Bottom = 400;
    }
    void TearDown() override { AspiUnload(); }
    bool LastCommandEndedTheScan()
    {
        std::vector<SimLogEntry> log = sim.Log();
        return !log.empty() && log.back().cdb[0] == 0x1B;
    }
    Simulator sim;
    MessageBoxCapture boxes;
};

TEST_F(StoppedScans, CancelInTheProgressBoxDropsTheScanFile)
{
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Esc" : "button");
        ASSERT_EQ(PrepareFinalScan(), 1);
        ProgressCanceller cancel(escape);
        EXPECT_EQ(ScanToTempFile(), TEMP_SCAN_CANCELLED);
        EXPECT_EQ(ProgressCanceller::boxesSeen, 1);
        EXPECT_EQ(GetFileAttributesA(TempScanFilePath), INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(LastCommandEndedTheScan());
        EXPECT_EQ(WorkBufferDepth(), 0);
        EXPECT_FALSE(Job.busy);
    }
    EXPECT_TRUE(boxes.boxes().empty()) << "a cancel is not an error";
}

TEST_F(StoppedScans, ACancelledPrescanKeepsThePreviewAndTheSettings)
{
    char path[MAX_PATH];
    ASSERT_TRUE(TempFilePath(Identification.prescanFile, path, sizeof path));
    HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(f, "earlier preview", 15, &written, nullptr);
    CloseHandle(f);
    ScanSettingsRecord before = ScanSettings;
    ProgressCanceller cancel(false);
    PreviewRequest request = {SCAN_PRESCAN, 180, 255, 255, {}};
    EXPECT_EQ(PrescanOrZoom(nullptr, request), 0);
    EXPECT_EQ(memcmp(&before, &ScanSettings, sizeof before), 0);
    char kept[32] = "";
    f = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ReadFile(f, kept, sizeof kept - 1, &written, nullptr);
    CloseHandle(f);
    EXPECT_STREQ(kept, "earlier preview");
    EXPECT_FALSE(Job.prescan);
}

// Runs only where the test script could give it a small disk (QS_SMALL_DISK
// names its drive, e.g. "T:\").
class SmallDisk : public StoppedScans {
protected:
    void SetUp() override
    {
        const char *disk = getenv("QS_SMALL_DISK");
        if (disk == nullptr || *disk == 0)
            GTEST_SKIP() << "no small disk prepared";
        drive = disk;
        StoppedScans::SetUp();
        SetEnvironmentVariableA("TMP", disk);
        SetEnvironmentVariableA("TEMP", disk);
    }
    std::string drive;
};

TEST_F(SmallDisk, NotEnoughRoomIsToldBeforeScanning)
{
    ScanSettings.Width = ScanSettings.Length = 600;   // 3 MB of grey, on a 256 KB disk
    ASSERT_EQ(PrepareFinalScan(), 1);
    sim.Mark();
    EXPECT_EQ(ScanToTempFile(), TEMP_SCAN_FAILED);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, std::string(1, drive[0]) + ": 読み取るのに必要な空き容量がありません !");
    for (const SimLogEntry &e : sim.Log())
        EXPECT_NE(e.cdb[0], 0x28) << "nothing was read from the scanner";
}

TEST_F(SmallDisk, ADiskThatFillsUpStopsTheScanWithOneMessage)
{
    ScanSettings.Width = ScanSettings.Length = 600;
    ASSERT_EQ(PrepareFinalScan(), 1);
    ASSERT_EQ(Dev_StartScan(ScanBlock), 0);
    std::string path = drive + "filling.tmp";
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RunScanLoop(SCAN_FINAL, out), LOOP_STOPPED);
    CloseHandle(out);
    DeleteFileA(path.c_str());
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "ディスクアクセスエラー。");
    EXPECT_TRUE(LastCommandEndedTheScan());
    EXPECT_EQ(WorkBufferDepth(), 0);
}

} // namespace

namespace {

// A cancel in the progress box during each transfer mechanism: the
// application gets TWRC_CANCEL and nothing half-made.
class CancelledTransfers : public StoppedScans {
protected:
    void SetUp() override
    {
        StoppedScans::SetUp();
        SourceState = 6;
        PlaceholderImage = false;
        TW_IMAGEINFO info;
        TripletCall call = {nullptr, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info};
        ASSERT_EQ(HandleImageInfo(call), TWRC_SUCCESS);
    }
    void TearDown() override
    {
        SourceState = 3;
        StoppedScans::TearDown();
    }
    static TW_UINT16 Call(TripletHandler handler, void *data)
    {
        TripletCall call = {nullptr, DG_IMAGE, 0, MSG_GET, data};
        return handler(call);
    }
    static TW_UINT16 PendingAfter()
    {
        TW_PENDINGXFERS pending = {7, 0};
        TripletCall call = {nullptr, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending};
        HandlePendingXfers(call);
        return pending.Count;
    }
};

TEST_F(CancelledTransfers, NativeGivesNoHandle)
{
    ProgressCanceller cancel(false);
    TW_UINT32 handle = 0xDEAD;
    EXPECT_EQ(Call(HandleImageNativeXfer, &handle), TWRC_CANCEL);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(LastTransferResult, TWRC_CANCEL);
    EXPECT_EQ(PendingAfter(), 0);
    EXPECT_EQ(GetFileAttributesA(TempScanFilePath), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(CancelledTransfers, FileLeavesNoFile)
{
    char path[MAX_PATH];
    GetTempPathA(sizeof path, path);
    lstrcatA(path, "cancelled.bmp");
    TW_SETUPFILEXFER setup;
    memset(&setup, 0, sizeof setup);
    lstrcpyA(setup.FileName, path);
    setup.Format = TWFF_BMP;
    TripletCall call = {nullptr, DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup};
    ASSERT_EQ(HandleSetupFileXfer(call), TWRC_SUCCESS);
    ProgressCanceller cancel(true);
    EXPECT_EQ(Call(HandleImageFileXfer, nullptr), TWRC_CANCEL);
    EXPECT_EQ(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(TempScanFilePath), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(PendingAfter(), 0);
}

TEST_F(CancelledTransfers, MemoryEndsTheImage)
{
    ProgressCanceller cancel(false);
    std::vector<uint8_t> buffer(4096);
    TW_UINT16 rc = TWRC_SUCCESS;
    TW_IMAGEMEMXFER xfer;
    for (int strip = 0; strip < 10000 && rc == TWRC_SUCCESS; strip++) {
        memset(&xfer, 0, sizeof xfer);
        xfer.Memory = {TWMF_APPOWNS | TWMF_POINTER, uint32_t(buffer.size()), buffer.data()};
        rc = Call(HandleImageMemXfer, &xfer);
    }
    EXPECT_EQ(rc, TWRC_CANCEL);
    EXPECT_EQ(PendingAfter(), 0);
    EXPECT_TRUE(LastCommandEndedTheScan());
    EXPECT_FALSE(Job.prepared);
    EXPECT_FALSE(Job.busy);
}

} // namespace
