// Parsing of the simulator's configuration text. Each key has a small
// setter; the table below lists them all.
#include "sim/sim_config.h"

#include <stdlib.h>
#include <string.h>

#include "device/aspi_layouts.h"

namespace {

struct Text {
    const char *p;
    size_t n;
};

bool Equals(Text t, const char *word)
{
    return strlen(word) == t.n && strncmp(t.p, word, t.n) == 0;
}

Text Trim(Text t)
{
    while (t.n && (*t.p == ' ' || *t.p == '\t' || *t.p == '\r')) t.p++, t.n--;
    while (t.n && (t.p[t.n - 1] == ' ' || t.p[t.n - 1] == '\t' || t.p[t.n - 1] == '\r')) t.n--;
    return t;
}

// Whole text as a number; base 0 accepts 0x for hex.
bool Number(Text t, int base, int64_t lo, int64_t hi, int64_t *out)
{
    char buf[32];
    if (t.n == 0 || t.n >= sizeof buf) return false;
    memcpy(buf, t.p, t.n);
    buf[t.n] = 0;
    char *end;
    long long v = strtoll(buf, &end, base);
    if (*end != 0 || v < lo || v > hi) return false;
    *out = v;
    return true;
}

template <typename T>
bool SetNumber(Text t, int64_t lo, int64_t hi, T *field)
{
    int64_t v;
    if (!Number(t, 0, lo, hi, &v)) return false;
    *field = (T)v;
    return true;
}

bool SetText(Text t, size_t maxLength, char *field)
{
    if (t.n == 0 || t.n > maxLength) return false;
    memcpy(field, t.p, t.n);
    field[t.n] = 0;
    return true;
}

// Splits "a,b,c" and hands each trimmed part to the parser.
template <typename F>
bool ForEachPart(Text t, F parse)
{
    while (true) {
        const char *comma = (const char *)memchr(t.p, ',', t.n);
        size_t len = comma ? (size_t)(comma - t.p) : t.n;
        if (!parse(Trim(Text{t.p, len}))) return false;
        if (!comma) return true;
        t.p += len + 1;
        t.n -= len + 1;
    }
}

// "H:T" or "T" (adapter 0).
bool ParseAddress(Text t, uint8_t *ha, uint8_t *target)
{
    const char *colon = (const char *)memchr(t.p, ':', t.n);
    int64_t h = 0, id;
    if (colon) {
        if (!Number(Text{t.p, (size_t)(colon - t.p)}, 10, 0, SIM_MAX_ADAPTERS - 1, &h)) return false;
        t = Text{colon + 1, t.n - (size_t)(colon - t.p) - 1};
    }
    if (!Number(t, 10, 0, 7, &id)) return false;
    *ha = (uint8_t)h;
    *target = (uint8_t)id;
    return true;
}

// "OP:N": OP a hex operation code or "ha", N an occurrence or '*' for all.
bool ParseFault(Text t, uint8_t action, SimConfig *cfg)
{
    const char *colon = (const char *)memchr(t.p, ':', t.n);
    if (!colon || cfg->faultCount >= SIM_MAX_FAULTS) return false;
    Text op = Trim(Text{t.p, (size_t)(colon - t.p)});
    Text count = Trim(Text{colon + 1, t.n - (size_t)(colon - t.p) - 1});
    SimFault f;
    int64_t v;
    if (Equals(op, "ha")) {
        f.op = FAULT_OP_HA_INQUIRY;
    } else if (Number(op, 16, 0, 255, &v)) {
        f.op = (uint16_t)v;
    } else {
        return false;
    }
    if (Equals(count, "*")) {
        f.occurrence = 0;
    } else if (Number(count, 10, 1, 0x7FFFFFFF, &v)) {
        f.occurrence = (uint32_t)v;
    } else {
        return false;
    }
    f.action = action;
    cfg->faults[cfg->faultCount++] = f;
    return true;
}

bool SetFlag(Text t, uint8_t *field) { return SetNumber(t, 0, 1, field); }

bool KeyAdapters(Text v, SimConfig *c) { return SetNumber(v, 0, SIM_MAX_ADAPTERS, &c->adapters); }
bool KeyHaId(Text v, SimConfig *c) { return SetNumber(v, 0, 7, &c->haScsiId); }
bool KeyHa(Text v, SimConfig *c) { return SetNumber(v, 0, SIM_MAX_ADAPTERS - 1, &c->scannerHa); }
bool KeyTarget(Text v, SimConfig *c) { return SetNumber(v, 0, 7, &c->scannerTarget); }
bool KeyVendor(Text v, SimConfig *c) { return SetText(v, 4, c->vendor); }
bool KeyOptical(Text v, SimConfig *c) { return SetNumber(v, 1, 9600, &c->optical); }
bool KeyMaxRes(Text v, SimConfig *c) { return SetNumber(v, 1, 65535, &c->maxResolution); }
bool KeyType(Text v, SimConfig *c) { return SetNumber(v, 0, 31, &c->peripheralType); }
bool KeyFeederPages(Text v, SimConfig *c) { return SetNumber(v, 0, 0x7FFFFFFF, &c->feederPages); }
bool KeyTpu(Text v, SimConfig *c) { return SetFlag(v, &c->tpu); }
bool KeyPage82At(Text v, SimConfig *c) { return SetNumber(v, 4, 33 - 11, &c->page82At); }
bool KeyInqLen(Text v, SimConfig *c) { return SetNumber(v, 1, 53, &c->inquiryLength); }
bool KeyInqGarbage(Text v, SimConfig *c) { return SetFlag(v, &c->inquiryGarbage); }
bool KeyStatus17(Text v, SimConfig *c) { return SetNumber(v, 0, 255, &c->status17); }
bool KeyChunk(Text v, SimConfig *c) { return SetNumber(v, 0, 0xFFFFFF, &c->chunk); }
bool KeyEmptyPolls(Text v, SimConfig *c) { return SetNumber(v, 0, 0x7FFFFFFF, &c->emptyPolls); }
bool KeyAlign(Text v, SimConfig *c) { return SetFlag(v, &c->alignReady); }
bool KeyStrict(Text v, SimConfig *c) { return SetFlag(v, &c->strict); }
bool KeyDiskIdent(Text v, SimConfig *c) { return SetFlag(v, &c->diskIdent); }
bool KeyVanish(Text v, SimConfig *c)
{
    return Equals(v, "never") ? (c->vanishAfter = -1, true) : SetNumber(v, 0, INT64_MAX, &c->vanishAfter);
}

bool KeyModel(Text v, SimConfig *c)
{
    if (!SetText(v, 6, c->model)) return false;
    SimModelProfile(c);
    return true;
}

bool KeyBed(Text v, SimConfig *c)
{
    const char *x = (const char *)memchr(v.p, 'x', v.n);
    int64_t w, l;
    if (!x || !Number(Text{v.p, (size_t)(x - v.p)}, 10, 1, 10000, &w)) return false;
    if (!Number(Text{x + 1, v.n - (size_t)(x - v.p) - 1}, 10, 1, 10000, &l)) return false;
    c->bedWidth = (uint16_t)w;
    c->bedLength = (uint16_t)l;
    return true;
}

bool KeyEmpty(Text v, SimConfig *c)
{
    if (Equals(v, "nodevice")) c->emptyStatus = SS_NO_DEVICE;
    else if (Equals(v, "err")) c->emptyStatus = SS_ERR;
    else return false;
    return true;
}

bool KeyFeeder(Text v, SimConfig *c)
{
    static const char *const names[3] = {"loaded", "empty", "none"};
    for (uint8_t i = 0; i < 3; i++) {
        if (Equals(v, names[i])) return c->feeder = i, true;
    }
    return SetNumber(v, 0, 255, &c->feeder);
}

bool KeyIdent(Text v, SimConfig *c)
{
    static const char *const names[4] = {"none", "standard", "page82", "both"};
    for (uint8_t i = 0; i < 4; i++) {
        if (Equals(v, names[i])) return c->identPlace = i, true;
    }
    return false;
}

bool KeyDisk(Text v, SimConfig *c)
{
    if (Equals(v, "none")) return c->diskCount = 0, true;
    return ForEachPart(v, [c](Text part) {
        if (c->diskCount >= SIM_MAX_DISKS) return false;
        SimDisk &d = c->disks[c->diskCount];
        if (!ParseAddress(part, &d.ha, &d.target)) return false;
        c->diskCount++;
        return true;
    });
}

// "none" clears the faults of both kinds.
bool KeyFail(Text v, SimConfig *c)
{
    if (Equals(v, "none")) return c->faultCount = 0, true;
    return ForEachPart(v, [c](Text part) { return ParseFault(part, FAULT_FAIL, c); });
}

bool KeyHang(Text v, SimConfig *c)
{
    if (Equals(v, "none")) return c->faultCount = 0, true;
    return ForEachPart(v, [c](Text part) { return ParseFault(part, FAULT_HANG, c); });
}

bool KeyLog(Text v, SimConfig *c)
{
    if (Equals(v, "none")) return c->logPath[0] = 0, true;
    return SetText(v, SIM_PATH_MAX - 1, c->logPath);
}

struct KeyEntry {
    const char *name;
    bool (*set)(Text, SimConfig *);
};

const KeyEntry KEYS[] = {
    {"adapters", KeyAdapters}, {"ha_id", KeyHaId}, {"empty", KeyEmpty},
    {"disk", KeyDisk}, {"disk_ident", KeyDiskIdent},
    {"ha", KeyHa}, {"target", KeyTarget}, {"vendor", KeyVendor}, {"model", KeyModel},
    {"optical", KeyOptical}, {"maxres", KeyMaxRes}, {"bed", KeyBed},
    {"type", KeyType}, {"feeder", KeyFeeder}, {"feeder_pages", KeyFeederPages},
    {"tpu", KeyTpu}, {"ident", KeyIdent}, {"page82_at", KeyPage82At},
    {"inq_len", KeyInqLen}, {"inq_garbage", KeyInqGarbage}, {"status17", KeyStatus17},
    {"chunk", KeyChunk}, {"empty_polls", KeyEmptyPolls}, {"align", KeyAlign},
    {"strict", KeyStrict}, {"fail", KeyFail}, {"hang", KeyHang},
    {"vanish", KeyVanish}, {"log", KeyLog},
};

bool ApplyItem(Text item, SimConfig *cfg)
{
    const char *eq = (const char *)memchr(item.p, '=', item.n);
    if (!eq) return false;
    Text key = Trim(Text{item.p, (size_t)(eq - item.p)});
    Text value = Trim(Text{eq + 1, item.n - (size_t)(eq - item.p) - 1});
    for (const KeyEntry &k : KEYS) {
        if (Equals(key, k.name)) return k.set(value, cfg);
    }
    return false;
}

}  // namespace

