#include "acquire/session.h"
#include <windows.h>
#include <stdio.h>
#include "acquire/link.h"
#include "acquire/negotiate.h"
#include "acquire/out_path.h"
#include "acquire/report.h"
#include "acquire/transfer.h"
#include "acquire/watchdog.h"

namespace {

struct Session {
    const Options *opt;
    Link link;
    HWND window;
    int state;          // TWAIN state of the source as far as the tool knows
    TW_UINT16 event;    // the source's event that ended the wait; MSG_NULL for none
    unsigned long deadline;
    char out[MAX_PATH]; // --out as a Windows path; empty without --out
};

void SetState(Session *s, int state)
{
    s->state = state;
    Report("state: %d", state);
}

// Reports a triplet's result; after a failure also the condition code.
TW_UINT16 ReportStep(Session *s, const char *key, TW_UINT16 rc, bool ofManager)
{
    return LinkReport(&s->link, key, rc, ofManager);
}

HWND CreateAppWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "AcquireToolWindow";
    RegisterClassA(&wc);
    // Never shown: it only parents the source's windows and receives the
    // manager's posted notifications.
    return CreateWindowExA(0, wc.lpszClassName, "acquire", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, 400, 300, nullptr, nullptr, wc.hInstance, nullptr);
}

bool IsSourceEvent(TW_UINT16 msg)
{
    return msg == MSG_XFERREADY || msg == MSG_CLOSEDSREQ;
}

// Every message goes through MSG_PROCESSEVENT first, so that the source's
// dialog gets its keys and the manager can announce the source's events.
void PumpMessages(Session *s)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TW_UINT16 rc = LinkProcessEvent(&s->link, &msg);
        if (rc != TWRC_DSEVENT) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (s->link.pendingCount > 0)
            return;
    }
}

long Remaining(const Session *s)
{
    return long(s->deadline - GetTickCount());
}

// Runs the message loop until the source's event or the deadline. With
// untilDeadline false it only drains what is already queued.
bool WaitForEvent(Session *s, bool untilDeadline)
{
    WatchdogNote("the message loop");
    for (;;) {
        TW_UINT16 msg;
        while (LinkTakeEvent(&s->link, &msg)) {
            if (IsSourceEvent(msg)) {
                s->event = msg;
                Report("event: %s", MessageName(msg));
                return true;
            }
            Report("event: ignored TWMessage=0x%04X", msg);
        }
        PumpMessages(s);
        if (s->link.pendingCount > 0)
            continue;
        long left = Remaining(s);
        if (!untilDeadline || left <= 0)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(left), QS_ALLINPUT);
    }
}

bool OpenSource(Session *s)
{
    WatchdogNote("MSG_OPENDS");
    if (ReportStep(s, "opends", LinkOpenSource(&s->link), true) != TWRC_SUCCESS)
        return false;
    Report("ids: app.Id=%u source.Id=%u", unsigned(s->link.app.Id), unsigned(s->link.source.Id));
    SetState(s, 4);
    return true;
}

int Negotiate(Session *s)
{
    WatchdogNote("negotiation");
    return NegotiateValues(&s->link, s->opt);
}

int Enable(Session *s)
{
    TW_USERINTERFACE ui = {};
    ui.ShowUI = TW_BOOL(s->opt->showUI);
    ui.ModalUI = 0;
    ui.hParent = s->window;
    WatchdogNote("MSG_ENABLEDS");
    TW_UINT16 rc = ReportStep(s, "enableds", LinkCall(&s->link, DG_CONTROL, DAT_USERINTERFACE,
                                                      MSG_ENABLEDS, &ui), false);
    if (rc == TWRC_SUCCESS) {
        SetState(s, 5);
        return EXIT_OK;
    }
    // A source that cannot run asks to be closed while failing the enable;
    // its request is already queued by the time the call returns, and the
    // caller looks for it before treating the failure as final.
    return EXIT_TRIPLET;
}

