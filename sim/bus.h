// The simulated ASPI manager: host adapters, the targets on them, fault
// injection and the request log. One instance per process, like the real
// manager. Platform-free; the DLL's exports are thin wrappers over this.
#pragma once
#include <stdint.h>

#include "sim/chart.h"
#include "sim/sim_config.h"
#include "sim/sim_control.h"

void BusConfigure(const SimConfig &cfg);  // new configuration, then BusReset
void BusAmend(const SimConfig &cfg);      // new configuration, state kept
const SimConfig &BusConfig();
void BusReset();
// Ends every request a hang fault holds with the given status; returns how many.
int BusFinishHung(uint8_t status);
void BusSetInitFailed(bool failed);       // GetASPI32SupportInfo reports it

uint32_t BusSupportInfo();
uint32_t BusSend(void *srb);

int BusLogCount();
int BusLogEntry(int index, SimLogEntry *out);
int BusLogPayload(int index, void *out, int capacity);
int BusLastScan(ChartWindow *window, ChartTone *tone);
