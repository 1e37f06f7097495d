// Creating and placing the source's dialogs.
#pragma once
#include <windows.h>

enum { CENTRE_ON_SCREEN = 1, CENTRE_LEFT_QUARTER = 2 };

void CentreDialog(HWND window, int mode);
// Modal and modeless dialogs from the library's resources; without a
// procedure nothing is created (0 is returned).
INT_PTR RunModalDialog(int templateId, HWND owner, DLGPROC procedure, LPARAM param = 0);
HWND CreateModelessDialog(int templateId, HWND parent, DLGPROC procedure, LPARAM param = 0);
