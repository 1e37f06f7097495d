// The scans the rest of the source starts: the final scan into the
// temporary scan file, and the prescan and zoom into the preview files.
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include "device/device_ops.h"
#include "device/identify.h"
#include "ds/library_strings.h"
#include "ds/source_state.h"
#include "scan/acquisition.h"
#include "scan/show_message.h"
#include "scan/temp_files.h"
#include "ui/scan_settings.h"
#include "ui/version_dialogs.h"

HANDLE TempScanFile = INVALID_HANDLE_VALUE;
bool TempScanFileOpen;

namespace {

enum { MSG_SCANNER_NOT_FOUND = 101, MSG_SETUP_ERROR = 107, MSG_NOTHING_TO_SCAN = 111,
       MSG_NO_ROOM = 131, MSG_NO_MEMORY = 205 };
const char kWorkingFile[] = "~VASP.TMP";
enum { PREVIEW_HEADER_SIZE = 7 };

// A stretched line must fit a band; a band of zero lines cannot be read.
bool BandFits()
{
    return BandLines(ImageGeometry.BytesPerLine, ScanSettings.YEffective, YLimit) >= 1;
}

bool CreateTempScanFile()
{
    char directory[MAX_PATH];
    DWORD len = GetTempPathA(sizeof directory, directory);
    if (len == 0 || len >= sizeof directory)
        return false;
    if (GetTempFileNameA(directory, "VAS", 0, TempScanFilePath) == 0)
        return false;
    TempScanFile = CreateFileA(TempScanFilePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    return TempScanFile != INVALID_HANDLE_VALUE;
}

void CloseTempScanFile()
{
    if (TempScanFile != INVALID_HANDLE_VALUE)
        CloseHandle(TempScanFile);
    TempScanFile = INVALID_HANDLE_VALUE;
    TempScanFileOpen = false;
}

bool StartWithWaitNotice(HWND owner, uint8_t *block, bool setWindowFirst)
{
    HWND notice = ShowWaitNotice(owner);
    bool started = (!setWindowFirst || Dev_SetWindow(block) == 0) && Dev_StartScan(block) == 0;
    RemoveWaitNotice(notice);
    return started;
}

} // namespace

double TempDriveFreeKB()
{
    char directory[TEMP_PATH_SIZE];
    if (!TempDirectory(directory, sizeof directory))
        return 0;
    char root[4] = {directory[0], ':', '\\', 0};
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return 0;
    return double(freeClusters) * sectorsPerCluster * bytesPerSector / 1024.0;
}

int CheckFreeSpace(double imageKB)
{
    if (TempDriveFreeKB() >= imageKB)
        return 0;
    char directory[TEMP_PATH_SIZE] = "C";
    TempDirectory(directory, sizeof directory);
    char text[128];
    if (LoadLibraryString(MSG_NO_ROOM, text, sizeof text) > 0)
        text[0] = directory[0];
    MessageBoxA(GetActiveWindow(), text, ProductName, MB_OK);
    return 1;
}

int ScanToTempFile()
{
    if (!BandFits()) {
        ShowMessage(GetActiveWindow(), MSG_NO_MEMORY);
        return TEMP_SCAN_FAILED;
    }
    double imageKB = double(ImageGeometry.BytesPerLine) * ImageGeometry.ImageLength / 1024.0;
    if (CheckFreeSpace(imageKB))
        return TEMP_SCAN_FAILED;
    CloseTempScanFile();
    if (!CreateTempScanFile())
        return TEMP_SCAN_FAILED;
    // A scan that fails leaves no file behind: nobody would delete it.
    if (!StartWithWaitNotice(GetActiveWindow(), ScanBlock, false)) {
        Dev_EndScan();
        CloseTempScanFile();
        DeleteFileA(TempScanFilePath);
        ShowMessage(GetActiveWindow(), MSG_SETUP_ERROR);
        return TEMP_SCAN_FAILED;
    }
    int result = RunScanLoop(SCAN_FINAL, TempScanFile);
    CloseTempScanFile();
    if (result != LOOP_DONE)
        DeleteFileA(TempScanFilePath);
    if (result == LOOP_STOPPED)
        return TEMP_SCAN_CANCELLED;
    if (result != LOOP_DONE)
        return TEMP_SCAN_FAILED;
    TempScanFile = CreateFileA(TempScanFilePath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
    if (TempScanFile == INVALID_HANDLE_VALUE)
        return TEMP_SCAN_FAILED;
    TempScanFileOpen = true;
    return TEMP_SCAN_OK;
}

namespace {

// The display length field: v rows of the pane as 1/100 inch of the bed.
uint16_t DisplayLength(uint32_t v, int paneHeight)
{
    if (paneHeight <= 0)
        return 0;
    return uint16_t(long(double(v) / paneHeight * Identification.areaLengthLimit));
}

void PutLittle16(uint8_t *at, uint32_t value)
{
    at[0] = uint8_t(value);
    at[1] = uint8_t(value >> 8);
}

// The header of the preview file; lines and pixels after the stretching a
// zoom does, prescans are never stretched.
void PreviewHeader(const PreviewRequest &request, uint8_t header[PREVIEW_HEADER_SIZE])
{
    const ImageGeometryRecord &g = ImageGeometry;
    uint32_t optical = Identification.opticalResolution;
    bool stretchX = ScanSettings.XEffective > optical, stretchY = ScanSettings.YEffective > YLimit;
    uint32_t pixels = request.kind == SCAN_ZOOM && stretchX ? g.BytesPerLine : g.DeviceLineLength;
    uint32_t lines = request.kind == SCAN_ZOOM && stretchY ? g.ImageLength : g.DeviceLines;
    uint32_t v = request.kind == SCAN_PRESCAN ? uint32_t(request.prescanRows) : lines;
    PutLittle16(header, lines);
    PutLittle16(header + 2, pixels);
    header[4] = 0;
    PutLittle16(header + 5, DisplayLength(v, request.paneHeight));
}

// Steps 3 to 8 of a preview scan: 1 when the working file holds the image.
int ScanPreviewFile(HWND owner, const PreviewRequest &request, const char *workingPath)
{
    SetCursor(WaitCursor);
    HANDLE file = CreateFileA(workingPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        SetCursor(ArrowCursor);
        ShowMessage(GetActiveWindow(), MSG_NO_MEMORY);
        return 0;
    }
    BuildScanBlock();
    if (!StartWithWaitNotice(owner, ScanBlock, true)) {
        Dev_EndScan();
        SetCursor(ArrowCursor);
        CloseHandle(file);
        ShowMessage(GetActiveWindow(), MSG_SETUP_ERROR);
        return 0;
    }
    Job.busy = true;
    TakeStretchedGeometry();
    if (ImageGeometry.DeviceLines == 0 || ImageGeometry.DeviceLineLength == 0) {
        Dev_EndScan();
        SetCursor(ArrowCursor);
        CloseHandle(file);
        ShowMessage(GetActiveWindow(), MSG_NOTHING_TO_SCAN);
        return 0;
    }
    uint8_t header[PREVIEW_HEADER_SIZE];
    PreviewHeader(request, header);
    DWORD written = 0;
    WriteFile(file, header, sizeof header, &written, nullptr);
    ImageGeometry.BytesPerLine *= 3;
    int result = RunScanLoop(request.kind, file);
    CloseHandle(file);
    SetCursor(ArrowCursor);
    return result == LOOP_DONE ? 1 : 0;
}

} // namespace

int PrescanOrZoom(HWND owner, const PreviewRequest &request)
{
    if (!ScannerStillThere()) {
        Dev_EndScan();
        SetCursor(ArrowCursor);
        ShowMessage(GetActiveWindow(), MSG_SCANNER_NOT_FOUND + Identification.transportNumber);
        return 0;
    }
    SavedJobFields saved = SaveJobFields();
    if (request.kind == SCAN_PRESCAN)
        ApplyPrescanJob(request.prescanRows, request.paneHeight);
    else
        ApplyZoomJob(request.region, request.paneWidth, request.paneHeight);
    char working[TEMP_PATH_SIZE], preview[TEMP_PATH_SIZE];
    const char *previewName = request.kind == SCAN_PRESCAN ? Identification.prescanFile : Identification.zoomFile;
    int replaced = 0;
    if (TempFilePath(kWorkingFile, working, sizeof working) && TempFilePath(previewName, preview, sizeof preview) &&
        ScanPreviewFile(owner, request, working)) {
        DeleteFileA(preview);
        replaced = CopyFileA(working, preview, FALSE) ? 1 : 0;
    }
    Job.prescan = false;
    RestoreJobFields(saved);
    Job.busy = false;
    return replaced;
}
