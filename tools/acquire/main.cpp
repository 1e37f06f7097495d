// acquire / acquirex: a TWAIN application for the command line that drives
// one source through a session and reports every step, one line each:
//   identity: ... / opends: rc=0 (SUCCESS) / state: 4 / negotiated: ... /
//   enableds: rc=0 ... / event: MSG_XFERREADY / imageinfo: ... /
//   transfer: ... / bmp: ... / pendingxfers: ... / disableds: ... /
//   closeds: ... / result: exit=0
// acquire uses the natural structure layout of build 4.12, acquirex the
// packed layout of build 4.12X (and Wine's source manager, which shares it).
#include <windows.h>
#include <stdio.h>
#include "acquire/msgbox_hook.h"
#include "acquire/options.h"
#include "acquire/report.h"
#include "acquire/session.h"
#include "acquire/watchdog.h"

namespace {

#if DS_PACKED
const char kToolName[] = "acquirex";
const char kLayout[] = "packed (build 4.12X, TW_IDENTITY 156 bytes)";
const int kDefaultDsm = DSM_WINE;
#else
const char kToolName[] = "acquire";
const char kLayout[] = "natural (build 4.12, TW_IDENTITY 160 bytes)";
const int kDefaultDsm = DSM_OWN;
#endif

static_assert(int(EXIT_HUNG) == int(WATCHDOG_EXIT), "one exit code for a hung call");

// Grace after --timeout before a call that has not returned ends the tool.
const unsigned long kHangGraceMs = 10000;

const char *OptionErrorText(int rc)
{
    switch (rc) {
    case OPT_UNKNOWN:
        return "unknown option";
    case OPT_NO_VALUE:
        return "missing value for";
    case OPT_BAD_VALUE:
        return "bad value in";
    case OPT_NOT_A_FLAG:
        return "takes no value:";
    case OPT_MISSING_DS:
        return "required:";
    case OPT_CONFLICT:
        return "not possible:";
    default:
        return "error in";
    }
}

void PrintHelp()
{
    static char options[16384];
    OptionsHelp(options, sizeof options);
    Report("usage: %s --ds PATH [options]\nstructure layout: %s\noptions:", kToolName, kLayout);
    ReportText(options);
    ReportText("exit codes:\n"
               "  0  the expected event (MSG_XFERREADY or MSG_CLOSEDSREQ) came, the images\n"
               "     asked for were taken and written, the source was disabled and closed\n"
               "  1  bad command line, or options the source cannot serve (transparency)\n"
               "  2  the source, TWAIN32.DLL / TWAIN_32.DLL or an entry point not found,\n"
               "     or the source not listed by the manager\n"
               "  3  MSG_OPENDS, MSG_ENABLEDS (without a close request), MSG_DISABLEDS or\n"
               "     MSG_CLOSEDS failed\n"
               "  4  no event from the source within --timeout, or --timeout reached while\n"
               "     the source still had pages\n"
               "  5  an event other than --expect asked for\n"
               "  6  a call into the source or manager did not return (--timeout + 10 s)\n"
               "  7  negotiation: a value the source does not offer or refused to set, a\n"
               "     document source it cannot serve, or an image of another pixel type\n"
               "  8  DAT_IMAGEINFO or the transfer failed or was cancelled, or the image or\n"
               "     its strips were not what the source had described\n"
               "  9  the BMP file could not be written or read back\n");
}

int ParseCommandLine(Options *opt, int argc, char **argv)
{
    char err[256] = "";
    OptionsDefaults(opt);
    int rc = OptionsParse(opt, argc, argv, err, sizeof err);
    if (opt->dsm == DSM_DEFAULT)
        opt->dsm = kDefaultDsm;
    if (rc == OPT_OK)
        rc = OptionsCheck(opt, err, sizeof err);
    if (rc == OPT_OK && opt->dsm == DSM_WINE && !DS_PACKED) {
        snprintf(err, sizeof err, "--dsm wine (Wine's manager uses the packed layout: use acquirex)");
        rc = OPT_BAD_VALUE;
    }
    if (rc != OPT_OK) {
        Report("usage: %s %s (try --help)", OptionErrorText(rc), err);
        return EXIT_USAGE;
    }
    return EXIT_OK;
}

} // namespace

int main(int argc, char **argv)
{
    Options opt;
    if (ParseCommandLine(&opt, argc, argv) != EXIT_OK) {
        Report("result: exit=%d", int(EXIT_USAGE));
        return EXIT_USAGE;
    }
    if (opt.help) {
        PrintHelp();
        return EXIT_OK;
    }
    if (opt.dsm == DSM_OWN && DS_PACKED)
        Report("note: a 4.12X source sends its events to Wine's TWAIN_32.DLL, not to this tool");
    unsigned long timeoutMs = static_cast<unsigned long>(opt.timeoutSec) * 1000;
    unsigned long deadline = GetTickCount() + timeoutMs;
    WatchdogStart(timeoutMs + kHangGraceMs);
    MsgBoxHookInstall(opt.answer);
    int code = RunSession(&opt, deadline);
    MsgBoxHookRemove();
    WatchdogStop();
    Report("result: exit=%d", code);
    return code;
}
