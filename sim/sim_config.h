// Configuration of the simulated SCSI buses: a plain record with its
// defaults, and the text form "key=value;key=value" that fills it. Items are
// separated by ';' or line breaks; '#' starts a comment up to the line end.
#pragma once
#include <stdint.h>

enum { SIM_MAX_ADAPTERS = 8, SIM_MAX_DISKS = 16, SIM_MAX_FAULTS = 16, SIM_PATH_MAX = 260 };

enum SimIdentPlace : uint8_t {
    IDENT_NONE = 0,
    IDENT_STANDARD = 1,  // standard INQUIRY bytes 42..52
    IDENT_PAGE82 = 2,    // page 82h from the configured offset
    IDENT_BOTH = 3,
};

enum SimFaultAction : uint8_t { FAULT_FAIL = 1, FAULT_HANG = 2 };

enum { FAULT_OP_HA_INQUIRY = 0x100 };  // "ha" in the text form

struct SimFault {
    uint16_t op;           // SCSI operation code, or FAULT_OP_HA_INQUIRY
    uint32_t occurrence;   // 1-based; 0 = every occurrence
    uint8_t action;
};

struct SimDisk {
    uint8_t ha, target;
};

struct SimConfig {
    // Buses
    uint8_t adapters;       // 0 makes GetASPI32SupportInfo report no adapters
    uint8_t haScsiId;       // every adapter's own id
    uint8_t emptyStatus;    // SRB_Status of a target nobody answers at
    SimDisk disks[SIM_MAX_DISKS];
    uint8_t diskCount;
    uint8_t diskIdent;      // disks carry the scanner's vendor and model text

    // Scanner identity
    uint8_t scannerHa, scannerTarget;
    char vendor[5];         // vendor word, up to 4 characters
    char model[7];          // model identifier, up to 6 characters
    uint16_t optical, maxResolution;     // from the model
    uint16_t bedWidth, bedLength;        // 1/100 inch, from the model
    uint8_t peripheralType;
    uint8_t feeder;         // INQUIRY byte 40: 0 loaded, 1 empty, 2 none
    uint32_t feederPages;   // pages a loaded feeder holds; 0 = never runs out
    uint8_t tpu;            // INQUIRY byte 41
    uint8_t identPlace;     // SimIdentPlace
    uint8_t page82At;       // offset of the text in page 82h
    uint8_t inquiryLength;  // bytes of standard data the device delivers
    uint8_t inquiryGarbage; // standard data is non-zero junk
    uint8_t status17;       // GET DATA BUFFER STATUS byte 17

    // Scanning
    uint32_t chunk;         // ready amount grows by this per poll; 0 = all at once
    uint32_t emptyPolls;    // polls after SCAN that report nothing ready
    uint8_t alignReady;     // ready amount in whole lines (all planes)
    uint8_t strict;         // reject windows and requests the device cannot serve

    // Faults
    SimFault faults[SIM_MAX_FAULTS];
    uint8_t faultCount;
    int64_t vanishAfter;    // image bytes read before the scanner vanishes; -1 never

    char logPath[SIM_PATH_MAX];  // empty: no log file
};

void SimDefaultConfig(SimConfig *cfg);

// Applies the text on top of *cfg. Returns 0, or the 1-based number of the
// first item that is not understood; *cfg is then unchanged.
int SimApplyConfig(SimConfig *cfg, const char *text);

// Sets optical and maximum resolution and bed size for the model identifier:
// "QS52D0" is the 400-dpi model, every other identifier gets the 600-dpi
// model's figures.
void SimModelProfile(SimConfig *cfg);
