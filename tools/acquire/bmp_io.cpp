#include "acquire/bmp_io.h"
#include <windows.h>
#include "acquire/report.h"

namespace {

// Enough for the headers and any palette.
const DWORD kHeadBytes = 8192;

void QuotePath(const char *path, char *out, int outSize)
{
    Cp932ToUtf8(path, MAX_PATH, out, outSize);
}

} // namespace

bool WritePieces(const char *path, const FilePiece *pieces, int count)
{
    char shown[3 * MAX_PATH];
    QuotePath(path, shown, sizeof shown);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Report("error: cannot create %s (error %lu)", shown, GetLastError());
        return false;
    }
    bool ok = true;
    for (int i = 0; i < count && ok; ++i) {
        const char *p = static_cast<const char *>(pieces[i].data);
        size_t left = pieces[i].size;
        while (left > 0 && ok) {
            DWORD chunk = left > 0x10000000 ? 0x10000000 : DWORD(left), written = 0;
            ok = WriteFile(file, p, chunk, &written, nullptr) && written == chunk;
            p += chunk;
            left -= chunk;
        }
    }
    if (!ok)
        Report("error: cannot write %s (error %lu)", shown, GetLastError());
    if (!CloseHandle(file) && ok) {
        Report("error: cannot close %s (error %lu)", shown, GetLastError());
        ok = false;
    }
    if (!ok)
        DeleteFileA(path);
    return ok;
}

int CheckBmpFile(const char *path, BmpShape *shape)
{
    char shown[3 * MAX_PATH];
    QuotePath(path, shown, sizeof shown);
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Report("error: cannot open %s (error %lu)", shown, GetLastError());
        return -1;
    }
    static uint8_t head[kHeadBytes];
    DWORD high = 0, got = 0;
    DWORD low = GetFileSize(file, &high);
    uint64_t size = uint64_t(high) << 32 | low;
    bool read = low != INVALID_FILE_SIZE || GetLastError() == NO_ERROR;
    read = read && ReadFile(file, head, kHeadBytes, &got, nullptr);
    CloseHandle(file);
    if (!read) {
        Report("error: cannot read %s (error %lu)", shown, GetLastError());
        return -1;
    }
    uint32_t rowsAt = 0, declared = 0;
    int rc = BmpReadFile(head, got, size, shape, &rowsAt, &declared);
    if (rc != BMP_OK) {
        Report("error: %s (%llu bytes, bfSize %lu) is not a usable BMP: %s", shown,
               (unsigned long long)size, (unsigned long)declared, BmpResultText(rc));
        return rc;
    }
    Report("bmp: %s bytes=%llu width=%ld height=%ld bits=%d palette=%lu offbits=%lu", shown,
           (unsigned long long)size, long(shape->width), long(shape->height), shape->bitsPerPixel,
           (unsigned long)shape->paletteEntries, (unsigned long)rowsAt);
    return BMP_OK;
}
