// The scans themselves: the final scan into the temporary scan file, the
// strip reader of the memory transfer, the prescan and the zoom.
#pragma once
#include <windows.h>
#include <stdint.h>
#include "scan/scan_window.h"

enum { SCAN_FINAL = 0, SCAN_PRESCAN = 1, SCAN_ZOOM = 2 };
enum { LOOP_NOT_STARTED = 0, LOOP_DONE = 1, LOOP_STOPPED = 2 };
enum { TEMP_SCAN_OK = 0, TEMP_SCAN_FAILED = 1, TEMP_SCAN_CANCELLED = 3 };

extern uint16_t YAccumulator;          // carried across the bands of one image
extern HANDLE TempScanFile;            // open for reading after a good scan
extern bool TempScanFileOpen;

// Lines per band so that one stretched band fits in 32768 bytes; 0 when
// not even one line does.
uint32_t BandLines(uint32_t bytesPerLine, uint16_t yEffective, uint16_t yLimit);

// The progress box's caption of a scan: "読み取り " and the like, then the
// mode's name.
void ScanCaption(int scanKind, char *caption, int size);

// One scan band by band into an open file (colour loop for mode 0, the
// grey and black and white loop otherwise).
int RunScanLoop(int scanKind, HANDLE output);

// The final scan into a new temporary scan file, left open for reading.
int ScanToTempFile();

// Up to capacity lines of the running final scan into the caller's
// buffer (capacity x BytesPerLine bytes); 0 after a failure has been shown.
uint32_t ReadStrip(uint8_t *destination, uint32_t capacity);

// 0 when the temporary directory's drive has room for the image, 1 after
// the user has been told it has not.
int CheckFreeSpace(double imageKB);
// Free space of the temporary directory's drive, in KB.
double TempDriveFreeKB();

// Preview geometry the main dialog supplies for a prescan or a zoom.
struct PreviewRequest {
    int kind;               // SCAN_PRESCAN or SCAN_ZOOM
    int paneWidth, paneHeight;
    int prescanRows;        // prescan: "Prescan Length" in pane rows
    ZoomRegion region;      // zoom: the region, 1/100 inch
};
// Scans the preview file of its kind; 1 when the file was replaced.
int PrescanOrZoom(HWND owner, const PreviewRequest &request);
