// The progress and abort box, driven with real window messages: what it
// shows, how its bar follows the reported progress, the three ways to
// cancel, nesting, and its end when the source is closed.
#include <gtest/gtest.h>
#include <windows.h>
#include <stdint.h>
#include <algorithm>
#include <string>
#include "ds/library_attach.h"
#include "ds/library_strings.h"
#include "ds/source_state.h"
#include "ds/triplets.h"
#include "scan/progress_box.h"
#include "tests/support/window_probe.h"

namespace {

const int kEscMessage = 130;

// "読み取り " or another caption string, followed by a mode name.
std::string Caption(int captionId, int modeId)
{
    char first[64], second[64];
    LoadLibraryString(captionId, first, sizeof first);
    LoadLibraryString(modeId, second, sizeof second);
    return std::string(first) + second;
}

// Inside of the bar's frame, one pixel in from each side.
RECT BarInside(HWND box)
{
    RECT r = ChildRect(GetDlgItem(box, 802));
    InflateRect(&r, -1, -1);
    return r;
}

// Width of the filled part, read along the inside's top row.
int FilledWidth(HWND box, COLORREF barColour)
{
    RECT r = BarInside(box);
    WindowPixels shot = CaptureWindow(box, false);
    int x = r.left;
    while (x < r.right && shot.at(x, r.top) == barColour)
        x++;
    return x - r.left;
}

enum CancelInput { CANCEL_BUTTON, CANCEL_ESCAPE, CANCEL_CLOSE_BOX };

void PostCancelInput(HWND box, CancelInput input)
{
    switch (input) {
    case CANCEL_BUTTON: {
        HWND button = GetDlgItem(box, IDCANCEL);
        PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        break;
    }
    case CANCEL_ESCAPE: {
        HWND focus = GetFocus();
        PostMessageA(focus != nullptr ? focus : box, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        break;
    }
    case CANCEL_CLOSE_BOX:
        PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
}

class ProgressBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AttachLibrary(GetModuleHandleA(nullptr)));
        owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 320, 200,
                              nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner, nullptr);
        cross = LoadCursorA(nullptr, IDC_CROSS);
    }
    void TearDown() override
    {
        ProgressEnd();
        DestroyWindow(owner);
    }
    HWND owner = nullptr;
    HCURSOR cross = nullptr;
};

TEST_F(ProgressBox, ShowsCaptionMessageAndButtonWhileTheOwnerIsDisabled)
{
    std::string caption = Caption(75, 500);
    for (bool cancelAllowed : {true, false}) {
        SetCursor(cross);
        ProgressOpen(owner, kEscMessage, cancelAllowed, caption.c_str());
        HWND box = ProgressWindow();
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(IsWindowVisible(box));
        EXPECT_EQ(WindowTextUtf8(box), "読み取り フルカラー");
        EXPECT_EQ(WindowTextUtf8(GetDlgItem(box, 801)), "ESC キーにより中止します");
        EXPECT_EQ(WindowTextUtf8(GetDlgItem(box, IDCANCEL)), "中止");
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(box, IDCANCEL)) != 0, cancelAllowed);
        EXPECT_EQ(GetWindow(box, GW_OWNER), owner);
        EXPECT_FALSE(IsWindowEnabled(owner));
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
        RECT r;
        GetWindowRect(box, &r);
        EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
        EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);
        ProgressClose();
        EXPECT_FALSE(IsWindow(box));
        EXPECT_EQ(ProgressWindow(), nullptr);
        EXPECT_TRUE(IsWindowEnabled(owner));
        EXPECT_EQ(GetCursor(), cross) << "the cursor of before the box is back";
    }
    // Without a caption the template's title stays.
    ProgressOpen(owner, kEscMessage, true, nullptr);
    EXPECT_EQ(WindowTextUtf8(ProgressWindow()), "イメージ処理...");
    ProgressClose();
}

TEST_F(ProgressBox, BarFollowsDoneOverTotalAndNeverMovesBack)
{
    struct Step { uint32_t total, done; bool stops; };
    // 180000 lines of 240000 overflow 32 bits in done × 100 × width. Done
    // beyond total stops the operation when it moves the bar.
    const Step steps[] = {{100, 0, false}, {100, 25, false}, {3, 1, false}, {100, 20, false},
                          {240000, 180000, false}, {100, 150, true}, {100, 100, false}};
    ProgressOpen(owner, kEscMessage, true, nullptr);
    HWND box = ProgressWindow();
    RECT inside = BarInside(box);
    uint64_t width = inside.right - inside.left;
    ASSERT_GT(uint64_t(180000) * 100 * width, 0xFFFFFFFFull);
    const COLORREF green = RGB(0, 255, 0);   // on the default white window colour
    ASSERT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    uint64_t shown = 0;
    for (const Step &s : steps) {
        EXPECT_EQ(ProgressAdvance(s.total, s.done), s.stops) << s.done << "/" << s.total;
        uint64_t c = (uint64_t(s.done) * 100 * width / s.total) / 100;
        shown = std::max(shown, std::min(c, width));
        EXPECT_EQ(FilledWidth(box, green), int(shown)) << s.done << "/" << s.total;
        if (s.done == 180000)
            SaveScreenshot(box, "progress");
    }
    // The percentage is written over the bar: pixels of neither part's colour.
    WindowPixels shot = CaptureWindow(box, false);
    int text = 0;
    for (int y = inside.top; y < inside.bottom; y++)
        for (int x = inside.left; x < inside.right; x++)
            text += shot.at(x, y) != green;
    EXPECT_GT(text, 10);
    ProgressClose();
}

