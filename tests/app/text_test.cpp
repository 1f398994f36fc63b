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

TEST_F(Glyphs, ViewPathPaintsEveryValueInsideTheBandInItsStyleAndColour) {
    const struct {
        int y, style, colour;
        int first_row;  // rows above the band stay paper
        uint32_t (*want)(int r, int i);
    } cases[] = {
        {188, 1, 4, 5, [](int r, int i) { return test_shade(font_value(r, i), 4); }},
        {300, 2, 7, 0, [](int, int) { return test_shade(5, 7); }},  // the second set holds 5
        {300, 1, 31, 0, [](int, int) { return 0u; }},               // colour 31 is black
    };
    for (const auto& c : cases) {
        fill_frame(PAPER);
        draw_glyph_view("A", 100, c.y, c.style, c.colour);
        for (int r = 0; r < 12; ++r)
            for (int i = 0; i < 9; ++i)
                ASSERT_EQ(pixel(100 + i, c.y + r), r < c.first_row ? PAPER : c.want(r, i))
                    << c.style << "," << c.colour << " at " << r << "," << i;
    }
    fill_frame(PAPER);
    draw_glyph_view("A", 100, 575, 1, 4);
    EXPECT_EQ(changed_pixels(PAPER), 5 * 9);  // rows 575...579 only
    draw_glyph_clipped("\xff", 100, 300, 0, 799, 0, 599, 1, 31);
    EXPECT_EQ(pixel(102, 300), 0u);
}

TEST_F(Glyphs, ColoursOutsideOneToThirtyOneAndBadStylesDrawNothing) {
    draw_glyph_clipped("A", 100, 300, 0, 799, 0, 599, 1, 0);
    draw_glyph_clipped("A", 100, 300, 0, 799, 0, 599, 1, 32);
    draw_glyph_view("A", 100, 300, 1, 0);
    draw_glyph_view("A", 100, 300, 3, 5);
    draw_glyph_view("A", 100, 300, 0, 5);
    for (const char* s : {"", " ", "\x1f"})
        draw_glyph_view(s, 100, 300, 1, 5);
    EXPECT_EQ(changed_pixels(PAPER), 0);
}

TEST_F(Glyphs, GlyphReadsItsOwnStripColumns) {
    // Mark column 0 of code 'B''s cell; 'A' must not see it, 'B' must.
    assets.font_pixels[('B' - 32) * 9 + 1] = 9;
    draw_glyph_clipped("A", 100, 300, 0, 799, 0, 599, 1, 2);
    EXPECT_EQ(pixel(100, 300), PAPER);
    draw_glyph_clipped("B", 200, 300, 0, 799, 0, 599, 1, 2);
    EXPECT_EQ(pixel(200, 300), test_shade(9, 2));
}

TEST_F(Glyphs, TextIsCutAtTheClipBoxAndNeverOutsideTheFrame) {
    draw_text_clipped("AAAA", 100, 300, 104, 120, 0, 599, 2, 3);
    for (int x = 95; x < 140; ++x)
        EXPECT_EQ(pixel(x, 305), x >= 104 && x <= 120 ? test_shade(5, 3) : PAPER) << x;
    fill_frame(PAPER);
    draw_text_clipped("AAAA", 780, 590, -50, 5000, -50, 5000, 2, 3);
    draw_glyph_view("A", 795, 300, 2, 3);
    draw_glyph_view("A", -4, 300, 2, 3);
    EXPECT_EQ(frame_buffer[FRAME_PIXELS], PAPER);
    EXPECT_EQ(pixel(799, 599), test_shade(5, 3));
    EXPECT_EQ(pixel(0, 591), PAPER);              // the text at 780 does not wrap to column 0
    EXPECT_EQ(pixel(0, 301), test_shade(5, 3));   // -4 + 4 is column 0
    EXPECT_EQ(pixel(799, 300), test_shade(5, 3));
    EXPECT_EQ(pixel(5, 300), PAPER);              // the glyph at -4 ends at column 4
}

using Rules = SpineTest;

int rule_width(int row) {
    int n = 0;
    for (int x = 0; x < FRAME_WIDTH; ++x)
        n += pixel(x, row) != PAPER;
    return n;
}

TEST_F(Rules, SolidKindsFillLengthPixelsOfThreeRowsInTheirColours) {
    const uint32_t colours[8][2] = {
        {0, 0},
        {0xFFFFFF, 0x888888}, {0xFF0000, 0x880000}, {0x00FF00, 0x008800}, {0x0000FF, 0x000088},
        {0xFFFF00, 0x888800}, {0x00FFFF, 0x008888}, {0xFF00FF, 0x880088},
    };
    for (int kind = 1; kind <= 7; ++kind) {
        fill_frame(PAPER);
        draw_rule(300, 20, 745, kind);
        EXPECT_EQ(changed_pixels(PAPER), 3 * 745) << kind;
        EXPECT_EQ(rule_width(300), 745) << kind;
        for (int x : {20, 764}) {
            EXPECT_EQ(pixel(x, 300), colours[kind][0]) << kind;
            EXPECT_EQ(pixel(x, 299), colours[kind][1]) << kind;
            EXPECT_EQ(pixel(x, 301), colours[kind][1]) << kind;
        }
    }
}

uint32_t rainbow(double t, double scale, double base) {
    auto ch = [&](double v) { return static_cast<uint32_t>(std::nearbyint(v * scale + base)); };
    return ch(std::sin(0.01 * t)) << 16 | ch(std::sin(0.012 * t + 0.96)) << 8 | ch(std::sin(0.013 * t + 2.47));
}

TEST_F(Rules, RainbowIsOneLongerAndFollowsEveryPhaseChange) {
    anim_phase = 100.0;
    draw_rule(300, 10, 20, 8);
    EXPECT_EQ(rule_width(300), 21);
    EXPECT_EQ(rule_width(299), 21);
    anim_phase = 357.25;
    draw_rule(400, 10, 20, 8);   // same columns, new phase
    draw_rule(500, 13, 20, 8);   // pixel j counts from the rule's own start
    EXPECT_EQ(pixel(15, 300), rainbow(105.0, 124, 125));
    EXPECT_EQ(pixel(15, 301), rainbow(105.0, 64, 65));
    EXPECT_EQ(pixel(15, 400), rainbow(362.25, 124, 125));
    EXPECT_EQ(pixel(15, 500), rainbow(359.25, 124, 125));
    // At t = 0 red is sin(0) * 124 + 125 = 125 exactly: halves round to even.
    anim_phase = 0.0;
    draw_rule(200, 0, 0, 8);
    EXPECT_EQ(rule_width(200), 1);
    EXPECT_EQ(pixel(0, 200) >> 16, 125u);
    EXPECT_EQ(pixel(0, 199) >> 16, 65u);
}

TEST_F(Rules, OtherKindsAndOffFrameRulesDrawNothingOutside) {
    for (int kind : {0, 9, -1})
        draw_rule(300, 20, 745, kind);
    EXPECT_EQ(changed_pixels(PAPER), 0);
    draw_rule(599, 790, 100, 8);
    draw_rule(0, -50, 60, 1);
    EXPECT_EQ(frame_buffer[FRAME_PIXELS], PAPER);
    EXPECT_EQ(rule_width(598), 10);
    EXPECT_EQ(rule_width(0), 10);
}

}  // namespace
