#include "gfx/intro.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "gfx/frame.h"
#include "issue/art/art.h"

namespace {

constexpr uint32_t GUARD = 0xABCDEF;
constexpr int GUARD_ROWS = 100;

// A frame with guard rows above and below, to catch writes outside rows 0..599.
struct GuardedFrame {
    std::vector<uint32_t> pixels = std::vector<uint32_t>((FRAME_HEIGHT + 2 * GUARD_ROWS) * FRAME_WIDTH, 0);
    GuardedFrame()
    {
        std::fill(pixels.begin(), pixels.begin() + GUARD_ROWS * FRAME_WIDTH, GUARD);
        std::fill(pixels.end() - GUARD_ROWS * FRAME_WIDTH, pixels.end(), GUARD);
    }
    uint32_t* frame() { return pixels.data() + GUARD_ROWS * FRAME_WIDTH; }
    uint32_t at(int x, int y) const { return pixels[(y + GUARD_ROWS) * FRAME_WIDTH + x]; }
    bool guards_intact() const
    {
        return std::all_of(pixels.begin(), pixels.begin() + GUARD_ROWS * FRAME_WIDTH,
                           [](uint32_t p) { return p == GUARD; }) &&
               std::all_of(pixels.end() - GUARD_ROWS * FRAME_WIDTH, pixels.end(),
                           [](uint32_t p) { return p == GUARD; });
    }
    long count_in_rows(int y0, int y1) const
    {
        long n = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = 0; x < FRAME_WIDTH; ++x) n += at(x, y) != 0;
        return n;
    }
};

// An intro state whose font has white at palette index 1 and no set pixels.
std::unique_ptr<IntroState> blank_intro()
{
    auto s = std::make_unique<IntroState>();
    std::vector<uint8_t> art(INTRO_FONT_ART_BYTES, 0);
    art[3] = art[4] = art[5] = 255;
    EXPECT_TRUE(prepare_intro(*s, art.data(), art.size()));
    return s;
}

void set_strip_pixel(IntroState& s, int row, int column) { s.intro_font_pixels[row * INTRO_FONT_WIDTH + column] = 1; }

// Every star far off the left edge, so only the bars and text show.
void park_stars(IntroState& s)
{
    for (int n = 1; n <= STAR_COUNT; ++n) {
        s.star_x[n] = -1000.0;
        s.star_y[n] = 300.0;
    }
}

TEST(IntroFont, PaletteAndStripFromTheEmbeddedFont)
{
    auto s = std::make_unique<IntroState>();
    ASSERT_TRUE(prepare_intro(*s, issue_intro_font, issue_intro_font_size));
    EXPECT_EQ(s->intro_palette[255], uint32_t(issue_intro_font[765]) << 16 | uint32_t(issue_intro_font[766]) << 8 |
                                         issue_intro_font[767]);
    EXPECT_EQ(s->intro_font_pixels[INTRO_FONT_PIXELS - 1], issue_intro_font[768 + INTRO_FONT_PIXELS - 1]);
    EXPECT_FALSE(prepare_intro(*s, issue_intro_font, INTRO_FONT_ART_BYTES - 1));
}

TEST(BigText, GlyphRowsDoubleSizeWithScanLineColours)
{
    auto s = blank_intro();
    set_strip_pixel(*s, 0, 33 * 10 + 1);      // 'A', row 0, column 0
    set_strip_pixel(*s, 1, 33 * 10 + 1 + 9);  // 'A', row 1, column 9
    GuardedFrame f;
    draw_big_text(*s, f.frame(), 100, 292, "A A", 0xEEEEFF, 0x7777AA);
    for (int dx : {0, 40}) {
        EXPECT_EQ(f.at(100 + dx, 292), 0x7777AAu);
        EXPECT_EQ(f.at(101 + dx, 293), 0x7777AAu);
        EXPECT_EQ(f.at(118 + dx, 294), 0xEEEEFFu);
        EXPECT_EQ(f.at(119 + dx, 295), 0xEEEEFFu);
    }
    EXPECT_EQ(f.count_in_rows(0, 599), 16);
}

