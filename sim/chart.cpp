// The test chart and the rendering of a window from it.
//
// Chart layout (inches from the top-left corner of the bed; the chart covers
// the largest bed, 8.5 by 14 inches, and goes on as background beyond it):
//   0   to 1   grey ramp, black at the left edge to white at 8.5 in
//   1   to 2   nine 1-inch colour patches: red, green, blue, mid grey (128),
//              cyan, magenta, yellow, white, black; from 1.7 in down a
//              channel ramp (red rises, green falls to the right, blue 128)
//   2   to 3   vertical line gratings, period 0.02 in in the first inch
//              column growing by 0.02 in per column
//   3   to 4   the same as horizontal lines
//   4   to 6   text: the source's label in large letters, then the digits
//              and the alphabet at three smaller sizes
//   6   to 14  a red ring (centre 3.5 in, 9.5 in; radius 2.45 to 2.55 in),
//              a blue 45-degree line from (0, 6 in), and from x = 7 in a
//              grey ramp down the page, white at 6 in to black at 14 in
// Over everything: a dark blue grid line 0.01 in wide at every whole inch,
// and a red triangle near the origin (0.1 to 0.35 in) whose right angle is
// at the top right, so that mirroring and turning show at a glance.
// Reflective, feeder and film differ in paper colour and label.
#include "sim/chart.h"

#include <string.h>

