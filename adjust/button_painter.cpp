#include "adjust/button_painter.h"
#include "ds/source_state.h"
#include "res/resource_ids.h"
#include "ui/scan_settings.h"

int CurveMode = CURVE_SMOOTH;
int AdjustButtonWidth, AdjustButtonHeight;

namespace {

enum {
    FLIP_BUTTON = 730, INVERT_BUTTON = 731,
    BRIGHTNESS_BUTTON = 740, CURVE_BUTTON = 741, LEVELS_BUTTON = 742,
    BALANCE_BUTTON = 743, HUESAT_BUTTON = 744,
    CURVE_RESET_BUTTON = 921, CURVE_SEGMENTS_BUTTON = 922,
    CURVE_GAMMA_BUTTON = 923, CURVE_SMOOTH_BUTTON = 924,
};

// The up face, or the pressed face while a mode holds the button down.
int FaceFor(int control)
{
    switch (control) {
    case FLIP_BUTTON: return ScanSettings.Flip == 1 ? IDB_FLIP_MIRRORED : IDB_FLIP;
    case INVERT_BUTTON: return ScanSettings.Invert == 1 ? IDB_INVERT_INVERTED : IDB_INVERT;
    case BRIGHTNESS_BUTTON: return IDB_BRIGHTNESS;
    case CURVE_BUTTON: return IDB_CURVE_SMOOTH;
    case LEVELS_BUTTON: return IDB_LEVELS;
    case BALANCE_BUTTON: return IDB_BALANCE;
    case HUESAT_BUTTON: return IDB_HUESAT;
    case CURVE_RESET_BUTTON: return IDB_CURVE_RESET;
    case CURVE_SEGMENTS_BUTTON:
        return CurveMode == CURVE_SEGMENTS ? IDB_CURVE_SEGMENTS + 1 : IDB_CURVE_SEGMENTS;
    case CURVE_GAMMA_BUTTON:
        return CurveMode == CURVE_GAMMA ? IDB_CURVE_GAMMA + 1 : IDB_CURVE_GAMMA;
    case CURVE_SMOOTH_BUTTON:
        return CurveMode == CURVE_SMOOTH ? IDB_CURVE_SMOOTH + 1 : IDB_CURVE_SMOOTH;
    default: return 0;
    }
}

void StretchFace(const DRAWITEMSTRUCT *item, HBITMAP bitmap)
{
    HDC memory = CreateCompatibleDC(item->hDC);
    if (memory == nullptr)
        return;
    HGDIOBJ previous = SelectObject(memory, bitmap);
    int width = AdjustButtonWidth, height = AdjustButtonHeight;
    if (width <= 0 || height <= 0) {
        width = item->rcItem.right - item->rcItem.left;
        height = item->rcItem.bottom - item->rcItem.top;
    }
    StretchBlt(item->hDC, item->rcItem.left, item->rcItem.top, width, height,
               memory, 0, 0, 32, 32, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

} // namespace

int AdjustButtonBitmap(int control, UINT itemState)
{
    int id = FaceFor(control);
    if (id != 0 && (itemState & ODS_SELECTED) && id % 2 == 0)
        id++;
    return id;
}

void DrawAdjustButton(const DRAWITEMSTRUCT *item)
{
    if (item == nullptr || item->CtlType != ODT_BUTTON)
        return;
    int id = AdjustButtonBitmap(int(item->CtlID), item->itemState);
    if (id == 0)
        return;
    HBITMAP bitmap = LoadBitmapA(LibraryInstance, MAKEINTRESOURCEA(id));
    if (bitmap == nullptr)
        return;
    if (item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))
        StretchFace(item, bitmap);
    DeleteObject(bitmap);
}
