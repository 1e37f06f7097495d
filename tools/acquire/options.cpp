#include "acquire/options.h"
#include <stdio.h>
#include <stdlib.h>
#include <stdint.h>
#include <string.h>

namespace {

enum ValueKind { VALUE_NONE = 0, VALUE_REQUIRED = 1, VALUE_OPTIONAL = 2 };

struct OptionSpec {
    const char *name; // without the leading "--"
    int valueKind;
    const char *valueHelp;
    int (*apply)(Options *opt, const char *value); // value is null when none was given
    const char *help;
};

struct Keyword {
    const char *word;
    int value;
};

int LookUp(const Keyword *words, const char *text, int *value)
{
    for (; words->word != nullptr; ++words) {
        if (strcmp(words->word, text) == 0) {
            *value = words->value;
            return OPT_OK;
        }
    }
    return OPT_BAD_VALUE;
}

// Plain decimal only: "1e3", "+5" or trailing junk are refused rather than
// silently read as something else.
int ParseInt(const char *text, int low, int high, int *value)
{
    if (text[0] == '\0' || strlen(text) > 9)
        return OPT_BAD_VALUE;
    int v = 0;
    for (const char *p = text; *p; ++p) {
        if (*p < '0' || *p > '9')
            return OPT_BAD_VALUE;
        v = v * 10 + (*p - '0');
    }
    if (v < low || v > high)
        return OPT_BAD_VALUE;
    *value = v;
    return OPT_OK;
}

int ApplyDs(Options *opt, const char *value)
{
    if (value[0] == '\0')
        return OPT_BAD_VALUE;
    opt->dsPath = value;
    return OPT_OK;
}

int ApplyProduct(Options *opt, const char *value)
{
    if (value[0] == '\0' || strlen(value) > 33)
        return OPT_BAD_VALUE;
    opt->product = value;
    return OPT_OK;
}

int ApplyDsm(Options *opt, const char *value)
{
    static const Keyword words[] = {{"own", DSM_OWN}, {"wine", DSM_WINE}, {nullptr, 0}};
    return LookUp(words, value, &opt->dsm);
}

int ApplyShowUI(Options *opt, const char *value)
{
    return ParseInt(value, 0, 1, &opt->showUI);
}

int ApplyTimeout(Options *opt, const char *value)
{
    return ParseInt(value, 1, 3600, &opt->timeoutSec);
}

int ApplyAutoAnswer(Options *opt, const char *value)
{
    static const Keyword words[] = {{"default", ANSWER_DEFAULT}, {"ok", ANSWER_OK},
                                    {"cancel", ANSWER_CANCEL},   {"yes", ANSWER_YES},
                                    {"no", ANSWER_NO},           {nullptr, 0}};
    if (value == nullptr) {
        opt->answer = ANSWER_DEFAULT;
        return OPT_OK;
    }
    return LookUp(words, value, &opt->answer);
}

int ApplyExpect(Options *opt, const char *value)
{
    static const Keyword words[] = {{"any", EXPECT_ANY},
                                    {"xferready", EXPECT_XFERREADY},
                                    {"closedsreq", EXPECT_CLOSEDSREQ},
                                    {nullptr, 0}};
    return LookUp(words, value, &opt->expect);
}

// A signed decimal, for values TWAIN allows below zero.
int ParseSigned(const char *text, int low, int high, int *value)
{
    bool negative = text[0] == '-';
    int magnitude;
    if (ParseInt(text + (negative ? 1 : 0), 0, 999999999, &magnitude) != OPT_OK)
        return OPT_BAD_VALUE;
    int v = negative ? -magnitude : magnitude;
    if (v < low || v > high)
        return OPT_BAD_VALUE;
    *value = v;
    return OPT_OK;
}

int ApplyMode(Options *opt, const char *value)
{
    static const Keyword words[] = {{"bw", MODE_BW},         {"grey", MODE_GREY},
                                    {"gray", MODE_GREY},     {"colour", MODE_COLOUR},
                                    {"color", MODE_COLOUR},  {nullptr, 0}};
    return LookUp(words, value, &opt->mode);
}

// "300" for both directions, "300x600" for X and Y. TW_FIX32 holds whole
// numbers up to 32767.
int ApplyResolution(Options *opt, const char *value)
{
    char x[16];
    const char *cross = strchr(value, 'x');
    size_t xLength = cross ? size_t(cross - value) : strlen(value);
    if (xLength >= sizeof x)
        return OPT_BAD_VALUE;
    memcpy(x, value, xLength);
    x[xLength] = '\0';
    int xRes, yRes;
    if (ParseInt(x, 1, 32767, &xRes) != OPT_OK)
        return OPT_BAD_VALUE;
    if (cross == nullptr)
        yRes = xRes;
    else if (ParseInt(cross + 1, 1, 32767, &yRes) != OPT_OK)
        return OPT_BAD_VALUE;
    opt->xResolution = xRes;
    opt->yResolution = yRes;
    return OPT_OK;
}

int ApplyUnits(Options *opt, const char *value)
{
    static const Keyword words[] = {{"inches", UNITS_INCHES},
                                    {"cm", UNITS_CM},
                                    {"pixels", UNITS_PIXELS},
                                    {nullptr, 0}};
    return LookUp(words, value, &opt->units);
}

int ApplyArea(Options *opt, const char *value)
{
    int edges[4];
    bool anyFraction = false;
    const char *p = value;
    for (int i = 0; i < 4; ++i) {
        const char *comma = strchr(p, ',');
        if ((i < 3) != (comma != nullptr))
            return OPT_BAD_VALUE;
        int length = comma ? int(comma - p) : int(strlen(p));
        bool fractional;
        if (!ParseFix32(p, length, &edges[i], &fractional))
            return OPT_BAD_VALUE;
        anyFraction = anyFraction || fractional;
        p = comma ? comma + 1 : p + length;
    }
    memcpy(opt->area, edges, sizeof edges);
    opt->areaFractional = anyFraction;
    opt->hasArea = 1;
    return OPT_OK;
}

int ApplyBrightness(Options *opt, const char *value)
{
    if (ParseSigned(value, -1000, 1000, &opt->brightness) != OPT_OK)
        return OPT_BAD_VALUE;
    opt->hasBrightness = 1;
    return OPT_OK;
}

int ApplySource(Options *opt, const char *value)
{
    static const Keyword words[] = {{"flatbed", SOURCE_FLATBED},
                                    {"reflective", SOURCE_FLATBED},
                                    {"feeder", SOURCE_FEEDER},
                                    {"transparency", SOURCE_TRANSPARENCY},
                                    {nullptr, 0}};
    return LookUp(words, value, &opt->source);
}

int ApplyReapply(Options *opt, const char *value)
{
    static const Keyword words[] = {
        {"auto", REAPPLY_AUTO}, {"yes", REAPPLY_YES}, {"no", REAPPLY_NO}, {nullptr, 0}};
    return LookUp(words, value, &opt->reapply);
}

int ApplyXfer(Options *opt, const char *value)
{
    static const Keyword words[] = {{"native", XFER_NATIVE}, {"memory", XFER_MEMORY},
                                    {"file", XFER_FILE},     {"none", XFER_NONE},
                                    {nullptr, 0}};
    return LookUp(words, value, &opt->xfer);
}

int ApplyMemory(Options *opt, const char *value)
{
    static const Keyword words[] = {
        {"pointer", MEM_POINTER}, {"handle", MEM_HANDLE}, {nullptr, 0}};
    return LookUp(words, value, &opt->memory);
}

int ApplyBuffer(Options *opt, const char *value)
{
    return ParseInt(value, 1, 16 * 1024 * 1024, &opt->bufferSize);
}

int ApplyPages(Options *opt, const char *value)
{
    if (strcmp(value, "all") == 0) {
        opt->pages = PAGES_ALL;
        return OPT_OK;
    }
    return ParseInt(value, 1, PAGES_ALL - 1, &opt->pages);
}

int ApplyOut(Options *opt, const char *value)
{
    if (value[0] == '\0')
        return OPT_BAD_VALUE;
    opt->out = value;
    return OPT_OK;
}

int ApplyHelp(Options *opt, const char *)
{
    opt->help = 1;
    return OPT_OK;
}

const OptionSpec kOptions[] = {
    {"ds", VALUE_REQUIRED, "PATH", ApplyDs,
     "the source (.ds) to drive; Windows path, e.g. Z:\\build\\DXHR_32.ds"},
    {"dsm", VALUE_REQUIRED, "own|wine", ApplyDsm,
     "own: act as source manager (4.12, natural layout; TWAIN32.DLL beside the tool)\n"
     "      wine: use Wine's TWAIN_32.DLL (4.12X, packed layout; the caller copies the source\n"
     "      over C:\\windows\\twain_32\\gphoto2.ds and sets WINEDLLOVERRIDES=gphoto2.ds=n)\n"
     "      default: own for acquire, wine for acquirex"},
    {"product", VALUE_REQUIRED, "NAME", ApplyProduct,
     "wine: ProductName to open\n"
     "      (default: that of --ds, else the first source not made by Wine)"},
    {"showui", VALUE_REQUIRED, "0|1", ApplyShowUI, "ShowUI of MSG_ENABLEDS (default 0)"},
    {"timeout", VALUE_REQUIRED, "SECONDS", ApplyTimeout,
     "give up waiting for the source's event this long after the start, and start no\n"
     "      further page after it (default 60); 10 s later the tool ends, whatever it is doing"},
    {"auto-answer", VALUE_OPTIONAL, "default|ok|cancel|yes|no", ApplyAutoAnswer,
     "press a button of every message box (default: its default button)"},
    {"expect", VALUE_REQUIRED, "any|xferready|closedsreq", ApplyExpect,
     "event that counts as success (default any)"},
    {"mode", VALUE_REQUIRED, "bw|grey|colour", ApplyMode,
     "ICAP_PIXELTYPE to set (gray, color also accepted); default: the source's"},
    {"resolution", VALUE_REQUIRED, "DPI[xDPI]", ApplyResolution,
     "ICAP_XRESOLUTION and ICAP_YRESOLUTION to set, 1 to 32767 and within the source's range"},
    {"units", VALUE_REQUIRED, "inches|cm|pixels", ApplyUnits,
     "ICAP_UNITS to set: the unit of --area (default inches when --area is given)"},
    {"area", VALUE_REQUIRED, "LEFT,TOP,RIGHT,BOTTOM", ApplyArea,
     "DAT_IMAGELAYOUT frame in --units, e.g. 1,1,5,7 or 0.5,0.5,2.25,3; in inches and cm\n"
     "      it must lie within the frame MSG_GET reports (the bed); whole numbers in pixels"},
    {"brightness", VALUE_REQUIRED, "N", ApplyBrightness,
     "ICAP_BRIGHTNESS to set, within the source's range (note: asking for the range resets\n"
     "      the source's tone adjustments)"},
    {"source", VALUE_REQUIRED, "flatbed|feeder|transparency", ApplySource,
     "document source, checked through CAP_FEEDERENABLED / CAP_FEEDERLOADED (read-only:\n"
     "      the source takes the feeder whenever it holds paper); feeder needs a loaded feeder,\n"
     "      flatbed an empty one; transparency has no capability and is refused"},
    {"reapply", VALUE_REQUIRED, "auto|yes|no", ApplyReapply,
     "set the values again after MSG_XFERREADY, before DAT_IMAGEINFO: the source replaces\n"
     "      values set in state 4 with its saved settings at MSG_ENABLEDS (auto: yes when\n"
     "      --showui 0, no with the dialog, whose own settings then count)"},
    {"xfer", VALUE_REQUIRED, "native|memory|file|none", ApplyXfer,
     "transfer mechanism (ICAP_XFERMECH; default native); none disables after MSG_XFERREADY"},
    {"mem", VALUE_REQUIRED, "pointer|handle", ApplyMemory,
     "memory transfer: buffer passed as TWMF_APPOWNS|TWMF_POINTER (default) or TWMF_HANDLE"},
    {"buffer", VALUE_REQUIRED, "BYTES", ApplyBuffer,
     "memory transfer: Memory.Length (default: Preferred of DAT_SETUPMEMXFER)"},
    {"pages", VALUE_REQUIRED, "N|all", ApplyPages,
     "images to take while DAT_PENDINGXFERS reports more (default 1); the rest is reset"},
    {"out", VALUE_REQUIRED, "PATH", ApplyOut,
     "BMP file to write; Windows path, or a Unix path taken on drive Z:; with --pages\n"
     "      other than 1 each page gets -N before the extension. file transfer without\n"
     "      --out: the source's default name (DAT_SETUPFILEXFER MSG_GET); others: none written"},
    {"help", VALUE_NONE, nullptr, ApplyHelp, "this text"},
};

const OptionSpec *FindOption(const char *name, size_t length)
{
    for (const OptionSpec &spec : kOptions) {
        if (strlen(spec.name) == length && strncmp(spec.name, name, length) == 0)
            return &spec;
    }
    return nullptr;
}

// Parses argv[*index]; advances *index past the value when one follows.
int ParseOne(Options *opt, int argc, char **argv, int *index)
{
    const char *arg = argv[*index];
    if (strncmp(arg, "--", 2) != 0)
        return OPT_UNKNOWN;
    const char *name = arg + 2;
    const char *equals = strchr(name, '=');
    size_t length = equals ? size_t(equals - name) : strlen(name);
    const OptionSpec *spec = FindOption(name, length);
    if (spec == nullptr)
        return OPT_UNKNOWN;
    const char *value = equals ? equals + 1 : nullptr;
    if (spec->valueKind == VALUE_NONE && value != nullptr)
        return OPT_NOT_A_FLAG;
    // An optional value must be attached with '=' so that a following
    // option is never taken for it.
    if (spec->valueKind == VALUE_REQUIRED && value == nullptr) {
        if (*index + 1 >= argc)
            return OPT_NO_VALUE;
        value = argv[++*index];
    }
    return spec->apply(opt, value);
}

} // namespace

