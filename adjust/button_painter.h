// The bitmap buttons of the main dialog (flip, invert, the five adjustment
// dialogs) and of the curve dialog (its four curve modes), drawn from the
// library's 32 by 32 bitmaps on WM_DRAWITEM.
#pragma once
#include <windows.h>

// Curve modes of the curve dialog; the button of the current one stays pressed.
enum { CURVE_SMOOTH = 0, CURVE_SEGMENTS = 1, CURVE_GAMMA = 2 };
extern int CurveMode;

// Pixel size of the main dialog's flip button, measured when that dialog
// opens; every bitmap button is drawn at this size. While it is 0 the
// item's own rectangle gives the size.
extern int AdjustButtonWidth, AdjustButtonHeight;

// The bitmap for a control in an item state, 0 for a control not drawn here.
int AdjustButtonBitmap(int control, UINT itemState);
void DrawAdjustButton(const DRAWITEMSTRUCT *item);