namespace {

const int64_t INCH = CHART_UNITS_PER_INCH;
const int64_t HUNDREDTH = INCH / 100;
const int64_t CHART_WIDTH = 850 * HUNDREDTH;

struct Rgb {
    uint8_t r, g, b;
};

const Rgb INK = {16, 16, 16};
const Rgb GRID = {0, 0, 160};
const Rgb MARKER = {220, 0, 0};
const Rgb RING = {200, 24, 24};
const Rgb DIAGONAL = {24, 24, 200};

const Rgb PAPER[3] = {
    {240, 240, 232},  // reflective
    {226, 236, 250},  // feeder
    {252, 244, 204},  // film
};

const char *const LABEL[3] = {"REFLECT", "FEEDER", "FILM"};

const Rgb PATCHES[9] = {
    {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {128, 128, 128}, {0, 255, 255},
    {255, 0, 255}, {255, 255, 0}, {255, 255, 255}, {0, 0, 0},
};

// 5 by 7 glyphs, bit 4 is the leftmost column.
struct Glyph {
    char ch;
    uint8_t rows[7];
};

const Glyph FONT[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}},
    {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
};

const char ALPHABET[] = "0123456789 ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// A row of text: top-left corner and the size of one glyph dot. A glyph
// cell is 6 dots wide (one blank column) and 7 dots high.
struct TextRow {
    int64_t x0, y0, dot;
    const char *text;  // null: the source's label
};

const TextRow TEXT_ROWS[] = {
    {25 * HUNDREDTH, 410 * HUNDREDTH, 10 * HUNDREDTH, nullptr},
    {25 * HUNDREDTH, 500 * HUNDREDTH, 2 * HUNDREDTH, ALPHABET},
    {25 * HUNDREDTH, 530 * HUNDREDTH, HUNDREDTH, ALPHABET},
    {25 * HUNDREDTH, 550 * HUNDREDTH, HUNDREDTH / 2, ALPHABET},
};

Rgb Grey(int v)
{
    uint8_t g = (uint8_t)(v < 0 ? 0 : v > 255 ? 255 : v);
    return Rgb{g, g, g};
}

const uint8_t *GlyphRows(char ch)
{
    for (const Glyph &g : FONT) {
        if (g.ch == ch) return g.rows;
    }
    return nullptr;
}

bool TextInk(const TextRow &row, const char *text, int64_t x, int64_t y)
{
    if (x < row.x0 || y < row.y0) return false;
    int64_t col = (x - row.x0) / row.dot;
    int64_t line = (y - row.y0) / row.dot;
    if (line >= 7) return false;
    int64_t index = col / 6;
    int64_t dotX = col % 6;
    if (dotX == 5 || index >= (int64_t)strlen(text)) return false;
    const uint8_t *rows = GlyphRows(text[index]);
    return rows && (rows[line] >> (4 - dotX) & 1);
}

Rgb PatchBand(int64_t x, int64_t y)
{
    if (y >= 170 * HUNDREDTH) {
        int v = (int)(x * 256 / CHART_WIDTH);
        if (v > 255) v = 255;
        return Rgb{(uint8_t)v, (uint8_t)(255 - v), 128};
    }
    int64_t k = x / INCH;
    return k < 9 ? PATCHES[k] : PATCHES[8];
}

// Half of each period is ink; the period grows with the inch column.
bool GratingInk(int64_t column, int64_t offset)
{
    int64_t period = (column + 1) * 2 * HUNDREDTH;
    return offset % period < period / 2;
}

Rgb TextBand(ChartSource source, int64_t x, int64_t y, Rgb paper)
{
    for (const TextRow &row : TEXT_ROWS) {
        const char *text = row.text ? row.text : LABEL[source];
        if (TextInk(row, text, x, y)) return INK;
    }
    return paper;
}

Rgb LowerArea(int64_t x, int64_t y, Rgb paper)
{
    if (x >= 7 * INCH) {
        int64_t v = (y - 6 * INCH) * 256 / (8 * INCH);
        return Grey(255 - (int)(v > 255 ? 255 : v));
    }
    int64_t dx = x - 350 * HUNDREDTH, dy = y - 950 * HUNDREDTH;
    int64_t d2 = dx * dx + dy * dy;
    int64_t inner = 245 * HUNDREDTH, outer = 255 * HUNDREDTH;
    if (d2 >= inner * inner && d2 < outer * outer) return RING;
    int64_t across = x - (y - 6 * INCH);
    if (across >= 0 && across < 2 * HUNDREDTH) return DIAGONAL;
    return paper;
}

bool OnGrid(int64_t x, int64_t y)
{
    return x % INCH < HUNDREDTH || y % INCH < HUNDREDTH;
}

bool OnMarker(int64_t x, int64_t y)
{
    int64_t lo = 10 * HUNDREDTH, hi = 35 * HUNDREDTH;
    if (x < lo || x >= hi || y < lo || y >= hi) return false;
    return x - lo >= y - lo;
}

Rgb ChartColour(ChartSource source, int64_t x, int64_t y)
{
    if (OnMarker(x, y)) return MARKER;
    if (OnGrid(x, y)) return GRID;
    Rgb paper = PAPER[source];
    if (y < INCH) return Grey((int)(x * 256 / CHART_WIDTH));
    if (y < 2 * INCH) return PatchBand(x, y);
    if (y < 3 * INCH) return GratingInk(x / INCH, x) ? INK : paper;
    if (y < 4 * INCH) return GratingInk(x / INCH, y - 3 * INCH) ? INK : paper;
    if (y < 6 * INCH) return TextBand(source, x, y, paper);
    return LowerArea(x, y, paper);
}

uint16_t Be16(const uint8_t *p) { return (uint16_t)(p[0] << 8 | p[1]); }

uint32_t Be32(const uint8_t *p)
{
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

// Halftone cells. A pixel is white when 2·grey·n² ≥ (2m + 1)·256, m being
// its cell value 0 to n²−1: the highest values go black first.
const uint8_t CLUSTER4[4][4] = {
    {3, 11, 10, 2},
    {4, 15, 14, 9},
    {5, 12, 13, 8},
    {0, 6, 7, 1},
};
const uint8_t LINE_RANK4[4] = {0, 2, 3, 1};
const uint8_t LINE_RANK8[8] = {0, 2, 4, 6, 7, 5, 3, 1};

int Bayer(int n, uint32_t x, uint32_t y)
{
    static const uint8_t B2[2][2] = {{0, 2}, {3, 1}};
    if (n == 1) return 0;
    int h = n / 2;
    return 4 * Bayer(h, x % h, y % h) + B2[(y / h) % 2][(x / h) % 2];
}

// Cell size and value of a halftone index; false for the plain threshold.
bool DitherCell(uint8_t index, uint32_t x, uint32_t y, int *n, int *m)
{
    switch (index) {
    case 1: *n = 2; *m = Bayer(2, x % 2, y % 2); return true;
    case 2: *n = 4; *m = Bayer(4, x % 4, y % 4); return true;
    case 3: *n = 8; *m = Bayer(8, x % 8, y % 8); return true;
    case 4: *n = 4; *m = CLUSTER4[y % 4][x % 4]; return true;
    case 5:
        *n = 8;
        *m = 4 * CLUSTER4[y % 4][x % 4] + Bayer(2, (x / 4) % 2, (y / 4) % 2);
        return true;
    case 6: *n = 4; *m = LINE_RANK4[y % 4] * 4 + x % 4; return true;
    case 7: *n = 8; *m = LINE_RANK8[y % 8] * 8 + x % 8; return true;
    case 8: *n = 8; *m = LINE_RANK8[x % 8] * 8 + y % 8; return true;
    default: return false;
    }
}

uint8_t Luminance(const uint8_t rgb[3])
{
    return (uint8_t)((30 * rgb[0] + 59 * rgb[1] + 11 * rgb[2]) / 100);
}

int64_t BedX(const ChartWindow &w, uint32_t i)
{
    return (int64_t)w.left * INCH / w.optical + (int64_t)(2 * (int64_t)i + 1) * (INCH / 2) / w.xres;
}

int64_t BedY(const ChartWindow &w, uint32_t j)
{
    return (int64_t)w.top * INCH / w.optical + (int64_t)(2 * (int64_t)j + 1) * (INCH / 2) / w.yres;
}

}  // namespace

void ChartSample(ChartSource source, int64_t x, int64_t y, uint8_t rgb[3])
{
    Rgb c = ChartColour(source > CHART_FILM ? CHART_REFLECTIVE : source, x, y);
    rgb[0] = c.r;
    rgb[1] = c.g;
    rgb[2] = c.b;
}

ChartSource ChartSourceOf(const ChartWindow &w)
{
    if (w.feeder) return CHART_FEEDER;
    if (w.transparency) return CHART_FILM;
    return CHART_REFLECTIVE;
}

ChartGeometry ChartGeometryOf(const ChartWindow &w)
{
    ChartGeometry g = {0, 0, 0, 1};
    if (w.optical != 0) {
        g.pixels = (uint32_t)((uint64_t)w.width * w.xres / w.optical);
        g.lines = (uint32_t)((uint64_t)w.length * w.yres / w.optical);
    }
    if (w.composition == CHART_BW) {
        g.lineLength = (g.pixels + 7) / 8;
    } else {
        g.lineLength = g.pixels;
        if (w.composition == CHART_COLOUR) g.planes = 3;
    }
    return g;
}

void ChartIdentityTone(ChartTone *tone)
{
    for (int t = 0; t < 4; t++) {
        for (int v = 0; v < 256; v++) tone->channel[t][v] = (uint8_t)v;
    }
}

int ChartDecodeTone(const uint8_t *data, uint32_t length, uint8_t format, ChartTone *out)
{
    int entries;
    if (format == 2) {
        entries = 256;
    } else if (format == 4) {
        entries = 1024;
    } else {
        return -1;
    }
    if (length != (uint32_t)(4 * entries)) return -1;
    int step = entries / 256;
    for (int t = 0; t < 4; t++) {
        for (int v = 0; v < 256; v++) out->channel[t][v] = data[t * entries + v * step];
    }
    return 0;
}

int ChartDecodeWindow(const uint8_t *list, uint32_t length, uint16_t optical, ChartWindow *out)
{
    if (length < 8) return CHART_WINDOW_SHORT;
    uint32_t descLength = Be16(list + 6);
    if (8 + descLength > length) return CHART_WINDOW_SHORT;
    if (descLength < 29) return CHART_WINDOW_DESCRIPTOR;
    const uint8_t *d = list + 8;
    ChartWindow w;
    w.optical = optical;
    w.xres = Be16(d + 2);
    w.yres = Be16(d + 4);
    w.left = Be32(d + 6);
    w.top = Be32(d + 10);
    w.width = Be32(d + 14);
    w.length = Be32(d + 18);
    w.threshold = d[23];
    w.composition = d[25];
    w.halftone = d[28];
    w.feeder = descLength > 72 ? d[72] : 0;
    w.transparency = descLength > 73 ? d[73] : 0;
    *out = w;
    return CHART_WINDOW_OK;
}

int ChartHalftoneBit(uint8_t halftone, uint8_t threshold, uint8_t grey, uint32_t x, uint32_t y)
{
    int n, m;
    if (!DitherCell(halftone, x, y, &n, &m)) return grey >= threshold;
    return 2 * grey * n * n >= (2 * m + 1) * 256;
}

void ChartRenderLine(const ChartWindow &w, const ChartTone &tone, uint32_t line, uint8_t *out)
{
    ChartGeometry g = ChartGeometryOf(w);
    if (g.lineLength == 0) return;
    ChartSource source = ChartSourceOf(w);
    int64_t y = BedY(w, line);
    uint8_t rgb[3];
    if (w.composition == CHART_BW) {
        memset(out, 0, g.lineLength);
        for (uint32_t i = 0; i < g.lineLength * 8; i++) {
            ChartSample(source, BedX(w, i), y, rgb);
            uint8_t grey = tone.channel[0][Luminance(rgb)];
            if (ChartHalftoneBit(w.halftone, w.threshold, grey, i, line)) out[i >> 3] |= (uint8_t)(0x80 >> (i & 7));
        }
        return;
    }
    for (uint32_t i = 0; i < g.pixels; i++) {
        ChartSample(source, BedX(w, i), y, rgb);
        if (g.planes == 3) {
            out[i] = tone.channel[0][rgb[0]];
            out[g.lineLength + i] = tone.channel[1][rgb[1]];
            out[2 * g.lineLength + i] = tone.channel[2][rgb[2]];
        } else {
            out[i] = tone.channel[0][Luminance(rgb)];
        }
    }
}

void ChartRenderImage(const ChartWindow &w, const ChartTone &tone, std::vector<uint8_t> *out)
{
    ChartGeometry g = ChartGeometryOf(w);
    size_t group = (size_t)g.lineLength * g.planes;
    out->assign(group * g.lines, 0);
    for (uint32_t j = 0; j < g.lines; j++) ChartRenderLine(w, tone, j, out->data() + group * j);
}
