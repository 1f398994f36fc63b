#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "tests/platform/disk_recording.h"
#include "tests/xm/xm_builder.h"
#include "xm/tunes/tunes.h"

namespace {

void wait_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

TEST(XmOutput, PlayStopAndPlayAgainStartsOver) {
    uint32_t last = 0xFFFFFF00u;  // the device's 32-bit byte count, widened past its wrap
    EXPECT_EQ(xm_widen_position(0xFFFFFF00u, &last, 0x100), 0x100000100ull);
    EXPECT_EQ(last, 0x100u);
    EXPECT_FALSE(xm_play_song(nullptr));
    EXPECT_FALSE(xm_stop_song(nullptr));
    EXPECT_EQ(xm_get_order(nullptr) + xm_get_row(nullptr) + xm_get_time(nullptr), 0u);
    song_ptr s(load_xm_bytes(busy_module(4, 3).bytes()));
    ASSERT_TRUE(s);
    xm_set_file_callbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(xm_play_song(s.get())) << "the song's source is gone";
    xm_set_file_callbacks(mem_open, mem_close, mem_read, mem_seek, mem_tell);
    ASSERT_TRUE(xm_play_song(s.get()));
    // The prefill mixed the whole ring: the last block ends about 2 s in.
    EXPECT_GE(xm_mixer.position_table[XM_BLOCK_COUNT - 1].milliseconds.load(), 1900u);
    // Poll the position while the output thread mixes.
    uint32_t latest = 0;
    for (int i = 0; i < 40; ++i) {
        latest = std::max(latest, xm_get_time(s.get()));
        EXPECT_LT(xm_get_order(s.get()), 3);
        EXPECT_LT(xm_get_row(s.get()), 64);
        wait_ms(10);
    }
    EXPECT_GT(latest, 0u);
    EXPECT_TRUE(xm_stop_song(s.get()));
    EXPECT_EQ(xm_get_time(s.get()), 0u);
    EXPECT_EQ(xm_mixer.fill_index, 0);
    EXPECT_EQ(xm_mixer.position_table, nullptr);
    ASSERT_TRUE(xm_play_song(s.get()));
    // The heard block is one of the fresh prefill's first blocks, not a
    // continuation of the 2.4 s played before.
    EXPECT_LT(xm_get_time(s.get()), 1000u);
    ASSERT_TRUE(xm_play_song(s.get())) << "playing a playing song restarts it";
    wait_ms(50);
    EXPECT_TRUE(xm_free_song(s.release())) << "freeing stops the thread first";
    EXPECT_EQ(xm_mixer.current_song, nullptr);
}

// A mixer that cannot keep up: every tick sleeps first.
void slow_tick(xm_song* s) {
    std::this_thread::sleep_for(std::chrono::milliseconds(4));
    xm_song_tick(s);
}

TEST(XmOutput, AStarvedMixerIsHeardAsSilenceNeverAsStaleOrHalfWrittenBlocks) {
    std::vector<uint8_t> module = busy_module(4, 3).bytes();
    std::vector<uint32_t> expected;  // the song without a device, 10 s
    {
        song_ptr s = start_song(module);
        ASSERT_TRUE(s);
        std::vector<uint32_t> block(XM_BLOCK_FRAMES);
        for (int b = 0; b < 5 * XM_BLOCK_COUNT; ++b) {
            std::memcpy(block.data(), xm_render_block(), block.size() * 4);
            expected.insert(expected.end(), block.begin(), block.end());
        }
    }
    expected = sounding(expected);

    // The device takes the sound about twenty times faster than real time and the mixer
    // manages about five: the ring runs dry again and again.
    DiskRecording recording("xm_starved");
    song_ptr s(load_xm_bytes(module));
    ASSERT_TRUE(s);
    s->tick_routine = slow_tick;
    ASSERT_TRUE(xm_play_song(s.get()));
    for (int i = 0; i < 3000 && xm_get_time(s.get()) < 4000; ++i) wait_ms(10);
    EXPECT_GE(xm_get_time(s.get()), 4000u);
    EXPECT_TRUE(xm_stop_song(s.get()));

    std::vector<uint32_t> recorded = recording.frames();
    auto first = std::find_if(recorded.begin(), recorded.end(), [](uint32_t f) { return f != 0; });
    size_t longest_gap = 0, gap = 0;
    for (auto f = first; f != recorded.end(); ++f) longest_gap = std::max(longest_gap, gap = *f ? 0 : gap + 1);
    EXPECT_GE(longest_gap, static_cast<size_t>(XM_BLOCK_FRAMES)) << "the device never ran dry";
    // Silence aside, exactly the song from its start: no block twice, none torn.
    std::vector<uint32_t> heard = sounding(recorded);
    ASSERT_GE(heard.size(), static_cast<size_t>(3 * XM_OUTPUT_RATE));
    ASSERT_LE(heard.size(), expected.size());
    EXPECT_TRUE(std::equal(heard.begin(), heard.end(), expected.begin()));
}

xm_build tune_module(int channels, uint8_t first_note) {
    xm_build b = busy_module(channels, 2);
    b.tempo = 31;  // long rows keep the heard row still while the test looks
    b.set(0, 0, 0, first_note, 2);
    b.set(0, 0, channels - 1, 0, 0);
    b.set(0, 1, 0, first_note, 2);  // what a read past row 0's last channel would find
    return b;
}

TEST(XmTunes, HeardCellReadsTheHeardRowAndTuneButtonsSwitchSongs) {
    std::vector<uint8_t> tunes[5];
    for (int k = 1; k <= 4; ++k) {
        tunes[k] = tune_module(k + 1, static_cast<uint8_t>(40 + k)).bytes();
        music_set_tune(k, tunes[k].data(), tunes[k].size());
    }
    ASSERT_EQ(music_load_memory(tunes[2].data(), static_cast<uint32_t>(tunes[2].size())), 1);
    EXPECT_EQ(music_channel_count(), 3);
    EXPECT_EQ(music_heard_cell(0), 42 | 2 << 8) << "order 0, row 0 while the music is off";
    // Without a device the heard block stays block 0, which holds row 0.
    ASSERT_TRUE(xm_render_start(music.current_song));
    for (int b = 0; b < XM_BLOCK_COUNT; ++b) xm_render_block();
    EXPECT_EQ(music_heard_cell(0), 42 | 2 << 8);
    EXPECT_EQ(music_heard_cell(2), 0) << "an empty cell, though the channel may sound";
    EXPECT_EQ(music_heard_cell(3), 0) << "beyond the channel count";
    EXPECT_EQ(music_heard_cell(-1), 0);
    xm_mixer.position_table[0].row.store(200);  // a row the pattern does not have
    EXPECT_EQ(music_heard_cell(0), 0);
    EXPECT_TRUE(music_free());
    EXPECT_EQ(music_heard_cell(0), 0);

    EXPECT_EQ(music_channel_count(), 0);
    play_tune_1();
    ASSERT_NE(music.current_song, nullptr);
    EXPECT_EQ(music.channel_count, 2);
    EXPECT_NE(xm_mixer.device, nullptr);

    EXPECT_TRUE(music_stop());
    EXPECT_EQ(xm_mixer.device, nullptr);
    play_tune_3();  // with the music off: on again with tune 3
    EXPECT_EQ(music.channel_count, 4);
    EXPECT_NE(xm_mixer.device, nullptr);
    EXPECT_EQ(music.current_song->patterns[0].cells[0], 43);

    EXPECT_TRUE(music_stop());
    EXPECT_TRUE(music_free());
    EXPECT_EQ(music.current_song, nullptr);

    static const unsigned char junk[] = "Extended Module: but nothing after it";
    music_set_tune(2, junk, sizeof junk);
    play_tune_2();
    EXPECT_EQ(music.current_song, nullptr) << "a broken tune leaves no song";
    EXPECT_EQ(music.channel_count, 0);
    EXPECT_EQ(music_heard_cell(0), 0);
    EXPECT_EQ(music_load_memory(nullptr, 100), 0);
}

}  // namespace
