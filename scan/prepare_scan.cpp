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

bool SendWindow()
{
    bool zoom = Job.zoom;
    Job.zoom = false;
    BuildScanBlock();
    Job.zoom = zoom;
    return Dev_SetWindow(ScanBlock) == 0;
}

// Bits, kind and bytes of the delivered image by mode.
void TakeImageKind()
{
    const ScanSettingsRecord &s = ScanSettings;
    ImageGeometryRecord &g = ImageGeometry;
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

bool ScannerStillThere()
{
    const char *identifier = Identification.findIdentifier;
    return Dev_Find(uint8_t(lstrlenA(identifier)), identifier) == 0;
}

// Computed in 32 bits: at high interpolated resolutions the products exceed
// 16 bits, and a wrapped count would describe an image that is not scanned.
void TakeStretchedGeometry()
{
    const ScanSettingsRecord &s = ScanSettings;
    uint32_t optical = Identification.opticalResolution ? Identification.opticalResolution
                                                         : ThisModel.opticalResolution;
    ImageGeometryRecord &g = ImageGeometry;
    g.DeviceLines = ScanBlock[0] | ScanBlock[1] << 8;
    g.DeviceLineLength = ScanBlock[2] | ScanBlock[3] << 8;
    g.BytesPerLine = s.XEffective > optical ? s.XEffective * g.DeviceLineLength / optical : g.DeviceLineLength;
    g.ImageLength = s.YEffective > YLimit ? s.YEffective * g.DeviceLines / YLimit : g.DeviceLines;
}

int PrepareFinalScan()
{
    Job.prepared = false;
    SetCursor(WaitCursor);
    if (!Job.imageInformation && !ScannerStillThere())
        return Fail(MSG_SCANNER_NOT_FOUND + Identification.transportNumber);
    if (!SendWindow())
        return Fail(MSG_SETUP_ERROR);
    TakeStretchedGeometry();
    if (ImageGeometry.DeviceLines == 0 || ImageGeometry.DeviceLineLength == 0)
        return Fail(MSG_NOTHING_TO_SCAN);
    TakeImageKind();
    Job.prepared = true;
    Job.busy = true;
    return 1;
}
