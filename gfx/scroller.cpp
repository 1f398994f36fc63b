#include "gfx/scroller.h"

#include <cmath>

#include "gfx/assets.h"
#include "gfx/frame.h"

SongScroller scroller;

namespace {

constexpr size_t VISIBLE_CHARACTERS = 58;
constexpr int CELL_WIDTH = 9;
constexpr int CELL_HEIGHT = 12;
constexpr int STYLE_2_TOP_ROW = 14;
constexpr int LINE_Y = 123;
constexpr int CLIP_LEFT = 146;
constexpr int CLIP_RIGHT = 649;
constexpr int CLIP_TOP = 40;
constexpr int CLIP_BOTTOM = 145;
constexpr int TEXT_COLOUR = 2;

// One character in the second glyph set and colour 2, transparently (font values
// 0 and 1 show the picture underneath), cut to the clip box at the pixel.
void draw_clipped_glyph(uint32_t* target, unsigned char q, int64_t x, int y)
{
    const int cell = int(q) - 32;
    if (cell <= 0 || cell >= FONT_STRIP_WIDTH) return;
    const int64_t first_column = int64_t(cell) * CELL_WIDTH + 1;
    for (int r = 0; r < CELL_HEIGHT; ++r) {
        const int row = y + r;
        if (row < CLIP_TOP || row > CLIP_BOTTOM) continue;
        const int32_t* strip = assets.font_pixels + (STYLE_2_TOP_ROW + r) * FONT_STRIP_WIDTH;
        for (int i = 0; i < CELL_WIDTH; ++i) {
            const int64_t column = x + i;
            if (column < CLIP_LEFT || column > CLIP_RIGHT) continue;
            if (first_column + i >= FONT_STRIP_WIDTH) continue;
            const int32_t v = strip[first_column + i];
            if (v <= 1 || v >= PALETTE_ENTRIES) continue;
            target[row * FRAME_WIDTH + column] = assets.shade_table[v * SHADE_COLUMNS + TEXT_COLOUR];
        }
    }
}

} // namespace

void draw_song_scroller(SongScroller& s, const std::string* lines, uint32_t* target)
{
    if (s.current_song < 1 || s.current_song > SONG_LINE_COUNT) return;
    const std::string& line = lines[s.current_song];
    if (s.song_scroll_index >= 1 && size_t(s.song_scroll_index) <= line.size()) {
        const std::string part = line.substr(size_t(s.song_scroll_index) - 1, VISIBLE_CHARACTERS);
        const int64_t x = CLIP_LEFT - int64_t(std::floor(s.song_scroll_offset));
        for (size_t k = 0; k < part.size(); ++k)
            draw_clipped_glyph(target, static_cast<unsigned char>(part[k]), x + int64_t(k) * CELL_WIDTH, LINE_Y);
    }
    s.song_scroll_offset += 1.0;
    if (s.song_scroll_offset > 9.0) {
        s.song_scroll_index += 1;
        if (s.song_scroll_index > int64_t(line.size())) s.song_scroll_index = 1;
        s.song_scroll_offset -= 9.0;
    }
}

void draw_song_scroller() { draw_song_scroller(scroller, song_lines, frame_buffer); }
