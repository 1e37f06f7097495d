// One simulated SCSI target: the flatbed scanner (or a plain disk, which
// answers only the identification commands). Platform-free: it sees a CDB,
// a direction and a buffer, and answers with an ASPI status.
#pragma once
#include <stdint.h>
#include <vector>

#include "sim/chart.h"
#include "sim/sim_config.h"

struct ScsiRequest {
    const uint8_t *cdb;
    uint8_t cdbLength;
    uint8_t flags;          // SRB_Flags: SRB_DIR_IN or SRB_DIR_OUT
    uint8_t *buffer;
    uint32_t bufferLength;
};

struct ScsiOutcome {
    uint8_t status;          // SS_COMP or SS_ERR
    uint8_t hostStatus;      // SRB_HaStat
    uint8_t targetStatus;    // SRB_TargStat: 0 good, 2 check condition
    uint32_t dataIn;         // bytes delivered into the buffer
    uint32_t dataOut;        // bytes of the buffer taken as payload
};

struct ScsiSense {
    uint8_t key, asc, ascq;
    uint8_t flags;           // high bits of sense byte 2 (ILI)
};

enum { SENSE_DATA_LENGTH = 18 };

struct ScannerState {
    ChartTone tone;           // last tone table sent
    ChartWindow window;       // last window accepted (zero at power-on)
    ScsiSense sense;

    bool scanning;            // SCAN accepted; READ delivers from scanWindow
    ChartWindow scanWindow;
    ChartTone scanTone;
    ChartGeometry scanGeometry;
    uint64_t total, produced, consumed;
    uint32_t emptyPollsLeft;
    uint32_t feederPagesUsed;

    int64_t cachedLine;       // line held in lineBuffer, -1 none
    std::vector<uint8_t> lineBuffer;

    bool haveLastScan;        // the last SCAN that had image data
    ChartWindow lastWindow;
    ChartTone lastTone;
};

void ScannerReset(ScannerState *s, const SimConfig &cfg);

// Transfer length a CDB asks for (0 for commands without a data phase, and
// for operation codes the targets do not know).
uint32_t ScsiTransferLength(const uint8_t *cdb);

ScsiOutcome ScannerExecute(ScannerState *s, const SimConfig &cfg, const ScsiRequest &req);
ScsiOutcome DiskExecute(const SimConfig &cfg, ScsiSense *sense, const ScsiRequest &req);

// Fills 18 bytes of fixed-format sense data.
void ScsiSenseData(const ScsiSense &sense, uint8_t out[SENSE_DATA_LENGTH]);

// Current value of INQUIRY byte 40: a loaded feeder runs empty after its pages.
uint8_t ScannerFeederState(const ScannerState &s, const SimConfig &cfg);

// The standard INQUIRY data (53 bytes) and page 82h (33 bytes).
enum { INQUIRY_LENGTH = 53, PAGE82_LENGTH = 33 };
void ScannerInquiryData(const ScannerState &s, const SimConfig &cfg, uint8_t out[INQUIRY_LENGTH]);
void ScannerPage82Data(const SimConfig &cfg, uint8_t out[PAGE82_LENGTH]);
