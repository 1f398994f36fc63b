// Text and rules drawn into the frame buffer from the font strip through the shade table.
#pragma once
#include <cstdint>
#include <string_view>

constexpr int GLYPH_WIDTH = 9;
constexpr int GLYPH_HEIGHT = 12;
constexpr int VIEW_TEXT_TOP = 193;     // opaque glyph rows are limited to the viewer band
constexpr int VIEW_TEXT_BOTTOM = 579;

// First character of s, transparent (font values 0 and 1 skipped), inside the inclusive clip box.
void draw_glyph_clipped(std::string_view s, int32_t x, int32_t y, int32_t x_min, int32_t x_max,
                        int32_t y_min, int32_t y_max, int32_t style, int32_t colour);
// First character of s, all nine pixels of each row, rows limited to the viewer band.
void draw_glyph_view(std::string_view s, int32_t x, int32_t y, int32_t style, int32_t colour);
// Every character of s, 9 pixels apart, each with draw_glyph_clipped.
void draw_text_clipped(std::string_view s, int32_t x, int32_t y, int32_t x_min, int32_t x_max,
                       int32_t y_min, int32_t y_max, int32_t style, int32_t colour);
// Three-row rule centred on row y from column x; kinds 1-7 are n pixels wide, 8 (rainbow) n + 1.
void draw_rule(int32_t y, int32_t x, int32_t length, int32_t kind);
