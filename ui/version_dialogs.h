// The version dialog 820 (`About`, run modally by the main dialog) and the
// wait notice 830 (`Calib`) shown while the scanner starts a scan.
#pragma once
#include <windows.h>

// Shows the wait notice owned by `owner` and paints it at once: the device
// calls it covers busy-wait without pumping messages. Null when it cannot
// be created; the scan goes on without it.
HWND ShowWaitNotice(HWND owner);
// Removes the notice; a null notice is ignored.
void RemoveWaitNotice(HWND notice);