void OptionsDefaults(Options *opt)
{
    memset(opt, 0, sizeof *opt);
    opt->dsm = DSM_DEFAULT;
    opt->timeoutSec = 60;
    opt->answer = ANSWER_NONE;
    opt->expect = EXPECT_ANY;
    opt->xfer = XFER_NATIVE;
    opt->pages = 1;
}

int OptionsParse(Options *opt, int argc, char **argv, char *err, int errSize)
{
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        int rc = ParseOne(opt, argc, argv, &i);
        if (rc != OPT_OK) {
            snprintf(err, errSize, "%s", arg);
            return rc;
        }
    }
    return OPT_OK;
}

bool ParseFix32(const char *text, int length, int *fix32, bool *fractional)
{
    int whole = 0, fraction = 0, places = 0, digits = 0;
    bool afterDot = false;
    for (int i = 0; i < length; ++i) {
        char c = text[i];
        if (c == '.' && !afterDot && digits > 0) {
            afterDot = true;
            continue;
        }
        if (c < '0' || c > '9')
            return false;
        if (afterDot) {
            if (++places > 4)
                return false;
            fraction = fraction * 10 + (c - '0');
        } else {
            if (++digits > 5)
                return false;
            whole = whole * 10 + (c - '0');
        }
    }
    if (digits == 0 || (afterDot && places == 0) || whole > 32767)
        return false;
    int scale = 1;
    for (int i = 0; i < places; ++i)
        scale *= 10;
    int frac16 = int((int64_t(fraction) * 65536 + scale - 1) / scale);
    *fix32 = whole << 16 | frac16;
    *fractional = fraction != 0;
    return true;
}

