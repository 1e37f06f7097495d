// The scan loops and the strip reader: bands read from the scanner into the
// middle of a 64 KB work buffer, mirrored, filtered, coloured and stretched
// in place, then written out.
#include <windows.h>
#include <string.h>
#include "adjust/tone_state.h"
#include "device/aspi_transport.h"
#include "device/device_ops.h"
#include "device/identify.h"
#include "ds/library_strings.h"
#include "ds/source_state.h"
#include "ds/work_buffers.h"
#include "scan/acquisition.h"
#include "scan/pixel_routines.h"
#include "scan/progress_box.h"
#include "scan/show_message.h"
#include "ui/scan_settings.h"

uint16_t YAccumulator;

namespace {

enum { WORK_BUFFER_SIZE = 65535, READ_END = 32768 };
enum { MSG_ESC_CANCELS = 130, MSG_IMAGE_DATA_ERROR = 108, MSG_DISK_ERROR = 150, MSG_NO_MEMORY = 205 };
enum { CAPTION_SCAN = 75, MODE_NAME_FIRST = 500 };

// Noise filter state, one byte per column; a 16-bit line length always fits.
uint8_t GreyState[65536];
uint8_t ChannelState[3][65536];

// What a band is while it is being converted.
struct Band {
    uint8_t *p;        // first byte of the band's lines
    uint32_t lines;
    bool colour;
    bool bits;
};

struct ScanShape {
    uint32_t w;        // device line length (one plane)
    uint32_t L;        // stretched bytes per line
    uint32_t B;        // lines per band
    uint16_t optical;
    uint16_t x, y;     // effective resolutions
    uint16_t yLimit;
};

ScanShape CurrentShape()
{
    ScanShape s;
    s.w = ImageGeometry.DeviceLineLength;
    s.L = ImageGeometry.BytesPerLine;
    s.optical = Identification.opticalResolution ? Identification.opticalResolution : ThisModel.opticalResolution;
    s.x = ScanSettings.XEffective;
    s.y = ScanSettings.YEffective;
    s.yLimit = YLimit;
    s.B = BandLines(s.L, s.y, s.yLimit);
    return s;
}

bool HueSatNeutral()
{
    return HueSatValues.Hue[0] == 0 && HueSatValues.Saturation[0] == 0 && HueSatValues.Lightness[0] == 0;
}

void Mirror(const Band &band, uint32_t w)
{
    if (band.colour)
        MirrorRgb(band.p, uint16_t(w), uint16_t(band.lines));
    else if (band.bits)
        MirrorBits(band.p, uint16_t(w), uint16_t(band.lines));
    else
        MirrorGrey(band.p, uint16_t(w), uint16_t(band.lines));
}

void Despeckle(const Band &band, uint32_t w)
{
    if (band.bits)
        return;
    if (!band.colour) {
        DespeckleGrey(band.p, uint16_t(band.lines), uint16_t(w), GreyState);
        return;
    }
    for (int c = 0; c < 3; c++)
        DespeckleRgbChannel(band.p + c, uint16_t(band.lines), uint16_t(w), ChannelState[c]);
}

void ColourAdjust(const Band &band, uint32_t w)
{
    if (!band.colour || HueSatNeutral())
        return;
    AdjustHueSat(band.p, uint16_t(w * 3), uint16_t(band.lines), uint16_t((HueSatValues.Hue[0] + 360) % 360),
                 uint16_t(HueSatValues.Saturation[0] + 100), uint16_t(HueSatValues.Lightness[0] + 100),
                 BYTE_ORDER_RGB);
}

void StretchPass(const Band &band, uint8_t *destination, uint32_t width, uint32_t denominator,
                 uint32_t numerator)
{
    if (band.colour) {
        for (int c = 0; c < 3; c++)
            StretchRgbChannel(band.p + c, destination + c, uint16_t(width), uint16_t(denominator),
                              uint16_t(numerator), uint16_t(band.lines));
    } else if (band.bits) {
        StretchBits(band.p, destination, uint16_t(width), uint16_t(denominator), uint16_t(numerator),
                    uint16_t(band.lines));
    } else {
        StretchGrey(band.p, destination, uint16_t(width), uint16_t(denominator), uint16_t(numerator),
                    uint16_t(band.lines));
    }
}

// Doubling passes into the area before the band, then one fractional pass
// to the final place.
void StretchAcross(Band &band, const ScanShape &s, uint8_t *finalPlace)
{
    if (s.x <= s.optical)
        return;
    uint32_t pixelBytes = band.colour ? 3 : 1;
    uint32_t k = 1, step = 2u * s.optical;
    while (s.x > step) {
        uint8_t *destination = band.p - band.lines * s.w * k * pixelBytes;
        StretchPass(band, destination, s.w * k, step, step);
        band.p = destination;
        k *= 2;
        step *= 2;
    }
    uint32_t half = step / 2;
    StretchPass(band, finalPlace, s.w * k, half, s.x - half);
    band.p = finalPlace;
}

// Doubling passes into the area before the band, then the fractional pass
// repeating lines into `out`; false when the lines would exceed maxLines.
bool StretchDown(Band &band, const ScanShape &s, uint8_t *out, uint32_t maxLines)
{
    if (s.y <= s.yLimit)
        return true;
    uint32_t step = 2u * s.yLimit;
    while (s.y > step) {
        uint8_t *destination = band.p - band.lines * s.L;
        DoubleLines(band.p, destination, uint16_t(s.L), uint16_t(band.lines));
        band.p = destination;
        band.lines *= 2;
        step *= 2;
    }
    uint32_t half = step / 2;
    int written = RepeatLines(band.p, out, uint16_t(s.L), uint16_t(band.lines), uint16_t(half),
                              uint16_t(s.y - half), &YAccumulator, uint16_t(maxLines > 65535 ? 65535 : maxLines));
    if (written == 0 && band.lines > 0)
        return false;
    band.lines = uint32_t(written);
    band.p = out;
    return true;
}

int ReadBand(bool colour, uint32_t lines, uint32_t w, uint8_t *at)
{
    uint32_t bytes = lines * w * (colour ? 3 : 1);
    return colour ? Dev_ReadColor(uint16_t(bytes), at) : Dev_Read(uint16_t(bytes), at);
}

bool WriteAll(HANDLE output, const uint8_t *data, uint32_t bytes)
{
    DWORD written = 0;
    return WriteFile(output, data, bytes, &written, nullptr) && written == bytes;
}

// The shared ending of a loop: the scanner's job ends only when the scan
// was stopped.
int EndLoop(bool stopped, bool boxOpen)
{
    if (boxOpen) {
        ProgressAdvance(ImageGeometry.DeviceLines, ImageGeometry.DeviceLines);
        ProgressClose();
    }
    PopWorkBuffer(true);
    Job.busy = false;
    if (!stopped)
        return LOOP_DONE;
    Dev_EndScan();
    return LOOP_STOPPED;
}

} // namespace

