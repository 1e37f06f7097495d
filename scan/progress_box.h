// The progress and abort box (dialog 800): a modeless box with a message
// line, a bar with its percentage and a cancel button, shown during scans and
// transfers. Reporting progress pumps the thread's messages, which keeps the
// application alive and is the only way the user's cancel gets through.
// Requests nest: the first open creates the box, the last close destroys it.
#pragma once
#include <windows.h>
#include <stdint.h>

// Opens a request. The first one creates the box owned by `owner` (the main
// dialog, disabled while the box is open) with the message string
// `messageId`, the cancel button enabled or not, and `caption` as the title
// unless it is null. Nested opens change nothing on the box.
void ProgressOpen(HWND owner, int messageId, bool cancelAllowed, const char *caption);

// Moves the bar to done / total and pumps messages. True when the operation
// must stop: the user cancelled (never reported while done is 0) or done
// exceeds total.
bool ProgressAdvance(uint32_t total, uint32_t done);

// Closes a request; the last one destroys the box, enables the owner again
// and restores the cursor in use when the box was opened.
void ProgressClose();

// Closing or disabling the source: ends a box that is showing, whatever its
// nesting. An operation still running under it is told to stop by its next
// advance; its closes are then ignored.
void ProgressEnd();

// The box window while a request is open, else null.
HWND ProgressWindow();
