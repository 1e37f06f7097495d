// The scanner's command set, and the few commands a disk answers.
//
// Every request first passes the checks a real bus would impose: a known
// operation code, a CDB of the length its group implies, a buffer at least
// as long as the CDB's transfer length and (strict mode) the data direction
// the command needs. Failures of the device itself end in CHECK CONDITION
// with sense data, which REQUEST SENSE returns once.
#include "sim/scanner.h"

#include <string.h>

#include "device/aspi_layouts.h"

namespace {

enum Direction : uint8_t { DIR_NONE, DIR_IN, DIR_OUT };

enum : uint8_t {
    OP_TEST_UNIT_READY = 0x00,
    OP_REQUEST_SENSE = 0x03,
    OP_VENDOR_CALIBRATION = 0x09,
    OP_VENDOR_PREPARE = 0x0E,
    OP_INQUIRY = 0x12,
    OP_MODE_SELECT = 0x15,
    OP_SCAN = 0x1B,
    OP_SET_WINDOW = 0x24,
    OP_READ = 0x28,
    OP_SEND = 0x2A,
    OP_GET_BUFFER_STATUS = 0x34,
};

enum : uint8_t {
    SENSE_NONE = 0x0,
    SENSE_NOT_READY = 0x2,
    SENSE_ILLEGAL_REQUEST = 0x5,
    ASC_INVALID_OPCODE = 0x20,
    ASC_INVALID_CDB_FIELD = 0x24,
    ASC_INVALID_LIST_FIELD = 0x26,
    ASC_SEQUENCE_ERROR = 0x2C,
    ASC_MEDIUM_NOT_PRESENT = 0x3A,
    SENSE_FLAG_ILI = 0x20,
    HOST_DATA_OVERRUN = 0x12,
    TARGET_CHECK_CONDITION = 0x02,
    GDBS_LENGTH = 18,
};

const uint32_t SCANNER_BUFFER_SIZE = 0x100000;  // reported in status bytes 6..8

struct Context {
    ScannerState *s;  // null for a disk
    const SimConfig &cfg;
    ScsiSense *sense;
    const ScsiRequest &req;
    uint32_t length;  // transfer length of the CDB
    ScsiOutcome out;
};

typedef void (*Handler)(Context &c);

struct Command {
    uint8_t op;
    uint8_t direction;
    Handler run;
};

void Good(Context &c) { c.out.status = SS_COMP; }

void Check(Context &c, uint8_t key, uint8_t asc, uint8_t flags = 0)
{
    *c.sense = ScsiSense{key, asc, 0, flags};
    c.out.status = SS_ERR;
    c.out.targetStatus = TARGET_CHECK_CONDITION;
}

void HostFault(Context &c)
{
    c.out.status = SS_ERR;
    c.out.hostStatus = HOST_DATA_OVERRUN;
}

void Deliver(Context &c, const uint8_t *data, uint32_t available)
{
    uint32_t n = available < c.length ? available : c.length;
    memcpy(c.req.buffer, data, n);
    c.out.dataIn = n;
    Good(c);
}

void PutBe(uint8_t *p, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; i--, value >>= 8) p[i] = (uint8_t)value;
}

void PutPadded(uint8_t *p, size_t width, const char *text)
{
    size_t n = strlen(text);
    memset(p, ' ', width);
    memcpy(p, text, n < width ? n : width);
}

// Vendor word (padded to 4), a blank, model identifier: the model always
// starts 5 bytes after the vendor word.
void PutIdentText(uint8_t *p, const SimConfig &cfg)
{
    PutPadded(p, 4, cfg.vendor);
    p[4] = ' ';
    memcpy(p + 5, cfg.model, strlen(cfg.model));
}

// ---- identification, shared by scanner and disk ----

void CommonInquiry(uint8_t type, const char *product, const SimConfig &cfg, uint8_t *out)
{
    memset(out, 0, INQUIRY_LENGTH);
    out[0] = type;
    out[2] = 2;  // SCSI-2
    out[3] = 2;
    out[4] = INQUIRY_LENGTH - 5;
    PutPadded(out + 8, 8, cfg.vendor);
    PutPadded(out + 16, 16, product);
    PutPadded(out + 32, 4, "1.00");
}