void SimModelProfile(SimConfig *cfg)
{
    bool is400 = strcmp(cfg->model, "QS52D0") == 0;
    cfg->optical = is400 ? 400 : 600;
    cfg->maxResolution = is400 ? 1600 : 2400;
    cfg->bedWidth = is400 ? 850 : 826;
    cfg->bedLength = is400 ? 1400 : 1167;
}

void SimDefaultConfig(SimConfig *cfg)
{
    memset(cfg, 0, sizeof *cfg);
    cfg->adapters = 1;
    cfg->haScsiId = 7;
    cfg->emptyStatus = SS_NO_DEVICE;
    cfg->scannerHa = 0;
    cfg->scannerTarget = 2;
    strcpy(cfg->vendor, "Vasp");
    strcpy(cfg->model, "QS71B0");
    SimModelProfile(cfg);
    cfg->peripheralType = 6;
    cfg->feeder = 2;
    cfg->tpu = 1;
    cfg->identPlace = IDENT_STANDARD;
    cfg->page82At = 5;
    cfg->inquiryLength = 53;
    cfg->alignReady = 1;
    cfg->strict = 1;
    cfg->vanishAfter = -1;
}

int SimApplyConfig(SimConfig *cfg, const char *text)
{
    if (!text) return 0;
    SimConfig work = *cfg;
    int number = 0;
    const char *p = text;
    while (*p) {
        size_t len = strcspn(p, ";\n");
        Text item = {p, len};
        const char *hash = (const char *)memchr(p, '#', len);
        if (hash) item.n = (size_t)(hash - p);
        item = Trim(item);
        if (item.n) {
            number++;
            if (!ApplyItem(item, &work)) return number;
        }
        p += len;
        if (*p) p++;
    }
    *cfg = work;
    return 0;
}
