// The tone state: three mode tables of four 256-entry channel tables, and
// the hue, saturation and lightness record that follows them directly, with
// the operations the main dialog, the adjustment dialogs, the capability
// query and the preview perform on it.
#pragma once
#include <stdint.h>

enum { MODE_TABLE_COUNT = 3, CHANNEL_TABLE_SIZE = 256, CHANNEL_TABLE_COUNT = 4,
       MODE_TABLE_SIZE = CHANNEL_TABLE_COUNT * CHANNEL_TABLE_SIZE,
       TONE_TABLES_SIZE = MODE_TABLE_COUNT * MODE_TABLE_SIZE,
       HUESAT_ENTRY_COUNT = 7, HUESAT_ENTRY_SIZE = 6,
       HUESAT_RECORD_SIZE = HUESAT_ENTRY_COUNT * HUESAT_ENTRY_SIZE,
       TONE_STATE_SIZE = TONE_TABLES_SIZE + HUESAT_RECORD_SIZE };

// Channel tables of a mode table, in the order the scanner receives them.
enum { CHANNEL_RED = 0, CHANNEL_GREEN = 1, CHANNEL_BLUE = 2, CHANNEL_FOURTH = 3 };

enum { HUE_LIMIT = 180, PERCENT_LIMIT = 100, HUESAT_NEGATIVE_BIAS = 16384 };

// The map file holds this block byte for byte.
struct ToneStateBlock {
    uint8_t ToneTables[TONE_TABLES_SIZE];
    uint8_t HueSatRecord[HUESAT_RECORD_SIZE];   // entry 0 master, 1..6 red..magenta
};
static_assert(sizeof(ToneStateBlock) == TONE_STATE_SIZE, "the map file holds the block as it lies in memory");

// Decoded form of the record; only entry 0 is applied to images.
struct HueSatValueArrays {
    int32_t Hue[HUESAT_ENTRY_COUNT];
    int32_t Saturation[HUESAT_ENTRY_COUNT];
    int32_t Lightness[HUESAT_ENTRY_COUNT];
};

extern ToneStateBlock ToneState;
extern HueSatValueArrays HueSatValues;
// The mode table as an adjustment dialog found it when it opened.
extern uint8_t AdjustBackup[MODE_TABLE_SIZE];

// The 1024 bytes of a mode's tables; a mode outside 0..2 (an edited
// settings file) selects the colour tables rather than memory beyond them.
uint8_t *ModeTable(int mode);

// Identity tables in all three modes and a zero hue record.
void ResetToneState();
// The default button: the above, zero decoded values, not inverted, manual tone.
void ResetToneDefaults();
// 255 - v for all 3072 table bytes; the record stays.
void InvertToneTables();
// The invert button: inverts the tables and toggles ScanSettings.Invert.
void ToggleInvert();
// After the block was read again from the map file on leaving automatic
// tone: decode the record and invert when the stored tables were saved
// with the other invert setting.
void ApplyReloadedToneState();
// Colour: mode table 0 is the identity and the record is zero; grey and
// black and white: that mode's table is the identity.
bool ToneAtDefault(int mode);

// One 16-bit field of the record: negative values carry a bias of 16384.
uint16_t EncodeHueSatValue(int32_t value);
int32_t DecodeHueSatValue(uint16_t stored, int32_t limit);
void StoreHueSatEntry(int entry, int32_t hue, int32_t saturation, int32_t lightness);
// All seven entries of HueSatValues from the record.
void DecodeHueSatValues();
// Every entry of the record and of HueSatValues (automatic tone).
void SetAllHueSat(int32_t hue, int32_t saturation, int32_t lightness);
// HueSatValues = decoded record + the dialog's working values, limited to
// the ranges the record can hold; with store set the sums go into the record.
void ComposeHueSat(const HueSatValueArrays &working, bool store);

// Adjustment dialogs: keep the current mode table on opening, put it back
// on cancel, and compose a channel as output = mapping(backup entry).
void BeginAdjustment(int mode);
void CancelAdjustment(int mode);
void ComposeChannel(int mode, int channel, const uint8_t mapping[CHANNEL_TABLE_SIZE]);
// Confirmed curve, levels and balance adjustments send the blue table twice.
void CopyBlueToFourth(int mode);
