// TWAIN containers in this build's layout: building the ones the source
// answers with, and reading the ones an application sends, never past the
// memory the application handed over.
#pragma once
#include <windows.h>
#include "ds/twain_types.h"

// Item size of a TWAIN item type; 0 for a type the source does not read.
int ItemSize(TW_UINT16 itemType);

// New containers in movable global memory, unlocked; 0 when the memory
// cannot be had (the caller still answers, as the application expects a
// handle it can test).
HGLOBAL NewOneValue(TW_UINT16 itemType, TW_UINT32 item);
HGLOBAL NewEnumeration(TW_UINT16 itemType, const TW_UINT16 *items, int count);
HGLOBAL NewRange(TW_UINT16 itemType, TW_UINT32 min, TW_UINT32 max, TW_UINT32 step, TW_UINT32 def,
                 TW_UINT32 current);

// A container the application sent, locked for reading. Items are read
// according to the container's own item type; reads past the block's size
// fail instead of reaching outside it.
struct ContainerView {
    HGLOBAL handle;
    const uint8_t *bytes;
    SIZE_T size;
};
bool OpenContainer(HGLOBAL handle, ContainerView &view);
void CloseContainer(ContainerView &view);
// The ONEVALUE's item, or false when the block is too small.
bool OneValueItem(const ContainerView &view, TW_UINT32 &item);
// Item i of an ENUMERATION; false past NumItems or past the block.
bool EnumerationItem(const ContainerView &view, TW_UINT32 index, TW_UINT32 &item);
TW_UINT32 EnumerationCount(const ContainerView &view);
