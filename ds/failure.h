// The message box of a failed triplet and the common failure pattern.
#pragma once
#include "ds/twain_types.h"

// Primary strings of the handlers (each ends with two blanks).
enum {
    FAIL_IDENTITY = 160,
    FAIL_USERINTERFACE = 161,
    FAIL_ENABLEDS = 163,
    FAIL_DISABLEDS = 164,
    FAIL_OPENDS = 165,
    FAIL_CLOSEDS = 166,
    FAIL_CAPABILITY = 167,
    FAIL_STATUS = 168,
    FAIL_PENDINGXFERS = 169,
    FAIL_SETUPMEMXFER = 172,
    FAIL_SETUPFILEXFER = 173,
    FAIL_XFERGROUP = 174,
    FAIL_IMAGEINFO = 182,
    FAIL_IMAGELAYOUT = 183,
    FAIL_IMAGEMEMXFER = 185,
    FAIL_IMAGENATIVEXFER = 186,
    FAIL_IMAGEFILEXFER = 187,
};

// Box with the primary string followed by the condition code's text.
void ShowFailure(int primaryStringId, TW_UINT16 conditionCode);

// Stores the condition code, shows the box, answers TWRC_FAILURE.
TW_UINT16 FailTriplet(TW_UINT16 conditionCode, int primaryStringId);
