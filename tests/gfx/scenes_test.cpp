// Every drawing routine of gfx, fed the issue's own art, in a fixed list of scenes that
// reach the edges of the frame. Each scene sums up what it drew (with guard rows above and
// below the frame) and the state it left in one checksum, pinned below. A change to what is
// drawn fails here until it is made on purpose: the failure prints the new checksums.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gfx/assets.h"
#include "gfx/bars.h"
#include "gfx/frame.h"
#include "gfx/intro.h"
#include "gfx/scroller.h"
#include "issue/art/art.h"
#include "tests/gfx/checksum.h"

namespace {

constexpr int GUARD_ROWS = 20;
constexpr uint32_t PAPER = 0x5A5A5A;  // canvas contents before drawing

// A frame with guard rows above and below, and the sum of what is noted.
struct Canvas : Checksum {
    std::vector<uint32_t> pixels = std::vector<uint32_t>((FRAME_HEIGHT + 2 * GUARD_ROWS) * FRAME_WIDTH, PAPER);
    uint32_t* frame() { return pixels.data() + GUARD_ROWS * FRAME_WIDTH; }
    // Sums the canvas up and clears it for the next frame.
    void snap()
    {
        note(pixels.data(), pixels.size() * sizeof(uint32_t));
        std::fill(pixels.begin(), pixels.end(), PAPER);
    }
};

std::unique_ptr<GfxAssets> issue_assets()
{
    auto a = std::make_unique<GfxAssets>();
    EXPECT_TRUE(prepare_background(*a, issue_panel_picture, issue_panel_picture_size));
    EXPECT_TRUE(prepare_text_font(*a, issue_text_font, issue_text_font_size));
    rewind_constant_data(*a);
    prepare_pointer(*a);
    load_buttons(*a);
    return a;
}

void background(Canvas& c)
{
    auto a = issue_assets();
    // Short or missing art is refused and leaves the prepared art as it was.
    EXPECT_FALSE(prepare_background(*a, issue_panel_picture, PANEL_ART_BYTES - 1));
    EXPECT_FALSE(prepare_background(*a, nullptr, 0));
    decode_background(*a, c.frame(), 0, 0, 799, 599, 0, 0);
    c.snap();
    decode_background(*a, c.frame(), 10, 20, 1, 2, 500, 400);
    decode_background(*a, c.frame(), 790, 590, 30, 30, 795, 595);  // hangs off the frame
    c.snap();
}

void shade_tables(Canvas& c)
{
    auto a = issue_assets();
    EXPECT_FALSE(prepare_text_font(*a, issue_text_font, FONT_ART_BYTES - 1));
    EXPECT_FALSE(prepare_text_font(*a, nullptr, 0));
    c.note(a->shade_table);
    c.note(a->font_pixels);
    // One palette entry whose channels round at every step and tint.
    for (const uint8_t rgb : {5, 101, 200}) {
        std::vector<uint8_t> art(FONT_ART_BYTES, 0);
        std::fill_n(art.begin() + FONT_STRIP_PIXELS + 21, 3, rgb);
        art[FONT_STRIP_PIXELS + 22] = 255 - rgb;
        EXPECT_TRUE(prepare_text_font(*a, art.data(), art.size()));
        c.note(a->shade_table + 7 * SHADE_COLUMNS, SHADE_COLUMNS * sizeof(uint32_t));
    }
}

void pointer_and_buttons(Canvas& c)
{
    auto a = issue_assets();
    c.note(a->buttons);
    c.note(read_constant_data(*a));  // the list is used up
    const struct {
        int x, y;
        uint8_t mode;
    } draws[] = {{100, 200, POINTER_NORMAL}, {300, 300, POINTER_HOVER}, {400, 300, 0}, {500, 300, 7},
                 {791, 591, POINTER_NORMAL}, {0, 100, 1}, {100, 0, 1}, {792, 100, 1}, {100, 592, 1}, {-5, -5, 1}};
    for (const auto& d : draws) {
        a->pointer_mode = d.mode;
        draw_pointer(*a, c.frame(), d.x, d.y);
    }
    c.snap();
}

void blend_boxes(Canvas& c)
{
    std::fill(frame_buffer, frame_buffer + FRAME_PIXELS + 1, 0x808080u);
    blend_box(10, 20, 8, 20, 125, 255, 0, 0);
    blend_box(795, 595, 10, 10, 100, 255, 255, 255);
    blend_box(-3, -3, 4, 4, 100, 40, 255, 3);
    c.note(frame_buffer);
}

std::unique_ptr<IntroState> issue_intro()
{
    auto s = std::make_unique<IntroState>();
    EXPECT_TRUE(prepare_intro(*s, issue_intro_font, issue_intro_font_size));
    EXPECT_FALSE(prepare_intro(*s, issue_intro_font, INTRO_FONT_ART_BYTES - 1));
    EXPECT_FALSE(prepare_intro(*s, nullptr, 0));
    prepare_stars(*s);
    return s;
}

void stars_and_bars(Canvas& c)
{
    auto s = issue_intro();
    c.note(s->star_x);
    c.note(s->star_y);
    // Stars on the wrap and on the edges: slow, middle and fast layers.
    const double edge_stars[][3] = {{1, 799.5, 300}, {201, 797, 310}, {401, -4, 320}, {402, 396.5, -1}, {403, 500, 598.5}};
    for (const auto& e : edge_stars) {
        s->star_x[int(e[0])] = e[1];
        s->star_y[int(e[0])] = e[2];
    }
    for (double phase = 0.0; phase < 20.0; phase += 0.37) {
        draw_stars_and_bars(*s, c.frame(), phase, 0.25);
        c.snap();
    }
    c.note(s->star_x);
}

void band_and_big_text(Canvas& c)
{
    auto s = issue_intro();
    draw_intro_band(c.frame());
    draw_big_text(*s, c.frame(), 100, 292, "A A", 0xEEEEFF, 0x7777AA);
    draw_big_text(*s, c.frame(), -2, 340, "Wide", 1, 2);    // columns left of 1 are skipped
    draw_big_text(*s, c.frame(), 781, 598, "MW", 3, 4);     // past the right and bottom edges
    draw_big_text(*s, c.frame(), 10, 100, std::string(" \t\x7f\xE9~}", 6), 5, 6);
    c.snap();
}

void intro_scroll(Canvas& c)
{
    auto s = issue_intro();
    const std::string text = std::string(66, ' ') + "Welcome to THE KELVARIN ISSUE 30 ~ Press Escape.";
    for (double step : {0.0, 0.5, 0.2, 0.1, 0.3, 0.05, 0.7}) {
        for (int i = 0; i < 12; ++i) draw_intro_scroll(*s, c.frame(), text, step);
        c.snap();
        c.note(s->intro_scroll_index);
        c.note(s->intro_scroll_x);
    }
    s->intro_scroll_x = -30.0;
    draw_intro_scroll(*s, c.frame(), "", 0.0);
    draw_intro_scroll(*s, c.frame(), "AAAA", 1e12);  // a stalled clock: one enormous step
    c.snap();
    c.note(s->intro_scroll_index);
}

void song_scroller(Canvas& c)
{
    auto a = issue_assets();
    std::memcpy(assets.font_pixels, a->font_pixels, sizeof a->font_pixels);
    std::memcpy(assets.shade_table, a->shade_table, sizeof a->shade_table);
    std::string lines[SONG_LINE_COUNT + 1];
    for (int n = 1; n <= SONG_LINE_COUNT; ++n)
        lines[n] = std::string(65, ' ') + "Selected song: " + std::string(size_t(n * 9), char('A' + n)) + "\xDB\xB0";
    lines[2] = "AB";        // wraps every 18 frames, at the left edge of the box
    lines[3][70] = '\x01';  // no glyph in the strip
    for (int song : {1, 2, 3, 5, 0, 6, -1}) {
        SongScroller s;
        s.current_song = song;
        for (int f = 0; f < 150; ++f) {
            draw_song_scroller(s, lines, c.frame());
            if (f % 25 == 24) c.snap();
        }
        c.note(s.song_scroll_index);
        c.note(s.song_scroll_offset);
    }
}

// The notes the bars hear in one frame; they may read only the channels they are given.
std::vector<uint16_t> heard;
uint16_t heard_cell(int channel)
{
    EXPECT_LT(size_t(channel), heard.size());
    return size_t(channel) < heard.size() ? heard[size_t(channel)] : 0;
}

void music_bars(Canvas& c)
{
    MusicBars m{};
    set_bar_row_colours(m);
    reset_music_bars(m);
    c.note(m);
    const std::vector<std::vector<uint16_t>> rows = {
        {45, 84, 0, 255, 0x052D, 1, 96}, {46, 0x0753}, {60, 60}, {}, {50, 51, 52, 53}, {83, 47, 70, 70, 70, 70}};
    for (int f = 0; f < 40; ++f) {
        heard = rows[size_t(f) % rows.size()];
        feed_music_bars(m, int(heard.size()), heard_cell);
        if (f == 30)
            for (int i = 0; i < BAR_COUNT; ++i) m.bar_top[i] = 20.0;  // beyond the tallest bar
        paint_music_bars(m, c.frame());
        c.note(m.bar_top);
        if (f % 5 == 4) c.snap();
    }
}

const struct {
    const char* name;
    void (*draw)(Canvas&);
    uint64_t sum;
} scenes[] = {
    {"background", background, 0xcb89c5832e0fee52u},
    {"shade_tables", shade_tables, 0xb174495a475bcd1du},
    {"pointer_and_buttons", pointer_and_buttons, 0xaed1fa261d06c5d5u},
    {"blend_boxes", blend_boxes, 0x588da46eab202baau},
    {"stars_and_bars", stars_and_bars, 0x13b5546fb892c2ddu},
    {"band_and_big_text", band_and_big_text, 0x64ec7ef45e4c0275u},
    {"intro_scroll", intro_scroll, 0x57a093d4c13d6923u},
    {"song_scroller", song_scroller, 0x1438b4990a533c59u},
    {"music_bars", music_bars, 0xa1a3a8ead823127eu},
};

TEST(GfxScenes, DrawWhatTheCommittedChecksumsSay)
{
    expect_pinned_sums(scenes, [](const auto& scene) {
        Canvas c;
        scene.draw(c);
        return c.value;
    });
}

}  // namespace
