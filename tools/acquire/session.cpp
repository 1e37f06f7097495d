#include "acquire/session.h"
#include <windows.h>
#include "acquire/link.h"
#include "acquire/report.h"
#include "acquire/watchdog.h"

namespace {

struct Session {
    const Options *opt;
    Link link;
    HWND window;
    int state;          // TWAIN state of the source as far as the tool knows
    TW_UINT16 event;    // the source's event that ended the wait; MSG_NULL for none
    unsigned long deadline;
};

void SetState(Session *s, int state)
{
    s->state = state;
    Report("state: %d", state);
}

// Reports a triplet's result; after a failure also the condition code.
TW_UINT16 ReportStep(Session *s, const char *key, TW_UINT16 rc, bool ofManager)
{
    Report("%s: rc=%u (%s)", key, rc, ReturnCodeName(rc));
    if (rc == TWRC_FAILURE) {
        TW_UINT16 cc = 0;
        TW_UINT16 src = LinkStatus(&s->link, ofManager, &cc);
        if (src == TWRC_SUCCESS)
            Report("status: cc=%u", cc);
        else
            Report("status: rc=%u (%s)", src, ReturnCodeName(src));
    }
    return rc;
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

// Capability negotiation (mode, resolution, area, document source,
// transfer mechanism) belongs here, in state 4 before the source is enabled.
int Negotiate(Session *)
{
    return EXIT_OK;
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

// State 6: the image transfers go here (DAT_IMAGEINFO, then a native,
// memory or file transfer into a BMP file, then DAT_PENDINGXFERS /
// MSG_ENDXFER until no image is pending). Until they exist the tool goes
// straight on to disable the source.
int Transfer(Session *)
{
    Report("transfer: none");
    return EXIT_OK;
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