// DAT_PENDINGXFERS with MSG_ENDXFER (after an image the source started) or
// MSG_RESET; returns the count of images still pending, 0 after a failure.
TW_UINT16 EndImage(Session *s, TW_UINT16 msg, bool *ok)
{
    TW_PENDINGXFERS pending = {};
    WatchdogNote("DAT_PENDINGXFERS");
    TW_UINT16 rc = LinkCall(&s->link, DG_CONTROL, DAT_PENDINGXFERS, msg, &pending);
    char key[64];
    snprintf(key, sizeof key, "pendingxfers: %s Count=%u",
             msg == MSG_ENDXFER ? "MSG_ENDXFER" : "MSG_RESET", pending.Count);
    *ok = ReportStep(s, key, rc, false) == TWRC_SUCCESS;
    TW_UINT16 count = *ok && msg == MSG_ENDXFER ? pending.Count : 0;
    SetState(s, count != 0 ? 6 : 5);
    return count;
}

// Discards what the source still has pending.
int ResetPending(Session *s)
{
    bool ok;
    EndImage(s, MSG_RESET, &ok);
    return ok ? EXIT_OK : EXIT_TRANSFER;
}

// The negotiated pixel type holds when the values were set again after
// MSG_XFERREADY; otherwise the source's saved settings may rightly differ.
int CheckImageAgainstOptions(Session *s, const TW_IMAGEINFO &info)
{
    const Options *opt = s->opt;
    bool reapplied = ReapplyWanted(opt);
    if (opt->mode != MODE_UNSET && info.PixelType != PixelTypeOf(opt->mode)) {
        Report("%s: DAT_IMAGEINFO reports %s, --mode asked for %s%s",
               reapplied ? "error" : "note", PixelTypeName(info.PixelType),
               PixelTypeName(PixelTypeOf(opt->mode)),
               reapplied ? "" : " (values set before MSG_ENABLEDS may be replaced; see --reapply)");
        if (reapplied)
            return EXIT_NEGOTIATION;
    }
    if (opt->xResolution != 0 && (info.XResolution.Whole != opt->xResolution ||
                                  info.YResolution.Whole != opt->yResolution))
        Report("note: DAT_IMAGEINFO reports %d x %d dpi, --resolution asked for %d x %d",
               info.XResolution.Whole, info.YResolution.Whole, opt->xResolution,
               opt->yResolution);
    return EXIT_OK;
}

const char *PageOutPath(Session *s, int page, char *path, int pathSize)
{
    if (s->out[0] == '\0')
        return nullptr;
    if (s->opt->pages == 1)
        return s->out;
    if (!PagePath(s->out, page, path, pathSize))
        return nullptr;
    return path;
}

// One page: image information, the transfer, and MSG_ENDXFER or MSG_RESET.
int TakePage(Session *s, int page, TW_UINT16 *pending)
{
    char path[MAX_PATH];
    ImageTransfer t = {};
    t.outPath = PageOutPath(s, page, path, sizeof path);
    t.rc = TWRC_FAILURE;
    Report("page: %d", page);
    if (s->out[0] != '\0' && t.outPath == nullptr) {
        Report("error: --out: no room for the page number");
        *pending = 0;
        ResetPending(s);
        return EXIT_OUTPUT;
    }
    int code = ReadImageInfo(&s->link, &t);
    if (code == EXIT_OK)
        code = CheckImageAgainstOptions(s, t.info);
    if (code == EXIT_OK)
        code = TakeImage(&s->link, s->opt, &t);
    bool started = t.rc == TWRC_XFERDONE || t.rc == TWRC_CANCEL || t.rc == TWRC_SUCCESS;
    if (started)
        SetState(s, 7);
    bool ok;
    *pending = EndImage(s, started ? MSG_ENDXFER : MSG_RESET, &ok);
    if (code == EXIT_OK && !ok)
        code = EXIT_TRANSFER;
    return code;
}

