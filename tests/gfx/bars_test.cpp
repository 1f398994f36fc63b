#include "gfx/bars.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "gfx/frame.h"

namespace {

std::vector<uint16_t> cells;
int cells_read = 0;
int highest_channel_read = -1;

uint16_t test_cell(int channel)
{
    ++cells_read;
    highest_channel_read = std::max(highest_channel_read, channel);
    return channel < int(cells.size()) ? cells[size_t(channel)] : 0;
}

struct BarsTest : ::testing::Test {
    MusicBars m;
    std::vector<uint32_t> target = std::vector<uint32_t>(FRAME_PIXELS + 1, 0);
    void SetUp() override
    {
        set_bar_row_colours(m);
        reset_music_bars(m);
        cells.clear();
        cells_read = 0;
        highest_channel_read = -1;
    }
    void feed(std::vector<uint16_t> notes)
    {
        cells = notes;
        feed_music_bars(m, int(notes.size()), test_cell);
    }
    uint32_t at(int x, int y) const { return target[y * FRAME_WIDTH + x]; }
    long drawn() const { return std::count_if(target.begin(), target.end(), [](uint32_t p) { return p != 0; }); }
    long touched_columns(int y) const
    {
        long n = 0;
        for (int x = 0; x < FRAME_WIDTH; ++x) n += at(x, y) != 0;
        return n;
    }
};

TEST_F(BarsTest, NotePushesItsBarAndLessItsNeighboursNotesOutside46To83Nothing)
{
    feed({45, 84, 0, 255, 0x052D, 1, 96});  // 0x052D: note 45, instrument 5
    for (int i = 0; i < BAR_COUNT; ++i) EXPECT_EQ(m.bar_top[i], 147.0) << i;
    feed({46, 0x0753});  // 83 with instrument 7 in the high byte
    EXPECT_EQ(m.bar_top[0], 144.0);
    EXPECT_EQ(m.bar_top[1], 143.0);
    EXPECT_EQ(m.bar_top[2], 144.0);
    EXPECT_EQ(m.bar_top[3], 147.0);
    EXPECT_EQ(m.bar_top[37], 144.0);
    EXPECT_EQ(m.bar_top[38], 143.0);
    EXPECT_EQ(m.bar_top[39], 144.0);
    feed({60, 60});  // two channels on one pitch push twice
    EXPECT_EQ(m.bar_top[15], 139.0);
    EXPECT_EQ(m.bar_top[14], 141.0);
}

TEST_F(BarsTest, FourChannelsFeedExactlyFourCells)
{
    cells = {50, 60, 70, 80, 55};
    feed_music_bars(m, 4, test_cell);
    EXPECT_EQ(cells_read, 4);
    EXPECT_EQ(highest_channel_read, 3);
    EXPECT_EQ(m.bar_top[10], 147.0);  // the fifth cell's note 55 is not read
    feed_music_bars(m, 0, test_cell);
    EXPECT_EQ(cells_read, 4);
}

TEST_F(BarsTest, IdleBarsSinkBelowTheBaseAndOnePushShowsOneRow)
{
    paint_music_bars(m, target.data());
    EXPECT_EQ(drawn(), 0);
    EXPECT_EQ(m.bar_top[0], 149.0);
    paint_music_bars(m, target.data());
    EXPECT_EQ(m.bar_top[0], 149.0);

    m.bar_top[0] -= 4.0;  // 145, falls to 147 in the same frame
    paint_music_bars(m, target.data());
    EXPECT_EQ(m.bar_top[0], 147.0);
    EXPECT_EQ(drawn(), 11);
    EXPECT_EQ(at(157, 147), 0u);
    EXPECT_EQ(at(158, 147), 0x000011u);
    EXPECT_EQ(at(168, 147), 0x000011u);
    EXPECT_EQ(at(169, 147), 0u);
}

TEST_F(BarsTest, TallestBarReachesRow133)
{
    for (int i = 0; i < BAR_COUNT; ++i) m.bar_top[i] = 20.0;
    paint_music_bars(m, target.data());
    for (int i = 0; i < BAR_COUNT; ++i) EXPECT_EQ(m.bar_top[i], 133.0);
    EXPECT_EQ(touched_columns(132) + touched_columns(133) + touched_columns(134), 0);  // black rows
    EXPECT_EQ(touched_columns(135), 40 * 11);
    EXPECT_EQ(at(158 + 12 * 39 + 10, 135), 0x5566DDu);  // bar 39 ends at x 636
    EXPECT_EQ(at(637, 135), 0u);
    EXPECT_EQ(drawn(), 40 * 11 * 13);
    // Rows 133 and 134 are written, in black, over whatever lay there.
    std::fill(target.begin(), target.end(), 0x777777u);
    m.bar_top[5] = 20.0;
    paint_music_bars(m, target.data());
    EXPECT_EQ(at(158 + 12 * 5, 133), 0u);
    EXPECT_EQ(at(158 + 12 * 5, 132), 0x777777u);
}

} // namespace
