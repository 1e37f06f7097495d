#include "ds/failure.h"
#include <string.h>
#include "ds/source_state.h"

namespace {

struct ConditionText {
    TW_UINT16 code;
    int stringId;   // 0: the primary string stands alone
};

const ConditionText kConditionTexts[] = {
    {TWCC_SUCCESS, 0},
    {TWCC_BUMMER, 144},
    {TWCC_LOWMEMORY, 145},
    {TWCC_MAXCONNECTIONS, 147},
    {TWCC_OPERATIONERROR, 148},
    {TWCC_BADCAP, 149},
    {7, 150},
    {TWCC_BADPROTOCOL, 152},
    {TWCC_BADVALUE, 153},
    {TWCC_SEQERROR, 154},
};
const int kUnknownConditionText = 159;
const int kFailureTextSize = 180;

int SecondStringFor(TW_UINT16 code)
{
    for (const ConditionText &t : kConditionTexts)
        if (t.code == code)
            return t.stringId;
    return kUnknownConditionText;
}

} // namespace

void ShowFailure(int primaryStringId, TW_UINT16 conditionCode)
{
    char text[kFailureTextSize];
    int used = LoadStringA(LibraryInstance, primaryStringId, text, sizeof text);
    if (used <= 0)
        return;
    int second = SecondStringFor(conditionCode);
    if (second != 0 &&
        LoadStringA(LibraryInstance, second, text + used, sizeof text - used) <= 0)
        return;
    MessageBoxA(OwnerWindow, text, ProductName, MB_OK);
}

TW_UINT16 FailTriplet(TW_UINT16 conditionCode, int primaryStringId)
{
    ConditionCode = conditionCode;
    ShowFailure(primaryStringId, conditionCode);
    return TWRC_FAILURE;
}
