// A stack of up to ten blocks of movable global memory for scan bands and
// transfers. Push returns the locked block (size + 10 bytes, not cleared)
// or null; with report set, a failure is told to the user.
#pragma once
#include <stdint.h>

uint8_t *PushWorkBuffer(uint32_t size, bool report);
int PopWorkBuffer(bool report);
int WorkBufferDepth();
