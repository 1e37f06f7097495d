#include "tests/support/msgbox_capture.h"
#include <windows.h>

namespace {

HHOOK Hook;
std::vector<CapturedBox> Captured;

std::string WindowTextUtf8(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return AnsiToUtf8(text);
}

// The box's message is the longest static text among its children.
BOOL CALLBACK CollectStatic(HWND child, LPARAM param)
{
    char cls[32] = "";
    GetClassNameA(child, cls, sizeof cls);
    std::string *best = reinterpret_cast<std::string *>(param);
    if (lstrcmpiA(cls, "Static") == 0) {
        std::string text = WindowTextUtf8(child);
        if (text.size() > best->size())
            *best = text;
    }
    return TRUE;
}

bool IsDialogWindow(HWND window)
{
    char cls[32] = "";
    GetClassNameA(window, cls, sizeof cls);
    return lstrcmpA(cls, "#32770") == 0;
}

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (IsDialogWindow(window) && GetDlgItem(window, IDOK) != nullptr) {
            CapturedBox box;
            box.caption = WindowTextUtf8(window);
            EnumChildWindows(window, CollectStatic, reinterpret_cast<LPARAM>(&box.text));
            Captured.push_back(box);
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(Hook, code, wParam, lParam);
}

} // namespace

std::string AnsiToUtf8(const char *text)
{
    int wide = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring w(wide, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &w[0], wide);
    int narrow = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(narrow, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &out[0], narrow, nullptr, nullptr);
    out.resize(narrow > 0 ? narrow - 1 : 0);
    return out;
}

MessageBoxCapture::MessageBoxCapture()
{
    Captured.clear();
    Hook = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
}

MessageBoxCapture::~MessageBoxCapture()
{
    UnhookWindowsHookEx(Hook);
    Hook = nullptr;
}

const std::vector<CapturedBox> &MessageBoxCapture::boxes() const
{
    return Captured;
}

void MessageBoxCapture::clear()
{
    Captured.clear();
}
