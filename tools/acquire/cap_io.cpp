#include "acquire/cap_io.h"
#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include "acquire/report.h"

namespace {

const char *ContainerName(TW_UINT16 conType)
{
    switch (conType) {
    case TWON_ONEVALUE:
        return "ONEVALUE";
    case TWON_ENUMERATION:
        return "ENUMERATION";
    case TWON_RANGE:
        return "RANGE";
    case TWON_ARRAY:
        return "ARRAY";
    default:
        return "?";
    }
}

const char *ItemTypeName(TW_UINT16 type)
{
    static const char *const names[] = {"INT8",   "INT16", "INT32", "UINT8",
                                        "UINT16", "UINT32", "BOOL", "FIX32"};
    return type < sizeof names / sizeof names[0] ? names[type] : "?";
}

// Bytes of one item; 0 for a type the tool does not read.
size_t ItemSize(TW_UINT16 type)
{
    return size_t(TwainItemSize(type));
}

TW_INT32 ItemValue(TW_UINT16 type, const TW_UINT8 *p)
{
    switch (type) {
    case TWTY_INT8:
        return TW_INT8(p[0]);
    case TWTY_UINT8:
        return p[0];
    case TWTY_INT16:
        return TW_INT16(p[0] | p[1] << 8);
    case TWTY_UINT16:
    case TWTY_BOOL:
        return TW_UINT16(p[0] | p[1] << 8);
    case TWTY_FIX32: // Whole, a signed 16-bit value, comes first
        return TW_INT16(p[0] | p[1] << 8);
    default:
        return TW_INT32(TW_UINT32(p[0]) | TW_UINT32(p[1]) << 8 | TW_UINT32(p[2]) << 16 |
                        TW_UINT32(p[3]) << 24);
    }
}

// A RANGE holds its values as 32-bit fields, whatever the item type.
TW_INT32 RangeValue(TW_UINT16 type, TW_UINT32 field)
{
    TW_UINT8 bytes[4] = {TW_UINT8(field), TW_UINT8(field >> 8), TW_UINT8(field >> 16),
                         TW_UINT8(field >> 24)};
    return ItemValue(type, bytes);
}

bool ReadOneValue(const TW_UINT8 *base, size_t size, CapAnswer *a)
{
    const TW_ONEVALUE *one = reinterpret_cast<const TW_ONEVALUE *>(base);
    if (size < offsetof(TW_ONEVALUE, Item) + 4)
        return false;
    a->itemType = one->ItemType;
    if (ItemSize(a->itemType) == 0)
        return false;
    a->items[0] = ItemValue(a->itemType, base + offsetof(TW_ONEVALUE, Item));
    a->count = 1;
    return true;
}

bool ReadEnumeration(const TW_UINT8 *base, size_t size, CapAnswer *a)
{
    const TW_ENUMERATION *e = reinterpret_cast<const TW_ENUMERATION *>(base);
    size_t listAt = offsetof(TW_ENUMERATION, ItemList);
    if (size < listAt)
        return false;
    a->itemType = e->ItemType;
    size_t itemSize = ItemSize(a->itemType);
    if (itemSize == 0 || e->NumItems > (size - listAt) / itemSize)
        return false;
    a->count = e->NumItems < TW_UINT32(CAP_MAX_ITEMS) ? e->NumItems : TW_UINT32(CAP_MAX_ITEMS);
    for (TW_UINT32 i = 0; i < a->count; ++i)
        a->items[i] = ItemValue(a->itemType, base + listAt + i * itemSize);
    a->currentIndex = e->CurrentIndex;
    a->defaultIndex = e->DefaultIndex;
    return true;
}

bool ReadRange(const TW_UINT8 *base, size_t size, CapAnswer *a)
{
    const TW_RANGE *r = reinterpret_cast<const TW_RANGE *>(base);
    if (size < offsetof(TW_RANGE, CurrentValue) + 4)
        return false;
    a->itemType = r->ItemType;
    if (ItemSize(a->itemType) == 0)
        return false;
    a->minValue = RangeValue(a->itemType, r->MinValue);
    a->maxValue = RangeValue(a->itemType, r->MaxValue);
    a->step = RangeValue(a->itemType, r->StepSize);
    a->defaultValue = RangeValue(a->itemType, r->DefaultValue);
    a->currentValue = RangeValue(a->itemType, r->CurrentValue);
    return true;
}

bool ReadContainer(TW_UINT16 conType, TW_HANDLE handle, CapAnswer *a)
{
    HGLOBAL memory = static_cast<HGLOBAL>(handle);
    size_t size = GlobalSize(memory);
    const TW_UINT8 *base = size ? static_cast<const TW_UINT8 *>(GlobalLock(memory)) : nullptr;
    if (base == nullptr)
        return false;
    bool ok = false;
    if (conType == TWON_ONEVALUE)
        ok = ReadOneValue(base, size, a);
    else if (conType == TWON_ENUMERATION)
        ok = ReadEnumeration(base, size, a);
    else if (conType == TWON_RANGE)
        ok = ReadRange(base, size, a);
    GlobalUnlock(memory);
    return ok;
}

void ReportAnswer(TW_UINT16 cap, TW_UINT16 rc, const CapAnswer *a)
{
    char text[400];
    int used = snprintf(text, sizeof text, "cap: %s rc=%u (%s) %s %s", CapName(cap), rc,
                        ReturnCodeName(rc), ContainerName(a->conType), ItemTypeName(a->itemType));
    if (a->conType == TWON_RANGE) {
        snprintf(text + used, sizeof text - used, " min=%ld max=%ld step=%ld default=%ld current=%ld",
                 long(a->minValue), long(a->maxValue), long(a->step), long(a->defaultValue),
                 long(a->currentValue));
    } else if (a->conType == TWON_ONEVALUE) {
        snprintf(text + used, sizeof text - used, " %ld", long(a->items[0]));
    } else {
        used += snprintf(text + used, sizeof text - used, " items=");
        for (TW_UINT32 i = 0; i < a->count && used < int(sizeof text) - 40; ++i)
            used += snprintf(text + used, sizeof text - used, "%s%ld", i ? "," : "",
                             long(a->items[i]));
        snprintf(text + used, sizeof text - used, " current=%lu default=%lu",
                 (unsigned long)a->currentIndex, (unsigned long)a->defaultIndex);
    }
    Report("%s", text);
}

} // namespace

