#include "tests/app/fixture.h"

#include <cmath>

#include "app/text.h"

namespace {

using Glyphs = SpineTest;

// Value of the test font at glyph row r, column i (style 1).
int font_value(int r, int i) {
    return (r + i) % 4;
}

TEST_F(Glyphs, ClippedPathSkipsValuesZeroAndOne) {
    draw_glyph_clipped("A", 100, 300, 0, 799, 0, 599, 1, 4);
    for (int r = 0; r < 12; ++r)
        for (int i = 0; i < 9; ++i) {
            const int v = font_value(r, i);
            EXPECT_EQ(pixel(100 + i, 300 + r), v > 1 ? test_shade(v, 4) : PAPER) << r << "," << i;
        }
    EXPECT_EQ(changed_pixels(PAPER), 12 * 9 / 2);
}

TEST_F(Glyphs, ViewPathPaintsEveryValueInsideTheBand) {
    draw_glyph_view("A", 100, 188, 1, 4);
    for (int r = 0; r < 12; ++r)
        for (int i = 0; i < 9; ++i) {
            const int y = 188 + r;
            const uint32_t want = y < 193 ? PAPER : test_shade(font_value(r, i), 4);
            EXPECT_EQ(pixel(100 + i, y), want) << r << "," << i;
        }
    fill_frame(PAPER);
    draw_glyph_view("A", 100, 575, 1, 4);
    EXPECT_EQ(changed_pixels(PAPER), 5 * 9);  // rows 575...579 only
}

TEST_F(Glyphs, ColoursOutsideOneToThirtyOneAndBadStylesDrawNothing) {
    draw_glyph_clipped("A", 100, 300, 0, 799, 0, 599, 1, 0);
    draw_glyph_clipped("A", 100, 300, 0, 799, 0, 599, 1, 32);
    draw_glyph_view("A", 100, 300, 1, 0);
    draw_glyph_view("A", 100, 300, 3, 5);
    draw_glyph_view("A", 100, 300, 0, 5);
    draw_glyph_view("", 100, 300, 1, 5);
    draw_glyph_view(" ", 100, 300, 1, 5);
    draw_glyph_view("\x1f", 100, 300, 1, 5);
    EXPECT_EQ(changed_pixels(PAPER), 0);
}

TEST_F(Glyphs, ColourThirtyOneIsBlack) {
    draw_glyph_view("A", 100, 300, 1, 31);
    for (int r = 0; r < 12; ++r)
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(pixel(100 + i, 300 + r), 0u);
    fill_frame(PAPER);
    draw_glyph_clipped("\xff", 100, 300, 0, 799, 0, 599, 1, 31);
    EXPECT_EQ(pixel(102, 300), 0u);
}

TEST_F(Glyphs, StyleTwoReadsTheSecondGlyphSet) {
    // The test font's second set holds value 5 everywhere.
    draw_glyph_clipped("A", 100, 300, 0, 799, 0, 599, 2, 7);
    for (int r = 0; r < 12; ++r)
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(pixel(100 + i, 300 + r), test_shade(5, 7));
}

TEST_F(Glyphs, GlyphReadsItsOwnStripColumns) {
    // Mark column 0 of code 'B''s cell; 'A' must not see it, 'B' must.
    const int at = glyph_column('B');
    assets.font_pixels[at] = 9;
    draw_glyph_clipped("A", 100, 300, 0, 799, 0, 599, 1, 2);
    EXPECT_EQ(pixel(100, 300), PAPER);
    draw_glyph_clipped("B", 200, 300, 0, 799, 0, 599, 1, 2);
    EXPECT_EQ(pixel(200, 300), test_shade(9, 2));
}

TEST_F(Glyphs, TextIsCutAtThePixelOfTheClipBox) {
    draw_text_clipped("AAAA", 100, 300, 104, 120, 0, 599, 2, 3);
    for (int x = 95; x < 140; ++x)
        EXPECT_EQ(pixel(x, 305), x >= 104 && x <= 120 ? test_shade(5, 3) : PAPER) << x;
}

TEST_F(Glyphs, ClipBoxNeverReachesOutsideTheFrame) {
    draw_text_clipped("AAAA", 780, 590, -50, 5000, -50, 5000, 2, 3);
    draw_glyph_view("A", 795, 300, 2, 3);
    draw_glyph_view("A", -4, 300, 2, 3);
    EXPECT_EQ(frame_buffer[FRAME_PIXELS], PAPER);
    EXPECT_EQ(pixel(0, 301), test_shade(5, 3));      // -4 + 4 is column 0
    EXPECT_EQ(pixel(799, 300), test_shade(5, 3));
    EXPECT_EQ(pixel(5, 300), PAPER);                 // the glyph at -4 ends at column 4
}

using Rules = SpineTest;

int rule_width(int row) {
    int n = 0;
    for (int x = 0; x < FRAME_WIDTH; ++x)
        n += pixel(x, row) != PAPER;
    return n;
}

TEST_F(Rules, SolidKindsFillLengthPixelsOfThreeRows) {
    draw_rule(300, 20, 745, 1);
    EXPECT_EQ(rule_width(300), 745);
    EXPECT_EQ(pixel(20, 300), 0xFFFFFFu);
    EXPECT_EQ(pixel(764, 300), 0xFFFFFFu);
    EXPECT_EQ(pixel(765, 300), PAPER);
    EXPECT_EQ(pixel(20, 299), 0x888888u);
    EXPECT_EQ(pixel(20, 301), 0x888888u);
    EXPECT_EQ(changed_pixels(PAPER), 3 * 745);
    draw_rule(400, 0, 10, 7);
    EXPECT_EQ(pixel(0, 400), 0xFF00FFu);
    EXPECT_EQ(pixel(0, 401), 0x880088u);
}

TEST_F(Rules, RainbowIsOneLongerAndFollowsThePhase) {
    anim_phase = 100.0;
    draw_rule(57, 144, 507, 8);
    EXPECT_EQ(rule_width(57), 508);
    EXPECT_EQ(rule_width(56), 508);
    // Pixel j = 3: t = 103.
    const double t = 103.0;
    const uint32_t r = static_cast<uint32_t>(std::nearbyint(std::sin(0.01 * t) * 124 + 125));
    const uint32_t g = static_cast<uint32_t>(std::nearbyint(std::sin(0.012 * t + 0.96) * 124 + 125));
    const uint32_t b = static_cast<uint32_t>(std::nearbyint(std::sin(0.013 * t + 2.47) * 124 + 125));
    EXPECT_EQ(pixel(147, 57), r << 16 | g << 8 | b);
    const uint32_t re = static_cast<uint32_t>(std::nearbyint(std::sin(0.01 * t) * 64 + 65));
    EXPECT_EQ(pixel(147, 58) >> 16, re);
}

uint32_t rainbow_centre(double t) {
    auto ch = [](double v) { return static_cast<uint32_t>(std::nearbyint(v)); };
    return ch(std::sin(0.01 * t) * 124 + 125) << 16 | ch(std::sin(0.012 * t + 0.96) * 124 + 125) << 8 |
           ch(std::sin(0.013 * t + 2.47) * 124 + 125);
}

TEST_F(Rules, RainbowFollowsEveryPhaseChange) {
    anim_phase = 100.0;
    draw_rule(300, 10, 20, 8);
    anim_phase = 357.25;
    draw_rule(400, 10, 20, 8);   // same columns, new phase
    draw_rule(500, 13, 20, 8);   // pixel j counts from the rule's own start
    EXPECT_EQ(pixel(15, 300), rainbow_centre(105.0));
    EXPECT_EQ(pixel(15, 400), rainbow_centre(362.25));
    EXPECT_EQ(pixel(15, 500), rainbow_centre(359.25));
}

TEST_F(Rules, RainbowChannelsRoundHalfToEven) {
    // At t = 0 red is sin(0) * 124 + 125 = 125 exactly; blue's edge row value is
    // sin(2.47) * 64 + 65, checked against the rounding of the same double.
    anim_phase = 0.0;
    draw_rule(300, 0, 0, 8);
    EXPECT_EQ(rule_width(300), 1);
    EXPECT_EQ(pixel(0, 300) >> 16, 125u);
    EXPECT_EQ(pixel(0, 299) >> 16, 65u);
}

TEST_F(Rules, OtherKindsAndOffFrameRulesDrawNothingOutside) {
    draw_rule(300, 20, 745, 0);
    draw_rule(300, 20, 745, 9);
    draw_rule(300, 20, 745, -1);
    EXPECT_EQ(changed_pixels(PAPER), 0);
    draw_rule(599, 790, 100, 8);
    draw_rule(0, -50, 60, 1);
    EXPECT_EQ(frame_buffer[FRAME_PIXELS], PAPER);
    EXPECT_EQ(rule_width(598), 10);
    EXPECT_EQ(rule_width(0), 10);
}

}  // namespace
