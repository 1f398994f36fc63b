// Runs against SDL's dummy audio driver, which consumes sound in real time.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/wave.h"
#include "tests/platform/disk_recording.h"

namespace {

struct Completions {
    std::atomic<int> count{0};
    std::thread::id main_thread = std::this_thread::get_id();
    std::atomic<bool> on_main_thread{false};
};

void on_done(wave_device*, wave_buffer* b, void* user)
{
    auto* c = static_cast<Completions*>(user);
    if (std::this_thread::get_id() == c->main_thread) c->on_main_thread = true;
    EXPECT_TRUE(b->flags & WAVE_DONE);
    EXPECT_FALSE(b->flags & WAVE_INQUEUE);
    ++c->count;
}

bool wait_for(const std::function<bool()>& ready, int ms)
{
    for (int i = 0; i < ms / 5; ++i) {
        if (ready()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return ready();
}

}  // namespace

TEST(Wave, QueuedBuffersWaitOutAPauseThenCompleteOnTheNotificationThread)
{
    wave_buffer none{};
    EXPECT_EQ(wave_prepare(nullptr, &none), WAVE_BAD_DEVICE);
    EXPECT_EQ(wave_write(nullptr, &none), WAVE_BAD_DEVICE);
    EXPECT_EQ(wave_pause(nullptr), WAVE_BAD_DEVICE);
    EXPECT_EQ(wave_position(nullptr), 0u);
    EXPECT_EQ(wave_loop_written(nullptr, 0), WAVE_BAD_DEVICE);

    Completions c;
    int err = -1;
    wave_device* d = wave_open(on_done, &c, &err);
    ASSERT_NE(d, nullptr) << wave_error_text(err);
    EXPECT_EQ(err, WAVE_OK);
    ASSERT_EQ(wave_pause(d), WAVE_OK);

    std::vector<int16_t> pcm(2 * 2205, 100);   // 50 ms each
    wave_buffer a{pcm.data(), static_cast<uint32_t>(pcm.size() * 2), 0, nullptr, nullptr, 0};
    wave_buffer b = a;
    EXPECT_EQ(wave_write(d, &a), WAVE_UNPREPARED);
    // Buffers without their data or of part frames are refused before they are looked at.
    wave_buffer no_data{nullptr, 4, WAVE_PREPARED, nullptr, nullptr, 0};
    wave_buffer part_frame{pcm.data(), 6, WAVE_PREPARED, nullptr, nullptr, 0};
    for (wave_buffer* bad : {static_cast<wave_buffer*>(nullptr), &no_data, &part_frame})
        EXPECT_EQ(wave_write(d, bad), WAVE_BAD_BUFFER);
    ASSERT_EQ(wave_prepare(d, &a), WAVE_OK);
    ASSERT_EQ(wave_prepare(d, &b), WAVE_OK);
    ASSERT_EQ(wave_write(d, &a), WAVE_OK);
    EXPECT_EQ(wave_write(d, &a), WAVE_STILL_PLAYING);
    ASSERT_EQ(wave_write(d, &b), WAVE_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(wave_position(d), 0u) << "a paused device holds its position";
    ASSERT_EQ(wave_restart(d), WAVE_OK);
    EXPECT_TRUE(wait_for([&] { return c.count == 2; }, 3000));
    EXPECT_FALSE(c.on_main_thread);
    EXPECT_EQ(wave_position(d), a.bytes + b.bytes);
    EXPECT_EQ(wave_unprepare(d, &a), WAVE_OK);
    EXPECT_EQ(wave_close(d), WAVE_OK);
}

TEST(Wave, RingPlaysOnlyWhatItsWriterPublishedAndWaitsInSilence)
{
    constexpr uint32_t lap = 4410, half = lap / 2;   // 100 ms
    constexpr uint32_t first = 0x11111111, second = 0x22222222;
    DiskRecording recording("wave_ring");
    Completions c;
    wave_device* d = wave_open(on_done, &c, nullptr);
    ASSERT_NE(d, nullptr);
    std::vector<uint32_t> ring(lap, first);
    wave_buffer r{ring.data(), lap * 4, WAVE_LOOP, nullptr, nullptr, 0};
    ASSERT_EQ(wave_prepare(d, &r), WAVE_OK);
    ASSERT_EQ(wave_write(d, &r), WAVE_OK);   // the first lap counts as written

    // Refill the half the device has played, publish it and leave the rest of the ring
    // stale: the device must stop after the refilled half.
    ASSERT_TRUE(wait_for([&] { return wave_position(d) >= half * 4; }, 3000));
    std::fill(ring.begin(), ring.begin() + half, second);
    ASSERT_EQ(wave_loop_written(d, uint64_t(lap + half) * 4), WAVE_OK);
    ASSERT_TRUE(wait_for([&] { return wave_position(d) == (lap + half) * 4; }, 3000));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(wave_position(d), (lap + half) * 4) << "the position waits with the device";

    ASSERT_EQ(wave_reset(d), WAVE_OK);
    EXPECT_EQ(c.count, 1) << "the reset hands the ring back before it returns";
    EXPECT_EQ(wave_position(d), 0u);
    ASSERT_EQ(wave_close(d), WAVE_OK);

    std::vector<uint32_t> heard = sounding(recording.frames());
    std::vector<uint32_t> published(lap, first);
    published.insert(published.end(), half, second);
    EXPECT_TRUE(heard == published) << heard.size() << " sounding frames";
}

TEST(Wave, FixedStepPlaysTheFramesOfFixedTime)
{
    constexpr uint32_t per_frame = 882;   // 20 ms
    clock_set_fixed_step(20);
    Completions c;
    wave_device* d = wave_open(on_done, &c, nullptr);
    ASSERT_NE(d, nullptr);
    std::vector<int16_t> pcm(2 * 2000, 7);
    wave_buffer a{pcm.data(), 2000 * 4, 0, nullptr, nullptr, 0}, b = a;
    std::vector<int16_t> ring(2 * 4000);
    wave_buffer r{ring.data(), 4000 * 4, WAVE_LOOP, nullptr, nullptr, 0};
    for (wave_buffer* w : {&a, &b, &r}) {
        wave_prepare(d, w);
        wave_write(d, w);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(wave_position(d), 0u) << "nothing plays between presented frames";

    // A buffer handed back during a frame has been through its callback before the next
    // frame plays. The ring's first lap counts as written; past it the device waits.
    struct Step {
        bool paused;
        uint64_t published;   // ring frames over all laps, 0 = unchanged
        int frames;
        uint32_t position;    // frames played
        int completions;
    };
    const Step steps[] = {
        {false, 0, 2, 2 * per_frame, 0},
        {true, 0, 2, 2 * per_frame, 0},   // paused with sound queued: the time passes unheard
        {false, 0, 4, 6 * per_frame, 2},
        {false, 0, 4, 8000, 2},
        {true, 0, 2, 8000, 2},
        {false, 6000, 1, 8000 + per_frame, 2},
        {false, 0, 3, 10000, 2},
    };
    for (const Step& s : steps) {
        if (s.paused)
            wave_pause(d);
        else
            wave_restart(d);
        if (s.published) wave_loop_written(d, s.published * 4);
        for (int i = 0; i < s.frames; ++i) clock_frame_presented();
        EXPECT_EQ(wave_position(d), s.position * 4);
        EXPECT_EQ(c.count, s.completions);
    }
    EXPECT_EQ(wave_close(d), WAVE_OK);
    clock_frame_presented();   // a closed device has left the frame steps
    clock_set_fixed_step(0);
}
