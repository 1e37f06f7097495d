#include "ds/work_buffers.h"
#include <windows.h>
#include "scan/show_message.h"

namespace {

const int kMaxBlocks = 10;
const int kNoMemoryMessage = 200;
const int kCannotFreeMessage = 201;

HGLOBAL Blocks[kMaxBlocks];
int Depth;

uint8_t *Refuse(bool report)
{
    if (report)
        ShowMessage(GetFocus(), kNoMemoryMessage);
    return nullptr;
}

} // namespace

uint8_t *PushWorkBuffer(uint32_t size, bool report)
{
    if (Depth >= kMaxBlocks || size > UINT32_MAX - 10)
        return Refuse(report);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size + 10);
    if (block == nullptr)
        return Refuse(report);
    void *address = GlobalLock(block);
    if (address == nullptr) {
        GlobalFree(block);
        return Refuse(report);
    }
    Blocks[Depth++] = block;
    return static_cast<uint8_t *>(address);
}

int PopWorkBuffer(bool report)
{
    if (Depth == 0) {
        if (report)
            ShowMessage(GetFocus(), kCannotFreeMessage);
        return 0;
    }
    HGLOBAL block = Blocks[--Depth];
    GlobalUnlock(block);
    if (GlobalFree(block) != nullptr) {
        if (report)
            ShowMessage(GetFocus(), kCannotFreeMessage);
        return 0;
    }
    return 1;
}

int WorkBufferDepth()
{
    return Depth;
}
