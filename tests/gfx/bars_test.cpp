#include "gfx/bars.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<uint16_t> cells;
int cells_read = 0;
int highest_channel_read = -1;

uint16_t test_cell(int channel)
{
    ++cells_read;
    highest_channel_read = std::max(highest_channel_read, channel);
    return cells[size_t(channel)];
}

TEST(MusicBars, FourChannelsFeedExactlyFourCells)
{
    MusicBars m{};
    reset_music_bars(m);
    cells = {50, 60, 70, 80, 55};
    feed_music_bars(m, 4, test_cell);
    EXPECT_EQ(cells_read, 4);
    EXPECT_EQ(highest_channel_read, 3);
    EXPECT_EQ(m.bar_top[10], m.bar_top[39]);  // the fifth cell's note 55 is not read
    feed_music_bars(m, 0, test_cell);
    EXPECT_EQ(cells_read, 4);
}

} // namespace
