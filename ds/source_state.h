// Process-wide state of the data source: identities, TWAIN state, condition
// code and the records the triplet handlers share. One copy per process,
// alive as long as the library is loaded.
#pragma once
#include <windows.h>
#include "ds/twain_types.h"

enum { PIXEL_TYPE_SLOTS = 9, PIXEL_TYPE_NONE = 0xFFFF };

extern TW_IDENTITY SourceIdentity;
extern TW_IDENTITY AppIdentity;
extern int SourceState;                 // TWAIN state 3..7
extern TW_UINT16 ConditionCode;         // reported and cleared by DAT_STATUS
extern TW_UINT16 LastTransferResult;
extern bool SampleAppMode;
extern TW_UINT16 PixelTypeList[PIXEL_TYPE_SLOTS];
extern int32_t LayoutUnit;              // ICAP_UNITS: 0 inches, 1 centimetres, other pixels

extern HINSTANCE LibraryInstance;
extern HWND MainDialog;                 // modeless main dialog, 0 when none
extern bool SettingInstalled;           // the main dialog procedure is in use
extern HWND OwnerWindow;                // hParent of the last MSG_ENABLEDS

// Strings and resources cached when the library attaches.
enum { SETTINGS_KEY_COUNT = 22, PRODUCT_NAME_SIZE = 34 };
extern char ProductName[PRODUCT_NAME_SIZE + 1];
extern char SettingsKeys[SETTINGS_KEY_COUNT][30];
extern HCURSOR WaitCursor, ArrowCursor, PaneCursors[3];
extern int ScreenWidth, ScreenHeight;

// Offered pixel types after MSG_OPENDS: black and white, grey, colour.
void ResetPixelTypeList();
