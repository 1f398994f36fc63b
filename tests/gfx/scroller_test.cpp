#include "gfx/scroller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "gfx/assets.h"
#include "gfx/frame.h"

namespace {

constexpr uint32_t TEXT = 0xAAAAAA;
constexpr uint32_t GREY = 0x111111;

// 'A' is a solid block of value 2 in the second glyph set, except its top-left
// pixel, which has value 1; 'B' in the first glyph set only.
struct ScrollerTest : ::testing::Test {
    std::vector<uint32_t> target = std::vector<uint32_t>(FRAME_PIXELS + 1, 0);
    SongScroller s;
    std::string lines[SONG_LINE_COUNT + 1];

    void SetUp() override
    {
        std::fill(std::begin(assets.font_pixels), std::end(assets.font_pixels), 0);
        std::fill(std::begin(assets.shade_table), std::end(assets.shade_table), 0);
        const int a_column = ('A' - 32) * 9 + 1;
        for (int r = 14; r < 26; ++r)
            for (int i = 0; i < 9; ++i) assets.font_pixels[r * FONT_STRIP_WIDTH + a_column + i] = 2;
        assets.font_pixels[14 * FONT_STRIP_WIDTH + a_column] = 1;
        const int b_column = ('B' - 32) * 9 + 1;
        for (int i = 0; i < 9; ++i) assets.font_pixels[2 * FONT_STRIP_WIDTH + b_column + i] = 2;
        assets.shade_table[2 * SHADE_COLUMNS + 2] = TEXT;
        assets.shade_table[1 * SHADE_COLUMNS + 2] = GREY;
    }
    uint32_t at(int x, int y) const { return target[y * FRAME_WIDTH + x]; }
    long drawn() const { return std::count_if(target.begin(), target.end(), [](uint32_t p) { return p != 0; }); }
    void frame() { draw_song_scroller(s, lines, target.data()); }
};

TEST_F(ScrollerTest, SecondGlyphSetColourTwoTransparentForValuesBelowTwo)
{
    lines[1] = "AB";
    frame();
    EXPECT_EQ(at(146, 123), 0u);    // value 1 stays transparent
    EXPECT_EQ(at(147, 123), TEXT);
    EXPECT_EQ(at(154, 134), TEXT);
    EXPECT_EQ(drawn(), 9 * 12 - 1); // 'B' has nothing in the second set
}

TEST_F(ScrollerTest, ClippedAtBothEdgesOfTheBoxInsideAGlyph)
{
    lines[1] = std::string(56, 'A') + "AA";
    s.song_scroll_offset = 5.0;  // drawn at x 141
    frame();
    EXPECT_EQ(at(145, 130), 0u);
    EXPECT_EQ(at(146, 130), TEXT);
    EXPECT_EQ(at(649, 130), TEXT);
    EXPECT_EQ(at(650, 130), 0u);
    // 504 columns from 146 to 649, 12 rows, minus the value-1 corners inside the box.
    EXPECT_EQ(drawn(), 504 * 12 - 56);
}

TEST_F(ScrollerTest, OneCharacterStepEveryNineFramesAndWrap)
{
    lines[1] = "AAA";
    for (int f = 0; f < 9; ++f) frame();
    EXPECT_EQ(s.song_scroll_index, 1);
    EXPECT_DOUBLE_EQ(s.song_scroll_offset, 9.0);
    frame();
    EXPECT_EQ(s.song_scroll_index, 2);
    EXPECT_DOUBLE_EQ(s.song_scroll_offset, 1.0);
    for (int f = 0; f < 18; ++f) frame();
    EXPECT_EQ(s.song_scroll_index, 1);
}

TEST_F(ScrollerTest, LeadingSpacesKeepTheBoxEmptyUntilTheLabelArrives)
{
    lines[2] = std::string(65, ' ') + "A";
    s.current_song = 2;
    // Frame 82 draws from index 9 at offset 9 (the A at 650), frame 83 index 10 offset 1 (at 649).
    for (int f = 1; f <= 82; ++f) frame();
    EXPECT_EQ(drawn(), 0);
    frame();
    EXPECT_EQ(at(649, 124), TEXT);
    EXPECT_EQ(drawn(), 11);  // its top pixel has value 1
}

TEST_F(ScrollerTest, SongNumberOutsideOneToFiveDrawsNothing)
{
    lines[1] = "A";
    for (int song : {0, 6, -1}) {
        s.current_song = song;
        frame();
    }
    EXPECT_EQ(drawn(), 0);
}

} // namespace
