// The user's scan settings: what the main dialog edits, the settings file
// stores and the scan engine turns into a scan.
#pragma once
#include <stdint.h>

enum { MODE_COLOUR = 0, MODE_GREY = 1, MODE_BW = 2 };
enum { SOURCE_REFLECTIVE = 0, SOURCE_FEEDER = 1, SOURCE_TRANSPARENCY = 2 };

struct ScanSettingsRecord {
    int32_t InterfaceIndex;
    int32_t Mode;
    uint16_t Resolution;
    int32_t Scaling;
    uint16_t XScaling;
    uint16_t YScaling;
    int32_t Source;
    int32_t Speed;
    int32_t Filter;
    int32_t Dither;
    int32_t Unit;
    int32_t PrescanLength;
    int32_t Automatic;
    int32_t Flip;
    int32_t Invert;
    int32_t Top;
    int32_t Bottom;
    int32_t Left;
    int32_t Right;
    int32_t Width;
    int32_t Length;
    int32_t Model;
    int32_t Brightness;
    uint16_t XEffective;
    uint16_t YEffective;
    int32_t SavedInvert;
};

extern ScanSettingsRecord ScanSettings;

// XEffective and YEffective from Resolution and the two ratios.
void DeriveEffectiveResolutions(ScanSettingsRecord &s);
