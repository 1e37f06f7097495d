// The simulated scanner as the library's own code reaches it: loads ASPI
// through the same path the source uses and gives the test the simulator's
// controls.
#pragma once
#include <string>
#include <vector>
#include "sim/sim_control.h"

struct Simulator {
    SimConfigureFn configure = nullptr;
    SimResetFn reset = nullptr;
    SimLogCountFn logCount = nullptr;
    SimLogEntryFn logEntry = nullptr;
    SimLogPayloadFn logPayload = nullptr;
    SimFinishHungFn finishHung = nullptr;
    SimLastScanFn lastScan = nullptr;

    bool Attach();                         // after AspiLoad()
    // Requests from here on are what Log() and Payload() see; the
    // scanner's state is left alone.
    void Mark() { first = logCount(); }
    std::vector<SimLogEntry> Log() const;
    std::vector<uint8_t> Payload(int index) const;
    int first = 0;
};

// The scanner of this build's model, as the configuration text names it.
const char *OwnModelConfig();

// Puts the scanner of this build's model, configured further by `extra`, on
// the simulated bus, binds ASPI as the source does (when not yet bound) and
// identifies it. False when any step fails.
bool IdentifySimulatedScanner(Simulator &sim, const std::string &extra = "");
