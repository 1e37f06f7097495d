#include "adjust/tone_state.h"
#include <string.h>
#include "ui/scan_settings.h"

ToneStateBlock ToneState;
HueSatValueArrays HueSatValues;
uint8_t AdjustBackup[MODE_TABLE_SIZE];

namespace {

int32_t Clamp(int32_t value, int32_t limit)
{
    return value < -limit ? -limit : value > limit ? limit : value;
}

uint16_t ReadField(const uint8_t *field)
{
    return uint16_t(field[0] | field[1] << 8);
}

void WriteField(uint8_t *field, int32_t value)
{
    uint16_t stored = EncodeHueSatValue(value);
    field[0] = uint8_t(stored & 0xFF);
    field[1] = uint8_t(stored >> 8);
}

uint8_t *RecordEntry(int entry)
{
    return ToneState.HueSatRecord + entry * HUESAT_ENTRY_SIZE;
}

uint8_t *Channel(int mode, int channel)
{
    return ModeTable(mode) + channel * CHANNEL_TABLE_SIZE;
}

} // namespace

uint8_t *ModeTable(int mode)
{
    if (mode < 0 || mode >= MODE_TABLE_COUNT)
        mode = MODE_COLOUR;
    return ToneState.ToneTables + mode * MODE_TABLE_SIZE;
}

void ResetToneState()
{
    for (int i = 0; i < TONE_TABLES_SIZE; i++)
        ToneState.ToneTables[i] = uint8_t(i % 256);
    memset(ToneState.HueSatRecord, 0, sizeof ToneState.HueSatRecord);
}

void ResetToneDefaults()
{
    ResetToneState();
    memset(&HueSatValues, 0, sizeof HueSatValues);
    ScanSettings.Invert = 0;
    ScanSettings.Automatic = 1;
}

void InvertToneTables()
{
    for (int i = 0; i < TONE_TABLES_SIZE; i++)
        ToneState.ToneTables[i] = uint8_t(255 - ToneState.ToneTables[i]);
}

void ToggleInvert()
{
    InvertToneTables();
    ScanSettings.Invert = ScanSettings.Invert == 1 ? 0 : 1;
}

void ApplyReloadedToneState()
{
    DecodeHueSatValues();
    if (ScanSettings.SavedInvert != ScanSettings.Invert)
        InvertToneTables();
}

bool ToneAtDefault(int mode)
{
    const uint8_t *table = ModeTable(mode);
    for (int i = 0; i < MODE_TABLE_SIZE; i++)
        if (table[i] != uint8_t(i % 256))
            return false;
    if (mode != MODE_COLOUR)
        return true;
    for (int i = 0; i < HUESAT_RECORD_SIZE; i++)
        if (ToneState.HueSatRecord[i] != 0)
            return false;
    return true;
}

uint16_t EncodeHueSatValue(int32_t value)
{
    return uint16_t(value < 0 ? value + HUESAT_NEGATIVE_BIAS : value);
}

int32_t DecodeHueSatValue(uint16_t stored, int32_t limit)
{
    return stored > limit ? int32_t(stored) - HUESAT_NEGATIVE_BIAS : int32_t(stored);
}

void StoreHueSatEntry(int entry, int32_t hue, int32_t saturation, int32_t lightness)
{
    uint8_t *e = RecordEntry(entry);
    WriteField(e + 0, hue);
    WriteField(e + 2, saturation);
    WriteField(e + 4, lightness);
}

void DecodeHueSatValues()
{
    for (int i = 0; i < HUESAT_ENTRY_COUNT; i++) {
        const uint8_t *e = RecordEntry(i);
        HueSatValues.Hue[i] = DecodeHueSatValue(ReadField(e + 0), HUE_LIMIT);
        HueSatValues.Saturation[i] = DecodeHueSatValue(ReadField(e + 2), PERCENT_LIMIT);
        HueSatValues.Lightness[i] = DecodeHueSatValue(ReadField(e + 4), PERCENT_LIMIT);
    }
}

void SetAllHueSat(int32_t hue, int32_t saturation, int32_t lightness)
{
    for (int i = 0; i < HUESAT_ENTRY_COUNT; i++) {
        HueSatValues.Hue[i] = hue;
        HueSatValues.Saturation[i] = saturation;
        HueSatValues.Lightness[i] = lightness;
        StoreHueSatEntry(i, hue, saturation, lightness);
    }
}

void ComposeHueSat(const HueSatValueArrays &working, bool store)
{
    DecodeHueSatValues();
    // Sums beyond the ranges would decode as different values next time.
    for (int i = 0; i < HUESAT_ENTRY_COUNT; i++) {
        HueSatValues.Hue[i] = Clamp(HueSatValues.Hue[i] + working.Hue[i], HUE_LIMIT);
        HueSatValues.Saturation[i] = Clamp(HueSatValues.Saturation[i] + working.Saturation[i], PERCENT_LIMIT);
        HueSatValues.Lightness[i] = Clamp(HueSatValues.Lightness[i] + working.Lightness[i], PERCENT_LIMIT);
        if (store)
            StoreHueSatEntry(i, HueSatValues.Hue[i], HueSatValues.Saturation[i], HueSatValues.Lightness[i]);
    }
}

void BeginAdjustment(int mode)
{
    memcpy(AdjustBackup, ModeTable(mode), MODE_TABLE_SIZE);
}

void CancelAdjustment(int mode)
{
    memcpy(ModeTable(mode), AdjustBackup, MODE_TABLE_SIZE);
}

void ComposeChannel(int mode, int channel, const uint8_t mapping[CHANNEL_TABLE_SIZE])
{
    uint8_t *out = Channel(mode, channel);
    const uint8_t *in = AdjustBackup + channel * CHANNEL_TABLE_SIZE;
    for (int i = 0; i < CHANNEL_TABLE_SIZE; i++)
        out[i] = mapping[in[i]];
}

void CopyBlueToFourth(int mode)
{
    memcpy(Channel(mode, CHANNEL_FOURTH), Channel(mode, CHANNEL_BLUE), CHANNEL_TABLE_SIZE);
}
