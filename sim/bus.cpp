// Request handling of the simulated ASPI manager. Requests complete before
// SendASPI32Command returns, except those a hang fault holds: their status
// stays SS_PENDING until an abort request names them.
#include "sim/bus.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "device/aspi_layouts.h"
#include "sim/scanner.h"

namespace {

// Request codes and statuses of the interface beyond those the data source
// itself uses.
enum : uint8_t {
    SC_ABORT_SRB = 0x03,
    SS_ABORT_FAIL = 0x03,
    SS_INVALID_SRB = 0xE0,
    SS_FAILED_INIT = 0xE4,
    SS_NO_ADAPTERS = 0xE8,
    HOST_SELECTION_TIMEOUT = 0x11,
    OP_READ = 0x28,
};

#pragma pack(push, 1)
struct AbortRequest {
    SRB_Header header;
    void *toAbort;
};
#pragma pack(pop)

enum TargetKind { TARGET_EMPTY, TARGET_SCANNER, TARGET_DISK };

struct LogRecord {
    SimLogEntry entry;
    std::vector<uint8_t> payload;
};

struct Bus {
    SimConfig cfg;
    bool initFailed;
    ScannerState scanner;
    ScsiSense diskSense;
    bool vanished;
    uint64_t imageBytesRead;
    uint32_t opCount[FAULT_OP_HA_INQUIRY + 1];
    std::vector<void *> hung;
    std::vector<LogRecord> log;
};

Bus &TheBus()
{
    static Bus bus = [] {
        Bus b{};
        SimDefaultConfig(&b.cfg);
        return b;
    }();
    return bus;
}

// ---- log ----

// Under Wine a path from the host side ("/tmp/x") lives on drive Z:.
void HostPath(const char *path, char *out, size_t size)
{
    snprintf(out, size, "%s%s", path[0] == '/' ? "Z:" : "", path);
}

void AppendToLogFile(const SimConfig &cfg, const LogRecord &rec)
{
    if (!cfg.logPath[0]) return;
    char path[SIM_PATH_MAX + 4];
    HostPath(cfg.logPath, path, sizeof path);
    FILE *f = fopen(path, "a");
    if (!f) return;
    const SimLogEntry &e = rec.entry;
    fprintf(f, "%06u srb=%02X ha=%u t=%u lun=%u flags=%02X cdb=", (unsigned)e.seq, e.srbCmd, e.haId, e.target, e.lun, e.flags);
    for (int i = 0; i < e.cdbLength && i < SIM_LOG_CDB_MAX; i++) fprintf(f, "%s%02X", i ? " " : "", e.cdb[i]);
    fprintf(f, " buflen=%u in=%u status=%02X ha_stat=%02X targ_stat=%02X", (unsigned)e.bufLength, (unsigned)e.dataIn,
            e.status, e.hostStatus, e.targetStatus);
    if (!rec.payload.empty()) {
        fprintf(f, " out=");
        for (size_t i = 0; i < rec.payload.size(); i++) fprintf(f, "%02X", rec.payload[i]);
    }
    fputc('\n', f);
    fclose(f);
}

void Record(Bus &bus, LogRecord &rec)
{
    rec.entry.seq = (uint32_t)bus.log.size();
    AppendToLogFile(bus.cfg, rec);
    bus.log.push_back(std::move(rec));
}

// ---- faults ----

const SimFault *MatchFault(Bus &bus, uint16_t op)
{
    uint32_t count = ++bus.opCount[op];
    for (int i = 0; i < bus.cfg.faultCount; i++) {
        const SimFault &f = bus.cfg.faults[i];
        if (f.op == op && (f.occurrence == 0 || f.occurrence == count)) return &f;
    }
    return nullptr;
}

// ---- adapter inquiry ----

void PutText(uint8_t *field, size_t width, const char *text)
{
    memset(field, ' ', width);
    memcpy(field, text, strlen(text) < width ? strlen(text) : width);
}

uint8_t AnswerAdapterInquiry(Bus &bus, SRB_HAInquiry *h)
{
    if (h->SRB_HaId >= bus.cfg.adapters) return SS_INVALID_HA;
    const SimFault *fault = MatchFault(bus, FAULT_OP_HA_INQUIRY);
    if (fault) return fault->action == FAULT_HANG ? SS_PENDING : SS_ERR;
    char name[17];
    snprintf(name, sizeof name, "SIM BUS %u", h->SRB_HaId);
    h->HA_Count = bus.cfg.adapters;
    h->HA_SCSI_ID = bus.cfg.haScsiId;
    PutText(h->HA_ManagerId, sizeof h->HA_ManagerId, "SIM ASPI32");
    PutText(h->HA_Identifier, sizeof h->HA_Identifier, name);
    memset(h->HA_Unique, 0, sizeof h->HA_Unique);
    h->HA_Unique[3] = 8;                                  // targets per bus
    const uint32_t maxTransfer = 0x00100000;
    memcpy(h->HA_Unique + 4, &maxTransfer, sizeof maxTransfer);
    return SS_COMP;
}

uint32_t AdapterInquiry(Bus &bus, SRB_HAInquiry *h)
{
    LogRecord rec{};
    rec.entry.srbCmd = SC_HA_INQUIRY;
    rec.entry.haId = h->SRB_HaId;
    rec.entry.flags = h->SRB_Flags;
    uint8_t status = AnswerAdapterInquiry(bus, h);
    if (status == SS_PENDING) bus.hung.push_back(h);
    h->SRB_Status = status;
    rec.entry.status = status;
    Record(bus, rec);
    return status;
}

// ---- SCSI requests ----

TargetKind Locate(const Bus &bus, uint8_t ha, uint8_t target, uint8_t lun)
{
    const SimConfig &cfg = bus.cfg;
    if (lun != 0 || target == cfg.haScsiId) return TARGET_EMPTY;
    if (ha == cfg.scannerHa && target == cfg.scannerTarget) return bus.vanished ? TARGET_EMPTY : TARGET_SCANNER;
    for (int i = 0; i < cfg.diskCount; i++) {
        if (cfg.disks[i].ha == ha && cfg.disks[i].target == target) return TARGET_DISK;
    }
    return TARGET_EMPTY;
}

ScsiOutcome Empty(const SimConfig &cfg)
{
    ScsiOutcome out{};
    out.status = cfg.emptyStatus;
    out.hostStatus = HOST_SELECTION_TIMEOUT;
    return out;
}

ScsiOutcome Injected(Bus &bus, const SimFault &fault)
{
    ScsiOutcome out{};
    if (fault.action == FAULT_HANG) return out;  // SS_PENDING
    bus.scanner.sense = ScsiSense{0x4, 0x44, 0, 0};  // hardware error, internal target failure
    out.status = SS_ERR;
    out.targetStatus = 0x02;
    return out;
}

// The scanner vanishes before a READ that would take the image bytes read
// so far past the configured amount.
bool VanishesNow(Bus &bus, const ScsiRequest &req)
{
    if (bus.cfg.vanishAfter < 0 || req.cdb[0] != OP_READ) return false;
    uint64_t after = bus.imageBytesRead + ScsiTransferLength(req.cdb);
    if (after <= (uint64_t)bus.cfg.vanishAfter) return false;
    bus.vanished = true;
    return true;
}

ScsiOutcome RunOnScanner(Bus &bus, const ScsiRequest &req)
{
    const SimFault *fault = MatchFault(bus, req.cdb[0]);
    if (fault) return Injected(bus, *fault);
    if (VanishesNow(bus, req)) return Empty(bus.cfg);
    ScsiOutcome out = ScannerExecute(&bus.scanner, bus.cfg, req);
    if (req.cdb[0] == OP_READ) bus.imageBytesRead += out.dataIn;
    return out;
}

ScsiOutcome Route(Bus &bus, const SRB_ExecSCSICmd *srb, const ScsiRequest &req)
{
    if (srb->SRB_HaId >= bus.cfg.adapters) {
        ScsiOutcome out{};
        out.status = SS_INVALID_HA;
        return out;
    }
    switch (Locate(bus, srb->SRB_HaId, srb->SRB_Target, srb->SRB_Lun)) {
    case TARGET_SCANNER: return RunOnScanner(bus, req);
    case TARGET_DISK: return DiskExecute(bus.cfg, &bus.diskSense, req);
    default: return Empty(bus.cfg);
    }
}

// What the initiator offered to send, whether or not the target took it.
void KeepPayload(const SRB_ExecSCSICmd *srb, LogRecord *rec)
{
    if (!(srb->SRB_Flags & SRB_DIR_OUT) || !srb->SRB_BufPointer) return;
    uint32_t n = ScsiTransferLength(srb->CDBByte);
    if (n == 0 || n > srb->SRB_BufLen) n = srb->SRB_BufLen;
    rec->payload.assign(srb->SRB_BufPointer, srb->SRB_BufPointer + n);
    rec->entry.dataOut = n;
}

void ReportSense(const Bus &bus, const SRB_ExecSCSICmd *srb, SRB_ExecSCSICmd *out, const ScsiOutcome &outcome)
{
    memset(out->SenseArea, 0, sizeof out->SenseArea);
    if (outcome.targetStatus != 0x02) return;
    bool onScanner = Locate(bus, srb->SRB_HaId, srb->SRB_Target, srb->SRB_Lun) == TARGET_SCANNER;
    uint8_t data[SENSE_DATA_LENGTH];
    ScsiSenseData(onScanner ? bus.scanner.sense : bus.diskSense, data);
    size_t n = srb->SRB_SenseLen < sizeof out->SenseArea ? srb->SRB_SenseLen : sizeof out->SenseArea;
    memcpy(out->SenseArea, data, n);
}

uint32_t ExecuteScsi(Bus &bus, SRB_ExecSCSICmd *srb)
{
    LogRecord rec{};
    SimLogEntry &e = rec.entry;
    e.srbCmd = SC_EXEC_SCSI_CMD;
    e.haId = srb->SRB_HaId;
    e.target = srb->SRB_Target;
    e.lun = srb->SRB_Lun;
    e.flags = srb->SRB_Flags;
    e.cdbLength = srb->SRB_CDBLen;
    e.bufLength = srb->SRB_BufLen;
    memcpy(e.cdb, srb->CDBByte, SIM_LOG_CDB_MAX);
    KeepPayload(srb, &rec);

    ScsiRequest req{srb->CDBByte, srb->SRB_CDBLen, srb->SRB_Flags, srb->SRB_BufPointer, srb->SRB_BufLen};
    ScsiOutcome outcome = Route(bus, srb, req);
    srb->SRB_HaStat = outcome.hostStatus;
    srb->SRB_TargStat = outcome.targetStatus;
    ReportSense(bus, srb, srb, outcome);
    if (outcome.status == SS_PENDING) bus.hung.push_back(srb);
    srb->SRB_Status = outcome.status;

    e.status = outcome.status;
    e.hostStatus = outcome.hostStatus;
    e.targetStatus = outcome.targetStatus;
    e.dataIn = outcome.dataIn;
    Record(bus, rec);
    return outcome.status;
}

uint32_t Abort(Bus &bus, AbortRequest *a)
{
    LogRecord rec{};
    rec.entry.srbCmd = SC_ABORT_SRB;
    rec.entry.haId = a->header.SRB_HaId;
    uint8_t status = SS_ABORT_FAIL;
    for (size_t i = 0; i < bus.hung.size(); i++) {
        if (bus.hung[i] != a->toAbort) continue;
        static_cast<SRB_Header *>(a->toAbort)->SRB_Status = SS_ABORTED;
        bus.hung.erase(bus.hung.begin() + (long)i);
        status = SS_COMP;
        break;
    }
    a->header.SRB_Status = status;
    rec.entry.status = status;
    Record(bus, rec);
    return status;
}

}  // namespace