// State 6: every page the options ask for while the source has more.
int Transfer(Session *s)
{
    const Options *opt = s->opt;
    if (opt->xfer == XFER_NONE) {
        Report("transfer: none");
        return EXIT_OK;
    }
    if (ReapplyWanted(opt)) {
        WatchdogNote("setting the values again");
        int code = ReapplyValues(&s->link, opt);
        if (code != EXIT_OK) {
            ResetPending(s);
            return code;
        }
    }
    for (int page = 1;; ++page) {
        TW_UINT16 pending = 0;
        int code = TakePage(s, page, &pending);
        if (pending == 0)
            return code;
        if (code != EXIT_OK) {
            ResetPending(s);
            return code;
        }
        if (page >= opt->pages) {
            Report("pages: %d taken as asked; discarding the rest", page);
            return ResetPending(s);
        }
        if (Remaining(s) <= 0) {
            Report("error: --timeout reached after %d pages with more pending", page);
            ResetPending(s);
            return EXIT_NO_EVENT;
        }
    }
}

int CheckEvent(Session *s)
{
    int want = s->opt->expect;
    bool ok = want == EXPECT_ANY || (want == EXPECT_XFERREADY && s->event == MSG_XFERREADY) ||
              (want == EXPECT_CLOSEDSREQ && s->event == MSG_CLOSEDSREQ);
    return ok ? EXIT_OK : EXIT_WRONG_EVENT;
}

// Enables the source and waits for its event; returns the exit code so far.
int EnableAndWait(Session *s)
{
    int code = Enable(s);
    if (!WaitForEvent(s, code == EXIT_OK)) {
        if (code == EXIT_OK)
            Report("event: none within the timeout");
        return code == EXIT_OK ? EXIT_NO_EVENT : code;
    }
    if (s->event == MSG_XFERREADY)
        SetState(s, 6);
    else if (s->state < 5)
        SetState(s, 5); // the source only asks to be closed once enabled
    int checked = CheckEvent(s);
    if (checked != EXIT_OK)
        return checked;
    return s->event == MSG_XFERREADY ? Transfer(s) : EXIT_OK;
}

int DisableAndClose(Session *s)
{
    int code = EXIT_OK;
    if (s->state >= 5) {
        TW_USERINTERFACE ui = {};
        ui.ShowUI = TW_BOOL(s->opt->showUI);
        ui.hParent = s->window;
        WatchdogNote("MSG_DISABLEDS");
        TW_UINT16 rc = LinkCall(&s->link, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
        if (ReportStep(s, "disableds", rc, false) == TWRC_SUCCESS)
            SetState(s, 4);
        else
            code = EXIT_TRIPLET;
    }
    WatchdogNote("MSG_CLOSEDS");
    if (ReportStep(s, "closeds", LinkCloseSource(&s->link), true) == TWRC_SUCCESS)
        SetState(s, 3);
    else
        code = EXIT_TRIPLET;
    return code;
}

int OpenAndRun(Session *s)
{
    if (!OpenSource(s))
        return EXIT_TRIPLET;
    int code = Negotiate(s);
    if (code == EXIT_OK)
        code = EnableAndWait(s);
    int closeCode = DisableAndClose(s);
    return code != EXIT_OK ? code : closeCode;
}

} // namespace

int RunSession(const Options *opt, unsigned long deadline)
{
    static Session s; // the link's address is handed to TWAIN32.DLL's handler
    s = Session();
    s.opt = opt;
    s.deadline = deadline;
    if (opt->out != nullptr && !ToWindowsPath(opt->out, s.out, sizeof s.out)) {
        Report("error: --out: path too long");
        return EXIT_USAGE;
    }
    s.window = CreateAppWindow();
    if (s.window == nullptr) {
        Report("window: cannot create (error %lu)", GetLastError());
        return EXIT_SETUP;
    }
    WatchdogNote("loading the source");
    int code = EXIT_SETUP;
    if (LinkStart(&s.link, opt, s.window) == LINK_OK) {
        SetState(&s, 3);
        code = OpenAndRun(&s);
    }
    WatchdogNote("unloading");
    LinkStop(&s.link);
    DestroyWindow(s.window);
    return code;
}