TEST_F(ProgressBox, FilledPartIsTheWindowColourWithRedAndBlueInverted)
{
    struct Case { COLORREF window, bar; };
    const Case cases[] = {{RGB(255, 255, 255), RGB(0, 255, 0)}, {RGB(0xC0, 0xC0, 0xC0), RGB(0x3F, 0xC0, 0x3F)}};
    const INT element = COLOR_WINDOW;
    const COLORREF original = GetSysColor(COLOR_WINDOW);
    for (const Case &c : cases) {
        SetSysColors(1, &element, &c.window);
        ProgressOpen(owner, kEscMessage, true, nullptr);
        HWND box = ProgressWindow();
        ProgressAdvance(100, 50);
        RECT inside = BarInside(box);
        WindowPixels shot = CaptureWindow(box, false);
        EXPECT_EQ(shot.at(inside.left + 1, inside.top), c.bar);
        EXPECT_EQ(shot.at(inside.right - 2, inside.top), c.window);
        ProgressClose();
    }
    SetSysColors(1, &element, &original);
}

TEST_F(ProgressBox, ButtonEscapeAndCloseBoxCancelOnlyOnceProgressIsMade)
{
    for (CancelInput input : {CANCEL_BUTTON, CANCEL_ESCAPE, CANCEL_CLOSE_BOX}) {
        SCOPED_TRACE(input);
        ProgressOpen(owner, kEscMessage, true, nullptr);
        HWND box = ProgressWindow();
        PostCancelInput(box, input);
        EXPECT_FALSE(ProgressAdvance(100, 0)) << "nothing to stop before progress";
        EXPECT_TRUE(IsWindow(box));
        EXPECT_FALSE(ProgressAdvance(100, 10));
        PostCancelInput(box, input);
        EXPECT_TRUE(ProgressAdvance(100, 20));
        EXPECT_EQ(IsWindow(box) != 0, input != CANCEL_CLOSE_BOX);
        EXPECT_TRUE(ProgressAdvance(100, 30)) << "one cancel ends the whole operation";
        EXPECT_FALSE(ProgressAdvance(100, 0)) << "done 0 never reports a cancel";
        EXPECT_FALSE(IsWindowEnabled(owner)) << "the owner waits for the close";
        ProgressClose();
        EXPECT_TRUE(IsWindowEnabled(owner));
        // The next box starts afresh.
        ProgressOpen(owner, kEscMessage, true, nullptr);
        EXPECT_FALSE(ProgressAdvance(100, 10));
        ProgressClose();
    }
}

TEST_F(ProgressBox, NestedRequestsShareTheOuterBox)
{
    std::string outer = Caption(75, 500), inner = Caption(76, 501);
    ProgressOpen(owner, kEscMessage, true, outer.c_str());
    HWND box = ProgressWindow();
    ProgressOpen(owner, kEscMessage, true, inner.c_str());
    EXPECT_EQ(ProgressWindow(), box);
    EXPECT_EQ(ThreadDialogs().size(), 1u);
    EXPECT_EQ(WindowTextUtf8(box), "読み取り フルカラー");
    ProgressClose();
    EXPECT_TRUE(IsWindowVisible(box));
    EXPECT_FALSE(IsWindowEnabled(owner));
    ProgressClose();
    EXPECT_FALSE(IsWindow(box));
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(ProgressBox, ClosingTheSourceEndsTheBoxAndStopsTheOperationUnderIt)
{
    SetCursor(cross);
    ProgressOpen(owner, kEscMessage, true, nullptr);
    ProgressOpen(owner, kEscMessage, true, nullptr);
    HWND box = ProgressWindow();
    EXPECT_FALSE(ProgressAdvance(100, 10));
    EndDialogSession();
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ(ProgressWindow(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetCursor(), cross);
    EXPECT_TRUE(ProgressAdvance(100, 20));
    EXPECT_FALSE(ProgressAdvance(100, 0));
    ProgressClose();
    ProgressClose();
    ProgressClose();   // one too many: ignored, the count stays at 0
    ProgressOpen(owner, kEscMessage, true, nullptr);
    box = ProgressWindow();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(ProgressAdvance(100, 10));
    ProgressClose();
    EXPECT_FALSE(IsWindow(box));
}

TEST_F(ProgressBox, PumpLeavesTheQuitMessageToTheApplication)
{
    ProgressOpen(owner, kEscMessage, true, nullptr);
    PostQuitMessage(7);
    EXPECT_FALSE(ProgressAdvance(100, 10));
    ProgressClose();
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

} // namespace
