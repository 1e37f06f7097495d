// Preparing the final scan: the scanner is found again, the window sent and
// the geometry of the delivered image computed from the scanner's answer.
#include <windows.h>
#include "device/device_ops.h"
#include "device/identify.h"
#include "ds/source_state.h"
#include "scan/scan_window.h"
#include "scan/show_message.h"
#include "ui/scan_settings.h"

namespace {

enum { MSG_SCANNER_NOT_FOUND = 101, MSG_SETUP_ERROR = 107, MSG_NOTHING_TO_SCAN = 111 };

int Fail(int messageId)
{
    Dev_EndScan();
    SetCursor(ArrowCursor);
    ShowMessage(GetActiveWindow(), messageId);
    return 0;
}

bool ScannerStillThere()
{
    const char *identifier = Identification.findIdentifier;
    return Dev_Find(uint8_t(lstrlenA(identifier)), identifier) == 0;
}

bool SendWindow()
{
    bool zoom = Job.zoom;
    Job.zoom = false;
    BuildScanBlock();
    Job.zoom = zoom;
    return Dev_SetWindow(ScanBlock) == 0;
}

// The scanner delivers device lines of the device line length; software
// stretching beyond the optical resolution and the Y limit yields the rest.
// Computed in 32 bits: at high interpolated resolutions the products exceed
// 16 bits, and a wrapped count would describe an image that is not scanned.
void TakeGeometry(uint32_t deviceLines, uint32_t deviceLineLength)
{
    const ScanSettingsRecord &s = ScanSettings;
    uint32_t optical = Identification.opticalResolution ? Identification.opticalResolution
                                                         : ThisModel.opticalResolution;
    ImageGeometryRecord &g = ImageGeometry;
    g.DeviceLines = deviceLines;
    g.DeviceLineLength = deviceLineLength;
    g.BytesPerLine = s.XEffective > optical ? s.XEffective * deviceLineLength / optical : deviceLineLength;
    g.ImageLength = s.YEffective > YLimit ? s.YEffective * deviceLines / YLimit : deviceLines;
    g.ImageWidth = g.BytesPerLine;
    g.XResolution = g.YResolution = s.Resolution;
    switch (s.Mode) {
    case MODE_GREY:
        g.BitsPerPixel = 8;
        g.Kind = KIND_GREY;
        break;
    case MODE_BW:
        g.BitsPerPixel = 1;
        g.Kind = KIND_BW;
        g.ImageWidth = g.BytesPerLine * 8;
        break;
    default:
        g.BitsPerPixel = 24;
        g.Kind = KIND_COLOUR;
        g.BytesPerLine *= 3;
        break;
    }
}

} // namespace

int PrepareFinalScan()
{
    Job.prepared = false;
    SetCursor(WaitCursor);
    if (!Job.imageInformation && !ScannerStillThere())
        return Fail(MSG_SCANNER_NOT_FOUND + Identification.transportNumber);
    if (!SendWindow())
        return Fail(MSG_SETUP_ERROR);
    uint32_t lines = ScanBlock[0] | ScanBlock[1] << 8;
    uint32_t length = ScanBlock[2] | ScanBlock[3] << 8;
    if (lines == 0 || length == 0)
        return Fail(MSG_NOTHING_TO_SCAN);
    TakeGeometry(lines, length);
    Job.prepared = true;
    Job.busy = true;
    return 1;
}