void RunTestUnitReady(Context &c) { Good(c); }

void RunRequestSense(Context &c)
{
    uint8_t data[SENSE_DATA_LENGTH];
    ScsiSenseData(*c.sense, data);
    *c.sense = ScsiSense{};
    Deliver(c, data, SENSE_DATA_LENGTH);
}

// ---- scanner commands ----

void RunScannerInquiry(Context &c)
{
    const uint8_t *cdb = c.req.cdb;
    if (cdb[1] & 1) {
        if (cdb[2] != 0x82) return Check(c, SENSE_ILLEGAL_REQUEST, ASC_INVALID_CDB_FIELD);
        uint8_t page[PAGE82_LENGTH];
        ScannerPage82Data(c.cfg, page);
        return Deliver(c, page, PAGE82_LENGTH);
    }
    if (cdb[2] != 0) return Check(c, SENSE_ILLEGAL_REQUEST, ASC_INVALID_CDB_FIELD);
    uint8_t data[INQUIRY_LENGTH];
    ScannerInquiryData(*c.s, c.cfg, data);
    Deliver(c, data, c.cfg.inquiryLength);
}

// The measurement-unit page and the vendor commands only matter to real
// firmware; the simulator accepts them as sent.
void RunModeSelect(Context &c) { Good(c); }
void RunVendorPrepare(Context &c) { Good(c); }

void RunVendorCalibration(Context &c)
{
    for (uint32_t i = 0; i < c.length; i++) c.req.buffer[i] = (uint8_t)(i * 7 + 3);
    c.out.dataIn = c.length;
    Good(c);
}

void RunSend(Context &c)
{
    const uint8_t *cdb = c.req.cdb;
    if (cdb[2] != 0x03) return Check(c, SENSE_ILLEGAL_REQUEST, ASC_INVALID_CDB_FIELD);
    if (ChartDecodeTone(c.req.buffer, c.length, cdb[5], &c.s->tone) != 0)
        return Check(c, SENSE_ILLEGAL_REQUEST, ASC_INVALID_LIST_FIELD);
    Good(c);
}

bool WindowAcceptable(const ChartWindow &w, const SimConfig &cfg)
{
    if (w.composition != CHART_BW && w.composition != CHART_GREY && w.composition != CHART_COLOUR) return false;
    uint64_t pixels = (uint64_t)w.width * w.xres / w.optical;
    uint64_t lines = (uint64_t)w.length * w.yres / w.optical;
    uint64_t lineLength = w.composition == CHART_BW ? (pixels + 7) / 8 : pixels;
    if (lines > 0xFFFF || lineLength > 0xFFFF) return false;  // 16-bit status fields
    if (!cfg.strict || w.width == 0 || w.length == 0) return true;
    if (w.xres == 0 || w.yres == 0 || w.xres > cfg.optical) return false;
    // The feeder moves paper at most at the optical resolution.
    uint32_t yLimit = w.feeder ? cfg.optical : cfg.maxResolution;
    if (w.yres > yLimit || (w.feeder && w.transparency)) return false;
    uint64_t bedWidth = (uint64_t)cfg.optical * cfg.bedWidth / 100;
    uint64_t bedLength = (uint64_t)cfg.optical * cfg.bedLength / 100;
    return (uint64_t)w.left + w.width <= bedWidth && (uint64_t)w.top + w.length <= bedLength;
}

void RunSetWindow(Context &c)
{
    ChartWindow w;
    if (ChartDecodeWindow(c.req.buffer, c.length, c.cfg.optical, &w) != CHART_WINDOW_OK || !WindowAcceptable(w, c.cfg))
        return Check(c, SENSE_ILLEGAL_REQUEST, ASC_INVALID_LIST_FIELD);
    c.s->window = w;
    c.s->scanning = false;  // a new window abandons the scan in progress
    Good(c);
}

