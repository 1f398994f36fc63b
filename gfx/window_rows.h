// Row converters from the 0x00RRGGBB frame buffer into a display's pixel format.
#pragma once
#include <cstdint>

using row_converter = void (*)(const uint32_t* src, void* dst, int n);

void row_copy_32(const uint32_t* src, void* dst, int n);       // 0xFF0000 / 0x00FF00 / 0x0000FF
void row_swap_32(const uint32_t* src, void* dst, int n);       // 0x0000FF / 0x00FF00 / 0xFF0000
void row_bgr_24(const uint32_t* src, void* dst, int n);        // bytes B, G, R
void row_rgb_24(const uint32_t* src, void* dst, int n);        // bytes R, G, B
void row_565(const uint32_t* src, void* dst, int n);           // 0xF800 / 0x07E0 / 0x001F
void row_565_swapped(const uint32_t* src, void* dst, int n);   // 0x001F / 0x07E0 / 0xF800
void row_555(const uint32_t* src, void* dst, int n);           // 0x7C00 / 0x03E0 / 0x001F
void row_555_swapped(const uint32_t* src, void* dst, int n);   // 0x001F / 0x03E0 / 0x7C00

// The converter for a format given as bits per pixel and channel masks (masks of the
// pixel read as a little-endian integer); null when none fits.
row_converter find_row_converter(int bits_per_pixel, uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask);

// Converts height rows of width pixels; the destination advances by its own pitch.
void convert_rows(row_converter convert, const uint32_t* src, int width, int height, void* dst, int pitch);