TEST(BigText, ColumnsOutsideOneTo799AreSkipped)
{
    auto s = blank_intro();
    for (int k = 0; k < 10; ++k) set_strip_pixel(*s, 0, 33 * 10 + 1 + k);
    GuardedFrame f;
    draw_big_text(*s, f.frame(), -2, 300, "A", 1, 2);
    EXPECT_EQ(f.at(0, 300), 0u);    // x + 2k = -2 and 0 are skipped
    EXPECT_EQ(f.at(1, 300), 0u);
    EXPECT_EQ(f.at(2, 300), 2u);
    EXPECT_EQ(f.count_in_rows(0, 599), 8 * 4);

    GuardedFrame g;
    draw_big_text(*s, g.frame(), 781, 598, "A", 1, 2);
    EXPECT_EQ(g.at(799, 598), 2u);  // k = 9 at 799: its second column would be 800
    EXPECT_EQ(g.at(0, 599), 0u);
    EXPECT_EQ(g.count_in_rows(0, 599), 19 * 2);  // rows 598 and 599 only
    EXPECT_TRUE(g.guards_intact());
}

TEST(BigText, SpacesControlCodesAndCodesPastTheStripAdvanceOnly)
{
    auto s = blank_intro();
    set_strip_pixel(*s, 0, 0);                   // column 0: what code 32 would read
    set_strip_pixel(*s, 1, 0);                   // what code 127 would read past row 0's end
    set_strip_pixel(*s, 0, 94 * 10 + 1);         // '~', the last glyph
    GuardedFrame f;
    draw_big_text(*s, f.frame(), 10, 100, std::string(" \t\x7f\xE9~", 5), 1, 2);
    EXPECT_EQ(f.count_in_rows(0, 599), 4);
    EXPECT_EQ(f.at(90, 100), 2u);                // fifth character, x = 10 + 4 x 20
}

TEST(IntroBand, RowsAndColours)
{
    GuardedFrame f;
    draw_intro_band(f.frame());
    EXPECT_EQ(f.count_in_rows(0, 287) + f.count_in_rows(328, 599), 0);
    for (int y : {288, 290, 325, 327}) EXPECT_EQ(f.at(400, y), 0x222266u) << y;
    for (int y : {291, 324}) EXPECT_EQ(f.at(0, y), 0x444488u) << y;
    EXPECT_EQ(f.at(799, 300), 0x444488u);
}

TEST(IntroScroll, FirstFrameShowsLeadingSpacesThenTextArrivesFromTheRight)
{
    auto s = blank_intro();
    for (int k = 0; k < 10; ++k) set_strip_pixel(*s, 0, 55 * 10 + 1 + k);  // 'W'
    const std::string text = std::string(66, ' ') + "W";
    GuardedFrame f;
    draw_intro_scroll(*s, f.frame(), text, 0.0);
    EXPECT_EQ(f.count_in_rows(0, 599), 0);
    EXPECT_EQ(s->intro_scroll_index, 1);

    // 41 characters are drawn: the W enters once the index reaches 67 - 40.
    s->intro_scroll_index = 27;
    s->intro_scroll_x = 0.0;
    draw_intro_scroll(*s, f.frame(), text, 0.0);
    EXPECT_EQ(f.count_in_rows(0, 599), 0);  // its cell starts at 800
    s->intro_scroll_x = -1.0;
    draw_intro_scroll(*s, f.frame(), text, 0.0);
    EXPECT_EQ(f.at(799, 292), 0x7777AAu);
    EXPECT_TRUE(f.guards_intact());
}

TEST(IntroScroll, MovesThirtyPerStepAndWrapsToTheStart)
{
    auto s = blank_intro();
    GuardedFrame f;
    draw_intro_scroll(*s, f.frame(), "ABC", 0.5);
    EXPECT_DOUBLE_EQ(s->intro_scroll_x, -15.0);
    EXPECT_EQ(s->intro_scroll_index, 1);
    draw_intro_scroll(*s, f.frame(), "ABC", 0.2);
    EXPECT_DOUBLE_EQ(s->intro_scroll_x, -1.0);
    EXPECT_EQ(s->intro_scroll_index, 2);

    s->intro_scroll_index = 3;
    s->intro_scroll_x = -19.0;
    draw_intro_scroll(*s, f.frame(), "ABC", 0.1);
    EXPECT_EQ(s->intro_scroll_index, 1);
    EXPECT_NEAR(s->intro_scroll_x, -2.0, 1e-9);

    s->intro_scroll_x = -30.0;
    draw_intro_scroll(*s, f.frame(), "", 0.0);
    EXPECT_EQ(s->intro_scroll_index, 1);

    // A stalled clock gives one enormous step: the line leaves the screen, nothing breaks.
    draw_intro_scroll(*s, f.frame(), "AAAA", 1e12);
    EXPECT_EQ(f.count_in_rows(0, 599), 0);
    EXPECT_TRUE(f.guards_intact());
}

