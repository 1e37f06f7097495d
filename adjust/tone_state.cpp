#include "adjust/tone_state.h"
#include <string.h>

ToneStateBlock ToneState;

void ResetToneState()
{
    for (int i = 0; i < TONE_TABLES_SIZE; i++)
        ToneState.ToneTables[i] = uint8_t(i % 256);
    memset(ToneState.HueSatRecord, 0, sizeof ToneState.HueSatRecord);
}
