#include "scan/scan_window.h"
#include <math.h>
#include <string.h>
#include "adjust/tone_state.h"
#include "device/aspi_transport.h"
#include "device/identify.h"
#include "device/scsi_blocks.h"
#include "ui/scan_settings.h"

ImageGeometryRecord ImageGeometry;
JobFlags Job;
uint16_t YLimit;
uint8_t ScanBlock[SCAN_BLOCK_SIZE];
uint8_t WindowList[99];

namespace {

// Offsets within the window descriptor.
enum {
    W_XRES = 2, W_YRES = 4, W_LEFT = 6, W_TOP = 10, W_WIDTH = 14, W_LENGTH = 18,
    W_THRESHOLD = 23, W_COMPOSITION = 25, W_HALFTONE = 28, W_VENDOR_THRESHOLDS = 46,
    W_SPEED = 54, W_PRESCAN = 55, W_FEEDER = 72, W_TRANSPARENCY = 73, W_IMAGE_INFO = 90,
};

const uint8_t kComposition[3] = {5, 2, 0};

// Model constants of the identified scanner; this build's own while none
// is identified, so no formula ever divides by zero.
uint16_t Optical()
{
    return Identification.opticalResolution ? Identification.opticalResolution
                                              : ThisModel.opticalResolution;
}

uint16_t MaxResolution()
{
    return Identification.maxResolution ? Identification.maxResolution : ThisModel.maxResolution;
}

uint16_t MaxInterpolated()
{
    return Identification.maxInterpolated ? Identification.maxInterpolated : ThisModel.maxInterpolated;
}

bool WindowTemplateLoaded;

// Only the low 16 bits of a 32-bit coordinate field are ever written.
void PutLow16(uint8_t *field, uint32_t value)
{
    PutBig16(field + 2, value & 0xFFFF);
}

void WriteWindowFields(const ResolutionSplit &split)
{
    const ScanSettingsRecord &s = ScanSettings;
    uint8_t *d = WindowList + WINDOW_HEADER_SIZE;
    uint32_t optical = Optical();
    PutBig16(d + W_XRES, split.hardwareX);
    PutBig16(d + W_YRES, split.hardwareY);
    PutLow16(d + W_LEFT, optical * uint32_t(s.Left) / 100);
    PutLow16(d + W_TOP, optical * uint32_t(s.Top) / 100);
    PutLow16(d + W_WIDTH, optical * uint32_t(s.Width) / 100);
    PutLow16(d + W_LENGTH, optical * uint32_t(s.Length) / 100);
    uint8_t threshold = uint8_t(s.Brightness);
    d[W_THRESHOLD] = threshold;
    for (int i = 0; i < 4; i++)
        d[W_VENDOR_THRESHOLDS + 2 * i + 1] = threshold;
    d[W_COMPOSITION] = s.Mode >= 0 && s.Mode <= 2 ? kComposition[s.Mode] : kComposition[0];
    d[W_HALFTONE] = uint8_t(s.Dither);
    d[W_SPEED] = uint8_t(s.Speed);
    d[W_PRESCAN] = Job.prescan ? 1 : 0;
    d[W_FEEDER] = s.Source == SOURCE_FEEDER ? 1 : 0;
    d[W_TRANSPARENCY] = s.Source == SOURCE_TRANSPARENCY ? 1 : 0;
    d[W_IMAGE_INFO] = Job.imageInformation ? 1 : 0;
}

void WriteToneTable(uint8_t *table)
{
    const ScanSettingsRecord &s = ScanSettings;
    if (Job.prescan || Job.zoom) {
        for (int i = 0; i < MODE_TABLE_SIZE; i++)
            table[i] = uint8_t(i);
    } else {
        int mode = s.Mode >= 0 && s.Mode <= 2 ? s.Mode : 0;
        memcpy(table, ToneState.ToneTables + mode * MODE_TABLE_SIZE, MODE_TABLE_SIZE);
    }
    if (s.Source == SOURCE_FEEDER && s.Mode != MODE_BW) {
        uint8_t curve[256];
        for (int i = 0; i < 256; i++)
            curve[i] = FeederCurve(table[i]);
        for (int channel = 0; channel < 4; channel++)
            memcpy(table + 256 * channel, curve, 256);
    }
}

} // namespace

