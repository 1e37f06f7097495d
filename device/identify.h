// Scanner identification: binds the saved transport, finds the scanner and
// decides whether it is the model this library is built for.
#pragma once
#include <stdint.h>
#include <windows.h>

enum { MODEL_STARTED = 1, MODEL_NOT_FOUND = 2, MODEL_NOT_OURS = 3,
       MODEL_QS71B0 = 0x71B0, MODEL_QS52D0 = 0x52D0 };

struct ModelConstants {
    const char *identifier;       // string 10 of this build
    const char *inquiryText;      // vendor word, blank, model identifier
    int32_t modelCode;
    uint16_t opticalResolution;
    uint16_t maxResolution;
    uint16_t maxInterpolated;
    const char *prescanFile;
    uint16_t areaWidth, areaLength;   // 1/100 inch
    bool a4Family;
    bool checksTransparency;
};

extern const ModelConstants ThisModel;

struct IdentificationResults {
    int32_t modelCode;
    int32_t transportNumber;
    int32_t identified;
    uint16_t opticalResolution;
    uint16_t maxResolution;
    uint16_t maxInterpolated;
    char displayName[35];
    char findIdentifier[35];
    char prescanFile[16];
    char zoomFile[16];
    uint16_t areaWidthLimit, areaLengthLimit;
};

extern IdentificationResults Identification;

void Identify(HWND owner);
bool ScannerPresent();           // identified as this build's model
void ModelDisplayName(char *buffer, int index);
