// The bitmap buttons: the faces in the resources, which face each control
// shows in each state, and where and at what size it is painted.
#include <gtest/gtest.h>
#include <windows.h>
#include <string.h>
#include <vector>
#include "adjust/button_painter.h"
#include "ds/library_attach.h"
#include "ui/scan_settings.h"

namespace {

const int kCanvas = 64;
const COLORREF kUntouched = RGB(0x12, 0x34, 0x56);

// A 32-bit top-down DIB section selected into a memory DC.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t *bits = nullptr;

    Canvas()
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kCanvas;
        info.bmiHeader.biHeight = -kCanvas;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        void *p = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint32_t *>(p);
        previous = SelectObject(dc, bitmap);
        HBRUSH brush = CreateSolidBrush(kUntouched);
        RECT all = {0, 0, kCanvas, kCanvas};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    ~Canvas()
    {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    COLORREF At(int x, int y)
    {
        GdiFlush();
        uint32_t v = bits[y * kCanvas + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    bool SameAs(Canvas &other)
    {
        GdiFlush();
        return memcmp(bits, other.bits, kCanvas * kCanvas * 4) == 0;
    }
    bool Untouched()
    {
        for (int y = 0; y < kCanvas; y++)
            for (int x = 0; x < kCanvas; x++)
                if (At(x, y) != kUntouched)
                    return false;
        return true;
    }
};

// The resource bitmap id stretched as the painter should draw it.
void DrawReference(Canvas &canvas, int id, int x, int y, int width, int height)
{
    HBITMAP face = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    ASSERT_NE(face, nullptr) << id;
    HDC source = CreateCompatibleDC(canvas.dc);
    HGDIOBJ old = SelectObject(source, face);
    StretchBlt(canvas.dc, x, y, width, height, source, 0, 0, 32, 32, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(face);
}

DRAWITEMSTRUCT Item(int control, UINT state, UINT action, HDC dc)
{
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = control;
    item.itemAction = action;
    item.itemState = state;
    item.hDC = dc;
    item.rcItem = {0, 0, 32, 32};
    return item;
}

class ButtonPainter : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AttachLibrary(GetModuleHandleA(nullptr)));
        saved = ScanSettings;
        AdjustButtonWidth = 32;
        AdjustButtonHeight = 32;
    }
    void TearDown() override
    {
        ScanSettings = saved;
        CurveMode = CURVE_SMOOTH;
        AdjustButtonWidth = AdjustButtonHeight = 0;
    }
    ScanSettingsRecord saved;
};

TEST_F(ButtonPainter, FacesAreSixteenColourBitmapsWithDistinctPressedFaces)
{
    const int faces[] = {630, 632, 640, 642, 650, 660, 662, 664, 666, 670, 680, 690};
    auto load = [](int id, int size, std::vector<uint8_t> &pixels) {
        HBITMAP b = HBITMAP(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0,
                                       LR_CREATEDIBSECTION));
        ASSERT_NE(b, nullptr) << id;
        DIBSECTION dib = {};
        GetObjectA(b, sizeof dib, &dib);
        EXPECT_EQ(dib.dsBm.bmWidth, size) << id;
        EXPECT_EQ(dib.dsBm.bmHeight, size) << id;
        EXPECT_EQ(dib.dsBm.bmBitsPixel, 4) << id;
        const uint8_t *p = static_cast<const uint8_t *>(dib.dsBm.bmBits);
        pixels.assign(p, p + dib.dsBm.bmWidthBytes * size);
        DeleteObject(b);
    };
    for (int id : faces) {
        std::vector<uint8_t> up, pressed;
        load(id, 32, up);
        load(id + 1, 32, pressed);
        EXPECT_NE(up, pressed) << id;
    }
    std::vector<uint8_t> marker;
    for (int id = 672; id <= 674; id++)
        load(id, 8, marker);
}

