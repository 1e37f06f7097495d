// Control exports of the scanner simulator (wnaspi32.dll), beside the two
// ASPI functions. All are cdecl and exported undecorated; tests take them
// with GetProcAddress under the names below.
//
//   int  Sim_Configure(const char *text)   defaults + text; resets the
//        device and clears the log. NULL or "" gives the defaults. Returns
//        0, or the 1-based number of the first item not understood (the
//        configuration is then left as it was).
//   int  Sim_Amend(const char *text)       text on top of the current
//        configuration; device state and log are kept. Same result codes.
//   void Sim_Reset(void)                   power cycle: tone table, window,
//        scan, fault counters, a vanished device, the feeder's pages and the
//        log start afresh; the configuration stays.
//   int  Sim_LogCount(void)                requests logged since the reset.
//   int  Sim_LogEntry(int i, SimLogEntry *out)           0, or -1 out of range.
//   int  Sim_LogPayload(int i, void *out, int capacity)  data-out bytes of
//        request i: copies at most capacity bytes, returns the full length,
//        -1 out of range.
//   int  Sim_LastScan(ChartWindow *window, ChartTone *tone)  window and tone
//        table of the last SCAN that had image data: 0, or -1 if none yet.
//   int  Sim_FinishHung(int status)        ends every request a hang fault
//        holds with that SRB status (SS_COMP: the command completed late);
//        returns how many there were.
//
// At the first call of any export the DLL configures itself from the file
// named by QS_SIM_CONFIG_FILE and then the text of QS_SIM_CONFIG, unless
// Sim_Configure came first. A bad item there is reported on stderr and makes
// GetASPI32SupportInfo answer SS_FAILED_INIT.
#pragma once
#include <stdint.h>

#include "sim/chart.h"

#if defined(_WIN32)
#define SIM_CDECL __cdecl
#else
#define SIM_CDECL
#endif

enum { SIM_LOG_CDB_MAX = 16 };

// One request as the simulator saw it. Values are as sent, except status,
// hostStatus, targetStatus and dataIn, which are the answer.
struct SimLogEntry {
    uint32_t seq;            // 0 for the first request after a reset
    uint8_t srbCmd;          // SC_HA_INQUIRY, SC_EXEC_SCSI_CMD, ...
    uint8_t haId;
    uint8_t target;          // 0 for an adapter inquiry
    uint8_t lun;
    uint8_t flags;           // SRB_Flags
    uint8_t cdbLength;       // SRB_CDBLen
    uint8_t status;          // SRB_Status when SendASPI32Command returned
    uint8_t hostStatus;      // SRB_HaStat
    uint8_t targetStatus;    // SRB_TargStat
    uint8_t cdb[SIM_LOG_CDB_MAX];
    uint32_t bufLength;      // SRB_BufLen
    uint32_t dataIn;         // bytes the device delivered
    uint32_t dataOut;        // bytes of payload kept for Sim_LogPayload
};

typedef uint32_t(SIM_CDECL *SimSupportInfoFn)(void);
typedef uint32_t(SIM_CDECL *SimSendCommandFn)(void *srb);
typedef int(SIM_CDECL *SimConfigureFn)(const char *text);
typedef void(SIM_CDECL *SimResetFn)(void);
typedef int(SIM_CDECL *SimLogCountFn)(void);
typedef int(SIM_CDECL *SimLogEntryFn)(int index, SimLogEntry *out);
typedef int(SIM_CDECL *SimLogPayloadFn)(int index, void *out, int capacity);
typedef int(SIM_CDECL *SimLastScanFn)(ChartWindow *window, ChartTone *tone);
typedef int(SIM_CDECL *SimFinishHungFn)(int status);
