// The simulated scanner's bed: a fixed test chart, and what a scan window
// delivers from it. Platform-free, so the simulator DLL and the tests use the
// very same functions: a test that knows the window and the tone table it
// sent can compute, byte for byte, the image the scanner must return.
//
// Bed coordinates are in chart units of 1/9600 inch, origin at the top-left
// corner of the bed, x across the line, y down the page. A window's area is
// given in pixels of the model's optical resolution; output pixel i of a line
// samples the chart at the centre of its cell:
//   x = left * 9600 / optical + (2i + 1) * 4800 / xres   (integer divisions)
//   y = top  * 9600 / optical + (2j + 1) * 4800 / yres   for line j.
#pragma once
#include <stdint.h>
#include <vector>

enum { CHART_UNITS_PER_INCH = 9600 };

enum ChartSource : uint8_t {
    CHART_REFLECTIVE = 0,
    CHART_FEEDER = 1,
    CHART_FILM = 2,
};

enum ChartComposition : uint8_t {
    CHART_BW = 0,
    CHART_GREY = 2,
    CHART_COLOUR = 5,
};

enum { CHART_HALFTONE_COUNT = 9 };  // index 0 is the plain threshold

// The fields of a SET WINDOW descriptor that decide the image.
struct ChartWindow {
    uint16_t optical;   // unit of the area fields: the model's optical dpi
    uint16_t xres, yres;
    uint32_t left, top, width, length;  // optical pixels
    uint8_t threshold;
    uint8_t composition;
    uint8_t halftone;
    uint8_t feeder;        // descriptor byte 72
    uint8_t transparency;  // descriptor byte 73
};

// Tone tables as the scanner applies them: red 0, green 1, blue 2; grey and
// black-and-white use table 0. Table 3 is kept but never applied.
struct ChartTone {
    uint8_t channel[4][256];
};

struct ChartGeometry {
    uint32_t pixels;      // width * xres / optical
    uint32_t lines;       // length * yres / optical
    uint32_t lineLength;  // bytes of one plane: pixels, or (pixels + 7) / 8
    uint32_t planes;      // 3 for colour, else 1
};

// Raw chart colour at a bed point (before any tone table).
void ChartSample(ChartSource source, int64_t x, int64_t y, uint8_t rgb[3]);

// The feeder byte wins over the transparency byte.
ChartSource ChartSourceOf(const ChartWindow &w);
ChartGeometry ChartGeometryOf(const ChartWindow &w);

void ChartIdentityTone(ChartTone *tone);
// SEND data: format 2 is four 256-byte tables; format 4 is four 1024-entry
// tables, of which entry 4v serves input v. 0 on success, -1 on a length
// that does not fit the format.
int ChartDecodeTone(const uint8_t *data, uint32_t length, uint8_t format, ChartTone *out);

enum {
    CHART_WINDOW_OK = 0,
    CHART_WINDOW_SHORT = 1,        // fewer bytes than the header names
    CHART_WINDOW_DESCRIPTOR = 2,   // descriptor too short for the fields used
};
// Decodes a SET WINDOW parameter list (8-byte header + descriptor). A short
// descriptor (72 bytes) lacks the feeder and transparency bytes: both read 0.
int ChartDecodeWindow(const uint8_t *list, uint32_t length, uint16_t optical, ChartWindow *out);

// Halftone decision for black and white: 1 (white) or 0 (black). x, y are
// the pixel's column and line in the window.
int ChartHalftoneBit(uint8_t halftone, uint8_t threshold, uint8_t grey, uint32_t x, uint32_t y);

// One line as the scanner delivers it: planes * lineLength bytes, planes in
// the order red, green, blue. Black and white packs 8 pixels per byte, the
// leftmost in the most significant bit, 1 = white; the bits that pad the
// last byte are further chart samples at the same pitch.
void ChartRenderLine(const ChartWindow &w, const ChartTone &tone, uint32_t line, uint8_t *out);

// The whole delivery of a window, line after line.
void ChartRenderImage(const ChartWindow &w, const ChartTone &tone, std::vector<uint8_t> *out);
