// The memory transfer: DAT_SETUPMEMXFER, then DAT_IMAGEMEMXFER once per
// strip into a buffer the application owns, until the source reports
// XFERDONE; the strips become the rows of a BMP file.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "acquire/bmp_io.h"
#include "acquire/report.h"
#include "acquire/session.h"
#include "acquire/strip_image.h"
#include "acquire/transfer_parts.h"
#include "acquire/watchdog.h"

namespace {

const TW_UINT16 kDontCare16 = 0xFFFF;
const TW_UINT32 kDontCare32 = 0xFFFFFFFF;
// Bytes after Memory.Length that the source must leave alone.
const TW_UINT32 kGuardBytes = 256;
const TW_UINT8 kGuardByte = 0xA5;

// The application's strip buffer, with a guard area after Length bytes.
struct StripBuffer {
    int kind; // MEM_POINTER or MEM_HANDLE
    HGLOBAL memory;
    TW_UINT32 length;
};

bool AllocBuffer(StripBuffer *b, int kind, TW_UINT32 length)
{
    b->kind = kind;
    b->length = length;
    UINT flags = kind == MEM_HANDLE ? GMEM_MOVEABLE | GMEM_ZEROINIT : GMEM_FIXED | GMEM_ZEROINIT;
    b->memory = GlobalAlloc(flags, SIZE_T(length) + kGuardBytes);
    TW_UINT8 *p = b->memory ? static_cast<TW_UINT8 *>(GlobalLock(b->memory)) : nullptr;
    if (p == nullptr)
        return false;
    memset(p + length, kGuardByte, kGuardBytes);
    GlobalUnlock(b->memory);
    return true;
}

void FreeBuffer(StripBuffer *b)
{
    if (b->memory != nullptr)
        GlobalFree(b->memory);
    b->memory = nullptr;
}

void DescribeBuffer(const StripBuffer *b, TW_MEMORY *m)
{
    m->Flags = TWMF_APPOWNS | (b->kind == MEM_HANDLE ? TWMF_HANDLE : TWMF_POINTER);
    m->Length = b->length;
    // A fixed block's handle is its address.
    m->TheMem = b->memory;
}

bool GuardIntact(const TW_UINT8 *p, TW_UINT32 length)
{
    for (TW_UINT32 i = 0; i < kGuardBytes; ++i) {
        if (p[length + i] != kGuardByte)
            return false;
    }
    return true;
}

struct MemoryRun {
    StripImage image;
    StripBuffer buffer;
    unsigned long bytes;
};

int SetUpBuffer(Link *link, const Options *opt, MemoryRun *run)
{
    TW_SETUPMEMXFER setup = {};
    WatchdogNote("DAT_SETUPMEMXFER");
    TW_UINT16 rc = LinkCall(link, DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup);
    char key[160];
    snprintf(key, sizeof key, "setupmemxfer: MinBufSize=%lu MaxBufSize=%lu Preferred=%lu",
             (unsigned long)setup.MinBufSize, (unsigned long)setup.MaxBufSize,
             (unsigned long)setup.Preferred);
    if (LinkReport(link, key, rc, false) != TWRC_SUCCESS)
        return EXIT_TRANSFER;
    TW_UINT32 length = opt->bufferSize != 0 ? TW_UINT32(opt->bufferSize) : setup.Preferred;
    if (length == 0) {
        Report("error: the source prefers a buffer of 0 bytes; give --buffer");
        return EXIT_TRANSFER;
    }
    if (length < setup.MinBufSize || length > setup.MaxBufSize)
        Report("note: a buffer of %lu bytes is outside the source's %lu to %lu",
               (unsigned long)length, (unsigned long)setup.MinBufSize,
               (unsigned long)setup.MaxBufSize);
    int kind = opt->memory == MEM_HANDLE ? MEM_HANDLE : MEM_POINTER;
    if (!AllocBuffer(&run->buffer, kind, length)) {
        Report("error: no memory for a buffer of %lu bytes", (unsigned long)length);
        return EXIT_TRANSFER;
    }
    Report("buffer: %s Length=%lu", kind == MEM_HANDLE ? "TWMF_APPOWNS|TWMF_HANDLE"
                                                       : "TWMF_APPOWNS|TWMF_POINTER",
           (unsigned long)length);
    return EXIT_OK;
}

int SetUpImage(const TW_IMAGEINFO &info, MemoryRun *run)
{
    if (!StripImageInit(&run->image, info.ImageWidth, info.ImageLength, info.BitsPerPixel)) {
        Report("error: cannot assemble an image of %ld x %ld at %d bits", long(info.ImageWidth),
               long(info.ImageLength), info.BitsPerPixel);
        return EXIT_TRANSFER;
    }
    size_t size = size_t(run->image.stride) * size_t(run->image.height);
    run->image.rows = static_cast<uint8_t *>(calloc(size, 1));
    if (run->image.rows == nullptr) {
        Report("error: no memory for the image (%lu bytes)", (unsigned long)size);
        return EXIT_TRANSFER;
    }
    return EXIT_OK;
}

void ReportStrip(int number, TW_UINT16 rc, const TW_IMAGEMEMXFER &x)
{
    Report("strip: %d rc=%u (%s) Compression=%u BytesPerRow=%lu Columns=%lu Rows=%lu"
           " XOffset=%lu YOffset=%lu BytesWritten=%lu",
           number, rc, ReturnCodeName(rc), x.Compression, (unsigned long)x.BytesPerRow,
           (unsigned long)x.Columns, (unsigned long)x.Rows, (unsigned long)x.XOffset,
           (unsigned long)x.YOffset, (unsigned long)x.BytesWritten);
}

// Checks and copies the strip now in the buffer.
int TakeStrip(MemoryRun *run, const TW_IMAGEMEMXFER &x)
{
    StripBuffer *b = &run->buffer;
    const TW_UINT8 *data = static_cast<const TW_UINT8 *>(GlobalLock(b->memory));
    if (data == nullptr) {
        Report("error: the strip buffer cannot be locked after the strip");
        return EXIT_TRANSFER;
    }
    int code = EXIT_OK;
    if (!GuardIntact(data, b->length)) {
        Report("error: the source wrote past Memory.Length (%lu bytes)", (unsigned long)b->length);
        code = EXIT_TRANSFER;
    } else {
        StripDesc d = {x.Compression, x.BytesPerRow, x.Columns, x.Rows,
                       x.XOffset,     x.YOffset,     x.BytesWritten};
        int rc = StripAdd(&run->image, &d, data, b->length);
        if (rc != STRIP_OK) {
            Report("error: strip %d: %s", run->image.strips + 1, StripResultText(rc));
            code = EXIT_TRANSFER;
        }
        run->bytes += x.BytesWritten;
    }
    GlobalUnlock(b->memory);
    return code;
}

// Calls DAT_IMAGEMEMXFER until XFERDONE or a failure. Every strip adds
// rows or is refused, so the loop ends within ImageLength strips.
int ReceiveStrips(Link *link, MemoryRun *run, ImageTransfer *t)
{
    for (int number = 1;; ++number) {
        TW_IMAGEMEMXFER x;
        x.Compression = kDontCare16;
        x.BytesPerRow = x.Columns = x.Rows = kDontCare32;
        x.XOffset = x.YOffset = x.BytesWritten = kDontCare32;
        DescribeBuffer(&run->buffer, &x.Memory);
        WatchdogNote("DAT_IMAGEMEMXFER");
        t->rc = LinkCall(link, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &x);
        ReportStrip(number, t->rc, x);
        if (t->rc != TWRC_SUCCESS && t->rc != TWRC_XFERDONE)
            return EXIT_TRANSFER;
        if (TakeStrip(run, x) != EXIT_OK)
            return EXIT_TRANSFER;
        if (t->rc == TWRC_XFERDONE)
            return EXIT_OK;
    }
}

int WriteImage(const MemoryRun *run, ImageTransfer *t)
{
    if (t->outPath == nullptr)
        return EXIT_OK;
    BmpShape shape;
    int dpi = t->info.XResolution.Whole;
    if (!BmpShapeFor(run->image.width, run->image.height, run->image.bitsPerPixel, dpi, &shape))
        return EXIT_TRANSFER;
    uint8_t headers[BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE + 256 * 4];
    size_t headerSize = BmpWriteHeaders(&shape, headers, sizeof headers);
    FilePiece pieces[2] = {{headers, headerSize}, {run->image.rows, shape.imageBytes}};
    if (!WritePieces(t->outPath, pieces, 2))
        return EXIT_OUTPUT;
    BmpShape written;
    return CheckBmpFile(t->outPath, &written) == BMP_OK ? EXIT_OK : EXIT_OUTPUT;
}

} // namespace

int TransferMemory(Link *link, const Options *opt, ImageTransfer *t)
{
    MemoryRun run = {};
    t->rc = TWRC_FAILURE;
    int code = SetUpImage(t->info, &run);
    if (code == EXIT_OK)
        code = SetUpBuffer(link, opt, &run);
    if (code == EXIT_OK) {
        unsigned long start = TransferClock();
        code = ReceiveStrips(link, &run, t);
        unsigned long ms = TransferClock() - start;
        ReportTransferResult(link, "memory", t->rc, run.bytes, ms);
        if (code == EXIT_OK && !StripImageComplete(&run.image)) {
            Report("error: XFERDONE after %lu of %ld rows", (unsigned long)run.image.rowsDone,
                   long(run.image.height));
            code = EXIT_TRANSFER;
        }
        if (code == EXIT_OK)
            Report("strips: %d rows=%lu", run.image.strips, (unsigned long)run.image.rowsDone);
    }
    if (code == EXIT_OK)
        code = WriteImage(&run, t);
    FreeBuffer(&run.buffer);
    free(run.image.rows);
    return code;
}
