// Helpers every subsystem shares: the work buffer stack, the string-table
// message box and dialog placement.
#include <gtest/gtest.h>
#include <windows.h>
#include "ds/dialogs.h"
#include "ds/library_attach.h"
#include "ds/source_state.h"
#include "ds/work_buffers.h"
#include "scan/show_message.h"
#include "tests/support/msgbox_capture.h"

namespace {

class SharedHelpers : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(AttachLibrary(GetModuleHandleA(nullptr))); }
    MessageBoxCapture boxes;
};

TEST_F(SharedHelpers, WorkBufferStackHoldsTenBlocksAndReportsOverflow)
{
    uint8_t *blocks[10];
    for (int i = 0; i < 10; i++) {
        blocks[i] = PushWorkBuffer(65535, true);
        ASSERT_NE(blocks[i], nullptr);
        blocks[i][65535 + 9] = uint8_t(i);   // size + 10 bytes are usable
    }
    EXPECT_EQ(PushWorkBuffer(16, false), nullptr);
    EXPECT_TRUE(boxes.boxes().empty()) << "no report asked for";
    EXPECT_EQ(PushWorkBuffer(16, true), nullptr);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "メモリを確保できません。Windows内部の問題の可能性があります。");
    for (int i = 0; i < 10; i++)
        EXPECT_EQ(PopWorkBuffer(true), 1);
    boxes.clear();
    EXPECT_EQ(PopWorkBuffer(true), 0);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "メモリを開放できません。Windows内部の問題の可能性があります。");
    EXPECT_EQ(WorkBufferDepth(), 0);
}

TEST_F(SharedHelpers, AnUnreasonableSizeIsRefusedNotWrapped)
{
    EXPECT_EQ(PushWorkBuffer(0xFFFFFFFFu, false), nullptr);
    EXPECT_EQ(WorkBufferDepth(), 0);
}

TEST_F(SharedHelpers, ShowMessageTextsAndFallback)
{
    ShowMessage(nullptr, 107);
    ShowMessage(nullptr, 9999);
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[0].text, "スキャナの設定エラー。");
    EXPECT_EQ(boxes.boxes()[0].caption, AnsiToUtf8(ProductName));
    EXPECT_EQ(boxes.boxes()[1].text, "Error Code = 9999");
}

TEST_F(SharedHelpers, CentreDialogPlacesWithoutResizing)
{
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    CentreDialog(window, CENTRE_ON_SCREEN);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, (ScreenWidth - 200) / 2);
    EXPECT_EQ(r.top, (ScreenHeight - 100) / 2);
    EXPECT_EQ(r.right - r.left, 200);
    CentreDialog(window, CENTRE_LEFT_QUARTER);
    GetWindowRect(window, &r);
#if DS_BUILD_X
    EXPECT_EQ(r.left, 2);
#else
    EXPECT_EQ(r.left, ScreenWidth / 4 - 100);
#endif
    EXPECT_EQ(r.bottom - r.top, 100);
    DestroyWindow(window);
}

} // namespace