void StartScan(ScannerState *s, const SimConfig &cfg)
{
    s->scanning = true;
    s->scanWindow = s->window;
    s->scanTone = s->tone;
    s->scanGeometry = ChartGeometryOf(s->window);
    s->total = (uint64_t)s->scanGeometry.lineLength * s->scanGeometry.planes * s->scanGeometry.lines;
    s->produced = 0;
    s->consumed = 0;
    s->emptyPollsLeft = cfg.emptyPolls;
    s->cachedLine = -1;
    s->lineBuffer.assign((size_t)s->scanGeometry.lineLength * s->scanGeometry.planes, 0);
    if (s->total > 0) {
        s->haveLastScan = true;
        s->lastWindow = s->scanWindow;
        s->lastTone = s->scanTone;
    }
}

void RunScan(Context &c)
{
    const ChartWindow &w = c.s->window;
    if ((w.feeder && c.cfg.feeder == 2) || (w.transparency && !c.cfg.tpu))
        return Check(c, SENSE_ILLEGAL_REQUEST, ASC_INVALID_LIST_FIELD);
    if (w.feeder && ScannerFeederState(*c.s, c.cfg) != 0)
        return Check(c, SENSE_NOT_READY, ASC_MEDIUM_NOT_PRESENT);
    StartScan(c.s, c.cfg);
    Good(c);
}

uint64_t GroupBytes(const ScannerState &s)
{
    return (uint64_t)s.scanGeometry.lineLength * s.scanGeometry.planes;
}

// Each poll during a scan lets the scanner produce one more chunk.
void AdvanceProduction(ScannerState *s, const SimConfig &cfg)
{
    if (!s->scanning || s->produced >= s->total) return;
    if (s->emptyPollsLeft > 0) {
        s->emptyPollsLeft--;
        return;
    }
    uint64_t next = cfg.chunk == 0 ? s->total : s->produced + cfg.chunk;
    s->produced = next < s->total ? next : s->total;
}

uint64_t ReadyAmount(const ScannerState &s, const SimConfig &cfg)
{
    if (!s.scanning) return 0;
    uint64_t available = s.produced;
    uint64_t group = GroupBytes(s);
    if (cfg.alignReady && available < s.total && group) available -= available % group;
    return available > s.consumed ? available - s.consumed : 0;
}

void RunGetBufferStatus(Context &c)
{
    AdvanceProduction(c.s, c.cfg);
    uint64_t ready = ReadyAmount(*c.s, c.cfg);
    ChartGeometry g = ChartGeometryOf(c.s->window);
    uint8_t data[GDBS_LENGTH] = {0};
    data[2] = GDBS_LENGTH - 3;
    PutBe(data + 6, SCANNER_BUFFER_SIZE, 3);
    PutBe(data + 9, ready > 0xFFFFFF ? 0xFFFFFF : (uint32_t)ready, 3);
    PutBe(data + 12, g.lines, 2);
    PutBe(data + 14, g.lineLength, 2);
    data[17] = c.cfg.status17;
    Deliver(c, data, GDBS_LENGTH);
}

// Copies image bytes [from, from + n) of the scan, rendering line by line.
void CopyImage(ScannerState *s, uint64_t from, uint8_t *out, uint32_t n)
{
    uint64_t group = GroupBytes(*s);
    while (n > 0) {
        int64_t line = (int64_t)(from / group);
        uint32_t offset = (uint32_t)(from % group);
        if (line != s->cachedLine) {
            ChartRenderLine(s->scanWindow, s->scanTone, (uint32_t)line, s->lineBuffer.data());
            s->cachedLine = line;
        }
        uint32_t k = (uint32_t)(group - offset) < n ? (uint32_t)(group - offset) : n;
        memcpy(out, s->lineBuffer.data() + offset, k);
        out += k;
        from += k;
        n -= k;
    }
}

