// Runs against SDL's dummy audio driver, which consumes sound in real time.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "platform/wave.h"

namespace {

struct Completions {
    std::atomic<int> count{0};
    std::atomic<bool> on_audio_thread{false};
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

TEST(Wave, NullArgumentsAreRefused)
{
    wave_buffer b{};
    EXPECT_EQ(wave_prepare(nullptr, &b), WAVE_BAD_DEVICE);
    EXPECT_EQ(wave_write(nullptr, &b), WAVE_BAD_DEVICE);
    EXPECT_EQ(wave_pause(nullptr), WAVE_BAD_DEVICE);
    EXPECT_EQ(wave_position(nullptr), 0u);
    EXPECT_STRNE(wave_error_text(WAVE_NO_DEVICE), wave_error_text(WAVE_OK));
}

TEST(Wave, QueuedBuffersCompleteOnTheNotificationThread)
{
    Completions c;
    int err = -1;
    wave_device* d = wave_open(on_done, &c, &err);
    ASSERT_NE(d, nullptr) << wave_error_text(err);
    EXPECT_EQ(err, WAVE_OK);

    std::vector<int16_t> pcm(2 * 2205, 100);   // 50 ms each
    wave_buffer a{pcm.data(), static_cast<uint32_t>(pcm.size() * 2), 0, nullptr, nullptr, 0};
    wave_buffer b = a;
    EXPECT_EQ(wave_write(d, &a), WAVE_UNPREPARED);
    ASSERT_EQ(wave_prepare(d, &a), WAVE_OK);
    ASSERT_EQ(wave_prepare(d, &b), WAVE_OK);
    ASSERT_EQ(wave_write(d, &a), WAVE_OK);
    EXPECT_EQ(wave_write(d, &a), WAVE_STILL_PLAYING);
    ASSERT_EQ(wave_write(d, &b), WAVE_OK);
    EXPECT_TRUE(wait_for([&] { return c.count == 2; }, 3000));
    EXPECT_FALSE(c.on_main_thread);
    EXPECT_EQ(wave_position(d), a.bytes + b.bytes);
    EXPECT_EQ(wave_unprepare(d, &a), WAVE_OK);
    EXPECT_EQ(wave_close(d), WAVE_OK);
}

TEST(Wave, LoopingBufferAdvancesThePositionUntilReset)
{
    Completions c;
    wave_device* d = wave_open(on_done, &c, nullptr);
    ASSERT_NE(d, nullptr);
    std::vector<int16_t> ring(2 * 4410);   // 100 ms
    wave_buffer r{ring.data(), static_cast<uint32_t>(ring.size() * 2), WAVE_LOOP, nullptr, nullptr, 0};
    ASSERT_EQ(wave_prepare(d, &r), WAVE_OK);
    ASSERT_EQ(wave_write(d, &r), WAVE_OK);
    // More than one lap of the ring without a completion.
    EXPECT_TRUE(wait_for([&] { return wave_position(d) > 2 * r.bytes; }, 3000));
    EXPECT_EQ(c.count, 0);
    EXPECT_EQ(wave_position(d) % WAVE_FRAME_BYTES, 0u);

    ASSERT_EQ(wave_reset(d), WAVE_OK);
    // The reset hands the buffer back before it returns.
    EXPECT_EQ(c.count, 1);
    EXPECT_EQ(wave_position(d), 0u);
    EXPECT_EQ(wave_close(d), WAVE_OK);
}

TEST(Wave, PauseHoldsThePosition)
{
    wave_device* d = wave_open(nullptr, nullptr, nullptr);
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(wave_pause(d), WAVE_OK);
    std::vector<int16_t> pcm(2 * 4410);
    wave_buffer a{pcm.data(), static_cast<uint32_t>(pcm.size() * 2), 0, nullptr, nullptr, 0};
    wave_prepare(d, &a);
    wave_write(d, &a);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(wave_position(d), 0u);
    ASSERT_EQ(wave_restart(d), WAVE_OK);
    EXPECT_TRUE(wait_for([&] { return wave_position(d) == a.bytes; }, 3000));
    EXPECT_EQ(wave_close(d), WAVE_OK);
}
