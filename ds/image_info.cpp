// DAT_IMAGEINFO and DAT_IMAGELAYOUT.
#include <math.h>
#include <string.h>
#include "device/device_ops.h"
#include "device/identify.h"
#include "ds/failure.h"
#include "ds/source_state.h"
#include "ds/transfer_setup.h"
#include "ds/triplets.h"
#include "scan/scan_window.h"
#include "ui/scan_settings.h"

namespace {

enum { FEEDER_BYTE = 33 + 40, FEEDER_LOADED = 0 };
const double kFixOne = 65536.0;
const double kFixPerCentimetre = 166461.44;   // 65536 x 2.54

// Prepares the scan the next transfer delivers, or falls back to the
// placeholder image when there is none to prepare.
void PrepareImage()
{
    PlaceholderImage = false;
    if (!ScannerPresent())
        PlaceholderImage = true;
    else if (!Job.prepared && !PrepareFinalScan())
        PlaceholderImage = true;
    if (PlaceholderImage) {
        ImageGeometry.XResolution = ImageGeometry.YResolution = 300;
        ImageGeometry.ImageWidth = ImageGeometry.ImageLength = 100;
        ImageGeometry.BitsPerPixel = 8;
        ImageGeometry.Kind = KIND_GREY;
    }
    Job.imageInformation = true;
}

void FillImageInfo(TW_IMAGEINFO &info)
{
    const ImageGeometryRecord &g = ImageGeometry;
    memset(&info, 0, sizeof info);
    info.XResolution.Whole = TW_INT16(g.XResolution);
    info.YResolution.Whole = TW_INT16(g.YResolution);
    info.ImageWidth = TW_INT32(g.ImageWidth);
    info.ImageLength = TW_INT32(g.ImageLength);
    info.BitsPerPixel = TW_INT16(g.BitsPerPixel);
    switch (g.Kind) {
    case KIND_BW:
        info.SamplesPerPixel = 1;
        info.BitsPerSample[0] = 1;
        info.PixelType = TWPT_BW;
        break;
    case KIND_COLOUR:
        info.SamplesPerPixel = 3;
        info.BitsPerSample[0] = info.BitsPerSample[1] = info.BitsPerSample[2] = 8;
        info.PixelType = TWPT_RGB;
        break;
    default:
        info.SamplesPerPixel = 1;
        info.BitsPerSample[0] = 8;
        info.PixelType = TWPT_GRAY;
        break;
    }
}

TW_FIX32 Fix(double value)
{
    uint32_t v = uint32_t(long(value));
    return TW_FIX32{TW_INT16(v >> 16), TW_UINT16(v & 0xFFFF)};
}

TW_FIX32 Whole(long value)
{
    return TW_FIX32{TW_INT16(value), 0};
}

// The whole bed in the layout unit; the bed is measured a little generously,
// as the scanner's own travel is.
void BedFrame(TW_FRAME &frame)
{
    double width = Identification.areaWidthLimit / 100.0 + 0.01;
    double length = Identification.areaLengthLimit / 100.0 + 0.03;
    frame.Left = frame.Top = Whole(0);
    if (LayoutUnit == TWUN_INCHES || LayoutUnit == TWUN_CENTIMETERS) {
        double factor = LayoutUnit == TWUN_INCHES ? kFixOne : kFixPerCentimetre;
        frame.Right = Fix(width * factor + 0.5);
        frame.Bottom = Fix(length * factor + 0.5);
    } else {
        frame.Right = Whole(long(width) * Identification.opticalResolution);
        frame.Bottom = Whole(long(length) * Identification.opticalResolution);
    }
}

double Edge(const TW_FIX32 &fix)
{
    return fix.Whole + fix.Frac / kFixOne;
}

bool InPixels()
{
    return LayoutUnit != TWUN_INCHES && LayoutUnit != TWUN_CENTIMETERS;
}

// An edge in 1/100 inch, truncated to the 16 bits the area is kept in.
uint16_t Hundredths(const TW_FIX32 &fix, uint16_t resolution)
{
    if (LayoutUnit == TWUN_INCHES)
        return uint16_t(long(Edge(fix) * 100));
    if (LayoutUnit == TWUN_CENTIMETERS)
        return uint16_t(long(Edge(fix) / 2.54 * 100));
    return uint16_t(long(fix.Whole) * 100 / resolution);
}

void TakeFeederState()
{
    uint8_t record[INQUIRY_RECORD_SIZE];
    if (!ScannerPresent() || Dev_Inquiry(record) != 0)
        return;
    if (record[FEEDER_BYTE] == FEEDER_LOADED)
        ScanSettings.Source = SOURCE_FEEDER;
    else if (ScanSettings.Source == SOURCE_FEEDER)
        ScanSettings.Source = SOURCE_REFLECTIVE;
}

TW_UINT16 SetArea(const TW_FRAME &frame)
{
    ScanSettingsRecord &s = ScanSettings;
    if (InPixels() && (s.XEffective == 0 || s.YEffective == 0)) {
        ConditionCode = TWCC_BADVALUE;   // pixels, but no resolution to measure them by
        return TWRC_FAILURE;
    }
    TakeFeederState();
    s.Left = Hundredths(frame.Left, s.XEffective);
    s.Top = Hundredths(frame.Top, s.YEffective);
    s.Right = Hundredths(frame.Right, s.XEffective);
    s.Bottom = Hundredths(frame.Bottom, s.YEffective);
    uint16_t widthLimit = ThisModel.a4Family ? 826 : 850;
    uint16_t lengthLimit = ThisModel.a4Family ? 1167 : 1400;
    if (s.Right > widthLimit || s.Bottom > lengthLimit) {
        s.Left = s.Top = 0;
        s.Right = widthLimit;
        s.Bottom = lengthLimit;
    }
    s.Width = s.Right - s.Left;
    s.Length = s.Bottom - s.Top;
    return TWRC_SUCCESS;
}

} // namespace

TW_UINT16 HandleImageInfo(const TripletCall &call)
{
    if (SourceState != 6 && SourceState != 7)
        return FailTriplet(TWCC_SEQERROR, FAIL_IMAGEINFO);
    if (call.msg != MSG_GET)
        return FailTriplet(TWCC_BADPROTOCOL, FAIL_IMAGEINFO);
    PrepareImage();
    FillImageInfo(*static_cast<TW_IMAGEINFO *>(call.data));
    return TWRC_SUCCESS;
}

TW_UINT16 HandleImageLayout(const TripletCall &call)
{
    TW_IMAGELAYOUT &layout = *static_cast<TW_IMAGELAYOUT *>(call.data);
    switch (call.msg) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT:
        BedFrame(layout.Frame);
        layout.DocumentNumber = layout.PageNumber = layout.FrameNumber = 0;
        return TWRC_SUCCESS;
    case MSG_SET:
    case MSG_RESET:
        return SetArea(layout.Frame);
    default:
        return FailTriplet(TWCC_BADPROTOCOL, FAIL_IMAGELAYOUT);
    }
}
