#include "acquire/negotiate.h"
#include <stdio.h>
#include "acquire/cap_io.h"
#include "acquire/report.h"
#include "acquire/session.h"

namespace {

const TW_UINT32 kDontCare32 = 0xFFFFFFFF;

// Whether a step found what it needed (and printed why not otherwise).
enum Step { STEP_OK = 0, STEP_REFUSED = 1 };

TW_UINT16 UnitsOf(int units)
{
    return units == UNITS_CM ? TWUN_CENTIMETERS : units == UNITS_PIXELS ? TWUN_PIXELS : TWUN_INCHES;
}

// --area alone means inches.
int AreaUnits(const Options *opt)
{
    return opt->units == UNITS_UNSET ? UNITS_INCHES : opt->units;
}

const char *UnitsName(int units)
{
    return units == UNITS_CM ? "cm" : units == UNITS_PIXELS ? "pixels" : "inches";
}

const char *XferName(int xfer)
{
    return xfer == XFER_MEMORY ? "memory" : xfer == XFER_FILE ? "file" : "native";
}

double Fix32Value(const TW_FIX32 &f)
{
    return f.Whole + f.Frac / 65536.0;
}

TW_FIX32 Fix32Of(int bits)
{
    TW_FIX32 f;
    f.Whole = TW_INT16(bits >> 16);
    f.Frac = TW_UINT16(bits & 0xFFFF);
    return f;
}

long long Fix32Bits(const TW_FIX32 &f)
{
    return (long long)f.Whole * 65536 + f.Frac;
}

void FormatFrame(const TW_FRAME &frame, char *out, size_t outSize)
{
    snprintf(out, outSize, "%.4f,%.4f,%.4f,%.4f", Fix32Value(frame.Left), Fix32Value(frame.Top),
             Fix32Value(frame.Right), Fix32Value(frame.Bottom));
}

// A value the source lists, or a range that holds it. A get that failed or
// answered with a single current value tells nothing: the set decides.
bool Offered(const CapAnswer *a, TW_INT32 value)
{
    if (a->conType == TWON_RANGE) {
        bool inside = value >= a->minValue && value <= a->maxValue;
        bool onStep = a->step <= 1 || (value - a->minValue) % a->step == 0;
        return inside && onStep;
    }
    if (a->conType == TWON_ENUMERATION)
        return CapOffers(a, value);
    return true;
}

void DescribeOffer(const CapAnswer *a, char *out, size_t outSize)
{
    if (a->conType == TWON_RANGE) {
        snprintf(out, outSize, "%ld to %ld step %ld", long(a->minValue), long(a->maxValue),
                 long(a->step));
        return;
    }
    int used = 0;
    out[0] = '\0';
    for (TW_UINT32 i = 0; i < a->count && used < int(outSize) - 16; ++i)
        used += snprintf(out + used, outSize - used, "%s%ld", i ? ", " : "", long(a->items[i]));
}

// Asks, checks, sets one ONEVALUE. `what` names the option in messages.
int CheckAndSet(Link *link, TW_UINT16 cap, TW_UINT16 itemType, TW_INT32 value, TW_UINT32 item,
                const char *shown, const char *what)
{
    CapAnswer answer;
    if (CapGet(link, cap, &answer) != TWRC_SUCCESS)
        Report("note: %s: the source does not report what it offers; setting it anyway",
               CapName(cap));
    if (!Offered(&answer, value)) {
        char offer[200];
        DescribeOffer(&answer, offer, sizeof offer);
        Report("error: %s %s: the source offers %s for %s", what, shown, offer, CapName(cap));
        return STEP_REFUSED;
    }
    if (CapSetOne(link, cap, itemType, item, shown) != TWRC_SUCCESS) {
        Report("error: %s %s: the source refused %s", what, shown, CapName(cap));
        return STEP_REFUSED;
    }
    return STEP_OK;
}

int SetOnly(Link *link, TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 item, const char *shown)
{
    if (CapSetOne(link, cap, itemType, item, shown) != TWRC_SUCCESS) {
        Report("error: %s=%s: the source refused it again after MSG_XFERREADY", CapName(cap),
               shown);
        return STEP_REFUSED;
    }
    return STEP_OK;
}

int XferMech(Link *link, const Options *opt)
{
    TW_UINT16 mech = XferMechOf(opt->xfer);
    char shown[32];
    snprintf(shown, sizeof shown, "%u", mech);
    if (CheckAndSet(link, ICAP_XFERMECH, TWTY_UINT16, mech, mech, shown, "--xfer") != STEP_OK)
        return STEP_REFUSED;
    Report("negotiated: xfermech=%s (TWSX %u)", XferName(opt->xfer), mech);
    return STEP_OK;
}

int PixelType(Link *link, const Options *opt, bool ask)
{
    TW_UINT16 type = PixelTypeOf(opt->mode);
    char shown[32];
    snprintf(shown, sizeof shown, "%u (%s)", type, PixelTypeName(type));
    if (!ask)
        return SetOnly(link, ICAP_PIXELTYPE, TWTY_UINT16, type, shown);
    if (CheckAndSet(link, ICAP_PIXELTYPE, TWTY_UINT16, type, type, shown, "--mode") != STEP_OK)
        return STEP_REFUSED;
    Report("negotiated: pixeltype=%s (%u)", PixelTypeName(type), type);
    return STEP_OK;
}

int Units(Link *link, const Options *opt, bool ask)
{
    int units = AreaUnits(opt);
    TW_UINT16 value = UnitsOf(units);
    char shown[32];
    snprintf(shown, sizeof shown, "%u (%s)", value, UnitsName(units));
    if (!ask)
        return SetOnly(link, ICAP_UNITS, TWTY_UINT16, value, shown);
    if (CheckAndSet(link, ICAP_UNITS, TWTY_UINT16, value, value, shown, "--units") != STEP_OK)
        return STEP_REFUSED;
    Report("negotiated: units=%s (%u)", UnitsName(units), value);
    return STEP_OK;
}

int Resolution(Link *link, const Options *opt, bool ask)
{
    const TW_UINT16 caps[2] = {ICAP_XRESOLUTION, ICAP_YRESOLUTION};
    const int values[2] = {opt->xResolution, opt->yResolution};
    const char *names[2] = {"xresolution", "yresolution"};
    for (int i = 0; i < 2; ++i) {
        char shown[32];
        snprintf(shown, sizeof shown, "%d", values[i]);
        TW_UINT32 item = Fix32Item(values[i] << 16);
        int rc = ask ? CheckAndSet(link, caps[i], TWTY_FIX32, values[i], item, shown,
                                   "--resolution")
                     : SetOnly(link, caps[i], TWTY_FIX32, item, shown);
        if (rc != STEP_OK)
            return rc;
    }
    if (ask) {
        for (int i = 0; i < 2; ++i)
            Report("negotiated: %s=%d", names[i], values[i]);
    }
    return STEP_OK;
}

int Brightness(Link *link, const Options *opt, bool ask)
{
    char shown[32];
    snprintf(shown, sizeof shown, "%d", opt->brightness);
    TW_UINT32 item = Fix32Item(opt->brightness * 65536);
    if (!ask)
        return SetOnly(link, ICAP_BRIGHTNESS, TWTY_FIX32, item, shown);
    if (CheckAndSet(link, ICAP_BRIGHTNESS, TWTY_FIX32, opt->brightness, item, shown,
                    "--brightness") != STEP_OK)
        return STEP_REFUSED;
    Report("negotiated: brightness=%d", opt->brightness);
    return STEP_OK;
}

// The source offers no way to choose its document source: it takes the
// feeder whenever the feeder holds paper. So the choice can only be checked.
int CheckDocumentSource(Link *link, const Options *opt, bool announce)
{
    CapAnswer enabled, loaded;
    if (opt->source == SOURCE_FEEDER) {
        if (CapGet(link, CAP_FEEDERENABLED, &enabled) != TWRC_SUCCESS ||
            enabled.conType != TWON_ONEVALUE || enabled.items[0] == 0) {
            Report("error: --source feeder: the source reports no feeder (CAP_FEEDERENABLED)");
            return STEP_REFUSED;
        }
    }
    if (CapGet(link, CAP_FEEDERLOADED, &loaded) != TWRC_SUCCESS ||
        loaded.conType != TWON_ONEVALUE) {
        Report("error: --source: the source does not say whether its feeder holds paper "
               "(CAP_FEEDERLOADED)");
        return STEP_REFUSED;
    }
    bool paper = loaded.items[0] != 0;
    if (opt->source == SOURCE_FEEDER && !paper) {
        Report("error: --source feeder: the feeder holds no paper (CAP_FEEDERLOADED 0)");
        return STEP_REFUSED;
    }
    if (opt->source == SOURCE_FLATBED && paper) {
        Report("error: --source flatbed: the feeder holds paper, and the source then scans "
               "from the feeder (CAP_FEEDERLOADED is read-only); empty it or use --source feeder");
        return STEP_REFUSED;
    }
    if (announce)
        Report("negotiated: source=%s (CAP_FEEDERLOADED %d)",
               opt->source == SOURCE_FEEDER ? "feeder" : "flatbed", paper ? 1 : 0);
    return STEP_OK;
}

bool InsideFrame(const Options *opt, const TW_FRAME &bed)
{
    return opt->area[0] >= Fix32Bits(bed.Left) && opt->area[1] >= Fix32Bits(bed.Top) &&
           opt->area[2] <= Fix32Bits(bed.Right) && opt->area[3] <= Fix32Bits(bed.Bottom);
}

int SetLayout(Link *link, const Options *opt)
{
    TW_IMAGELAYOUT layout = {};
    layout.Frame.Left = Fix32Of(opt->area[0]);
    layout.Frame.Top = Fix32Of(opt->area[1]);
    layout.Frame.Right = Fix32Of(opt->area[2]);
    layout.Frame.Bottom = Fix32Of(opt->area[3]);
    layout.DocumentNumber = layout.PageNumber = layout.FrameNumber = kDontCare32;
    char frame[128], key[200];
    FormatFrame(layout.Frame, frame, sizeof frame);
    snprintf(key, sizeof key, "layout: set Frame=%s %s", frame, UnitsName(AreaUnits(opt)));
    TW_UINT16 rc = LinkCall(link, DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout);
    if (LinkReport(link, key, rc, false) != TWRC_SUCCESS) {
        Report("error: --area: the source refused DAT_IMAGELAYOUT");
        return STEP_REFUSED;
    }
    return STEP_OK;
}

// The frame a get reports is the whole bed for this source; an area beyond
// it would silently be replaced by the whole bed. Pixels are counted at the
// optical resolution in the get but at the effective one in the set, so
// they are not comparable and only inches and centimetres are checked.
int Layout(Link *link, const Options *opt)
{
    TW_IMAGELAYOUT bed = {};
    TW_UINT16 rc = LinkCall(link, DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &bed);
    int units = AreaUnits(opt);
    char frame[128];
    FormatFrame(bed.Frame, frame, sizeof frame);
    if (rc == TWRC_SUCCESS) {
        Report("layout: get rc=0 (SUCCESS) Frame=%s %s", frame, UnitsName(units));
        if (units != UNITS_PIXELS && !InsideFrame(opt, bed.Frame)) {
            Report("error: --area reaches beyond the frame the source reports (%s %s)", frame,
                   UnitsName(units));
            return STEP_REFUSED;
        }
        if (units == UNITS_PIXELS)
            Report("note: --area in pixels is not checked against the bed");
    } else {
        LinkReport(link, "layout: get", rc, false);
        Report("note: the source does not report its bed; --area is not checked against it");
    }
    if (SetLayout(link, opt) != STEP_OK)
        return STEP_REFUSED;
    TW_FRAME asked = {Fix32Of(opt->area[0]), Fix32Of(opt->area[1]), Fix32Of(opt->area[2]),
                      Fix32Of(opt->area[3])};
    FormatFrame(asked, frame, sizeof frame);
    Report("negotiated: frame=%s %s", frame, UnitsName(units));
    return STEP_OK;
}

bool UnitsWanted(const Options *opt)
{
    return opt->units != UNITS_UNSET || opt->hasArea;
}

} // namespace

