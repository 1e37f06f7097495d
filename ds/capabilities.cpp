// DAT_CAPABILITY: the fourteen capabilities the source reports, and the few
// settings an application can change through them.
#include <string.h>
#include "adjust/tone_state.h"
#include "device/device_ops.h"
#include "device/identify.h"
#include "ds/containers.h"
#include "ds/failure.h"
#include "ds/source_state.h"
#include "ds/triplets.h"
#include "ui/scan_settings.h"

int32_t LayoutUnit;

namespace {

enum { FEEDER_LOADED = 0, FEEDER_ABSENT = 2, FEEDER_BYTE = 33 + 40 };

const TW_UINT16 kPixelTypes[] = {TWPT_BW, TWPT_GRAY, TWPT_RGB};
const TW_UINT16 kUnits[] = {TWUN_INCHES, TWUN_CENTIMETERS, TWUN_PIXELS};
const TW_UINT16 kXferMechs[] = {TWSX_MEMORY, TWSX_NATIVE, TWSX_FILE};
const TW_UINT16 kPlanarChunky[] = {0, 1};

// The feeder byte of the inquiry record, or -1 when no scanner answers.
int FeederState()
{
    if (!ScannerPresent())
        return -1;
    uint8_t record[INQUIRY_RECORD_SIZE];
    if (Dev_Inquiry(record) != 0)
        return -1;
    return record[FEEDER_BYTE];
}

HGLOBAL FeederLoaded()
{
    int feeder = FeederState();
    bool loaded = feeder == FEEDER_LOADED;
    if (loaded)
        ScanSettings.Source = SOURCE_FEEDER;
    else if (ScanSettings.Source == SOURCE_FEEDER)
        ScanSettings.Source = SOURCE_REFLECTIVE;
    return NewOneValue(TWTY_BOOL, loaded ? 1 : 0);
}

HGLOBAL ResolutionRange()
{
    TW_UINT32 max = 1200, current = 300;
    if (ScannerPresent()) {
        max = Identification.maxInterpolated;
        current = Identification.opticalResolution;
    }
    return NewRange(TWTY_FIX32, 1, max, 1, current, current);
}

HGLOBAL FeederEnabled()
{
    int feeder = FeederState();
    return NewOneValue(TWTY_BOOL, feeder < 0 || feeder == FEEDER_ABSENT ? 0 : 1);
}

// The answer to MSG_GET and its kin, with its container type; false for a
// capability the source does not offer.
bool Answer(TW_UINT16 cap, HGLOBAL &container, TW_UINT16 &conType)
{
    conType = TWON_ONEVALUE;
    switch (cap) {
    case CAP_XFERCOUNT:
        container = NewOneValue(TWTY_INT16, 0);
        return true;
    case ICAP_COMPRESSION:
    case ICAP_PIXELFLAVOR:
        container = NewOneValue(TWTY_UINT16, 0);
        return true;
    case CAP_FEEDERENABLED:
        container = FeederEnabled();
        return true;
    case CAP_FEEDERLOADED:
        container = FeederLoaded();
        return true;
    case ICAP_XSCALING:
    case ICAP_YSCALING:
        container = NewOneValue(TWTY_FIX32, 1);
        return true;
    }
    conType = TWON_ENUMERATION;
    switch (cap) {
    case ICAP_PIXELTYPE:
        container = NewEnumeration(TWTY_UINT16, kPixelTypes, 3);
        return true;
    case ICAP_UNITS:
        container = NewEnumeration(TWTY_UINT16, kUnits, 3);
        return true;
    case ICAP_XFERMECH:
        container = NewEnumeration(TWTY_UINT16, kXferMechs, 3);
        return true;
    case ICAP_PLANARCHUNKY:
        container = NewEnumeration(TWTY_UINT16, kPlanarChunky, 2);
        return true;
    }
    conType = TWON_RANGE;
    switch (cap) {
    case ICAP_BRIGHTNESS:
        // Asking for the brightness discards every tone adjustment.
        ScanSettings.Brightness = 128;
        ResetToneState();
        container = NewRange(TWTY_FIX32, 1, 255, 1, 128, 128);
        return true;
    case ICAP_XRESOLUTION:
        ScanSettings.Resolution = 300;
        ScanSettings.XEffective = 300;
        container = ResolutionRange();
        return true;
    case ICAP_YRESOLUTION:
        ScanSettings.YEffective = 300;
        container = ResolutionRange();
        return true;
    }
    return false;
}

TW_UINT16 Get(TW_CAPABILITY &capability)
{
    HGLOBAL container = nullptr;
    TW_UINT16 conType;
    if (!Answer(capability.Cap, container, conType))
        return TWRC_FAILURE;
    if (container != nullptr)
        capability.ConType = conType;
    capability.hContainer = container;
    return TWRC_SUCCESS;
}

void SetPixelTypes(const ContainerView &view, TW_UINT16 conType)
{
    TW_UINT32 value;
    if (conType == TWON_ONEVALUE && OneValueItem(view, value)) {
        for (int i = 0; i < PIXEL_TYPE_SLOTS; i++)
            PixelTypeList[i] = i == 0 ? TW_UINT16(value) : TW_UINT16(PIXEL_TYPE_NONE);
        ScanSettings.Mode = value == TWPT_RGB ? MODE_COLOUR : value == TWPT_GRAY ? MODE_GREY : MODE_BW;
    } else if (conType == TWON_ENUMERATION) {
        for (TW_UINT32 i = 0; i < PIXEL_TYPE_SLOTS; i++)
            PixelTypeList[i] = EnumerationItem(view, i, value) ? TW_UINT16(value) : TW_UINT16(PIXEL_TYPE_NONE);
    }
}

void SetFromOneValue(TW_UINT16 cap, const ContainerView &view)
{
    TW_UINT32 value;
    if (!OneValueItem(view, value))
        return;
    switch (cap) {
    case ICAP_UNITS:
        LayoutUnit = int32_t(value);
        break;
    case ICAP_BRIGHTNESS:
        ScanSettings.Brightness = int32_t(value) <= 1 ? 1 : int32_t(value) - 1;
        break;
    case ICAP_XRESOLUTION:
        ScanSettings.XEffective = uint16_t(value);
        break;
    case ICAP_YRESOLUTION:
        ScanSettings.YEffective = uint16_t(value);
        break;
    default:
        break;   // read and ignored
    }
}

TW_UINT16 Set(const TW_CAPABILITY &capability)
{
    ContainerView view;
    if (!OpenContainer(static_cast<HGLOBAL>(capability.hContainer), view)) {
        ConditionCode = TWCC_BADVALUE;
        return TWRC_FAILURE;
    }
    if (capability.Cap == ICAP_PIXELTYPE)
        SetPixelTypes(view, capability.ConType);
    else if (capability.ConType == TWON_ONEVALUE)
        SetFromOneValue(capability.Cap, view);
    CloseContainer(view);
    return TWRC_SUCCESS;
}

} // namespace

TW_UINT16 HandleCapability(const TripletCall &call)
{
    TW_CAPABILITY &capability = *static_cast<TW_CAPABILITY *>(call.data);
    switch (call.msg) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT:
        return Get(capability);
    case MSG_SET:
    case MSG_RESET:
        return Set(capability);
    default:
        return FailTriplet(TWCC_BADPROTOCOL, FAIL_CAPABILITY);
    }
}
