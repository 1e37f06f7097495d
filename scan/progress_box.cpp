#include "scan/progress_box.h"
#include "ds/dialogs.h"
#include "ds/exported_procs.h"
#include "ds/library_strings.h"
#include "ds/source_state.h"
#include "res/resource_ids.h"

namespace {

const int kMessageSize = 80;          // 79 characters and the terminator
const UINT kPeekFlags = PM_REMOVE | PM_NOYIELD;
// Stand-in for the percentage's character size when no drawing context is
// to be had.
const SIZE kFallbackCharacter = {8, 16};

struct ProgressState {
    int nesting;                      // open requests; the box lives while above 0
    HWND box;                         // the dialog, possibly destroyed by a close request
    HWND owner;                       // disabled while the box is open
    HCURSOR savedCursor;
    char message[kMessageSize];
    bool cancelAllowed;
    bool cancelled;                   // kept until the box closes, so one cancel ends it all
    bool abandoned;                   // ended by the source's close while requests were open
    uint32_t lastDone;
    RECT bar;                         // filled part, dialog coordinates; right edge moves
    RECT rest;                        // from the bar's right edge to the inside right edge
    int barWidth;
    POINT text;                       // where the percentage is written
    uint32_t scale, offset;           // percent of the bar one operation spans, and where it starts
    HBRUSH barBrush, restBrush;
};

ProgressState P = {0, nullptr, nullptr, nullptr, "", false, false, false, 0,
                   {0, 0, 0, 0}, {0, 0, 0, 0}, 0, {0, 0}, 100, 0, nullptr, nullptr};

// The window colour with red and blue inverted: green on white.
COLORREF BarColour(COLORREF window)
{
    return RGB(255 - GetRValue(window), GetGValue(window), 255 - GetBValue(window));
}

HFONT BoxFont(HWND box)
{
    return reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0));
}

// Size of the first character of "100%" in the box's font.
SIZE PercentCharacter(HWND box)
{
    SIZE size = kFallbackCharacter;
    HDC dc = GetDC(box);
    if (dc == nullptr)
        return size;
    HGDIOBJ old = SelectObject(dc, BoxFont(box));
    if (!GetTextExtentPoint32A(dc, "1", 1, &size))
        size = kFallbackCharacter;
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    return size;
}

void InitialiseBox(HWND box)
{
    CentreDialog(box, CENTRE_ON_SCREEN);
    SetDlgItemTextA(box, IDC_PROGRESS_MESSAGE, P.message);
    HWND frame = GetDlgItem(box, IDC_PROGRESS_BAR);
    RECT inside = {0, 0, 0, 0};
    if (frame != nullptr) {
        GetClientRect(frame, &inside);
        MapWindowPoints(frame, box, reinterpret_cast<POINT *>(&inside), 2);
        InflateRect(&inside, -1, -1);
    }
    P.barWidth = inside.right - inside.left;
    SIZE character = PercentCharacter(box);
    P.text.x = (inside.left + inside.right - character.cx) / 2;
    P.text.y = (inside.top + inside.bottom - character.cy) / 2;
    P.bar = inside;
    P.bar.right = P.bar.left;
    P.rest = inside;
    EnableWindow(GetDlgItem(box, IDCANCEL), P.cancelAllowed);
    SetFocus(box);
}

// Drawn off-screen and copied in one go, so the bar does not flicker.
void PaintBar(HWND box)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(box, &ps);
    int height = P.bar.bottom - P.bar.top;
    if (dc == nullptr || P.barWidth <= 0 || height <= 0) {
        EndPaint(box, &ps);
        return;
    }
    int filled = P.bar.right - P.bar.left;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, P.barWidth, height);
    if (memory != nullptr && bitmap != nullptr) {
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        RECT part = {0, 0, filled, height};
        FillRect(memory, &part, P.barBrush);
        part.left = filled;
        part.right = P.barWidth;
        FillRect(memory, &part, P.restBrush);
        char format[16], percent[24];
        if (LoadLibraryString(IDS_PERCENT_FORMAT, format, sizeof format) > 0) {
            wsprintfA(percent, format, filled * 100 / P.barWidth);
            HGDIOBJ oldFont = SelectObject(memory, BoxFont(box));
            SetBkMode(memory, TRANSPARENT);
            TextOutA(memory, P.text.x - P.bar.left, P.text.y - P.bar.top, percent, lstrlenA(percent));
            SelectObject(memory, oldFont);
        }
        BitBlt(dc, P.bar.left, P.bar.top, P.barWidth, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldBitmap);
    }
    if (bitmap != nullptr)
        DeleteObject(bitmap);
    if (memory != nullptr)
        DeleteDC(memory);
    EndPaint(box, &ps);
}

