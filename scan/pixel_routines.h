// The pixel routines every image path runs on raw lines: colour layout,
// stretching across and down, mirroring, the noise filter, table lookup,
// histograms, hue/saturation/lightness and row padding.
//
// Samples are unsigned bytes; lines are packed one after the other without
// padding. Widths count pixels for grey and colour lines, bytes for 1-bit
// lines (eight pixels a byte, leftmost pixel in the most significant bit).
// Counts are 16-bit as the callers hold them; everything computed from them
// inside is done wide enough not to wrap. No routine allocates, reports
// errors or reads global settings.
#pragma once
#include <stdint.h>

// Entry i is i with its eight bits in reverse order.
extern const uint8_t BitReversal[256];

// Planar colour lines (red plane, green plane, blue plane of width bytes
// each) to RGB lines. Works in place when the source lies at least one line
// (3 x width bytes) behind the destination, as the colour reader places it.
void InterleavePlanes(uint8_t *destination, const uint8_t *source, uint16_t width, uint16_t lines);

// Exchanges the first and third byte of each 3-byte pixel (RGB <-> BGR).
void SwapRedBlue(uint8_t *buffer, uint16_t pixels);

// Stretch across: each output line has width + floor(width x numerator /
// denominator) pixels; an extra pixel follows every source pixel at which the
// line's accumulator reaches the denominator and is the mean of that pixel
// and the next one, or the pixel itself at the end of the line. Numerator must
// not exceed denominator. Source and destination pointers only move forward,
// so the destination may overlap the source when it starts before it and
// the output never overtakes the input (the scan loops' band layout).
void StretchGrey(const uint8_t *source, uint8_t *destination, uint16_t width,
                 uint16_t denominator, uint16_t numerator, uint16_t lines);
// The same on one channel of RGB lines: bytes 0, 3, 6 ... of source and
// destination, width in pixels. Call with offsets 0, 1, 2 for whole lines.
void StretchRgbChannel(const uint8_t *source, uint8_t *destination, uint16_t width,
                       uint16_t denominator, uint16_t numerator, uint16_t lines);
// The same on 1-bit lines without interpolation (an extra bit repeats its
// bit); width in bytes. Output lines have floor(width x (numerator +
// denominator) / denominator) bytes; bits short of a byte are dropped.
void StretchBits(const uint8_t *source, uint8_t *destination, uint16_t width,
                 uint16_t denominator, uint16_t numerator, uint16_t lines);

// Stretch down, as the scan loops and strip readers repeat lines (never
// interpolated). DoubleLines writes every line twice, in order; it works in
// place when the destination starts lines x lineBytes before the source.
void DoubleLines(const uint8_t *source, uint8_t *destination, uint16_t lineBytes, uint16_t lines);
// Copies each line once more whenever the carried accumulator, after adding
// the numerator, reaches the denominator. The accumulator carries over from
// band to band, so an image stretches the same however its bands are cut.
// Numerator must not exceed denominator (then it stays below denominator).
// Returns the number of lines written, or 0 as soon as a line would exceed
// maxLines. Forward only, like the stretch across.
int RepeatLines(const uint8_t *source, uint8_t *destination, uint16_t lineBytes, uint16_t lines,
                uint16_t denominator, uint16_t numerator, uint16_t *accumulator, uint16_t maxLines);

// Mirror lines left to right in place. MirrorBits mirrors the bytes, then
// reverses the bits of each: unused bits of a line's last byte end up first.
void MirrorRgb(uint8_t *buffer, uint16_t width, uint16_t lines);
void MirrorGrey(uint8_t *buffer, uint16_t width, uint16_t lines);
void MirrorBits(uint8_t *buffer, uint16_t width, uint16_t lines);

// Noise filter smoothing isolated bumps of at most 6 levels that the same
// column also showed (or was flat) in the line before. state holds one byte
// per column (width - 3 are used) and carries over between lines and bands.
void DespeckleGrey(uint8_t *buffer, uint16_t lines, uint16_t width, uint8_t *state);
// The same on one channel of RGB lines (samples 3 bytes apart, width in
// pixels); one state array per channel.
void DespeckleRgbChannel(uint8_t *buffer, uint16_t lines, uint16_t width, uint8_t *state);

// buffer[k x stride] = table[buffer[k x stride]] for k < count.
void ApplyTable(uint8_t *buffer, const uint8_t *table, uint16_t count, uint16_t stride);
// counters[buffer[k x stride]] += 1 for k < count; 256 counters, the caller
// clears them.
void CountHistogram(const uint8_t *buffer, uint32_t *counters, uint16_t count, uint16_t stride);

enum { BYTE_ORDER_RGB = 0, BYTE_ORDER_BGR = 1 };
// Hue shift (0 to 359), saturation and lightness (0 to 200, 100 unchanged)
// of lines x (bytesPerLine / 3) pixels, in integer arithmetic.
void AdjustHueSat(uint8_t *buffer, uint16_t bytesPerLine, uint16_t lines, uint16_t hue,
                  uint16_t saturation, uint16_t lightness, int byteOrder);

// Widens rows of rowBytes packed bytes in place to rowBytes + padBytes, the
// pad zeroed, working from the last row back. The buffer must hold
// (rowBytes + padBytes) x rows bytes.
void PadRows(uint8_t *buffer, uint16_t rowBytes, uint16_t padBytes, uint16_t rows);
