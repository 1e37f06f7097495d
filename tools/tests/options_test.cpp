// The acquisition tool's command line: each row is one command line and
// what the parser must make of it.
#include "acquire/options.h"
#include "check.h"

namespace {

struct Parsed {
    const char *dsPath;
    int dsm, showUI, timeoutSec, answer, expect;
};

struct Case {
    const char *args[6];
    Parsed want;
};

// Command lines that parse and pass the check.
const Case kGood[] = {
    // Both spellings of a value, and the defaults.
    {{"--ds", "a.ds"}, {"a.ds", DSM_DEFAULT, 0, 60, ANSWER_NONE, EXPECT_ANY}},
    {{"--ds=b.ds", "--showui=1"}, {"b.ds", DSM_DEFAULT, 1, 60, ANSWER_NONE, EXPECT_ANY}},
    {{"--ds", "c.ds", "--dsm", "wine", "--timeout", "5"},
     {"c.ds", DSM_WINE, 0, 5, ANSWER_NONE, EXPECT_ANY}},
    {{"--dsm=own", "--ds", "d.ds", "--expect", "closedsreq"},
     {"d.ds", DSM_OWN, 0, 60, ANSWER_NONE, EXPECT_CLOSEDSREQ}},
    // An optional value is only taken when attached: a following option
    // stays an option.
    {{"--auto-answer", "--ds", "e.ds"}, {"e.ds", DSM_DEFAULT, 0, 60, ANSWER_DEFAULT, EXPECT_ANY}},
    {{"--auto-answer=no", "--ds", "f.ds"}, {"f.ds", DSM_DEFAULT, 0, 60, ANSWER_NO, EXPECT_ANY}},
    // A path containing '=' keeps everything after the option's own '='.
    {{"--ds=Z:\\x=y.ds"}, {"Z:\\x=y.ds", DSM_DEFAULT, 0, 60, ANSWER_NONE, EXPECT_ANY}},
    {{"--timeout", "3600", "--ds", "g"}, {"g", DSM_DEFAULT, 0, 3600, ANSWER_NONE, EXPECT_ANY}},
    // Wine's list can be searched by name alone.
    {{"--dsm", "wine", "--product", "Qor"}, {nullptr, DSM_WINE, 0, 60, ANSWER_NONE, EXPECT_ANY}},
    {{"--help"}, {nullptr, DSM_DEFAULT, 0, 60, ANSWER_NONE, EXPECT_ANY}},
};

struct BadCase {
    const char *args[6];
    int parseRc;
    int checkRc; // OptionsCheck, when parsing succeeds
};

const BadCase kBad[] = {
    {{"--ds"}, OPT_NO_VALUE, OPT_OK},
    {{"--timeout", "0", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--timeout", "3601", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--timeout", "5s", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--timeout", "-5", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--timeout", "99999999999", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--showui", "2", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--dsm", "twain", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--auto-answer=maybe", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--expect", "xfer", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--ds="}, OPT_BAD_VALUE, OPT_OK},
    {{"--help=yes"}, OPT_NOT_A_FLAG, OPT_OK},
    {{"--d", "a.ds"}, OPT_UNKNOWN, OPT_OK},
    {{"--dsx", "a.ds"}, OPT_UNKNOWN, OPT_OK},
    {{"a.ds"}, OPT_UNKNOWN, OPT_OK},
    {{"-ds", "a.ds"}, OPT_UNKNOWN, OPT_OK},
    // --ds always names the source; --product only does through Wine.
    {{"--showui", "1"}, OPT_OK, OPT_MISSING_DS},
    {{"--product", "Qor"}, OPT_OK, OPT_MISSING_DS},
};

// Negotiation and transfer options: what each command line must set.
struct Session {
    int mode, xRes, yRes, units, hasArea;
    int area[4];
    int hasBrightness, brightness, source, xfer, memory, bufferSize, pages;
    const char *out;
    int reapply;
};

struct SessionCase {
    const char *args[10];
    Session want;
};

const int kInch = 1 << 16;

const SessionCase kSessions[] = {
    // Nothing asked: native transfer of one page, the source's own values.
    {{"--ds", "a"},
     {MODE_UNSET, 0, 0, UNITS_UNSET, 0, {0, 0, 0, 0}, 0, 0, SOURCE_UNSET, XFER_NATIVE, MEM_UNSET,
      0, 1, nullptr, REAPPLY_AUTO}},
    {{"--ds", "a", "--mode", "grey", "--resolution", "300", "--xfer", "file", "--out", "x.bmp"},
     {MODE_GREY, 300, 300, UNITS_UNSET, 0, {0, 0, 0, 0}, 0, 0, SOURCE_UNSET, XFER_FILE, MEM_UNSET,
      0, 1, "x.bmp", REAPPLY_AUTO}},
    // Both spellings of grey and colour; X and Y apart.
    {{"--ds", "a", "--mode=gray", "--resolution=150x600"},
     {MODE_GREY, 150, 600, UNITS_UNSET, 0, {0, 0, 0, 0}, 0, 0, SOURCE_UNSET, XFER_NATIVE,
      MEM_UNSET, 0, 1, nullptr, REAPPLY_AUTO}},
    {{"--ds", "a", "--mode", "color", "--xfer", "memory", "--mem", "handle", "--buffer", "4000"},
     {MODE_COLOUR, 0, 0, UNITS_UNSET, 0, {0, 0, 0, 0}, 0, 0, SOURCE_UNSET, XFER_MEMORY,
      MEM_HANDLE, 4000, 1, nullptr, REAPPLY_AUTO}},
    // An area with fractions, in centimetres; a TW_FIX32 fraction is rounded up.
    {{"--ds", "a", "--units", "cm", "--area", "0.5,1,2.54,3.01", "--mode", "bw"},
     {MODE_BW, 0, 0, UNITS_CM, 1, {kInch / 2, kInch, 2 * kInch + 35390, 3 * kInch + 656}, 0, 0,
      SOURCE_UNSET, XFER_NATIVE, MEM_UNSET, 0, 1, nullptr, REAPPLY_AUTO}},
    {{"--ds", "a", "--units", "pixels", "--area", "0,0,1200,1600"},
     {MODE_UNSET, 0, 0, UNITS_PIXELS, 1, {0, 0, 1200 * kInch, 1600 * kInch}, 0, 0, SOURCE_UNSET,
      XFER_NATIVE, MEM_UNSET, 0, 1, nullptr, REAPPLY_AUTO}},
    // Brightness may be negative in TWAIN's terms; the source's range decides later.
    {{"--ds", "a", "--brightness", "-20", "--source", "feeder", "--pages", "all"},
     {MODE_UNSET, 0, 0, UNITS_UNSET, 0, {0, 0, 0, 0}, 1, -20, SOURCE_FEEDER, XFER_NATIVE,
      MEM_UNSET, 0, PAGES_ALL, nullptr, REAPPLY_AUTO}},
    {{"--ds", "a", "--source", "reflective", "--pages", "3", "--reapply", "no"},
     {MODE_UNSET, 0, 0, UNITS_UNSET, 0, {0, 0, 0, 0}, 0, 0, SOURCE_FLATBED, XFER_NATIVE,
      MEM_UNSET, 0, 3, nullptr, REAPPLY_NO}},
    {{"--ds", "a", "--xfer", "none", "--expect", "xferready"},
     {MODE_UNSET, 0, 0, UNITS_UNSET, 0, {0, 0, 0, 0}, 0, 0, SOURCE_UNSET, XFER_NONE, MEM_UNSET,
      0, 1, nullptr, REAPPLY_AUTO}},
};

// Negotiation and transfer options that are refused, by the parser or by
// the check of the whole command line.
const BadCase kBadSessions[] = {
    {{"--mode", "rgb", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--resolution", "0", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--resolution", "32768", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--resolution", "300x", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--resolution", "300x300x3", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--area", "1,1,5", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--area", "1,1,5,7,9", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--area", "1,-1,5,7", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--area", "1,,5,7", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--brightness", "1001", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--brightness", "--5", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--source", "adf", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--xfer", "disk", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--buffer", "0", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--pages", "0", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    {{"--out=", "--ds", "a"}, OPT_BAD_VALUE, OPT_OK},
    // The source cannot be told to use its transparency unit.
    {{"--source", "transparency", "--ds", "a"}, OPT_OK, OPT_CONFLICT},
    {{"--area", "5,1,1,7", "--ds", "a"}, OPT_OK, OPT_CONFLICT},
    {{"--area", "1,7,5,7", "--ds", "a"}, OPT_OK, OPT_CONFLICT},
    {{"--units", "pixels", "--area", "0,0,10.5,20", "--ds", "a"}, OPT_OK, OPT_CONFLICT},
    {{"--mem", "pointer", "--ds", "a"}, OPT_OK, OPT_CONFLICT},
    {{"--buffer", "4096", "--xfer", "file", "--ds", "a"}, OPT_OK, OPT_CONFLICT},
    {{"--xfer", "none", "--out", "x.bmp", "--ds", "a"}, OPT_OK, OPT_CONFLICT},
};

struct Fix32Case {
    const char *text;
    bool ok;
    int bits; // whole << 16 | ceil(fraction × 65536)
};

// Fractions worked out by hand: 0.27 × 65536 = 17694.72, 0.01 × 65536 =
// 655.36, 0.0001 × 65536 = 6.5536, 0.9999 × 65536 = 65529.4464.
const Fix32Case kFix32[] = {
    {"8.27", true, 8 * 65536 + 17695},   {"1.01", true, 65536 + 656},
    {"0.5", true, 32768},                {"0.0001", true, 7},
    {"2.9999", true, 2 * 65536 + 65530}, {"32767", true, 32767 * 65536},
    {"00012.5000", true, 12 * 65536 + 32768},
    {"32768", false, 0}, {"1.", false, 0}, {".5", false, 0}, {"1.23456", false, 0},
    {"-1", false, 0},    {"", false, 0},   {"1.2.3", false, 0}, {"1e2", false, 0},
};

int MakeArgv(const char *const *args, char **argv, int maxArgs = 6)
{
    int argc = 0;
    argv[argc++] = const_cast<char *>("acquire");
    for (int i = 0; i < maxArgs && args[i] != nullptr; ++i)
        argv[argc++] = const_cast<char *>(args[i]);
    return argc;
}

void RunSession(int index, const SessionCase &c)
{
    char *argv[12];
    int argc = MakeArgv(c.args, argv, 10);
    Options opt;
    OptionsDefaults(&opt);
    char err[256] = "";
    int rc = OptionsParse(&opt, argc, argv, err, sizeof err);
    CHECK(rc == OPT_OK, "session %d: parse rc %d (err %s)", index, rc, err);
    rc = OptionsCheck(&opt, err, sizeof err);
    CHECK(rc == OPT_OK, "session %d: check rc %d (%s)", index, rc, err);
    const Session &w = c.want;
    CHECK(opt.mode == w.mode, "session %d: mode %d", index, opt.mode);
    CHECK(opt.xResolution == w.xRes && opt.yResolution == w.yRes, "session %d: resolution %dx%d",
          index, opt.xResolution, opt.yResolution);
    CHECK(opt.units == w.units, "session %d: units %d", index, opt.units);
    CHECK(opt.hasArea == w.hasArea, "session %d: hasArea %d", index, opt.hasArea);
    for (int i = 0; i < 4 && w.hasArea; ++i)
        CHECK(opt.area[i] == w.area[i], "session %d: area[%d] 0x%X, want 0x%X", index, i,
              unsigned(opt.area[i]), unsigned(w.area[i]));
    CHECK(opt.hasBrightness == w.hasBrightness && opt.brightness == w.brightness,
          "session %d: brightness %d/%d", index, opt.hasBrightness, opt.brightness);
    CHECK(opt.source == w.source, "session %d: source %d", index, opt.source);
    CHECK(opt.xfer == w.xfer, "session %d: xfer %d", index, opt.xfer);
    CHECK(opt.memory == w.memory, "session %d: mem %d", index, opt.memory);
    CHECK(opt.bufferSize == w.bufferSize, "session %d: buffer %d", index, opt.bufferSize);
    CHECK(opt.pages == w.pages, "session %d: pages %d", index, opt.pages);
    bool sameOut = (opt.out == nullptr && w.out == nullptr) ||
                   (opt.out && w.out && strcmp(opt.out, w.out) == 0);
    CHECK(sameOut, "session %d: out %s", index, opt.out ? opt.out : "(none)");
    CHECK(opt.reapply == w.reapply, "session %d: reapply %d", index, opt.reapply);
}

void RunFix32(const Fix32Case &c)
{
    int bits = -1;
    bool fractional = false;
    bool ok = ParseFix32(c.text, int(strlen(c.text)), &bits, &fractional);
    CHECK(ok == c.ok, "fix32 \"%s\": ok %d", c.text, ok);
    if (ok && c.ok) {
        CHECK(bits == c.bits, "fix32 \"%s\": 0x%X, want 0x%X", c.text, unsigned(bits),
              unsigned(c.bits));
        CHECK(fractional == ((c.bits & 0xFFFF) != 0), "fix32 \"%s\": fractional %d", c.text,
              fractional);
    }
}

void RunGood(int index, const Case &c)
{
    char *argv[8];
    int argc = MakeArgv(c.args, argv);
    Options opt;
    OptionsDefaults(&opt);
    char err[256] = "";
    int rc = OptionsParse(&opt, argc, argv, err, sizeof err);
    CHECK(rc == OPT_OK, "good %d: parse rc %d (err %s)", index, rc, err);
    rc = OptionsCheck(&opt, err, sizeof err);
    CHECK(rc == OPT_OK, "good %d: check rc %d", index, rc);
    const Parsed &w = c.want;
    bool samePath = (opt.dsPath == nullptr && w.dsPath == nullptr) ||
                    (opt.dsPath && w.dsPath && strcmp(opt.dsPath, w.dsPath) == 0);
    CHECK(samePath, "good %d: ds %s", index, opt.dsPath ? opt.dsPath : "(none)");
    CHECK(opt.dsm == w.dsm, "good %d: dsm %d", index, opt.dsm);
    CHECK(opt.showUI == w.showUI, "good %d: showui %d", index, opt.showUI);
    CHECK(opt.timeoutSec == w.timeoutSec, "good %d: timeout %d", index, opt.timeoutSec);
    CHECK(opt.answer == w.answer, "good %d: answer %d", index, opt.answer);
    CHECK(opt.expect == w.expect, "good %d: expect %d", index, opt.expect);
}

void RunBad(int index, const BadCase &c)
{
    char *argv[12];
    int argc = MakeArgv(c.args, argv);
    Options opt;
    OptionsDefaults(&opt);
    char err[256] = "";
    int rc = OptionsParse(&opt, argc, argv, err, sizeof err);
    CHECK(rc == c.parseRc, "bad %d: parse rc %d, want %d", index, rc, c.parseRc);
    if (rc == OPT_OK) {
        rc = OptionsCheck(&opt, err, sizeof err);
        CHECK(rc == c.checkRc, "bad %d: check rc %d, want %d", index, rc, c.checkRc);
    }
    CHECK(err[0] != '\0', "bad %d: the failure names no argument", index);
}

// The help is generated from the option table; none may be cut off.
void CheckHelpListsOptions()
{
    static char help[16384];
    OptionsHelp(help, sizeof help);
    const char *names[] = {"--ds PATH",   "--dsm own|wine", "--product NAME", "--showui 0|1",
                           "--timeout SECONDS", "--auto-answer[=", "--expect ", "--mode ",
                           "--resolution ", "--units ", "--area ", "--brightness ",
                           "--source ",   "--reapply ",     "--xfer ",        "--mem ",
                           "--buffer ",   "--pages ",       "--out ",         "--help"};
    for (const char *name : names)
        CHECK(strstr(help, name) != nullptr, "help lacks %s", name);
}

} // namespace

int main()
{
    int index = 0;
    for (const Case &c : kGood)
        RunGood(index++, c);
    index = 0;
    for (const BadCase &c : kBad)
        RunBad(index++, c);
    index = 0;
    for (const SessionCase &c : kSessions)
        RunSession(index++, c);
    index = 100;
    for (const BadCase &c : kBadSessions)
        RunBad(index++, c);
    for (const Fix32Case &c : kFix32)
        RunFix32(c);
    CheckHelpListsOptions();
    return CheckResult();
}
