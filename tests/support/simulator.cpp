#include "tests/support/simulator.h"
#include <windows.h>
#include "device/aspi_library.h"
#include "device/identify.h"
#include "ui/scan_settings.h"

namespace {

template <typename Fn>
bool Take(Fn &fn, const char *name)
{
    fn = reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(Aspi.library, name)));
    return fn != nullptr;
}

} // namespace

bool Simulator::Attach()
{
    first = 0;
    return AspiLoaded() && Take(configure, "Sim_Configure") && Take(reset, "Sim_Reset") &&
           Take(logCount, "Sim_LogCount") && Take(logEntry, "Sim_LogEntry") &&
           Take(logPayload, "Sim_LogPayload") && Take(finishHung, "Sim_FinishHung") &&
           Take(lastScan, "Sim_LastScan");
}

std::vector<SimLogEntry> Simulator::Log() const
{
    int count = logCount() - first;
    std::vector<SimLogEntry> entries(count > 0 ? count : 0);
    for (size_t i = 0; i < entries.size(); i++)
        logEntry(first + int(i), &entries[i]);
    return entries;
}

std::vector<uint8_t> Simulator::Payload(int index) const
{
    int length = logPayload(first + index, nullptr, 0);
    std::vector<uint8_t> bytes(length > 0 ? length : 0);
    if (length > 0)
        logPayload(first + index, bytes.data(), length);
    return bytes;
}

const char *OwnModelConfig()
{
#if DS_MODEL_600
    return "model=QS71B0";
#else
    return "model=QS52D0";
#endif
}

bool IdentifySimulatedScanner(Simulator &sim, const std::string &extra)
{
    if (!AspiLoaded())
        AspiLoad();
    if (!sim.Attach())
        return false;
    if (sim.configure((std::string(OwnModelConfig()) + ";" + extra).c_str()) != 0)
        return false;
    ScanSettings.InterfaceIndex = 25;
    ScanSettings.Model = 0;
    Identify(nullptr);
    return ScannerPresent();
}
