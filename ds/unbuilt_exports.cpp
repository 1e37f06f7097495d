// Exported dialog procedures and callbacks whose dialogs the library does
// not contain yet. They keep the export table complete; none of them is
// reachable, since no template for their dialogs exists.
#include "ds/exported_procs.h"

extern "C" {
INT_PTR CALLBACK Setting(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK Diagnostic(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK BrigCont(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK Curve(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK Level(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK Balance(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK HueSat(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
void CALLBACK LineFunc(int, int, LPARAM) {}
void CALLBACK LineProc(int, int, LPARAM) {}
}