TW_UINT16 PixelTypeOf(int mode)
{
    return mode == MODE_BW ? TWPT_BW : mode == MODE_GREY ? TWPT_GRAY : TWPT_RGB;
}

const char *PixelTypeName(int pixelType)
{
    switch (pixelType) {
    case TWPT_BW:
        return "TWPT_BW";
    case TWPT_GRAY:
        return "TWPT_GRAY";
    case TWPT_RGB:
        return "TWPT_RGB";
    default:
        return "TWPT_?";
    }
}

TW_UINT16 XferMechOf(int xfer)
{
    return xfer == XFER_MEMORY ? TWSX_MEMORY : xfer == XFER_FILE ? TWSX_FILE : TWSX_NATIVE;
}

int NegotiateValues(Link *link, const Options *opt)
{
    int rc = STEP_OK;
    if (rc == STEP_OK && opt->xfer != XFER_NONE)
        rc = XferMech(link, opt);
    if (rc == STEP_OK && opt->mode != MODE_UNSET)
        rc = PixelType(link, opt, true);
    if (rc == STEP_OK && UnitsWanted(opt))
        rc = Units(link, opt, true);
    // Before the layout: a frame in pixels is divided by the resolution.
    if (rc == STEP_OK && opt->xResolution != 0)
        rc = Resolution(link, opt, true);
    if (rc == STEP_OK && opt->hasBrightness)
        rc = Brightness(link, opt, true);
    if (rc == STEP_OK && opt->source != SOURCE_UNSET)
        rc = CheckDocumentSource(link, opt, true);
    if (rc == STEP_OK && opt->hasArea)
        rc = Layout(link, opt);
    return rc == STEP_OK ? EXIT_OK : EXIT_NEGOTIATION;
}

