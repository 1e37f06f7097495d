#include "acquire/msgbox_hook.h"
#include <windows.h>
#include <string.h>
#include "acquire/options.h"
#include "acquire/report.h"

namespace {

// The static control that holds a message box's text has this id; ordinary
// dialogs do not use it.
const int kMessageBoxTextId = 0xFFFF;

HHOOK Hook = nullptr;
int Answer = ANSWER_NONE;

// Windows already reported: a box is activated again whenever focus returns.
HWND Seen[32];
int SeenNext = 0;

bool AlreadySeen(HWND window)
{
    for (HWND w : Seen) {
        if (w == window)
            return true;
    }
    Seen[SeenNext] = window;
    SeenNext = (SeenNext + 1) % int(sizeof Seen / sizeof Seen[0]);
    return false;
}

bool IsDialog(HWND window)
{
    char cls[16];
    return GetClassNameA(window, cls, sizeof cls) > 0 && strcmp(cls, "#32770") == 0;
}

BOOL CALLBACK FindDefault(HWND child, LPARAM found)
{
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
        *reinterpret_cast<int *>(found) = GetDlgCtrlID(child);
        return FALSE;
    }
    return TRUE;
}

// The box marks its default button only after it has been activated, so
// this runs from a timer, once the box's own loop is running.
int DefaultButton(HWND box)
{
    int found = 0;
    EnumChildWindows(box, FindDefault, reinterpret_cast<LPARAM>(&found));
    if (found != 0)
        return found;
    static const int order[] = {IDOK, IDCANCEL, IDYES, IDNO, IDRETRY, IDABORT, IDIGNORE};
    for (int id : order) {
        if (GetDlgItem(box, id) != nullptr)
            return id;
    }
    return IDCANCEL;
}

// The requested button if the box has it, else its default button.
int ChooseButton(HWND box)
{
    static const int ids[] = {0, 0, IDOK, IDCANCEL, IDYES, IDNO};
    int wanted = ids[Answer];
    if (wanted != 0 && GetDlgItem(box, wanted) != nullptr)
        return wanted;
    return DefaultButton(box);
}

const char *ButtonName(int id)
{
    switch (id) {
    case IDOK:
        return "OK";
    case IDCANCEL:
        return "CANCEL";
    case IDYES:
        return "YES";
    case IDNO:
        return "NO";
    default:
        return "OTHER";
    }
}

void ReportBox(HWND box)
{
    char caption[256], text[1024];
    char qCaption[800], qText[3200];
    GetWindowTextA(box, caption, sizeof caption);
    GetDlgItemTextA(box, kMessageBoxTextId, text, sizeof text);
    QuoteCp932(caption, sizeof caption, qCaption, sizeof qCaption);
    QuoteCp932(text, sizeof text, qText, sizeof qText);
    Report("msgbox: caption=\"%s\" text=\"%s\"", qCaption, qText);
}

// Boxes reported and waiting for their button.
HWND ToPress[8];

void PressButton(HWND box)
{
    int id = ChooseButton(box);
    Report("msgbox: answer=%s (%d)", ButtonName(id), id);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(box, id));
}

// A thread timer: the box's modal loop dispatches it.
void CALLBACK PressPending(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    for (HWND &box : ToPress) {
        if (box != nullptr && IsWindow(box))
            PressButton(box);
        box = nullptr;
    }
}

void SchedulePress(HWND box)
{
    for (HWND &slot : ToPress) {
        if (slot == nullptr) {
            slot = box;
            SetTimer(nullptr, 0, 0, PressPending);
            return;
        }
    }
}

void Inspect(HWND window)
{
    if (!IsDialog(window) || AlreadySeen(window))
        return;
    if (GetDlgItem(window, kMessageBoxTextId) == nullptr) {
        char caption[256], quoted[800];
        GetWindowTextA(window, caption, sizeof caption);
        QuoteCp932(caption, sizeof caption, quoted, sizeof quoted);
        Report("dialog: caption=\"%s\"", quoted);
        return;
    }
    ReportBox(window);
    if (Answer != ANSWER_NONE)
        SchedulePress(window);
}

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE)
        Inspect(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(Hook, code, wParam, lParam);
}

} // namespace

bool MsgBoxHookInstall(int answer)
{
    Answer = answer;
    Hook = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
    return Hook != nullptr;
}

void MsgBoxHookRemove()
{
    if (Hook != nullptr)
        UnhookWindowsHookEx(Hook);
    Hook = nullptr;
}
