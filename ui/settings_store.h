// Persistence of the scan settings (private profile file, one section per
// product) and of the tone state (raw map file in the temporary directory).
#pragma once
#include <stdint.h>

extern const char SettingsFileName[];   // "QSXXXX.INI", kept in the Windows directory
extern const char MapFileName[];        // "QSMAPX.MAP", in the temporary directory
extern uint8_t DisplayIdentityTable[256];

void ReadSettings();
void WriteSettings();
void ReadMapFile();
void WriteMapFile();
