// The image the scan engine must deliver for a window, computed from the
// simulator's chart with the processing written out afresh from its
// description: planes to pixels, mirror, stretching across and down.
#pragma once
#include <stdint.h>
#include <vector>
#include "sim/chart.h"

typedef std::vector<uint8_t> Bytes;

// Top row first, rows packed (colour R, G, B; black and white 1 bit a pixel).
Bytes Expected(const ChartWindow &w, const ChartTone &tone, int mode, bool flip, uint32_t x, uint32_t y,
               uint32_t yLimit);