// Bar width for done / total, scaled into this operation's share of the bar.
// Wide arithmetic: 32 bits overflow with the line counts of large scans.
int FilledWidth(uint32_t total, uint32_t done)
{
    uint64_t width = uint64_t(P.barWidth);
    uint64_t c = total == 0 ? width
                            : (uint64_t(done) * P.scale * width / total + uint64_t(P.offset) * width) / 100;
    return int(c < width ? c : width);
}

void ReleaseBox()
{
    if (P.owner != nullptr)
        EnableWindow(P.owner, TRUE);
    if (P.box != nullptr && IsWindow(P.box))
        DestroyWindow(P.box);
    P.box = nullptr;
    P.owner = nullptr;
    P.cancelled = false;
    DeleteObject(P.barBrush);
    DeleteObject(P.restBrush);
    P.barBrush = P.restBrush = nullptr;
    SetCursor(P.savedCursor);
    P.scale = 100;
    P.offset = 0;
}

} // namespace

extern "C" INT_PTR CALLBACK AbortBox(HWND box, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitialiseBox(box);
        return FALSE;                 // the focus is set already
    case WM_PAINT:
        PaintBar(box);
        return TRUE;
    case WM_CLOSE:
        // Before the operation has made progress there is nothing to stop.
        if (P.lastDone != 0) {
            P.cancelled = true;
            DestroyWindow(box);
        }
        return TRUE;
    case WM_COMMAND:
        if (P.lastDone != 0)
            P.cancelled = true;
        return TRUE;
    }
    return FALSE;
}

extern "C" BOOL CALLBACK AbortCancel()
{
    MSG msg;
    while (!P.cancelled && PeekMessageA(&msg, nullptr, 0, 0, kPeekFlags)) {
        if (msg.message == WM_QUIT) {
            // The application's own loop must still see it.
            PostQuitMessage(int(msg.wParam));
            break;
        }
        if (P.box != nullptr && IsDialogMessageA(P.box, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return P.cancelled ? 0 : 1;
}

void ProgressOpen(HWND owner, int messageId, bool cancelAllowed, const char *caption)
{
    if (P.nesting++ > 0)
        return;
    P.abandoned = false;
    P.savedCursor = SetCursor(ArrowCursor);
    COLORREF window = GetSysColor(COLOR_WINDOW);
    P.barBrush = CreateSolidBrush(BarColour(window));
    P.restBrush = CreateSolidBrush(window);
    P.scale = 100;
    P.offset = 0;
    P.cancelAllowed = cancelAllowed;
    P.cancelled = false;
    P.lastDone = 0;
    LoadLibraryString(messageId, P.message, sizeof P.message);
    P.owner = owner;
    P.box = CreateModelessDialog(DIALOG_PROGRESS, owner, AbortBox);
    if (P.box == nullptr)
        return;
    ShowWindow(P.box, SW_SHOW);
    if (caption != nullptr)
        SetWindowTextA(P.box, caption);
    if (owner != nullptr)
        EnableWindow(owner, FALSE);
}

bool ProgressAdvance(uint32_t total, uint32_t done)
{
    P.lastDone = done;
    if (P.box == nullptr)
        return P.abandoned && done != 0;
    if (!IsWindow(P.box))
        return done != 0;
    if (!AbortCancel() && done != 0)
        return true;
    if (P.box == nullptr || !IsWindow(P.box))   // ended or closed while pumping
        return done != 0;
    int right = P.bar.left + FilledWidth(total, done);
    if (P.bar.right >= right)
        return false;
    P.bar.right = right;
    P.rest.left = right;
    InvalidateRect(P.box, &P.bar, FALSE);
    InvalidateRect(P.box, &P.rest, FALSE);
    UpdateWindow(P.box);
    return done > total || P.cancelled;
}

void ProgressClose()
{
    if (P.nesting == 0)
        return;                       // unmatched, or the box was ended under the caller
    if (--P.nesting == 0)
        ReleaseBox();
}

void ProgressEnd()
{
    if (P.nesting == 0)
        return;
    P.nesting = 0;
    P.abandoned = true;
    ReleaseBox();
}

HWND ProgressWindow()
{
    return P.box;
}
