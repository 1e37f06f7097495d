#include "device/identify.h"
#include <string.h>
#include "device/device_ops.h"
#include "ds/library_strings.h"
#include "ui/scan_settings.h"

#if DS_MODEL_600
const ModelConstants ThisModel = {"QS71B0", "Vasp QS71B0", MODEL_QS71B0, 600, 2400, 9600,
                                  "QS71B0.TMP", 826, 1167, true, false};
#else
const ModelConstants ThisModel = {"QS52D0", "Vasp QS52D0", MODEL_QS52D0, 400, 1600, 4800,
                                  "QS52D0.TMP", 850, 1400, false, true};
#endif

IdentificationResults Identification = {0, -1, 0, 0, 0, 0, "Unknown", "", "", "QSZOOM.TMP", 850, 1400};

namespace {

const int kModelIdentifierId = 10;
const int kModelPrefixId = 26;
const int kInquiryVendorOffset = 75;     // standard data byte 42
const int kPage82VendorOffset = 5;

const char *const kOtherModelNames[] = {
    " QS22K0", " Morv PX3", " Morv PX11", " Tusk 3100", " Tusk 3110", " Tusk 5200",
    " Tusk 5215", " Morv 3100", " Morv 3110", " Qor DX-KL510/SR", " Morv 5230",
    " Morv 7100", " Morv 7110", " Morv 7120", " Morv 7130",
};

bool FindByIdentifier()
{
    int id = kModelIdentifierId + ScanSettings.Model;
    LoadLibraryString(id, Identification.findIdentifier, sizeof Identification.findIdentifier);
    if (Dev_Find(uint8_t(strlen(Identification.findIdentifier)), Identification.findIdentifier) == 0)
        return true;
    char prefix[35] = "";
    LoadLibraryString(kModelPrefixId, prefix, sizeof prefix);
    return Dev_Find(uint8_t(strlen(prefix)), prefix) == 0;
}

// Where the vendor word and model name are searched: the standard data from
// byte 42 when it names the vendor there, otherwise page 82h from byte 5.
const char *VendorSearchStart(const uint8_t *record)
{
    const char *standard = reinterpret_cast<const char *>(record + kInquiryVendorOffset);
    if (strstr(standard, "Vasp") != nullptr)
        return standard;
    return reinterpret_cast<const char *>(record + kPage82VendorOffset);
}

void KeepSelectionInsideBed()
{
    ScanSettingsRecord &s = ScanSettings;
    if (s.Right > Identification.areaWidthLimit || s.Bottom > Identification.areaLengthLimit) {
        s.Left = 0;
        s.Top = 0;
        s.Right = Identification.areaWidthLimit;
        s.Bottom = Identification.areaLengthLimit;
    }
    if (s.PrescanLength > Identification.areaLengthLimit)
        s.PrescanLength = Identification.areaLengthLimit;
}

void AcceptThisModel()
{
    IdentificationResults &r = Identification;
    r.opticalResolution = ThisModel.opticalResolution;
    r.maxResolution = ThisModel.maxResolution;
    r.maxInterpolated = ThisModel.maxInterpolated;
    r.modelCode = ThisModel.modelCode;
    ScanSettings.Model = 0;
    LoadLibraryString(2, r.displayName, sizeof r.displayName);
    strcpy(r.prescanFile, ThisModel.prescanFile);
    r.identified = 1;
    r.areaWidthLimit = ThisModel.a4Family ? 826 : 850;
    r.areaLengthLimit = ThisModel.a4Family ? 1167 : 1400;
    KeepSelectionInsideBed();
    strcpy(r.zoomFile, "QSZOOM.TMP");
    LoadLibraryString(kModelIdentifierId, r.findIdentifier, sizeof r.findIdentifier);
}

} // namespace

void Identify(HWND)
{
    IdentificationResults &r = Identification;
    strcpy(r.displayName, "Unknown");
    r.opticalResolution = 0;
    r.modelCode = MODEL_STARTED;

    int index = ScanSettings.InterfaceIndex;
    uint16_t code = (index >= 0 && index < INTERFACE_TABLE_SIZE) ? InterfaceTable[index] : 0;
    int kind = Dev_Open(code);
    r.transportNumber = kind;
    if (kind == -1)
        return;
    bool jumperless = index >= 17 && index <= 24;
    r.transportNumber = jumperless ? kind : kind + 1;

    r.modelCode = MODEL_NOT_FOUND;
    if (!FindByIdentifier())
        return;

    r.modelCode = MODEL_NOT_OURS;
    uint8_t record[100] = {0};
    if (Dev_Inquiry(record) != 0)
        return;
    record[sizeof record - 1] = 0;   // the device's text need not end with a zero byte
    const char *start = VendorSearchStart(record);
    r.identified = 0;
    if (strstr(start, ThisModel.inquiryText) == nullptr)
        return;
    AcceptThisModel();
}

bool ScannerPresent()
{
    return Identification.opticalResolution != 0;
}

void ModelDisplayName(char *buffer, int index)
{
    if (index == 0)
        LoadLibraryString(2, buffer, 35);
    else if (index >= 1 && index <= 15)
        strcpy(buffer, kOtherModelNames[index - 1]);
    else
        strcpy(buffer, "Unknown");
}
