// Execution of SCSI requests through ASPI for Win32, by polling the request
// status against the tick counter.
#pragma once
#include <stdint.h>

enum { ASPI_REPLY_SIZE = 54, ASPI_TIMEOUT_NORMAL = 120000, ASPI_TIMEOUT_TRANSPARENCY = 180000 };

struct AspiAddress {
    uint8_t adapter;       // host adapter number
    uint8_t adapterId;     // the adapter's own SCSI id
    uint8_t target;        // the scanner's target id
};

extern AspiAddress AspiTarget;
extern uint32_t AspiTimeout;              // command time-out, milliseconds
extern uint8_t AspiReply[ASPI_REPLY_SIZE];

// The tick counter the time-outs are measured with; tests replace it.
typedef uint32_t (*TickSource)();
extern TickSource AspiTicks;

// Runs one request to its end and returns the final status (SS_COMP = 1 is
// success; a time-out gives SS_ERR). cdbLength is 6 or 10.
uint8_t AspiExecute(const uint8_t *cdb, int cdbLength, uint8_t direction, void *buffer, uint16_t length);
// Host adapter inquiry; on success the adapter and its SCSI id are selected.
uint8_t AspiAdapterInquiry(uint8_t adapter);
