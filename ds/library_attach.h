// Work done when a process attaches the library.
#pragma once
#include <windows.h>

// Fills the identity, caches strings, cursors and the screen size.
// False makes the attach, and so the process's LoadLibrary, fail.
bool AttachLibrary(HINSTANCE instance);