void BusConfigure(const SimConfig &cfg)
{
    TheBus().cfg = cfg;
    BusReset();
}

void BusAmend(const SimConfig &cfg) { TheBus().cfg = cfg; }

int BusFinishHung(uint8_t status)
{
    Bus &bus = TheBus();
    int count = int(bus.hung.size());
    for (void *srb : bus.hung)
        static_cast<SRB_Header *>(srb)->SRB_Status = status;
    bus.hung.clear();
    return count;
}

const SimConfig &BusConfig() { return TheBus().cfg; }

void BusReset()
{
    Bus &bus = TheBus();
    ScannerReset(&bus.scanner, bus.cfg);
    bus.diskSense = ScsiSense{};
    bus.vanished = false;
    bus.imageBytesRead = 0;
    memset(bus.opCount, 0, sizeof bus.opCount);
    bus.hung.clear();
    bus.log.clear();
}

void BusSetInitFailed(bool failed) { TheBus().initFailed = failed; }

uint32_t BusSupportInfo()
{
    const Bus &bus = TheBus();
    if (bus.initFailed) return (uint32_t)SS_FAILED_INIT << 8;
    if (bus.cfg.adapters == 0) return (uint32_t)SS_NO_ADAPTERS << 8;
    return (uint32_t)SS_COMP << 8 | bus.cfg.adapters;
}