TEST(Stars, FieldIsTheSameEveryRunAndInsideItsRange)
{
    auto a = std::make_unique<IntroState>();
    auto b = std::make_unique<IntroState>();
    prepare_stars(*a);
    prepare_stars(*b);
    for (int n = 1; n <= STAR_COUNT; ++n) {
        EXPECT_EQ(a->star_x[n], b->star_x[n]);
        EXPECT_EQ(a->star_y[n], b->star_y[n]);
        EXPECT_TRUE(a->star_x[n] >= -2.0 && a->star_x[n] < 798.0) << n;
        EXPECT_TRUE(a->star_y[n] >= -2.0 && a->star_y[n] < 598.0) << n;
    }
    EXPECT_NE(a->star_x[1], a->star_x[2]);
}

TEST(Stars, LayersWrapAndEdges)
{
    auto s = blank_intro();
    park_stars(*s);
    s->star_x[1] = 799.5;     // slow layer, +1 at step 0.25: passes 800, back to 0.5
    s->star_y[1] = 300.0;
    s->star_x[201] = 797.0;   // middle layer, +2: 799, not drawn this frame
    s->star_y[201] = 310.0;
    s->star_x[401] = -4.0;    // fast layer, +4: exactly 0, not drawn
    s->star_y[401] = 320.0;
    s->star_x[402] = 396.5;   // fast layer at 400.5, half above the top
    s->star_y[402] = -1.0;
    GuardedFrame f;
    draw_stars_and_bars(*s, f.frame(), 0.0, 0.25);
    EXPECT_DOUBLE_EQ(s->star_x[1], 0.5);
    EXPECT_EQ(f.at(0, 300), 0x222222u);
    EXPECT_EQ(f.at(1, 301), 0x222222u);
    EXPECT_EQ(f.count_in_rows(112, 487), 4);  // rows no bar reaches
    EXPECT_EQ(f.at(400, 0), 0x888888u);
    EXPECT_EQ(f.at(401, 0), 0x888888u);
    EXPECT_EQ(f.count_in_rows(0, 0), 2);
    EXPECT_EQ(f.at(798, 310) | f.at(799, 310) | f.at(0, 320) | f.at(1, 320), 0u);
    EXPECT_TRUE(f.guards_intact());
}

TEST(Bars, OnlyRowsOneTo599AreDrawn)
{
    auto s = blank_intro();
    park_stars(*s);
    GuardedFrame f;
    draw_stars_and_bars(*s, f.frame(), 0.0, 0.0);
    EXPECT_EQ(f.count_in_rows(0, 0), 0);
    EXPECT_EQ(f.at(0, 1), 0x22u);     // top bar 0 at y 0: row 1 is its second row
    EXPECT_EQ(f.at(799, 599), 0x11u); // bottom bar 0 at 568: row 599 is its last
    EXPECT_EQ(f.at(400, 584), 0x44u); // bottom bar 1 at 556 (sin(-0.15) x 80 = -11.94), row 28
    EXPECT_EQ(f.at(400, 83), 0xFFu);  // top bar 14 at 69 (sin(2.1) x 80 = 69.06), row 14
    EXPECT_EQ(f.at(400, 100), 0x11u);
    EXPECT_EQ(f.at(400, 111), 0x11u); // top bar 10 at 80 reaches furthest down
    EXPECT_EQ(f.count_in_rows(112, 487), 0);
    EXPECT_EQ(f.at(400, 514), 0xFFu); // bottom bar 14 at 499
    EXPECT_EQ(f.at(400, 499), 0x11u);
    EXPECT_TRUE(f.guards_intact());
    for (double phase = 0.0; phase < 20.0; phase += 0.37) {
        GuardedFrame g;
        draw_stars_and_bars(*s, g.frame(), phase, 0.0);
        EXPECT_EQ(g.count_in_rows(0, 0), 0) << phase;
        EXPECT_TRUE(g.guards_intact()) << phase;
    }
}

} // namespace