void ScanCaption(int scanKind, char *caption, int size)
{
    char mode[32] = "";
    int used = LoadLibraryString(CAPTION_SCAN + scanKind, caption, size);
    LoadLibraryString(MODE_NAME_FIRST + ScanSettings.Mode, mode, sizeof mode);
    lstrcpynA(caption + used, mode, size - used);
}

uint32_t BandLines(uint32_t bytesPerLine, uint16_t yEffective, uint16_t yLimit)
{
    if (bytesPerLine == 0)
        return 0;
    uint32_t lines = READ_END / bytesPerLine;
    if (yEffective > yLimit && yLimit != 0)
        lines = lines * yLimit / yEffective;
    return lines;
}

int RunScanLoop(int scanKind, HANDLE output)
{
    ScanShape s = CurrentShape();
    bool colour = ScanSettings.Mode == MODE_COLOUR;
    uint8_t *buffer = s.B ? PushWorkBuffer(WORK_BUFFER_SIZE, true) : nullptr;
    if (buffer == nullptr) {
        if (s.B == 0)
            ShowMessage(GetActiveWindow(), MSG_NO_MEMORY);
        Dev_EndScan();
        Job.busy = false;
        return LOOP_NOT_STARTED;
    }
    char caption[80];
    ScanCaption(scanKind, caption, sizeof caption);
    ProgressOpen(MainDialog, MSG_ESC_CANCELS, true, caption);
    if (ProgressAdvance(100, 0))
        return EndLoop(true, true);

    YAccumulator = 0;
    uint32_t done = 0, deviceLines = ImageGeometry.DeviceLines;
    while (done < deviceLines) {
        uint32_t want = deviceLines - done < s.B ? deviceLines - done : s.B;
        Band band = {buffer + READ_END - s.B * s.w * (colour ? 3 : 1), 0, colour, ScanSettings.Mode == MODE_BW};
        int got = ReadBand(colour, want, s.w, band.p);
        if (got < 0) {
            Dev_EndScan();
            ShowMessage(GetActiveWindow(), MSG_IMAGE_DATA_ERROR);
            PopWorkBuffer(true);
            ProgressClose();
            Job.busy = false;
            return LOOP_STOPPED;
        }
        if (got == 0) {
            if (ProgressAdvance(deviceLines, done))
                return EndLoop(true, true);
            continue;
        }
        band.lines = uint32_t(got);
        done += band.lines;
        if (scanKind == SCAN_FINAL && ScanSettings.Flip)
            Mirror(band, s.w);
        if (ScanSettings.Filter)
            Despeckle(band, s.w);
        if (scanKind == SCAN_FINAL)
            ColourAdjust(band, s.w);
        if (ProgressAdvance(deviceLines, done))
            return EndLoop(true, true);
        StretchAcross(band, s, buffer + READ_END - s.L * s.B);
        StretchDown(band, s, buffer, 0xFFFFFFFFu);
        if (!WriteAll(output, band.p, band.lines * s.L)) {
            ProgressClose();
            ShowMessage(GetActiveWindow(), MSG_DISK_ERROR);
            SetEndOfFile(output);
            return EndLoop(true, false);
        }
    }
    SetEndOfFile(output);
    return EndLoop(false, true);
}

