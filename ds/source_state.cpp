#include "ds/source_state.h"

TW_IDENTITY SourceIdentity;
TW_IDENTITY AppIdentity;
int SourceState = 3;
TW_UINT16 ConditionCode = TWCC_SUCCESS;
TW_UINT16 LastTransferResult = TWRC_SUCCESS;
bool SampleAppMode;
TW_UINT16 PixelTypeList[PIXEL_TYPE_SLOTS];

HINSTANCE LibraryInstance;
HWND MainDialog;
bool SettingInstalled;
HWND OwnerWindow;

char ProductName[PRODUCT_NAME_SIZE + 1];
char SettingsKeys[SETTINGS_KEY_COUNT][30];
HCURSOR WaitCursor, ArrowCursor, PaneCursors[3];
int ScreenWidth, ScreenHeight;

void ResetPixelTypeList()
{
    static const TW_UINT16 offered[] = {TWPT_BW, TWPT_GRAY, TWPT_RGB};
    for (int i = 0; i < PIXEL_TYPE_SLOTS; i++)
        PixelTypeList[i] = i < 3 ? offered[i] : TW_UINT16(PIXEL_TYPE_NONE);
}
