// Exports of the simulator DLL. The configuration is read lazily at the
// first call rather than in DllMain, so that nothing runs under the loader
// lock and a test's Sim_Configure can take precedence.
#include <windows.h>

#include <stdio.h>

#include <string>

#include "sim/bus.h"
#include "sim/sim_config.h"
#include "sim/sim_control.h"

namespace {

bool configured = false;

std::string EnvironmentText(const char *name)
{
    char small[1];
    DWORD size = GetEnvironmentVariableA(name, small, 0);
    if (size == 0) return std::string();
    std::string value(size, '\0');
    DWORD got = GetEnvironmentVariableA(name, &value[0], size);
    value.resize(got);
    return value;
}

// A path from the host side ("/tmp/x") is on Wine's drive Z:.
bool ReadWholeFile(const std::string &path, std::string *text)
{
    std::string name = path[0] == '/' ? "Z:" + path : path;
    FILE *f = fopen(name.c_str(), "rb");
    if (!f) return false;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) text->append(buf, n);
    fclose(f);
    return true;
}

// Returns false after reporting the first bad item on stderr.
bool ApplyFromEnvironment(SimConfig *cfg)
{
    std::string file = EnvironmentText("QS_SIM_CONFIG_FILE");
    if (!file.empty()) {
        std::string text;
        if (!ReadWholeFile(file, &text)) {
            fprintf(stderr, "wnaspi32 simulator: cannot read %s\n", file.c_str());
            return false;
        }
        if (int bad = SimApplyConfig(cfg, text.c_str())) {
            fprintf(stderr, "wnaspi32 simulator: item %d of %s not understood\n", bad, file.c_str());
            return false;
        }
    }
    std::string text = EnvironmentText("QS_SIM_CONFIG");
    if (int bad = SimApplyConfig(cfg, text.c_str())) {
        fprintf(stderr, "wnaspi32 simulator: item %d of QS_SIM_CONFIG not understood\n", bad);
        return false;
    }
    return true;
}

void EnsureConfigured()
{
    if (configured) return;
    configured = true;
    SimConfig cfg;
    SimDefaultConfig(&cfg);
    bool ok = ApplyFromEnvironment(&cfg);
    BusConfigure(cfg);
    BusSetInitFailed(!ok);
}

}  // namespace

extern "C" {

DWORD __cdecl GetASPI32SupportInfo(void)
{
    EnsureConfigured();
    return BusSupportInfo();
}

DWORD __cdecl SendASPI32Command(void *srb)
{
    EnsureConfigured();
    return BusSend(srb);
}

int __cdecl Sim_Configure(const char *text)
{
    SimConfig cfg;
    SimDefaultConfig(&cfg);
    int bad = SimApplyConfig(&cfg, text);
    if (bad) return bad;
    configured = true;
    BusConfigure(cfg);
    BusSetInitFailed(false);
    return 0;
}

int __cdecl Sim_Amend(const char *text)
{
    EnsureConfigured();
    SimConfig cfg = BusConfig();
    int bad = SimApplyConfig(&cfg, text);
    if (bad == 0) BusAmend(cfg);
    return bad;
}

void __cdecl Sim_Reset(void)
{
    EnsureConfigured();
    BusReset();
}

int __cdecl Sim_LogCount(void)
{
    EnsureConfigured();
    return BusLogCount();
}

int __cdecl Sim_LogEntry(int index, SimLogEntry *out)
{
    EnsureConfigured();
    return BusLogEntry(index, out);
}

int __cdecl Sim_LogPayload(int index, void *out, int capacity)
{
    EnsureConfigured();
    return BusLogPayload(index, out, capacity);
}

int __cdecl Sim_FinishHung(int status)
{
    EnsureConfigured();
    return BusFinishHung(uint8_t(status));
}

int __cdecl Sim_LastScan(ChartWindow *window, ChartTone *tone)
{
    EnsureConfigured();
    return BusLastScan(window, tone);
}

}  // extern "C"