// READ waits for data like real firmware: asking for more than is ready
// but not more than the scan holds succeeds. Asking past the end delivers
// what is left and ends in CHECK CONDITION (incorrect length).
void RunRead(Context &c)
{
    ScannerState *s = c.s;
    if (c.req.cdb[2] != 0) return Check(c, SENSE_ILLEGAL_REQUEST, ASC_INVALID_CDB_FIELD);
    if (!s->scanning) return Check(c, SENSE_ILLEGAL_REQUEST, ASC_SEQUENCE_ERROR);
    uint64_t left = s->total - s->consumed;
    uint32_t n = c.length < left ? c.length : (uint32_t)left;
    CopyImage(s, s->consumed, c.req.buffer, n);
    s->consumed += n;
    if (s->produced < s->consumed) s->produced = s->consumed;
    if (n > 0 && s->consumed == s->total && s->scanWindow.feeder) s->feederPagesUsed++;
    c.out.dataIn = n;
    if (n < c.length) return Check(c, SENSE_NONE, 0, SENSE_FLAG_ILI);
    Good(c);
}

const Command SCANNER_COMMANDS[] = {
    {OP_TEST_UNIT_READY, DIR_NONE, RunTestUnitReady},
    {OP_REQUEST_SENSE, DIR_IN, RunRequestSense},
    {OP_VENDOR_CALIBRATION, DIR_IN, RunVendorCalibration},
    {OP_VENDOR_PREPARE, DIR_NONE, RunVendorPrepare},
    {OP_INQUIRY, DIR_IN, RunScannerInquiry},
    {OP_MODE_SELECT, DIR_OUT, RunModeSelect},
    {OP_SCAN, DIR_OUT, RunScan},
    {OP_SET_WINDOW, DIR_OUT, RunSetWindow},
    {OP_READ, DIR_IN, RunRead},
    {OP_SEND, DIR_OUT, RunSend},
    {OP_GET_BUFFER_STATUS, DIR_IN, RunGetBufferStatus},
};

// ---- disk ----

void RunDiskInquiry(Context &c)
{
    const uint8_t *cdb = c.req.cdb;
    if (cdb[1] & 1 || cdb[2] != 0) return Check(c, SENSE_ILLEGAL_REQUEST, ASC_INVALID_CDB_FIELD);
    uint8_t data[INQUIRY_LENGTH];
    CommonInquiry(0x00, "DISK", c.cfg, data);
    if (c.cfg.diskIdent) PutIdentText(data + 42, c.cfg);
    Deliver(c, data, INQUIRY_LENGTH);
}

const Command DISK_COMMANDS[] = {
    {OP_TEST_UNIT_READY, DIR_NONE, RunTestUnitReady},
    {OP_REQUEST_SENSE, DIR_IN, RunRequestSense},
    {OP_INQUIRY, DIR_IN, RunDiskInquiry},
};

// ---- dispatch ----

const Command *FindCommand(const Command *table, size_t count, uint8_t op)
{
    for (size_t i = 0; i < count; i++) {
        if (table[i].op == op) return &table[i];
    }
    return nullptr;
}

uint8_t DirectionFlags(uint8_t direction) { return direction == DIR_IN ? SRB_DIR_IN : SRB_DIR_OUT; }

ScsiOutcome Dispatch(const Command *table, size_t count, Context &c)
{
    uint8_t op = c.req.cdb[0];
    if (op != OP_REQUEST_SENSE) *c.sense = ScsiSense{};
    const Command *cmd = FindCommand(table, count, op);
    if (!cmd) {
        Check(c, SENSE_ILLEGAL_REQUEST, ASC_INVALID_OPCODE);
        return c.out;
    }
    uint8_t cdbLength = op < 0x20 ? 6 : 10;
    if (c.req.cdbLength != cdbLength) {
        Check(c, SENSE_ILLEGAL_REQUEST, ASC_INVALID_CDB_FIELD);
        return c.out;
    }
    c.length = cmd->direction == DIR_NONE ? 0 : ScsiTransferLength(c.req.cdb);
    if (c.length > 0) {
        bool fits = c.req.buffer && c.req.bufferLength >= c.length;
        bool wrongWay = c.cfg.strict && (c.req.flags & (SRB_DIR_IN | SRB_DIR_OUT)) != DirectionFlags(cmd->direction);
        if (!fits || wrongWay) {
            HostFault(c);
            return c.out;
        }
        if (cmd->direction == DIR_OUT) c.out.dataOut = c.length;
    }
    cmd->run(c);
    return c.out;
}

}  // namespace

