// The tone state: three mode tables of four 256-entry channel tables, and
// the hue, saturation and lightness record that follows them directly.
#pragma once
#include <stdint.h>

enum { MODE_TABLE_SIZE = 1024, TONE_TABLES_SIZE = 3 * MODE_TABLE_SIZE,
       HUESAT_RECORD_SIZE = 42, TONE_STATE_SIZE = TONE_TABLES_SIZE + HUESAT_RECORD_SIZE };

struct ToneStateBlock {
    uint8_t ToneTables[TONE_TABLES_SIZE];
    uint8_t HueSatRecord[HUESAT_RECORD_SIZE];
};
static_assert(sizeof(ToneStateBlock) == TONE_STATE_SIZE, "the map file holds the block as it lies in memory");

extern ToneStateBlock ToneState;

// Identity tables in all three modes and a zero hue record.
void ResetToneState();
