#include "sim/tests/sim_dll.h"

#include <gtest/gtest.h>
#include <string.h>

#include <fstream>
#include <stdio.h>

namespace {

std::string ExeFolder()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

template <typename F>
void Take(HMODULE m, const char *name, F *fn)
{
    *fn = reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(m, name)));
}

// Takes the exports and notes what the fresh DLL says; its first call reads
// the environment.
void Probe(SimDll *dp)
{
    SimDll &d = *dp;
    Take(d.module, "GetASPI32SupportInfo", &d.supportInfo);
    Take(d.module, "SendASPI32Command", &d.send);
    Take(d.module, "Sim_Configure", &d.configure);
    Take(d.module, "Sim_Amend", &d.amend);
    Take(d.module, "Sim_Reset", &d.reset);
    Take(d.module, "Sim_LogCount", &d.logCount);
    Take(d.module, "Sim_LogEntry", &d.logEntry);
    Take(d.module, "Sim_LogPayload", &d.logPayload);
    Take(d.module, "Sim_LastScan", &d.lastScan);
    if (!d.supportInfo || !d.send) return;
    d.loadSupportInfo = d.supportInfo();
    SRB_ExecSCSICmd srb = {};
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb.SRB_Flags = SRB_DIR_IN;
    srb.SRB_Target = 4;
    srb.SRB_BufLen = sizeof d.loadInquiry;
    srb.SRB_BufPointer = d.loadInquiry;
    srb.SRB_SenseLen = ASPI_SENSE_LEN;
    srb.SRB_CDBLen = 6;
    const uint8_t cdb[6] = {0x12, 0, 0, 0, 53, 0};
    memcpy(srb.CDBByte, cdb, 6);
    d.send(&srb);
    d.loadInquiryStatus = srb.SRB_Status;
}

// Configures through the environment, loads, and probes before any test
// reconfigures the DLL.
SimDll Load()
{
    SimDll d;
    std::string file = TempFilePath("sim_load.cfg");
    std::ofstream(file) << "# written by the simulator tests\nmodel=QS52D0\ntarget=5   # overridden below\n";
    SetEnvironmentVariableA("QS_SIM_CONFIG_FILE", file.c_str());
    SetEnvironmentVariableA("QS_SIM_CONFIG", "target=4;feeder=empty");
    d.module = LoadLibraryA((ExeFolder() + "wnaspi32.dll").c_str());
    if (d.module) Probe(&d);
    SetEnvironmentVariableA("QS_SIM_CONFIG_FILE", nullptr);
    SetEnvironmentVariableA("QS_SIM_CONFIG", nullptr);
    remove(file.c_str());
    return d;
}

void PutBe(uint8_t *p, uint32_t v, int n)
{
    for (int i = n - 1; i >= 0; i--, v >>= 8) p[i] = (uint8_t)v;
}

}  // namespace

const SimDll &Sim()
{
    static SimDll dll = Load();
    bool complete = dll.module && dll.supportInfo && dll.send && dll.configure && dll.amend && dll.reset &&
                    dll.logCount && dll.logEntry && dll.logPayload && dll.lastScan;
    if (!complete) ADD_FAILURE() << "wnaspi32.dll beside the test, with all its exports, is needed";
    return dll;
}

void Configure(const char *text)
{
    ASSERT_EQ(0, Sim().configure(text)) << text;
}

Answer Execute(const Request &r)
{
    Answer a;
    memset(&a.srb, 0, sizeof a.srb);
    a.srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    a.srb.SRB_HaId = r.ha;
    a.srb.SRB_Flags = r.flags;
    a.srb.SRB_Target = r.target;
    a.srb.SRB_BufLen = r.length;
    a.srb.SRB_BufPointer = r.buffer;
    a.srb.SRB_SenseLen = ASPI_SENSE_LEN;
    a.srb.SRB_CDBLen = (uint8_t)r.cdb.size();
    memcpy(a.srb.CDBByte, r.cdb.data(), r.cdb.size());
    a.returned = Sim().send(&a.srb);
    return a;
}

uint8_t Send(std::initializer_list<uint8_t> cdb, uint8_t flags, void *buffer, uint32_t length, uint8_t target)
{
    Request r;
    r.cdb = cdb;
    r.flags = flags;
    r.buffer = static_cast<uint8_t *>(buffer);
    r.length = length;
    r.target = target;
    return Execute(r).status();
}

uint8_t Inquiry(uint8_t target, int page, uint8_t alloc, uint8_t *out, uint8_t ha)
{
    Request r;
    r.ha = ha;
    r.target = target;
    r.cdb = {0x12, (uint8_t)(page >= 0 ? 1 : 0), (uint8_t)(page >= 0 ? page : 0), 0, alloc, 0};
    r.buffer = out;
    r.length = alloc;
    return Execute(r).status();
}