uint32_t ScsiTransferLength(const uint8_t *cdb)
{
    switch (cdb[0]) {
    case OP_REQUEST_SENSE:
    case OP_INQUIRY:
    case OP_MODE_SELECT:
    case OP_SCAN:
        return cdb[4];
    case OP_VENDOR_CALIBRATION:
        return (uint32_t)cdb[2] << 16 | cdb[3] << 8 | cdb[4];
    case OP_SET_WINDOW:
    case OP_READ:
    case OP_SEND:
        return (uint32_t)cdb[6] << 16 | cdb[7] << 8 | cdb[8];
    case OP_GET_BUFFER_STATUS:
        return (uint32_t)cdb[7] << 8 | cdb[8];
    default:
        return 0;
    }
}

void ScsiSenseData(const ScsiSense &sense, uint8_t out[SENSE_DATA_LENGTH])
{
    memset(out, 0, SENSE_DATA_LENGTH);
    out[0] = 0x70;  // current error, fixed format
    out[2] = (uint8_t)(sense.flags | sense.key);
    out[7] = SENSE_DATA_LENGTH - 8;
    out[12] = sense.asc;
    out[13] = sense.ascq;
}

uint8_t ScannerFeederState(const ScannerState &s, const SimConfig &cfg)
{
    if (cfg.feeder == 0 && cfg.feederPages != 0 && s.feederPagesUsed >= cfg.feederPages) return 1;
    return cfg.feeder;
}

void ScannerInquiryData(const ScannerState &s, const SimConfig &cfg, uint8_t out[INQUIRY_LENGTH])
{
    char product[17];
    strcpy(product, cfg.model);
    strcat(product, " SCANNER");
    CommonInquiry(cfg.peripheralType, product, cfg, out);
    out[40] = ScannerFeederState(s, cfg);
    out[41] = cfg.tpu;
    if (cfg.identPlace & IDENT_STANDARD) PutIdentText(out + 42, cfg);
    if (cfg.inquiryGarbage) {
        // Digits only: no zero byte and nothing that reads as a name.
        for (int i = 1; i < INQUIRY_LENGTH; i++) out[i] = (uint8_t)('0' + (i * 7) % 10);
    }
}

void ScannerPage82Data(const SimConfig &cfg, uint8_t out[PAGE82_LENGTH])
{
    memset(out, 0, PAGE82_LENGTH);
    out[0] = cfg.peripheralType;
    out[1] = 0x82;
    out[3] = PAGE82_LENGTH - 4;
    if (cfg.identPlace & IDENT_PAGE82) PutIdentText(out + cfg.page82At, cfg);
}

void ScannerReset(ScannerState *s, const SimConfig &cfg)
{
    ChartIdentityTone(&s->tone);
    s->window = ChartWindow{};
    s->window.optical = cfg.optical;
    s->sense = ScsiSense{};
    s->scanning = false;
    s->scanWindow = ChartWindow{};
    s->scanGeometry = ChartGeometryOf(s->scanWindow);
    s->total = s->produced = s->consumed = 0;
    s->emptyPollsLeft = 0;
    s->feederPagesUsed = 0;
    s->cachedLine = -1;
    s->lineBuffer.clear();
    s->haveLastScan = false;
}

ScsiOutcome ScannerExecute(ScannerState *s, const SimConfig &cfg, const ScsiRequest &req)
{
    Context c{s, cfg, &s->sense, req, 0, ScsiOutcome{}};
    return Dispatch(SCANNER_COMMANDS, sizeof SCANNER_COMMANDS / sizeof SCANNER_COMMANDS[0], c);
}

ScsiOutcome DiskExecute(const SimConfig &cfg, ScsiSense *sense, const ScsiRequest &req)
{
    Context c{nullptr, cfg, sense, req, 0, ScsiOutcome{}};
    return Dispatch(DISK_COMMANDS, sizeof DISK_COMMANDS / sizeof DISK_COMMANDS[0], c);
}
