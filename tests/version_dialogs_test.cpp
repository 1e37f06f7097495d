// The version dialog and the wait notice, driven with real window messages.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "ds/dialogs.h"
#include "ds/exported_procs.h"
#include "ds/library_attach.h"
#include "ui/version_dialogs.h"
#include "tests/support/window_probe.h"

namespace {

#if DS_MODEL_600
const char *const kProduct = DS_BUILD_X ? "Qor DX-KL510/HR E" : "Qor DX-KL510/HR";
#else
const char *const kProduct = DS_BUILD_X ? "Qor DX-KL510/SR E" : "Qor DX-KL510/SR";
#endif
const char *const kVersion = DS_BUILD_X ? "Version 4.12X Apr. 10, 1996" : "Version 4.12 Sep. 25, 1995";

bool CentredOnScreen(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return r.left == (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2 &&
           r.top == (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
}

std::vector<std::string> ChildTexts(HWND dialog)
{
    std::vector<std::string> texts;
    for (HWND child : ChildrenOf(dialog))
        texts.push_back(WindowTextUtf8(child));
    return texts;
}

bool Contains(const std::vector<std::string> &texts, const std::string &text)
{
    for (const std::string &t : texts)
        if (t == text)
            return true;
    return false;
}

void PostKey(HWND dialog, UINT key)
{
    HWND focus = GetFocus();
    PostMessageA(focus != nullptr ? focus : dialog, WM_KEYDOWN, key, 0x00010001);
}

// Runs dialog messages the way a modeless dialog's owner loop does.
void PumpDialog(HWND dialog)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (!IsDialogMessageA(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
}

class VersionDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AttachLibrary(GetModuleHandleA(nullptr)));
        owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 320, 200,
                              nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner, nullptr);
    }
    void TearDown() override { DestroyWindow(owner); }
    HWND owner = nullptr;
};

// What the timer script saw inside the modal loop of the version dialog.
struct VersionScript {
    int tick = 0;
    HWND dialog = nullptr;
    std::string title;
    std::vector<std::string> texts;
    bool centred = false;
    bool openAfterEscape = false;
} Script;

// The script starts once the dialog is up, however long that takes on a
// loaded machine; the timer only fires inside the dialog's modal loop.
void CALLBACK VersionStep(HWND, UINT, UINT_PTR, DWORD)
{
    if (Script.dialog == nullptr) {
        std::vector<HWND> dialogs = ThreadDialogs();
        if (dialogs.size() != 1)
            return;
        Script.dialog = dialogs[0];
        Script.title = WindowTextUtf8(Script.dialog);
        Script.texts = ChildTexts(Script.dialog);
        Script.centred = CentredOnScreen(Script.dialog);
        SaveScreenshot(Script.dialog, "version");
        PostKey(Script.dialog, VK_ESCAPE);
        return;
    }
    switch (++Script.tick) {
    case 2:
        Script.openAfterEscape = IsWindow(Script.dialog) && IsWindowVisible(Script.dialog);
        PostKey(Script.dialog, VK_RETURN);
        break;
    case 20:   // nobody ended it: do so, so that the test fails instead of hanging
        if (IsWindow(Script.dialog))
            EndDialog(Script.dialog, 99);
        break;
    }
}

TEST_F(VersionDialogs, VersionDialogShowsThisBuildAndEndsOnEnterNotEscape)
{
    Script = VersionScript();
    UINT_PTR timer = SetTimer(nullptr, 0, 50, VersionStep);
    INT_PTR result = RunModalDialog(DIALOG_VERSION, owner, About);
    KillTimer(nullptr, timer);
    ASSERT_NE(Script.dialog, nullptr) << "the dialog never showed";
    EXPECT_EQ(Script.title, "バージョン情報");
    EXPECT_TRUE(Contains(Script.texts, kProduct));
    EXPECT_TRUE(Contains(Script.texts, kVersion));
    EXPECT_TRUE(Script.centred);
    EXPECT_TRUE(Script.openAfterEscape) << "Escape must leave the dialog open";
    EXPECT_EQ(result, 0) << "Enter ends the dialog with 0";
    EXPECT_FALSE(IsWindow(Script.dialog));
}

TEST_F(VersionDialogs, WaitNoticeIsCentredPaintedAtOnceAndIgnoresInput)
{
    HWND notice = ShowWaitNotice(owner);
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(IsWindowVisible(notice));
    EXPECT_EQ(GetWindow(notice, GW_OWNER), owner);
    EXPECT_EQ(WindowTextUtf8(notice), "キャリブレーション");
    EXPECT_TRUE(CentredOnScreen(notice));
    EXPECT_EQ(GetWindowLongA(notice, GWL_STYLE) & WS_SYSMENU, 0) << "no close box";
    RECT units = {0, 0, 150, 37}, client;
    MapDialogRect(notice, &units);
    GetClientRect(notice, &client);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);

    HWND text = nullptr;
    for (HWND child : ChildrenOf(notice)) {
        EXPECT_NE(ClassOf(child), "Button");
        if (WindowTextUtf8(child) == "しばらくお待ち下さい")
            text = child;
    }
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(GetWindowLongA(text, GWL_STYLE) & SS_TYPEMASK, SS_CENTER);
    RECT r = ChildRect(text);
    EXPECT_NEAR(r.left + r.right, client.right, 2) << "the text sits in the middle";
    EXPECT_NEAR(r.top + r.bottom, client.bottom, 4);

    // Its creator runs no message loop while the scanner starts: the text
    // must be on the screen already.
    WindowPixels shot = CaptureWindow(notice, false);
    COLORREF background = shot.at(r.left, r.top);
    int ink = 0;
    for (int y = r.top; y < r.bottom; y++)
        for (int x = r.left; x < r.right; x++)
            ink += shot.at(x, y) != background;
    EXPECT_GT(ink, 20);
    SaveScreenshot(notice, "wait");

    PostKey(notice, VK_ESCAPE);
    PostKey(notice, VK_RETURN);
    PostMessageA(notice, WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpDialog(notice);
    EXPECT_TRUE(IsWindow(notice)) << "only its creator removes it";
    RemoveWaitNotice(notice);
    EXPECT_FALSE(IsWindow(notice));
}

} // namespace
