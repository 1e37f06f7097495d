#include "ds/containers.h"
#include <stddef.h>
#include <string.h>

namespace {

// Bytes an enumeration takes beyond its items in each layout.
const SIZE_T kEnumerationExtra = DS_PACKED ? 15 : 19;

HGLOBAL NewBlock(SIZE_T size, uint8_t **bytes)
{
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    *bytes = handle ? static_cast<uint8_t *>(GlobalLock(handle)) : nullptr;
    return handle;
}

void PutItem(uint8_t *at, int size, TW_UINT32 value)
{
    memcpy(at, &value, size);   // little-endian: the low bytes come first
}

TW_UINT32 GetItem(const uint8_t *at, TW_UINT16 itemType)
{
    switch (itemType) {
    case TWTY_INT8:
        return TW_UINT32(TW_INT32(int8_t(at[0])));
    case TWTY_UINT8:
        return at[0];
    case TWTY_INT16: {
        TW_INT16 v;
        memcpy(&v, at, 2);
        return TW_UINT32(TW_INT32(v));
    }
    case TWTY_UINT16:
    case TWTY_BOOL: {
        TW_UINT16 v;
        memcpy(&v, at, 2);
        return v;
    }
    case TWTY_FIX32: {
        TW_INT16 whole;
        memcpy(&whole, at, 2);
        return TW_UINT32(TW_INT32(whole));
    }
    default: {
        TW_UINT32 v;
        memcpy(&v, at, 4);
        return v;
    }
    }
}

bool Fits(const ContainerView &view, SIZE_T offset, SIZE_T length)
{
    return offset <= view.size && length <= view.size - offset;
}

TW_UINT16 ViewItemType(const ContainerView &view)
{
    TW_UINT16 type;
    memcpy(&type, view.bytes, 2);
    return type;
}

} // namespace

int ItemSize(TW_UINT16 itemType)
{
    return TwainItemSize(itemType);
}

HGLOBAL NewOneValue(TW_UINT16 itemType, TW_UINT32 item)
{
    uint8_t *bytes;
    HGLOBAL handle = NewBlock(sizeof(TW_ONEVALUE), &bytes);
    if (bytes != nullptr) {
        TW_ONEVALUE *one = reinterpret_cast<TW_ONEVALUE *>(bytes);
        one->ItemType = itemType;
        PutItem(bytes + offsetof(TW_ONEVALUE, Item), ItemSize(itemType), item);
        GlobalUnlock(handle);
    }
    return handle;
}

HGLOBAL NewEnumeration(TW_UINT16 itemType, const TW_UINT16 *items, int count)
{
    int size = ItemSize(itemType);
    uint8_t *bytes;
    HGLOBAL handle = NewBlock(SIZE_T(size) * count + kEnumerationExtra, &bytes);
    if (bytes != nullptr) {
        TW_ENUMERATION *list = reinterpret_cast<TW_ENUMERATION *>(bytes);
        list->ItemType = itemType;
        list->NumItems = count;
        list->CurrentIndex = 0;
        list->DefaultIndex = 0;
        for (int i = 0; i < count; i++)
            PutItem(bytes + offsetof(TW_ENUMERATION, ItemList) + i * size, size, items[i]);
        GlobalUnlock(handle);
    }
    return handle;
}

HGLOBAL NewRange(TW_UINT16 itemType, TW_UINT32 min, TW_UINT32 max, TW_UINT32 step, TW_UINT32 def,
                 TW_UINT32 current)
{
    uint8_t *bytes;
    HGLOBAL handle = NewBlock(sizeof(TW_RANGE), &bytes);
    if (bytes != nullptr) {
        TW_RANGE *range = reinterpret_cast<TW_RANGE *>(bytes);
        range->ItemType = itemType;
        range->MinValue = min;
        range->MaxValue = max;
        range->StepSize = step;
        range->DefaultValue = def;
        range->CurrentValue = current;
        GlobalUnlock(handle);
    }
    return handle;
}

bool OpenContainer(HGLOBAL handle, ContainerView &view)
{
    view = ContainerView{handle, nullptr, 0};
    if (handle == nullptr)
        return false;
    view.size = GlobalSize(handle);
    view.bytes = view.size >= 2 ? static_cast<const uint8_t *>(GlobalLock(handle)) : nullptr;
    return view.bytes != nullptr;
}

void CloseContainer(ContainerView &view)
{
    if (view.bytes != nullptr)
        GlobalUnlock(view.handle);
    view.bytes = nullptr;
}

bool OneValueItem(const ContainerView &view, TW_UINT32 &item)
{
    TW_UINT16 type = ViewItemType(view);
    int size = ItemSize(type);
    SIZE_T at = offsetof(TW_ONEVALUE, Item);
    if (size == 0 || !Fits(view, at, size))
        return false;
    item = GetItem(view.bytes + at, type);
    return true;
}

TW_UINT32 EnumerationCount(const ContainerView &view)
{
    TW_UINT32 count = 0;
    if (Fits(view, offsetof(TW_ENUMERATION, NumItems), 4))
        memcpy(&count, view.bytes + offsetof(TW_ENUMERATION, NumItems), 4);
    return count;
}

bool EnumerationItem(const ContainerView &view, TW_UINT32 index, TW_UINT32 &item)
{
    TW_UINT16 type = ViewItemType(view);
    int size = ItemSize(type);
    if (size == 0 || index >= EnumerationCount(view))
        return false;
    SIZE_T at = offsetof(TW_ENUMERATION, ItemList) + SIZE_T(index) * size;
    if (!Fits(view, at, size))
        return false;
    item = GetItem(view.bytes + at, type);
    return true;
}
