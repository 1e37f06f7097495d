// The scan job: how the user's settings become the scan parameter block the
// scanner is sent, and the geometry of the image the next final scan
// delivers.
#pragma once
#include <stdint.h>

enum { SCAN_BLOCK_SIZE = 4 + 1024 + 99, SCAN_BLOCK_WINDOW = 1028 };
enum { KIND_BW = 600, KIND_GREY = 601, KIND_COLOUR = 602 };

// Geometry of the image the prepared final scan delivers. Every count is
// kept wide: a line or an image longer than 16 bits allow is refused where
// it is used, never wrapped.
struct ImageGeometryRecord {
    uint32_t ImageWidth;
    uint32_t ImageLength;
    uint32_t BitsPerPixel;
    uint32_t Kind;
    uint32_t XResolution, YResolution;
    uint32_t BytesPerLine;
    uint32_t DeviceLines;
    uint32_t DeviceLineLength;
};

struct JobFlags {
    bool zoom;
    bool prescan;
    bool imageInformation;
    bool prepared;
    bool busy;
};

extern ImageGeometryRecord ImageGeometry;
extern JobFlags Job;
extern uint16_t YLimit;
extern uint8_t ScanBlock[SCAN_BLOCK_SIZE];
extern uint8_t WindowList[99];          // the template as the last job left it

// Resolutions the scanner is asked for, and whether software stretches.
struct ResolutionSplit {
    uint16_t hardwareX, hardwareY;
    uint16_t yLimit;
    bool stretchX, stretchY;
};
ResolutionSplit SplitResolution(uint16_t effectiveX, uint16_t effectiveY, int source,
                                uint16_t optical, uint16_t maxResolution);

// Entry i of the feeder curve for input level t.
uint8_t FeederCurve(uint8_t t);

// Builds the scan parameter block from the settings, the tone state and the
// job flags (also sets YLimit and, for the transparency unit, the longer
// command time-out).
void BuildScanBlock();

// Whether the scanner still answers as the identified model.
bool ScannerStillThere();

// Device lines and line length from the scan status block at the start of
// ScanBlock, and the stretched line count and per-plane line length that
// software stretching beyond the optical resolution and the Y limit gives.
void TakeStretchedGeometry();

// Prepares the final scan: finds the scanner, sends the window and takes the
// geometry. 1 on success; 0 after the failure has been shown.
int PrepareFinalScan();

// The fields the prescan and zoom jobs override, saved and restored.
struct SavedJobFields {
    int32_t mode;
    uint16_t xEffective, yEffective;
    int32_t left, top, right, bottom, width, length;
};
SavedJobFields SaveJobFields();
void RestoreJobFields(const SavedJobFields &saved);

// Area and resolutions of the prescan (bed length scaled to the prescan rows
// of a pane of the given height) and of the zoom (a region in 1/100 inch
// filling a pane of the given size).
void ApplyPrescanJob(int prescanRows, int paneHeight);
struct ZoomRegion {
    int32_t left, top, right, bottom;
};
void ApplyZoomJob(const ZoomRegion &region, int paneWidth, int paneHeight);