int OptionsCheck(const Options *opt, char *err, int errSize)
{
    if (opt->help)
        return OPT_OK;
    bool named = opt->dsPath != nullptr || (opt->dsm == DSM_WINE && opt->product != nullptr);
    if (!named) {
        snprintf(err, errSize, "--ds");
        return OPT_MISSING_DS;
    }
    const char *conflict = nullptr;
    if (opt->source == SOURCE_TRANSPARENCY)
        conflict = "--source transparency: the source has no capability for its transparency "
                   "unit; choose it in the source's dialog (--showui 1) and leave out --source";
    else if (opt->hasArea && (opt->area[0] >= opt->area[2] || opt->area[1] >= opt->area[3]))
        conflict = "--area: LEFT must be below RIGHT and TOP below BOTTOM";
    else if (opt->hasArea && opt->units == UNITS_PIXELS && opt->areaFractional)
        conflict = "--area in pixels takes whole numbers only";
    else if ((opt->memory != MEM_UNSET || opt->bufferSize != 0) && opt->xfer != XFER_MEMORY)
        conflict = "--mem and --buffer belong to --xfer memory";
    else if (opt->out != nullptr && opt->xfer == XFER_NONE)
        conflict = "--out needs a transfer (--xfer native, memory or file)";
    else if (opt->pages != 1 && opt->xfer == XFER_NONE)
        conflict = "--pages needs a transfer (--xfer native, memory or file)";
    if (conflict != nullptr) {
        snprintf(err, errSize, "%s", conflict);
        return OPT_CONFLICT;
    }
    return OPT_OK;
}

void OptionsHelp(char *buf, int bufSize)
{
    int used = 0;
    buf[0] = '\0';
    for (const OptionSpec &spec : kOptions) {
        if (used >= bufSize)
            break;
        char head[64];
        if (spec.valueKind == VALUE_REQUIRED)
            snprintf(head, sizeof head, "--%s %s", spec.name, spec.valueHelp);
        else if (spec.valueKind == VALUE_OPTIONAL)
            snprintf(head, sizeof head, "--%s[=%s]", spec.name, spec.valueHelp);
        else
            snprintf(head, sizeof head, "--%s", spec.name);
        int n = snprintf(buf + used, bufSize - used, "  %s\n      %s\n", head, spec.help);
        if (n < 0)
            break;
        used += n;
    }
}