std::vector<uint8_t> WindowList(const WindowFields &w)
{
    std::vector<uint8_t> list(8 + 91, 0);
    list[7] = 91;
    uint8_t *d = list.data() + 8;
    PutBe(d + 2, w.xres, 2);
    PutBe(d + 4, w.yres, 2);
    PutBe(d + 6, w.left, 4);
    PutBe(d + 10, w.top, 4);
    PutBe(d + 14, w.width, 4);
    PutBe(d + 18, w.length, 4);
    d[23] = w.threshold;
    d[25] = w.composition;
    d[26] = 8;
    d[28] = w.halftone;
    d[29] = 0x80;
    for (int i = 46; i < 54; i += 2) d[i + 1] = w.threshold;
    for (int i = 56; i < 72; i += 2) d[i + 1] = 0x80;
    d[72] = w.feeder;
    d[73] = w.transparency;
    for (int i = 74; i < 90; i += 4) d[i + 3] = 0xFF;
    return list;
}

ChartWindow ChartWindowOf(const WindowFields &w, uint16_t optical)
{
    ChartWindow c = {};
    c.optical = optical;
    c.xres = w.xres;
    c.yres = w.yres;
    c.left = w.left;
    c.top = w.top;
    c.width = w.width;
    c.length = w.length;
    c.threshold = w.threshold;
    c.composition = w.composition;
    c.halftone = w.halftone;
    c.feeder = w.feeder;
    c.transparency = w.transparency;
    return c;
}

uint8_t SendTone(const std::vector<uint8_t> &table)
{
    std::vector<uint8_t> copy(table);
    uint32_t n = (uint32_t)copy.size();
    return Send({0x2A, 0, 0x03, 0, 0, 2, (uint8_t)(n >> 16), (uint8_t)(n >> 8), (uint8_t)n, 0}, SRB_DIR_OUT,
                copy.data(), n);
}

uint8_t SetWindow(const WindowFields &w)
{
    std::vector<uint8_t> list = WindowList(w);
    uint32_t n = (uint32_t)list.size();
    return Send({0x24, 0, 0, 0, 0, 0, 0, (uint8_t)(n >> 8), (uint8_t)n, 0}, SRB_DIR_OUT, list.data(), n);
}

uint8_t StartScan() { return Send({0x1B, 0, 0, 0, 0, 0}); }

BufferStatus GetBufferStatus()
{
    BufferStatus b = {};
    b.status = Send({0x34, 1, 0, 0, 0, 0, 0, 0, 18, 0}, SRB_DIR_IN, b.raw, sizeof b.raw);
    return b;
}

uint8_t ReadImage(uint8_t *buffer, uint32_t length)
{
    return Send({0x28, 0, 0, 0, 0, 0, (uint8_t)(length >> 16), (uint8_t)(length >> 8), (uint8_t)length, 0}, SRB_DIR_IN,
                buffer, length);
}

std::vector<uint8_t> ScanWhole(const WindowFields &w, uint32_t planes, uint32_t maxRead)
{
    std::vector<uint8_t> image;
    EXPECT_EQ(SS_COMP, SetWindow(w));
    EXPECT_EQ(SS_COMP, StartScan());
    BufferStatus first = GetBufferStatus();
    EXPECT_EQ(SS_COMP, first.status);
    size_t total = (size_t)first.lines() * first.lineLength() * planes;
    std::vector<uint8_t> chunk(maxRead);
    for (int polls = 0; image.size() < total && polls < 100000; polls++) {
        BufferStatus b = polls == 0 ? first : GetBufferStatus();
        uint32_t n = b.ready() < maxRead ? b.ready() : maxRead;
        if (n == 0) continue;
        if (ReadImage(chunk.data(), n) != SS_COMP) {
            ADD_FAILURE() << "READ of " << n << " bytes failed after " << image.size();
            break;
        }
        image.insert(image.end(), chunk.begin(), chunk.begin() + n);
    }
    return image;
}

std::vector<uint8_t> MakeTone(int (*f)(int table, int v))
{
    std::vector<uint8_t> t(1024);
    for (int table = 0; table < 4; table++) {
        for (int v = 0; v < 256; v++) t[table * 256 + v] = (uint8_t)f(table, v);
    }
    return t;
}

ChartTone ChartToneOf(const std::vector<uint8_t> &table)
{
    ChartTone t;
    memcpy(t.channel, table.data(), sizeof t.channel);
    return t;
}

std::string TempFilePath(const char *name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}
