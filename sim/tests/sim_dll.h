// Test access to the simulator DLL: loads wnaspi32.dll from the test's own
// folder once, and offers small helpers to send requests the way an ASPI
// client does.
#pragma once
#include <windows.h>

#include <stdint.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "device/aspi_layouts.h"
#include "sim/chart.h"
#include "sim/sim_control.h"

struct SimDll {
    HMODULE module = nullptr;
    SimSupportInfoFn supportInfo = nullptr;
    SimSendCommandFn send = nullptr;
    SimConfigureFn configure = nullptr;
    SimConfigureFn amend = nullptr;
    SimResetFn reset = nullptr;
    SimLogCountFn logCount = nullptr;
    SimLogEntryFn logEntry = nullptr;
    SimLogPayloadFn logPayload = nullptr;
    SimLastScanFn lastScan = nullptr;

    // Observed at load, before any Sim_Configure: the configuration came
    // from QS_SIM_CONFIG_FILE ("model=QS52D0", "target=5") and QS_SIM_CONFIG
    // ("target=4;feeder=empty"), which the loader sets.
    uint32_t loadSupportInfo = 0;
    uint8_t loadInquiryStatus = 0;
    uint8_t loadInquiry[53] = {};
};

// Loads on first use; a missing DLL or export fails every test that asks.
const SimDll &Sim();

// Configures the simulator and fails the test when the text is refused.
void Configure(const char *text);

enum { SCANNER_TARGET = 2 };

struct Request {
    uint8_t ha = 0;
    uint8_t target = SCANNER_TARGET;
    std::vector<uint8_t> cdb;
    uint8_t flags = SRB_DIR_IN;
    uint8_t *buffer = nullptr;
    uint32_t length = 0;
};

// The block after SendASPI32Command returned, and what it returned.
struct Answer {
    SRB_ExecSCSICmd srb;
    uint32_t returned;
    uint8_t status() const { return srb.SRB_Status; }
};

Answer Execute(const Request &r);
uint8_t Send(std::initializer_list<uint8_t> cdb, uint8_t flags = SRB_DIR_IN, void *buffer = nullptr,
             uint32_t length = 0, uint8_t target = SCANNER_TARGET);

// INQUIRY, standard (page < 0) or vital product data page.
uint8_t Inquiry(uint8_t target, int page, uint8_t alloc, uint8_t *out, uint8_t ha = 0);

// The window descriptor fields a test chooses; the rest is the data
// source's template (header + 91-byte descriptor).
struct WindowFields {
    uint16_t xres = 300, yres = 300;
    uint32_t left = 0, top = 0, width = 0, length = 0;  // optical pixels
    uint8_t composition = CHART_GREY;
    uint8_t threshold = 128;
    uint8_t halftone = 0;
    uint8_t feeder = 0, transparency = 0;
};

std::vector<uint8_t> WindowList(const WindowFields &w);
ChartWindow ChartWindowOf(const WindowFields &w, uint16_t optical);

uint8_t SendTone(const std::vector<uint8_t> &table1024);
uint8_t SetWindow(const WindowFields &w);
uint8_t StartScan();

struct BufferStatus {
    uint8_t status;
    uint8_t raw[18];
    uint32_t ready() const { return (uint32_t)raw[9] << 16 | raw[10] << 8 | raw[11]; }
    uint32_t lines() const { return (uint32_t)raw[12] << 8 | raw[13]; }
    uint32_t lineLength() const { return (uint32_t)raw[14] << 8 | raw[15]; }
};
BufferStatus GetBufferStatus();

uint8_t ReadImage(uint8_t *buffer, uint32_t length);

// Window, scan, and reads of at most maxRead bytes while data is ready,
// until the lines the scanner announced have all arrived.
std::vector<uint8_t> ScanWhole(const WindowFields &w, uint32_t planes, uint32_t maxRead = 65535);

// A tone table of 4 x 256 bytes from a function of (table, value).
std::vector<uint8_t> MakeTone(int (*f)(int table, int v));
ChartTone ChartToneOf(const std::vector<uint8_t> &table1024);

std::string TempFilePath(const char *name);
