// The acquisition tool's message-box watcher, against real MessageBoxA
// calls: each box must be reported with its caption and text in UTF-8 and
// closed with the requested button, or the box's default when it lacks it.
#include <windows.h>
#include "acquire/msgbox_hook.h"
#include "acquire/options.h"
#include "acquire/report.h"
#include "check.h"

namespace {

struct Case {
    UINT style;
    int answer;
    int wantResult;
};

const Case kCases[] = {
    {MB_OK, ANSWER_DEFAULT, IDOK},
    {MB_OK, ANSWER_YES, IDOK}, // no such button: the default one
    {MB_OKCANCEL, ANSWER_CANCEL, IDCANCEL},
    {MB_OKCANCEL, ANSWER_DEFAULT, IDOK},
    {MB_YESNO, ANSWER_NO, IDNO},
    {MB_YESNO | MB_DEFBUTTON2, ANSWER_DEFAULT, IDNO},
    {MB_YESNOCANCEL | MB_ICONEXCLAMATION, ANSWER_YES, IDYES},
    {MB_RETRYCANCEL, ANSWER_OK, IDRETRY},
};

// Shift-JIS for "スキャナ" and "エラー".
const char kCaption[] = "\x83\x58\x83\x4c\x83\x83\x83\x69";
const char kText[] = "\x83\x47\x83\x89\x81\x5b \"1\"";
const char kWantLine[] = "msgbox: caption=\"スキャナ\" text=\"エラー \\\"1\\\"\"";

// Report writes to the standard output handle; a pipe in its place lets the
// test read what the watcher printed.
HANDLE CaptureOutput(HANDLE *original)
{
    HANDLE readEnd, writeEnd;
    CreatePipe(&readEnd, &writeEnd, nullptr, 1 << 16);
    *original = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, writeEnd);
    return readEnd;
}

int ReadCaptured(HANDLE readEnd, HANDLE original, char *buf, int size)
{
    HANDLE writeEnd = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, original);
    CloseHandle(writeEnd);
    DWORD total = 0, got;
    while (total + 1 < DWORD(size) &&
           ReadFile(readEnd, buf + total, size - 1 - total, &got, nullptr) && got > 0)
        total += got;
    buf[total] = '\0';
    CloseHandle(readEnd);
    return int(total);
}

void RunCase(int index, const Case &c)
{
    HANDLE original;
    HANDLE readEnd = CaptureOutput(&original);
    CHECK(MsgBoxHookInstall(c.answer), "case %d: hook not installed", index);
    int result = MessageBoxA(nullptr, kText, kCaption, c.style);
    MsgBoxHookRemove();
    static char out[4096];
    ReadCaptured(readEnd, original, out, sizeof out);
    CHECK(result == c.wantResult, "case %d: box returned %d, want %d", index, result,
          c.wantResult);
    CHECK(strstr(out, kWantLine) != nullptr, "case %d: report was [%s]", index, out);
}

void CALLBACK CancelBox(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = FindWindowA("#32770", nullptr);
    if (box)
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// Without --auto-answer the box is only reported; a timer closes it here so
// that the test itself cannot hang.
void CheckReportOnly()
{
    HANDLE original;
    HANDLE readEnd = CaptureOutput(&original);
    MsgBoxHookInstall(ANSWER_NONE);
    UINT_PTR timer = SetTimer(nullptr, 0, 1500, CancelBox);
    int result = MessageBoxA(nullptr, kText, kCaption, MB_OKCANCEL);
    KillTimer(nullptr, timer);
    MsgBoxHookRemove();
    static char out[4096];
    ReadCaptured(readEnd, original, out, sizeof out);
    CHECK(result == IDCANCEL, "report-only box was answered by the hook (%d)", result);
    CHECK(strstr(out, kWantLine) != nullptr, "report-only: report was [%s]", out);
    CHECK(strstr(out, "answer=") == nullptr, "report-only: hook pressed a button");
}

} // namespace

int main()
{
    int index = 0;
    for (const Case &c : kCases)
        RunCase(index++, c);
    CheckReportOnly();
    return CheckResult();
}