ResolutionSplit SplitResolution(uint16_t effectiveX, uint16_t effectiveY, int source, uint16_t optical,
                                uint16_t maxResolution)
{
    ResolutionSplit split;
    split.yLimit = source == SOURCE_FEEDER ? optical : maxResolution;
    split.hardwareX = effectiveX < optical ? effectiveX : optical;
    split.hardwareY = effectiveY < split.yLimit ? effectiveY : split.yLimit;
    split.stretchX = effectiveX > optical;
    split.stretchY = effectiveY > split.yLimit;
    return split;
}

uint8_t FeederCurve(uint8_t t)
{
    int v = t + 25;
    if (v >= 255)
        v = 255;
    const double bright = double(0.6f), dark = double(1.4f);
    double r = v >= 127 ? 127.0 * pow((v - 127) / 127.0, bright) + 127.5
                        : 127.0 * pow(v / 127.0, dark) + 0.5;
    long out = long(r);
    return out >= 255 ? 255 : uint8_t(out);
}

void BuildScanBlock()
{
    if (!WindowTemplateLoaded) {
        memcpy(WindowList, WindowTemplate, sizeof WindowList);
        WindowTemplateLoaded = true;
    }
    const ScanSettingsRecord &s = ScanSettings;
    ResolutionSplit split = SplitResolution(s.XEffective, s.YEffective, s.Source, Optical(), MaxResolution());
    YLimit = split.yLimit;
    WriteWindowFields(split);
    if (s.Source == SOURCE_TRANSPARENCY)
        AspiTimeout = ASPI_TIMEOUT_TRANSPARENCY;
    ScanBlock[0] = 0x28;
    ScanBlock[1] = 2;
    ScanBlock[2] = 0;
    WriteToneTable(ScanBlock + TONE_BLOCK_OFFSET);
    ScanBlock[3 + MODE_TABLE_SIZE] = 0x29;
    memcpy(ScanBlock + SCAN_BLOCK_WINDOW, WindowList, sizeof WindowList);
}

SavedJobFields SaveJobFields()
{
    const ScanSettingsRecord &s = ScanSettings;
    return SavedJobFields{s.Mode, s.XEffective, s.YEffective, s.Left, s.Top, s.Right, s.Bottom, s.Width, s.Length};
}

void RestoreJobFields(const SavedJobFields &saved)
{
    ScanSettingsRecord &s = ScanSettings;
    s.Mode = saved.mode;
    s.XEffective = saved.xEffective;
    s.YEffective = saved.yEffective;
    s.Left = saved.left;
    s.Top = saved.top;
    s.Right = saved.right;
    s.Bottom = saved.bottom;
    s.Width = saved.width;
    s.Length = saved.length;
}

void ApplyPrescanJob(int prescanRows, int paneHeight)
{
    ScanSettingsRecord &s = ScanSettings;
    s.Mode = MODE_COLOUR;
    s.XEffective = s.YEffective = 22;
    s.Left = s.Top = 0;
    s.Right = s.Width = Identification.areaWidthLimit;
    s.Bottom = s.Length = paneHeight > 0 ? Identification.areaLengthLimit * prescanRows / paneHeight
                                         : Identification.areaLengthLimit;
    Job.prescan = true;
}

void ApplyZoomJob(const ZoomRegion &region, int paneWidth, int paneHeight)
{
    ScanSettingsRecord &s = ScanSettings;
    int32_t width = region.right - region.left, length = region.bottom - region.top;
    uint32_t limit = MaxInterpolated();
    uint32_t rx = width > 0 ? uint32_t(paneWidth) * 100 / uint32_t(width) : limit;
    uint32_t ry = length > 0 ? uint32_t(paneHeight) * 100 / uint32_t(length) : limit;
    uint32_t resolution = rx < ry ? rx : ry;
    if (resolution > limit)
        resolution = limit;
    s.Mode = MODE_COLOUR;
    s.XEffective = s.YEffective = uint16_t(resolution);
    s.Left = region.left;
    s.Top = region.top;
    s.Right = region.right;
    s.Bottom = region.bottom;
    s.Width = width;
    s.Length = length;
    Job.zoom = true;
    Job.prescan = false;
}
