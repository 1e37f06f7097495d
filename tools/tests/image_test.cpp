// The tool's image arithmetic: memory strips assembled into a bottom-up BMP,
// the BMP headers, the reading of a source's bitmap and file, the checks of
// DAT_IMAGEINFO, and output file names. Written files are read back by a
// reader of this test's own, from the BMP layout, not by the tool's reader.
#include <stdlib.h>
#include "acquire/bmp_layout.h"
#include "acquire/image_checks.h"
#include "acquire/out_path.h"
#include "acquire/strip_image.h"
#include "check.h"

namespace {

// --- an independent BMP reader ---------------------------------------------

uint32_t Le16(const uint8_t *p)
{
    return p[0] | p[1] << 8;
}

uint32_t Le32(const uint8_t *p)
{
    return Le16(p) | Le16(p + 2) << 16;
}

// The sample at (x, y) of the test image, counted from the top: a value for
// each channel that differs between neighbours, rows and channels.
uint8_t Sample(int x, int y, int channel)
{
    return uint8_t(x * 7 + y * 31 + channel * 101 + 3);
}

// One bit per pixel: a pattern that is not the same in any two neighbouring rows.
int Bit(int x, int y)
{
    return ((x * 3 + y * 5) / 2) & 1;
}

// A row as the source delivers it: R, G, B for colour, MSB first for 1 bit,
// then bytesPerRow − row bytes of junk the tool must not copy into the BMP.
void SourceRow(int bits, int width, int y, uint32_t bytesPerRow, uint8_t *out)
{
    memset(out, 0xEE, bytesPerRow);
    if (bits == 1) {
        memset(out, 0, (width + 7) / 8);
        for (int x = 0; x < width; ++x)
            out[x / 8] |= uint8_t(Bit(x, y) << (7 - x % 8));
    } else {
        int channels = bits / 8;
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                out[x * channels + c] = Sample(x, y, c);
    }
}

// Checks a whole BMP file against the test image: headers, palette, padding
// and every pixel, with the rows bottom-up and colour stored B, G, R.
void CheckBmp(const char *name, const uint8_t *file, size_t size, int width, int height,
              int bits, int dpi)
{
    uint32_t rowBytes = (uint32_t(width) * bits + 7) / 8;
    uint32_t stride = (rowBytes + 3) / 4 * 4;
    uint32_t palette = bits == 1 ? 2 : bits == 8 ? 256 : 0;
    uint32_t offBits = 14 + 40 + 4 * palette;
    CHECK(file[0] == 'B' && file[1] == 'M', "%s: type", name);
    CHECK(Le32(file + 2) == offBits + stride * height && size == Le32(file + 2),
          "%s: bfSize %u, file %u", name, Le32(file + 2), unsigned(size));
    CHECK(Le32(file + 10) == offBits, "%s: bfOffBits %u, want %u", name, Le32(file + 10), offBits);
    const uint8_t *info = file + 14;
    CHECK(Le32(info) == 40, "%s: biSize", name);
    CHECK(int32_t(Le32(info + 4)) == width && int32_t(Le32(info + 8)) == height,
          "%s: size %d x %d", name, int32_t(Le32(info + 4)), int32_t(Le32(info + 8)));
    CHECK(Le16(info + 12) == 1 && Le16(info + 14) == uint32_t(bits), "%s: planes/bits", name);
    CHECK(Le32(info + 16) == 0 && Le32(info + 20) == stride * height, "%s: compression/size",
          name);
    // 300 dpi: 300 × 10000 / 254 = 11811 pixels per metre.
    uint32_t ppm = uint32_t(dpi) * 10000 / 254;
    CHECK(Le32(info + 24) == ppm && Le32(info + 28) == ppm, "%s: pels per metre %u", name,
          Le32(info + 24));
    CHECK(Le32(info + 32) == palette, "%s: biClrUsed %u", name, Le32(info + 32));
    for (uint32_t i = 0; i < palette; ++i) {
        const uint8_t *e = info + 40 + 4 * i;
        uint8_t level = uint8_t(palette == 2 ? i * 255 : i);
        CHECK(e[0] == level && e[1] == level && e[2] == level && e[3] == 0,
              "%s: palette entry %u", name, i);
    }
    int bad = 0;
    for (int y = 0; y < height; ++y) {
        const uint8_t *row = file + offBits + size_t(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            bool same;
            if (bits == 1)
                same = ((row[x / 8] >> (7 - x % 8)) & 1) == Bit(x, y);
            else if (bits == 8)
                same = row[x] == Sample(x, y, 0);
            else
                same = row[3 * x] == Sample(x, y, 2) && row[3 * x + 1] == Sample(x, y, 1) &&
                       row[3 * x + 2] == Sample(x, y, 0);
            bad += same ? 0 : 1;
        }
        // Whole pad bytes are zero; in 1-bit rows the pixels end mid-byte
        // with whatever the source sent, which BMP readers ignore.
        for (uint32_t b = rowBytes; b < stride; ++b)
            bad += row[b] == 0 ? 0 : 1;
    }
    CHECK(bad == 0, "%s: %d wrong pixels or pad bytes", name, bad);
}

// --- strips into a BMP ------------------------------------------------------

struct AssemblyCase {
    const char *name;
    int width, height, bits;
    uint32_t bytesPerRow; // as the source lays its rows out
    int strips[4];        // rows per strip, 0 ends
};

const AssemblyCase kAssemblies[] = {
    // One pixel per row: 1 byte of pixels, 3 pad bytes in every BMP row.
    {"bw 1 wide", 1, 3, 1, 4, {1, 2}},
    // The source's rows unpadded (2 bytes), the BMP's padded to 4.
    {"bw 13 wide", 13, 5, 1, 2, {5}},
    {"grey 5 wide", 5, 4, 8, 8, {1, 1, 2}},
    {"grey 8 wide", 8, 2, 8, 8, {2}},
    {"colour 3 wide", 3, 4, 24, 12, {3, 1}},
    // 12 bytes per row: no padding at all.
    {"colour 4 wide", 4, 2, 24, 12, {1, 1}},
    {"colour 101 wide", 101, 7, 24, 304, {2, 2, 3}},
    // Rows further apart than needed.
    {"colour spread rows", 2, 3, 24, 16, {3}},
};

void RunAssembly(const AssemblyCase &c)
{
    StripImage image;
    CHECK(StripImageInit(&image, c.width, c.height, c.bits), "%s: init", c.name);
    image.rows = static_cast<uint8_t *>(calloc(size_t(image.stride) * c.height, 1));
    uint8_t buffer[4096];
    int y = 0;
    for (int i = 0; i < 4 && c.strips[i] != 0; ++i) {
        StripDesc d = {0, c.bytesPerRow, uint32_t(c.width), uint32_t(c.strips[i]), 0,
                       uint32_t(y), c.bytesPerRow * c.strips[i]};
        for (int r = 0; r < c.strips[i]; ++r)
            SourceRow(c.bits, c.width, y + r, c.bytesPerRow, buffer + r * c.bytesPerRow);
        int rc = StripAdd(&image, &d, buffer, sizeof buffer);
        CHECK(rc == STRIP_OK, "%s: strip %d: %s", c.name, i, StripResultText(rc));
        y += c.strips[i];
    }
    CHECK(StripImageComplete(&image), "%s: %u rows", c.name, image.rowsDone);
    BmpShape shape;
    CHECK(BmpShapeFor(c.width, c.height, c.bits, 300, &shape), "%s: shape", c.name);
    static uint8_t file[64 * 1024];
    size_t headers = BmpWriteHeaders(&shape, file, sizeof file);
    CHECK(headers > 0, "%s: headers", c.name);
    memcpy(file + headers, image.rows, shape.imageBytes);
    CheckBmp(c.name, file, headers + shape.imageBytes, c.width, c.height, c.bits, 300);
    free(image.rows);
}

// Strips a source might describe wrongly. The image is 3 pixels of colour
// wide (9 bytes a row) and 4 rows long; the buffer is 30 bytes.
struct BadStripCase {
    const char *name;
    StripDesc strip;
    int want;
};

const BadStripCase kBadStrips[] = {
    {"compressed", {1, 12, 3, 2, 0, 0, 21}, STRIP_COMPRESSED},
    {"too narrow", {0, 12, 2, 2, 0, 0, 21}, STRIP_COLUMNS},
    {"starts lower", {0, 12, 3, 2, 0, 1, 21}, STRIP_NOT_NEXT},
    {"starts right", {0, 12, 3, 2, 1, 0, 21}, STRIP_NOT_NEXT},
    {"no rows", {0, 12, 3, 0, 0, 0, 0}, STRIP_EMPTY},
    {"past the end", {0, 9, 3, 5, 0, 0, 45}, STRIP_PAST_END},
    {"short rows", {0, 8, 3, 2, 0, 0, 16}, STRIP_ROW_TOO_SHORT},
    // 12 × 2 + 9 = 33 bytes for three rows: beyond the buffer.
    {"beyond the buffer", {0, 12, 3, 3, 0, 0, 30}, STRIP_OVER_BUFFER},
    {"too few written", {0, 12, 3, 2, 0, 0, 20}, STRIP_BYTES_WRITTEN},
    {"more written than the buffer", {0, 12, 3, 2, 0, 0, 31}, STRIP_BYTES_WRITTEN},
    // The last row needs its pixels only: 12 + 9 = 21 bytes.
    {"last row unpadded", {0, 12, 3, 2, 0, 0, 21}, STRIP_OK},
    {"all rows", {0, 9, 3, 3, 0, 0, 27}, STRIP_OK},
};

void RunBadStrip(const BadStripCase &c)
{
    StripImage image;
    StripImageInit(&image, 3, 4, 24);
    uint8_t rows[12 * 4];
    memset(rows, 0x5A, sizeof rows);
    image.rows = rows;
    uint8_t buffer[30];
    memset(buffer, 0x11, sizeof buffer);
    int rc = StripAdd(&image, &c.strip, buffer, sizeof buffer);
    CHECK(rc == c.want, "%s: %d (%s), want %d", c.name, rc, StripResultText(rc), c.want);
    if (rc != STRIP_OK) {
        bool untouched = true;
        for (uint8_t b : rows)
            untouched = untouched && b == 0x5A;
        CHECK(untouched && image.rowsDone == 0, "%s: a refused strip changed the image", c.name);
    } else {
        CHECK(image.rowsDone == c.strip.rows, "%s: rows done %u", c.name, image.rowsDone);
    }
}

// The second strip must carry on where the first ended.
void CheckStripSequence()
{
    StripImage image;
    StripImageInit(&image, 3, 4, 24);
    uint8_t rows[12 * 4] = {};
    image.rows = rows;
    uint8_t buffer[30] = {};
    StripDesc first = {0, 12, 3, 2, 0, 0, 24};
    CHECK(StripAdd(&image, &first, buffer, sizeof buffer) == STRIP_OK, "sequence: first");
    StripDesc again = first;
    CHECK(StripAdd(&image, &again, buffer, sizeof buffer) == STRIP_NOT_NEXT, "sequence: repeat");
    StripDesc next = {0, 12, 3, 2, 0, 2, 24};
    CHECK(StripAdd(&image, &next, buffer, sizeof buffer) == STRIP_OK, "sequence: next");
    CHECK(StripImageComplete(&image), "sequence: complete");
    StripDesc extra = {0, 12, 3, 1, 0, 4, 12};
    CHECK(StripAdd(&image, &extra, buffer, sizeof buffer) != STRIP_OK, "sequence: extra row");
    CHECK(!StripImageInit(&image, 3, 4, 16), "16 bits are not assembled");
    CHECK(!StripImageInit(&image, 0, 4, 8), "width 0");
    CHECK(!StripImageInit(&image, 0x7FFFFFFF, 0x7FFFFFFF, 24), "overflowing size");
}

// --- reading a source's bitmap and file --------------------------------------

struct DibCase {
    const char *name;
    int32_t width, height;
    uint32_t infoSize, planes, bits, compression, clrUsed;
    int sizeDelta; // bytes more or fewer than the headers and rows need
    int want;
};

const DibCase kDibs[] = {
    {"colour", 2, 2, 40, 1, 24, 0, 0, 0, BMP_OK},
    {"colour with slack", 2, 2, 40, 1, 24, 0, 0, 136, BMP_OK},
    {"top-down", 2, -2, 40, 1, 24, 0, 0, 0, BMP_OK},
    {"grey, palette implied", 3, 2, 40, 1, 8, 0, 0, 0, BMP_OK},
    {"bw, 2 colours", 9, 2, 40, 1, 1, 0, 2, 0, BMP_OK},
    {"one byte short", 2, 2, 40, 1, 24, 0, 0, -1, BMP_TOO_SHORT},
    {"core header", 2, 2, 12, 1, 24, 0, 0, 0, BMP_BAD_HEADER},
    {"two planes", 2, 2, 40, 2, 24, 0, 0, 0, BMP_BAD_HEADER},
    {"7 bits", 2, 2, 40, 1, 7, 0, 0, 0, BMP_BAD_BITS},
    {"run-length", 2, 2, 40, 1, 8, 1, 0, 0, BMP_COMPRESSED},
    {"no width", 0, 2, 40, 1, 24, 0, 0, 0, BMP_BAD_SIZE},
    {"no height", 2, 0, 40, 1, 24, 0, 0, 0, BMP_BAD_SIZE},
    {"3 colours at 1 bit", 2, 2, 40, 1, 1, 0, 3, 0, BMP_BAD_PALETTE},
    {"2 GB of rows", 0x7FFFFFF0, 4, 40, 1, 32, 0, 0, 0, BMP_BAD_SIZE},
};

void Put32(uint8_t *p, uint32_t v)
{
    for (int b = 0; b < 4; ++b)
        p[b] = uint8_t(v >> (8 * b));
}

// A BITMAPINFOHEADER at its documented offsets, then a zeroed palette and rows.
size_t MakeDib(const DibCase &c, uint8_t *out, size_t outSize)
{
    uint64_t stride = (uint64_t(uint32_t(c.width)) * c.bits + 31) / 32 * 4;
    uint32_t palette = c.clrUsed ? c.clrUsed : c.bits <= 8 ? 1u << c.bits : 0;
    uint32_t rows = uint32_t(c.height < 0 ? -c.height : c.height);
    int64_t needed = int64_t(40 + 4ull * palette + stride * rows) + c.sizeDelta;
    size_t size = needed > int64_t(outSize) ? outSize : size_t(needed);
    memset(out, 0, outSize);
    Put32(out, c.infoSize);
    Put32(out + 4, uint32_t(c.width));
    Put32(out + 8, uint32_t(c.height));
    out[12] = uint8_t(c.planes);
    out[14] = uint8_t(c.bits);
    Put32(out + 16, c.compression);
    Put32(out + 24, 11811);
    Put32(out + 28, 11811);
    Put32(out + 32, c.clrUsed);
    return size;
}

void RunDib(const DibCase &c)
{
    static uint8_t dib[64 * 1024];
    size_t size = MakeDib(c, dib, sizeof dib);
    BmpShape shape;
    int rc = BmpReadDib(dib, size, &shape);
    CHECK(rc == c.want, "dib %s: %d (%s), want %d", c.name, rc, BmpResultText(rc), c.want);
    if (rc == BMP_OK) {
        uint32_t stride = ((uint32_t(c.width) * c.bits + 31) / 32) * 4;
        CHECK(shape.stride == stride && shape.width == c.width && shape.height == c.height,
              "dib %s: shape", c.name);
        uint32_t palette = c.clrUsed ? c.clrUsed : c.bits <= 8 ? 1u << c.bits : 0;
        CHECK(shape.headerBytes == 40 + 4 * palette, "dib %s: rows at %u", c.name,
              shape.headerBytes);
        // A file made of it with the tool's file header reads back the same.
        static uint8_t file[64 * 1024 + 14];
        BmpWriteFileHeader(&shape, file);
        size_t used = shape.headerBytes + shape.imageBytes;
        memcpy(file + 14, dib, used);
        CHECK(Le32(file + 2) == 14 + used && Le32(file + 10) == 14 + shape.headerBytes,
              "dib %s: file header", c.name);
        BmpShape again;
        uint32_t rowsAt, declared;
        rc = BmpReadFile(file, 14 + used, 14 + used, &again, &rowsAt, &declared);
        CHECK(rc == BMP_OK && rowsAt == 14 + shape.headerBytes, "dib %s: as a file: %s", c.name,
              BmpResultText(rc));
    }
}

// A valid 2 × 2 colour file, spoilt one way per case.
void CheckFileReading()
{
    BmpShape shape;
    BmpShapeFor(2, 2, 24, 300, &shape);
    uint8_t file[14 + 40 + 16];
    size_t headers = BmpWriteHeaders(&shape, file, sizeof file);
    CHECK(headers == 54, "colour headers %u bytes", unsigned(headers));
    memset(file + 54, 0, 16);
    uint32_t rowsAt, declared;
    CHECK(BmpReadFile(file, sizeof file, sizeof file, &shape, &rowsAt, &declared) == BMP_OK,
          "valid file");
    // Only the headers at hand, the rest on disk.
    CHECK(BmpReadFile(file, 54, sizeof file, &shape, &rowsAt, &declared) == BMP_OK,
          "headers only");
    CHECK(BmpReadFile(file, sizeof file, sizeof file + 1, &shape, &rowsAt, &declared) ==
              BMP_SIZE_FIELD,
          "bfSize one short of the file");
    CHECK(BmpReadFile(file, sizeof file - 1, sizeof file - 1, &shape, &rowsAt, &declared) ==
              BMP_TOO_SHORT,
          "last byte missing");
    file[10] = 50;
    CHECK(BmpReadFile(file, sizeof file, sizeof file, &shape, &rowsAt, &declared) ==
              BMP_BAD_OFFSET,
          "rows inside the headers");
    file[10] = 54;
    file[1] = 'A';
    CHECK(BmpReadFile(file, sizeof file, sizeof file, &shape, &rowsAt, &declared) == BMP_NOT_BMP,
          "not BM");
    CHECK(BmpReadFile(file, 10, 10, &shape, &rowsAt, &declared) == BMP_TOO_SHORT, "10 bytes");
}

// --- DAT_IMAGEINFO -----------------------------------------------------------

struct InfoCase {
    const char *name;
    ImageDescription d;
    bool usable;
};

const InfoCase kInfos[] = {
    {"colour", {100, 50, 3, {8, 8, 8}, 24, 0, 2, 0}, true},
    {"grey", {100, 50, 1, {8}, 8, 0, 1, 0}, true},
    {"bw", {100, 50, 1, {1}, 1, 0, 0, 0}, true},
    // Entries past SamplesPerPixel are left alone.
    {"grey, stale entries", {100, 50, 1, {8, 8, 8}, 8, 0, 1, 0}, true},
    {"planar", {100, 50, 3, {8, 8, 8}, 24, 1, 2, 0}, false},
    {"compressed", {100, 50, 1, {1}, 1, 0, 0, 1}, false},
    {"no length", {100, 0, 1, {8}, 8, 0, 1, 0}, false},
    {"grey at 24 bits", {100, 50, 1, {8}, 24, 0, 1, 0}, false},
    {"colour, 1 sample", {100, 50, 1, {8, 8, 8}, 24, 0, 2, 0}, false},
    {"colour at 16 bits a sample", {100, 50, 3, {16, 16, 16}, 24, 0, 2, 0}, false},
    {"palette type", {100, 50, 1, {8}, 8, 0, 3, 0}, false},
};

void RunInfo(const InfoCase &c)
{
    const char *problem = ImageDescriptionProblem(&c.d);
    CHECK((problem == nullptr) == c.usable, "info %s: %s", c.name, problem ? problem : "usable");
}

void CheckShapeMismatch()
{
    ImageDescription d = {100, 50, 3, {8, 8, 8}, 24, 0, 2, 0};
    CHECK(ImageShapeMismatch(&d, 100, 50, 24) == nullptr, "same shape");
    CHECK(ImageShapeMismatch(&d, 100, -50, 24) == nullptr, "top-down is the same image");
    CHECK(ImageShapeMismatch(&d, 99, 50, 24) != nullptr, "width");
    CHECK(ImageShapeMismatch(&d, 100, 51, 24) != nullptr, "height");
    CHECK(ImageShapeMismatch(&d, 100, 50, 8) != nullptr, "depth");
}

// --- output names ------------------------------------------------------------

struct PathCase {
    const char *in;
    int page; // 0: ToWindowsPath only
    const char *want;
};

const PathCase kPaths[] = {
    {"/tmp/a.bmp", 0, "Z:\\tmp\\a.bmp"},
    {"C:\\scans\\a.bmp", 0, "C:\\scans\\a.bmp"},
    {"C:/scans/a.bmp", 0, "C:\\scans\\a.bmp"},
    {"out/a.bmp", 0, "out\\a.bmp"},
    {"//server/share/a.bmp", 0, "\\\\server\\share\\a.bmp"},
    {"C:\\x\\scan.bmp", 2, "C:\\x\\scan-2.bmp"},
    {"C:\\x.y\\scan", 3, "C:\\x.y\\scan-3"},
    {"scan.tar.bmp", 12, "scan.tar-12.bmp"},
    {"C:\\x\\.bmp", 1, "C:\\x\\.bmp-1"},
    {"C:scan.bmp", 4, "C:scan-4.bmp"},
};

void RunPath(const PathCase &c)
{
    char out[64];
    bool ok = c.page == 0 ? ToWindowsPath(c.in, out, sizeof out)
                          : PagePath(c.in, c.page, out, sizeof out);
    CHECK(ok && strcmp(out, c.want) == 0, "path %s (%d): [%s], want [%s]", c.in, c.page,
          ok ? out : "(failed)", c.want);
}

void CheckShortPathBuffers()
{
    char out[8];
    CHECK(!ToWindowsPath("/tmp/a.bmp", out, sizeof out), "long path refused");
    CHECK(!PagePath("abcd.bmp", 10, out, sizeof out), "long page path refused");
    CHECK(ToWindowsPath("/a.bm", out, sizeof out) && strcmp(out, "Z:\\a.bm") == 0,
          "path that just fits: [%s]", out);
}

} // namespace

int main()
{
    for (const AssemblyCase &c : kAssemblies)
        RunAssembly(c);
    for (const BadStripCase &c : kBadStrips)
        RunBadStrip(c);
    CheckStripSequence();
    for (const DibCase &c : kDibs)
        RunDib(c);
    CheckFileReading();
    for (const InfoCase &c : kInfos)
        RunInfo(c);
    CheckShapeMismatch();
    for (const PathCase &c : kPaths)
        RunPath(c);
    CheckShortPathBuffers();
    return CheckResult();
}
