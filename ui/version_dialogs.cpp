#include "ui/version_dialogs.h"
#include "ds/dialogs.h"
#include "ds/exported_procs.h"

// Enter ends the dialog through its default button 1; Escape's command 2
// is left unhandled on purpose, so the dialog stays open.
extern "C" INT_PTR CALLBACK About(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        CentreDialog(dialog, CENTRE_ON_SCREEN);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// The notice reacts to nothing; its creator destroys it.
extern "C" INT_PTR CALLBACK Calib(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        CentreDialog(dialog, CENTRE_ON_SCREEN);
        return TRUE;
    }
    return FALSE;
}

HWND ShowWaitNotice(HWND owner)
{
    HWND notice = CreateModelessDialog(DIALOG_WAIT, owner, Calib);
    if (notice != nullptr) {
        ShowWindow(notice, SW_SHOW);
        UpdateWindow(notice);
    }
    return notice;
}

void RemoveWaitNotice(HWND notice)
{
    if (notice != nullptr)
        DestroyWindow(notice);
}
