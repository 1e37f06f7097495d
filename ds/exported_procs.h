// Dialog procedures and callbacks that the library exports by name and
// ordinal (see exports.def).
#pragma once
#include <windows.h>

extern "C" {
INT_PTR CALLBACK Setting(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK AbortBox(HWND, UINT, WPARAM, LPARAM);
BOOL CALLBACK AbortCancel();
INT_PTR CALLBACK About(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK Calib(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK Diagnostic(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK BrigCont(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK Curve(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK Level(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK Balance(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK HueSat(HWND, UINT, WPARAM, LPARAM);
void CALLBACK LineFunc(int x, int y, LPARAM context);
void CALLBACK LineProc(int x, int y, LPARAM context);
}

// Dialog template ids.
enum { DIALOG_MAIN = 700, DIALOG_PROGRESS = 800, DIALOG_VERSION = 820, DIALOG_WAIT = 830,
       DIALOG_DIAGNOSTIC = 840 };