const char *CapName(TW_UINT16 cap)
{
    switch (cap) {
    case CAP_XFERCOUNT:
        return "CAP_XFERCOUNT";
    case ICAP_COMPRESSION:
        return "ICAP_COMPRESSION";
    case ICAP_PIXELTYPE:
        return "ICAP_PIXELTYPE";
    case ICAP_UNITS:
        return "ICAP_UNITS";
    case ICAP_XFERMECH:
        return "ICAP_XFERMECH";
    case CAP_FEEDERENABLED:
        return "CAP_FEEDERENABLED";
    case CAP_FEEDERLOADED:
        return "CAP_FEEDERLOADED";
    case ICAP_BRIGHTNESS:
        return "ICAP_BRIGHTNESS";
    case ICAP_XRESOLUTION:
        return "ICAP_XRESOLUTION";
    case ICAP_YRESOLUTION:
        return "ICAP_YRESOLUTION";
    default:
        return "CAP_?";
    }
}

TW_UINT16 CapGet(Link *link, TW_UINT16 cap, CapAnswer *answer)
{
    memset(answer, 0, sizeof *answer);
    TW_CAPABILITY capability = {};
    capability.Cap = cap;
    capability.ConType = 0xFFFF; // TWON_DONTCARE16: the source chooses
    TW_UINT16 rc = LinkCall(link, DG_CONTROL, DAT_CAPABILITY, MSG_GET, &capability);
    if (rc != TWRC_SUCCESS) {
        char key[64];
        snprintf(key, sizeof key, "cap: %s", CapName(cap));
        LinkReport(link, key, rc, false);
        return rc;
    }
    TW_HANDLE container = capability.hContainer;
    if (container != nullptr && ReadContainer(capability.ConType, container, answer)) {
        answer->conType = capability.ConType;
        ReportAnswer(cap, rc, answer);
    } else {
        Report("cap: %s rc=0 (SUCCESS) but no readable container (ConType=%u hContainer=%s)",
               CapName(cap), capability.ConType, container ? "set" : "null");
    }
    // The container is the application's to free.
    if (container != nullptr)
        GlobalFree(static_cast<HGLOBAL>(container));
    return rc;
}

TW_UINT16 CapSetOne(Link *link, TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 item,
                    const char *shown)
{
    char key[128];
    snprintf(key, sizeof key, "set: %s=%s ONEVALUE %s", CapName(cap), shown,
             ItemTypeName(itemType));
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
    TW_ONEVALUE *one = memory ? static_cast<TW_ONEVALUE *>(GlobalLock(memory)) : nullptr;
    if (one == nullptr) {
        Report("%s: no memory for the container", key);
        if (memory != nullptr)
            GlobalFree(memory);
        return TWRC_FAILURE;
    }
    one->ItemType = itemType;
    one->Item = item;
    GlobalUnlock(memory);
    TW_CAPABILITY capability = {};
    capability.Cap = cap;
    capability.ConType = TWON_ONEVALUE;
    capability.hContainer = memory;
    TW_UINT16 rc = LinkCall(link, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability);
    LinkReport(link, key, rc, false);
    GlobalFree(memory);
    return rc;
}

bool CapOffers(const CapAnswer *answer, TW_INT32 value)
{
    if (answer->conType != TWON_ENUMERATION && answer->conType != TWON_ONEVALUE)
        return false;
    for (TW_UINT32 i = 0; i < answer->count; ++i) {
        if (answer->items[i] == value)
            return true;
    }
    return false;
}

TW_UINT32 Fix32Item(int fix32Bits)
{
    TW_UINT32 bits = TW_UINT32(fix32Bits);
    return (bits >> 16) | (bits & 0xFFFF) << 16;
}
