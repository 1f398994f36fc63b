// The forty music bars that jump to the notes of the pattern row being heard.
#pragma once
#include <cstdint>

constexpr int BAR_COUNT = 40;
constexpr int BAR_PITCH = 12;
constexpr int BAR_BASE_ROW = 147;

struct MusicBars {
    // Screen row of each bar's top (entries 0..39 used); smaller is taller.
    double bar_top[BAR_COUNT + 1];
    // Colour of every bar pixel on screen rows 0..147.
    uint32_t bar_row_colour[BAR_BASE_ROW + 1];
};

// The program's one instance.
extern MusicBars music_bars;

// The bars' colour gradient, set once at start-up.
void set_bar_row_colours();
void set_bar_row_colours(MusicBars& m);

// Every bar back to its base row.
void reset_music_bars();
void reset_music_bars(MusicBars& m);

// The heard cell of one channel: note in the low byte, instrument in the high byte.
using HeardCell = uint16_t (*)(int channel);

// One magazine frame of the effect: feed from the tune being heard, then paint.
void draw_music_bars();

// Pushes up the bars of the notes in channels 0..channels-1.
void feed_music_bars(MusicBars& m, int channels, HeardCell cell);
// Lets every bar sink and draws it.
void paint_music_bars(MusicBars& m, uint32_t* target);
