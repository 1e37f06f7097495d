#include "acquire/options.h"
#include <stdio.h>
#include <stdlib.h>
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
     "give up waiting for the source's event this long after the start (default 60);\n"
     "      a call into the source that has not returned 10 s later ends the tool"},
    {"auto-answer", VALUE_OPTIONAL, "default|ok|cancel|yes|no", ApplyAutoAnswer,
     "press a button of every message box (default: its default button)"},
    {"expect", VALUE_REQUIRED, "any|xferready|closedsreq", ApplyExpect,
     "event that counts as success (default any)"},
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

int OptionsCheck(const Options *opt, char *err, int errSize)
{
    if (opt->help)
        return OPT_OK;
    bool named = opt->dsPath != nullptr || (opt->dsm == DSM_WINE && opt->product != nullptr);
    if (!named) {
        snprintf(err, errSize, "--ds");
        return OPT_MISSING_DS;
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
