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

int MakeArgv(const char *const *args, char **argv)
{
    int argc = 0;
    argv[argc++] = const_cast<char *>("acquire");
    for (int i = 0; i < 6 && args[i] != nullptr; ++i)
        argv[argc++] = const_cast<char *>(args[i]);
    return argc;
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
    char *argv[8];
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
    static char help[4096];
    OptionsHelp(help, sizeof help);
    const char *names[] = {"--ds PATH", "--dsm own|wine", "--product NAME", "--showui 0|1",
                           "--timeout SECONDS", "--auto-answer[=", "--expect ", "--help"};
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
    CheckHelpListsOptions();
    return CheckResult();
}
