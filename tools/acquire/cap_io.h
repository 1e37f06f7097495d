// Capability triplets from the application's side: containers built and
// read in this build's structure layout, each step printed on one line:
//   cap: ICAP_XRESOLUTION rc=0 (SUCCESS) RANGE FIX32 min=1 max=9600 step=1 default=600 current=600
//   set: ICAP_PIXELTYPE=2 (TWPT_RGB) ONEVALUE UINT16: rc=0 (SUCCESS)
// A container the source hands back is read only within the memory it
// allocated, and freed afterwards.
#pragma once
#include "acquire/link.h"

enum { CAP_MAX_ITEMS = 32 };

// Values are read according to the item type; a TW_FIX32 gives its whole part.
struct CapAnswer {
    TW_UINT16 conType;  // 0 when the source answered with no usable container
    TW_UINT16 itemType;
    TW_UINT32 count;    // items kept in items[] (ENUMERATION, ONEVALUE: 1)
    TW_INT32 items[CAP_MAX_ITEMS];
    TW_UINT32 currentIndex, defaultIndex;            // ENUMERATION
    TW_INT32 minValue, maxValue, step, defaultValue, currentValue; // RANGE
};

const char *CapName(TW_UINT16 cap);

// MSG_GET. A container that is missing, too small for what its header
// claims or of an unknown type leaves conType 0 and is reported as such.
TW_UINT16 CapGet(Link *link, TW_UINT16 cap, CapAnswer *answer);
// MSG_SET with a TW_ONEVALUE; `shown` names the value for the report.
TW_UINT16 CapSetOne(Link *link, TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 item,
                    const char *shown);
// True when a get answered with an ENUMERATION or ONEVALUE that lists value.
bool CapOffers(const CapAnswer *answer, TW_INT32 value);
// A TW_FIX32 value given as whole << 16 | fraction, as the 32-bit item that
// carries it in a container (Whole in the low half, the fraction above).
TW_UINT32 Fix32Item(int fix32Bits);
