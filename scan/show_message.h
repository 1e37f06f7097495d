// The message box for a message of the string table, captioned with the
// product name. An insertion text replaces the "$" of the message.
#pragma once
#include <windows.h>

int ShowMessage(HWND owner, int stringId, const char *insertion = nullptr);
