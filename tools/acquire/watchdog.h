// Ends the tool when a call into the source or the manager does not return:
// a modal dialog nobody answers, or a source that loops, must not hang the
// caller. The last step noted is named in the report.
#pragma once

enum { WATCHDOG_EXIT = 6 };

void WatchdogStart(unsigned long milliseconds);
void WatchdogNote(const char *step);
void WatchdogStop();