uint32_t ReadStrip(uint8_t *destination, uint32_t capacity)
{
    ScanShape s = CurrentShape();
    bool colour = ScanSettings.Mode == MODE_COLOUR;
    uint32_t wanted = s.y > s.yLimit ? capacity * s.yLimit / s.y : capacity;
    if (wanted == 0)
        wanted = 1;
    Band band = {destination + s.L * capacity - wanted * s.w * (colour ? 3 : 1), 0, colour,
                 ScanSettings.Mode == MODE_BW};
    // Nobody can cancel here, so a scanner that never has data again counts
    // as a read error once a command's time-out has passed.
    int got;
    uint32_t start = AspiTicks();
    while ((got = ReadBand(colour, wanted, s.w, band.p)) == 0)
        if (uint32_t(AspiTicks() - start) >= AspiTimeout) {
            got = -1;
            break;
        }
    if (got < 0) {
        Dev_EndScan();
        ShowMessage(GetActiveWindow(), MSG_IMAGE_DATA_ERROR);
        return 0;
    }
    band.lines = uint32_t(got);
    if (ScanSettings.Flip)
        Mirror(band, s.w);
    if (ScanSettings.Filter)
        Despeckle(band, s.w);
    ColourAdjust(band, s.w);
    StretchAcross(band, s, destination + (capacity - wanted) * s.L);
    if (!StretchDown(band, s, destination, capacity))
        return 0;
    return band.lines;
}
