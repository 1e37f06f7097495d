#include "ds/dialogs.h"
#include "ds/source_state.h"

void CentreDialog(HWND window, int mode)
{
    RECT r;
    if (!GetWindowRect(window, &r))
        return;
    int width = r.right - r.left, height = r.bottom - r.top;
    int y = (ScreenHeight - height) / 2;
    int x;
    if (mode == CENTRE_LEFT_QUARTER)
#if DS_BUILD_X
        x = 2;
#else
        x = ScreenWidth / 4 - width / 2;
#endif
    else
        x = (ScreenWidth - width) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW);
}

INT_PTR RunModalDialog(int templateId, HWND owner, DLGPROC procedure, LPARAM param)
{
    if (procedure == nullptr)
        return 0;
    return DialogBoxParamA(LibraryInstance, MAKEINTRESOURCEA(templateId), owner, procedure, param);
}

HWND CreateModelessDialog(int templateId, HWND parent, DLGPROC procedure, LPARAM param)
{
    if (procedure == nullptr)
        return nullptr;
    return CreateDialogParamA(LibraryInstance, MAKEINTRESOURCEA(templateId), parent, procedure, param);
}
