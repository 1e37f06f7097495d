#include "acquire/transfer.h"
#include <stdio.h>
#include <string.h>
#include "acquire/bmp_io.h"
#include "acquire/image_checks.h"
#include "acquire/negotiate.h"
#include "acquire/report.h"
#include "acquire/session.h"
#include "acquire/transfer_parts.h"
#include "acquire/watchdog.h"

namespace {

ImageDescription DescribeInfo(const TW_IMAGEINFO &info)
{
    ImageDescription d = {};
    d.width = info.ImageWidth;
    d.length = info.ImageLength;
    d.samplesPerPixel = info.SamplesPerPixel;
    for (int i = 0; i < 8; ++i)
        d.bitsPerSample[i] = info.BitsPerSample[i];
    d.bitsPerPixel = info.BitsPerPixel;
    d.planar = info.Planar;
    d.pixelType = info.PixelType;
    d.compression = info.Compression;
    return d;
}

void ReportInfo(const TW_IMAGEINFO &i)
{
    Report("imageinfo: rc=0 (SUCCESS) XResolution=%.4g YResolution=%.4g ImageWidth=%ld ImageLength=%ld"
           " SamplesPerPixel=%d BitsPerSample=%d,%d,%d,%d,%d,%d,%d,%d BitsPerPixel=%d Planar=%u"
           " PixelType=%d (%s) Compression=%u",
           i.XResolution.Whole + i.XResolution.Frac / 65536.0,
           i.YResolution.Whole + i.YResolution.Frac / 65536.0, long(i.ImageWidth),
           long(i.ImageLength), i.SamplesPerPixel, i.BitsPerSample[0], i.BitsPerSample[1],
           i.BitsPerSample[2], i.BitsPerSample[3], i.BitsPerSample[4], i.BitsPerSample[5],
           i.BitsPerSample[6], i.BitsPerSample[7], i.BitsPerPixel, i.Planar, i.PixelType,
           PixelTypeName(i.PixelType), i.Compression);
}

// The packed DIB behind a native transfer's handle, written as a BMP file.
int SaveDib(HGLOBAL handle, SIZE_T size, ImageTransfer *t)
{
    const uint8_t *dib = size ? static_cast<const uint8_t *>(GlobalLock(handle)) : nullptr;
    if (dib == nullptr) {
        Report("error: the handle the source returned is not global memory");
        return EXIT_TRANSFER;
    }
    BmpShape shape;
    int rc = BmpReadDib(dib, size, &shape);
    int code = EXIT_OK;
    if (rc != BMP_OK) {
        Report("error: the source's bitmap (%lu bytes) is not usable: %s", (unsigned long)size,
               BmpResultText(rc));
        code = EXIT_TRANSFER;
    } else {
        Report("dib: bytes=%lu width=%ld height=%ld bits=%d palette=%lu", (unsigned long)size,
               long(shape.width), long(shape.height), shape.bitsPerPixel,
               (unsigned long)shape.paletteEntries);
        ImageDescription d = DescribeInfo(t->info);
        const char *mismatch = ImageShapeMismatch(&d, shape.width, shape.height,
                                                  shape.bitsPerPixel);
        if (mismatch != nullptr) {
            Report("error: the source's bitmap is not the image DAT_IMAGEINFO described: %s",
                   mismatch);
            code = EXIT_TRANSFER;
        }
    }
    if (code == EXIT_OK && t->outPath != nullptr) {
        uint8_t fileHeader[BMP_FILE_HEADER_SIZE];
        BmpWriteFileHeader(&shape, fileHeader);
        // Only what the headers describe: the block may be larger.
        FilePiece pieces[2] = {{fileHeader, sizeof fileHeader},
                               {dib, size_t(shape.headerBytes) + shape.imageBytes}};
        code = WritePieces(t->outPath, pieces, 2) ? EXIT_OK : EXIT_OUTPUT;
    }
    GlobalUnlock(handle);
    if (code == EXIT_OK && t->outPath != nullptr) {
        BmpShape written;
        if (CheckBmpFile(t->outPath, &written) != BMP_OK)
            code = EXIT_OUTPUT;
    }
    return code;
}

int TransferNative(Link *link, ImageTransfer *t)
{
    TW_UINT32 handle = 0;
    WatchdogNote("DAT_IMAGENATIVEXFER");
    unsigned long start = TransferClock();
    t->rc = LinkCall(link, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle);
    unsigned long ms = TransferClock() - start;
    HGLOBAL memory = reinterpret_cast<HGLOBAL>(uintptr_t(handle));
    SIZE_T size = handle != 0 ? GlobalSize(memory) : 0;
    ReportTransferResult(link, "native", t->rc, (unsigned long)size, ms);
    if (t->rc != TWRC_XFERDONE) {
        if (handle != 0) {
            Report("warning: the source returned a handle with rc=%u; freeing it", t->rc);
            GlobalFree(memory);
        }
        return EXIT_TRANSFER;
    }
    if (handle == 0) {
        Report("error: XFERDONE without a bitmap handle");
        return EXIT_TRANSFER;
    }
    int code = SaveDib(memory, size, t);
    // The bitmap is the application's once handed over.
    GlobalFree(memory);
    return code;
}

// The name the file goes under: the caller's, made absolute (the source
// resolves a relative one against the current directory, which is ours,
// but the report should say where the file is), or the source's default.
int ChooseFileName(Link *link, ImageTransfer *t, TW_SETUPFILEXFER *setup, char *path,
                   int pathSize)
{
    memset(setup, 0, sizeof *setup);
    char shown[3 * sizeof setup->FileName];
    if (t->outPath == nullptr) {
        TW_UINT16 rc = LinkCall(link, DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, setup);
        setup->FileName[sizeof setup->FileName - 1] = '\0';
        Cp932ToUtf8(setup->FileName, sizeof setup->FileName, shown, sizeof shown);
        char key[sizeof shown + 64];
        snprintf(key, sizeof key, "setupfilexfer: get FileName=%s Format=%u", shown,
                 setup->Format);
        if (LinkReport(link, key, rc, false) != TWRC_SUCCESS)
            return EXIT_TRANSFER;
        if (setup->Format != TWFF_BMP || setup->FileName[0] == '\0') {
            Report("error: the source's default file is not a named BMP file");
            return EXIT_TRANSFER;
        }
        DWORD n = GetFullPathNameA(setup->FileName, pathSize, path, nullptr);
        return n > 0 && int(n) < pathSize ? EXIT_OK : EXIT_OUTPUT;
    }
    DWORD n = GetFullPathNameA(t->outPath, pathSize, path, nullptr);
    if (n == 0 || int(n) >= pathSize || n >= sizeof setup->FileName) {
        Report("error: --out: the full path must fit TW_SETUPFILEXFER.FileName (255 bytes)");
        return EXIT_OUTPUT;
    }
    strcpy(setup->FileName, path);
    setup->Format = TWFF_BMP;
    Cp932ToUtf8(setup->FileName, sizeof setup->FileName, shown, sizeof shown);
    char key[sizeof shown + 64];
    snprintf(key, sizeof key, "setupfilexfer: set FileName=%s Format=%u", shown,
             setup->Format);
    TW_UINT16 rc = LinkCall(link, DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, setup);
    return LinkReport(link, key, rc, false) == TWRC_SUCCESS ? EXIT_OK : EXIT_TRANSFER;
}

int TransferFile(Link *link, ImageTransfer *t)
{
    TW_SETUPFILEXFER setup;
    char path[MAX_PATH];
    WatchdogNote("DAT_SETUPFILEXFER");
    int code = ChooseFileName(link, t, &setup, path, sizeof path);
    if (code != EXIT_OK)
        return code;
    // A file left from an earlier run must not pass for this image.
    DeleteFileA(path);
    WatchdogNote("DAT_IMAGEFILEXFER");
    unsigned long start = TransferClock();
    t->rc = LinkCall(link, DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
    unsigned long ms = TransferClock() - start;
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    unsigned long bytes = 0;
    if (GetFileAttributesExA(path, GetFileExInfoStandard, &attributes))
        bytes = attributes.nFileSizeLow;
    ReportTransferResult(link, "file", t->rc, bytes, ms);
    if (t->rc != TWRC_XFERDONE)
        return EXIT_TRANSFER;
    BmpShape shape;
    int rc = CheckBmpFile(path, &shape);
    if (rc != BMP_OK)
        return rc < 0 ? EXIT_OUTPUT : EXIT_TRANSFER;
    ImageDescription d = DescribeInfo(t->info);
    const char *mismatch = ImageShapeMismatch(&d, shape.width, shape.height, shape.bitsPerPixel);
    if (mismatch != nullptr) {
        Report("error: the source's file is not the image DAT_IMAGEINFO described: %s", mismatch);
        return EXIT_TRANSFER;
    }
    return EXIT_OK;
}

} // namespace

unsigned long TransferClock()
{
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (unsigned long)(now.QuadPart * 1000 / frequency.QuadPart);
}

void ReportTransferResult(Link *link, const char *mech, TW_UINT16 rc, unsigned long bytes,
                          unsigned long ms)
{
    Report("transfer: %s rc=%u (%s) bytes=%lu ms=%lu", mech, rc, ReturnCodeName(rc), bytes, ms);
    if (rc == TWRC_FAILURE)
        LinkReportStatus(link, false);
    if (rc == TWRC_CANCEL)
        Report("error: the source cancelled the %s transfer", mech);
    else if (rc != TWRC_XFERDONE && rc != TWRC_SUCCESS)
        Report("error: the %s transfer failed", mech);
}

int ReadImageInfo(Link *link, ImageTransfer *t)
{
    memset(&t->info, 0, sizeof t->info);
    WatchdogNote("DAT_IMAGEINFO");
    TW_UINT16 rc = LinkCall(link, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &t->info);
    if (rc != TWRC_SUCCESS) {
        LinkReport(link, "imageinfo", rc, false);
        return EXIT_TRANSFER;
    }
    ReportInfo(t->info);
    ImageDescription d = DescribeInfo(t->info);
    const char *problem = ImageDescriptionProblem(&d);
    if (problem != nullptr) {
        Report("error: DAT_IMAGEINFO: %s", problem);
        return EXIT_TRANSFER;
    }
    return EXIT_OK;
}

int TakeImage(Link *link, const Options *opt, ImageTransfer *t)
{
    switch (opt->xfer) {
    case XFER_MEMORY:
        return TransferMemory(link, opt, t);
    case XFER_FILE:
        return TransferFile(link, t);
    default:
        return TransferNative(link, t);
    }
}
