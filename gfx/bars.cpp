#include "gfx/bars.h"

#include <cmath>

#include "gfx/frame.h"
#include "xm/tunes/tunes.h"

MusicBars music_bars;

namespace {

constexpr int LOWEST_NOTE_BELOW = 45;
constexpr double TOP_CLAMP = BAR_BASE_ROW - 16.0;
constexpr double FALL = 2.0;
constexpr double PUSH = 4.0;
constexpr double NEIGHBOUR_PUSH = 3.0;
constexpr int FIRST_BAR_COLUMN = 157;
constexpr int BAR_WIDTH = 11;

struct RowColour {
    int row;
    uint32_t colour;
};
constexpr RowColour ROW_COLOURS[] = {
    {135, 0x5566DD}, {136, 0x4455CC}, {137, 0x4455BB}, {138, 0x3344AA}, {139, 0x334499},
    {140, 0x223388}, {141, 0x223377}, {142, 0x112266}, {143, 0x112255}, {144, 0x001144},
    {145, 0x001133}, {146, 0x000022}, {147, 0x000011},
};

} // namespace

void set_bar_row_colours(MusicBars& m)
{
    for (uint32_t& c : m.bar_row_colour) c = 0;
    for (const RowColour& rc : ROW_COLOURS) m.bar_row_colour[rc.row] = rc.colour;
}

void reset_music_bars(MusicBars& m)
{
    for (int i = 0; i < BAR_COUNT; ++i) m.bar_top[i] = double(BAR_BASE_ROW);
}

void feed_music_bars(MusicBars& m, int channels, HeardCell cell)
{
    for (int ch = 0; ch < channels; ++ch) {
        const int note = cell(ch) & 0xFF;
        const int k = note - LOWEST_NOTE_BELOW;
        if (k > 0 && k < BAR_COUNT - 1) {
            m.bar_top[k] -= PUSH;
            m.bar_top[k - 1] -= NEIGHBOUR_PUSH;
            m.bar_top[k + 1] -= NEIGHBOUR_PUSH;
        }
    }
}

void paint_music_bars(MusicBars& m, uint32_t* target)
{
    for (int i = 0; i < BAR_COUNT; ++i) {
        if (m.bar_top[i] < TOP_CLAMP) m.bar_top[i] = TOP_CLAMP;
        if (m.bar_top[i] <= double(BAR_BASE_ROW)) m.bar_top[i] += FALL;
        for (int y = int(std::floor(m.bar_top[i])); y <= BAR_BASE_ROW; ++y) {
            uint32_t* row = target + y * FRAME_WIDTH + FIRST_BAR_COLUMN + BAR_PITCH * i;
            for (int k = 1; k <= BAR_WIDTH; ++k) row[k] = m.bar_row_colour[y];
        }
    }
}

void set_bar_row_colours() { set_bar_row_colours(music_bars); }

void reset_music_bars() { reset_music_bars(music_bars); }

void draw_music_bars()
{
    feed_music_bars(music_bars, music.channel_count, music_heard_cell);
    paint_music_bars(music_bars, frame_buffer);
}
