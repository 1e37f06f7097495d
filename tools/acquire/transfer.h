// One image in state 6: DAT_IMAGEINFO, then a native, memory or file
// transfer, the BMP file written (or, for a file transfer, read back) and
// checked. Each step prints a line:
//   imageinfo: XResolution=300 YResolution=300 ImageWidth=1200 ...
//   transfer: native rc=6 (XFERDONE) bytes=4320054 ms=812
//   bmp: "Z:\tmp\scan.bmp" bytes=4320054 width=1200 height=1200 bits=24 palette=0
#pragma once
#include "acquire/link.h"

struct ImageTransfer {
    TW_IMAGEINFO info;
    const char *outPath; // Windows path of the BMP to write; null: none (file: the source's name)
    TW_UINT16 rc;        // the transfer triplet's last return code; TWRC_FAILURE when
                         // none was called
};

// DAT_IMAGEINFO MSG_GET, printed and checked. Returns an exit code.
int ReadImageInfo(Link *link, ImageTransfer *t);
// The transfer that --xfer names. Returns an exit code; t->rc tells the
// session how to end the transfer: MSG_ENDXFER once the source has started
// an image (XFERDONE, CANCEL, or SUCCESS of a strip), MSG_RESET otherwise.
int TakeImage(Link *link, const Options *opt, ImageTransfer *t);