TEST_F(ButtonPainter, EachControlShowsTheFaceOfItsStateAndMode)
{
    struct Case { int control; UINT state; int flip, invert, curveMode, face; } cases[] = {
        {730, 0, 0, 0, CURVE_SMOOTH, 630},
        {730, ODS_SELECTED, 0, 0, CURVE_SMOOTH, 631},
        {730, 0, 1, 0, CURVE_SMOOTH, 632},
        {730, ODS_SELECTED, 1, 0, CURVE_SMOOTH, 633},
        {731, 0, 0, 0, CURVE_SMOOTH, 640},
        {731, ODS_SELECTED, 0, 1, CURVE_SMOOTH, 643},
        {740, 0, 0, 0, CURVE_SMOOTH, 650},
        {741, 0, 0, 0, CURVE_GAMMA, 660},
        {742, ODS_SELECTED, 0, 0, CURVE_SMOOTH, 671},
        {743, 0, 0, 0, CURVE_SMOOTH, 680},
        {744, ODS_SELECTED, 0, 0, CURVE_SMOOTH, 691},
        {921, 0, 0, 0, CURVE_SMOOTH, 662},
        {921, ODS_SELECTED, 0, 0, CURVE_SMOOTH, 663},
        {922, 0, 0, 0, CURVE_SMOOTH, 664},
        {922, 0, 0, 0, CURVE_SEGMENTS, 665},
        {922, ODS_SELECTED, 0, 0, CURVE_SEGMENTS, 665},
        {923, 0, 0, 0, CURVE_GAMMA, 667},
        {923, ODS_SELECTED, 0, 0, CURVE_SMOOTH, 667},
        {924, 0, 0, 0, CURVE_SMOOTH, 661},       // held down by its mode, not by a click
        {924, 0, 0, 0, CURVE_GAMMA, 660},
    };
    for (const Case &c : cases) {
        ScanSettings.Flip = c.flip;
        ScanSettings.Invert = c.invert;
        CurveMode = c.curveMode;
        Canvas painted, expected;
        DRAWITEMSTRUCT item = Item(c.control, c.state, ODA_DRAWENTIRE, painted.dc);
        DrawAdjustButton(&item);
        DrawReference(expected, c.face, 0, 0, 32, 32);
        EXPECT_TRUE(painted.SameAs(expected)) << c.control << " should show " << c.face;
    }
}

TEST_F(ButtonPainter, OtherItemsAndFocusChangesDrawNothing)
{
    struct Case { int control; UINT type, action; } cases[] = {
        {745, ODT_BUTTON, ODA_DRAWENTIRE},
        {920, ODT_BUTTON, ODA_SELECT},
        {730, ODT_STATIC, ODA_DRAWENTIRE},
        {730, ODT_BUTTON, ODA_FOCUS},
    };
    for (const Case &c : cases) {
        Canvas painted;
        DRAWITEMSTRUCT item = Item(c.control, 0, c.action, painted.dc);
        item.CtlType = c.type;
        DrawAdjustButton(&item);
        EXPECT_TRUE(painted.Untouched()) << c.control << " type " << c.type << " action " << c.action;
    }
    Canvas selected;
    DRAWITEMSTRUCT item = Item(731, ODS_SELECTED, ODA_SELECT, selected.dc);
    DrawAdjustButton(&item);
    EXPECT_FALSE(selected.Untouched()) << "a selection change redraws";
}

TEST_F(ButtonPainter, FaceIsStretchedToTheMeasuredButtonSizeAtTheItemCorner)
{
    AdjustButtonWidth = 40;
    AdjustButtonHeight = 44;
    Canvas painted, expected;
    DRAWITEMSTRUCT item = Item(743, 0, ODA_DRAWENTIRE, painted.dc);
    item.rcItem = {6, 4, 6 + 20, 4 + 20};
    DrawAdjustButton(&item);
    DrawReference(expected, 680, 6, 4, 40, 44);
    EXPECT_TRUE(painted.SameAs(expected));
    EXPECT_EQ(painted.At(5, 10), kUntouched);
    EXPECT_EQ(painted.At(46, 10), kUntouched);
    EXPECT_NE(painted.At(45, 47), kUntouched);
    EXPECT_EQ(painted.At(45, 48), kUntouched);

    // The balance face holds its three pure colour dots.
    int red = 0, green = 0, blue = 0;
    for (int y = 4; y < 48; y++)
        for (int x = 6; x < 46; x++) {
            COLORREF c = painted.At(x, y);
            red += c == RGB(255, 0, 0);
            green += c == RGB(0, 255, 0);
            blue += c == RGB(0, 0, 255);
        }
    EXPECT_GT(red, 40);
    EXPECT_GT(green, 40);
    EXPECT_GT(blue, 40);
}

} // namespace