bool ReapplyWanted(const Options *opt)
{
    bool anything = opt->mode != MODE_UNSET || UnitsWanted(opt) || opt->xResolution != 0 ||
                    opt->hasBrightness || opt->source != SOURCE_UNSET;
    if (!anything || opt->reapply == REAPPLY_NO)
        return false;
    return opt->reapply == REAPPLY_YES || opt->showUI == 0;
}

int ReapplyValues(Link *link, const Options *opt)
{
    Report("reapply: setting the negotiated values again after MSG_XFERREADY");
    int rc = STEP_OK;
    if (rc == STEP_OK && opt->mode != MODE_UNSET)
        rc = PixelType(link, opt, false);
    if (rc == STEP_OK && UnitsWanted(opt))
        rc = Units(link, opt, false);
    if (rc == STEP_OK && opt->xResolution != 0)
        rc = Resolution(link, opt, false);
    if (rc == STEP_OK && opt->hasBrightness)
        rc = Brightness(link, opt, false);
    if (rc == STEP_OK && opt->source != SOURCE_UNSET)
        rc = CheckDocumentSource(link, opt, false);
    if (rc == STEP_OK && opt->hasArea)
        rc = SetLayout(link, opt);
    return rc == STEP_OK ? EXIT_OK : EXIT_NEGOTIATION;
}