uint32_t BusSend(void *srb)
{
    if (!srb) return SS_INVALID_SRB;
    Bus &bus = TheBus();
    // A block submitted again is no longer the hung request it may have been.
    bus.hung.erase(std::remove(bus.hung.begin(), bus.hung.end(), srb), bus.hung.end());
    SRB_Header *header = static_cast<SRB_Header *>(srb);
    switch (header->SRB_Cmd) {
    case SC_HA_INQUIRY: return AdapterInquiry(bus, static_cast<SRB_HAInquiry *>(srb));
    case SC_EXEC_SCSI_CMD: return ExecuteScsi(bus, static_cast<SRB_ExecSCSICmd *>(srb));
    case SC_ABORT_SRB: return Abort(bus, static_cast<AbortRequest *>(srb));
    default: header->SRB_Status = SS_INVALID_SRB; return SS_INVALID_SRB;
    }
}

int BusLogCount() { return (int)TheBus().log.size(); }

int BusLogEntry(int index, SimLogEntry *out)
{
    const Bus &bus = TheBus();
    if (index < 0 || index >= (int)bus.log.size() || !out) return -1;
    *out = bus.log[(size_t)index].entry;
    return 0;
}

int BusLogPayload(int index, void *out, int capacity)
{
    const Bus &bus = TheBus();
    if (index < 0 || index >= (int)bus.log.size()) return -1;
    const std::vector<uint8_t> &p = bus.log[(size_t)index].payload;
    size_t n = capacity < 0 ? 0 : (size_t)capacity < p.size() ? (size_t)capacity : p.size();
    if (out && n) memcpy(out, p.data(), n);
    return (int)p.size();
}

int BusLastScan(ChartWindow *window, ChartTone *tone)
{
    const ScannerState &s = TheBus().scanner;
    if (!s.haveLastScan) return -1;
    if (window) *window = s.lastWindow;
    if (tone) *tone = s.lastTone;
    return 0;
}
