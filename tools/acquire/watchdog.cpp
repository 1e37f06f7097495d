#include "acquire/watchdog.h"
#include <windows.h>
#include "acquire/report.h"

namespace {

HANDLE Done = nullptr;
HANDLE Thread = nullptr;
DWORD Limit = 0;
const char *volatile Step = "start";

DWORD WINAPI Watch(void *)
{
    if (WaitForSingleObject(Done, Limit) == WAIT_OBJECT_0)
        return 0;
    Report("watchdog: no return from %s after %lu ms", Step, Limit);
    Report("result: exit=%d", int(WATCHDOG_EXIT));
    // TerminateProcess, not ExitProcess: the stuck thread may hold the
    // loader lock or sit in a modal loop that detach routines would wait on.
    TerminateProcess(GetCurrentProcess(), WATCHDOG_EXIT);
    return 0;
}

} // namespace

void WatchdogStart(unsigned long milliseconds)
{
    Limit = milliseconds;
    Done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Thread = CreateThread(nullptr, 0, Watch, nullptr, 0, nullptr);
}

void WatchdogNote(const char *step)
{
    Step = step;
}

void WatchdogStop()
{
    if (Done == nullptr)
        return;
    SetEvent(Done);
    WaitForSingleObject(Thread, INFINITE);
    CloseHandle(Thread);
    CloseHandle(Done);
    Done = Thread = nullptr;
}
