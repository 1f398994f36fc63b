#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <tuple>

#include "tests/xm/xm_builder.h"

namespace {

// A hand-made sample with the loader's spare values behind its data.
struct test_sample {
    std::vector<int16_t> buffer;
    xm_sample s{};
    test_sample(std::vector<int16_t> values, uint8_t mode, uint32_t loop_start = 0, uint32_t loop_length = 0) {
        buffer = values;
        buffer.resize(values.size() + 8, 0);
        s.data = buffer.data();
        s.length = static_cast<uint32_t>(values.size());
        s.loop_mode = mode;
        s.loop_start = mode == XM_LOOP_NONE ? 0 : loop_start;
        s.loop_length = mode == XM_LOOP_NONE ? s.length : loop_length;
        s.bits = 16;
        uint32_t end = s.loop_start + s.loop_length;
        if (mode == XM_LOOP_FORWARD) buffer[end] = buffer[s.loop_start];
        if (mode == XM_LOOP_PINGPONG) buffer[end] = buffer[end - 1];
    }
};

// Voice 0 playing the sample at full gain with no ramp pending.
mix_voice& play(test_sample& t, uint64_t step, int gain = 255) {
    xm_clear_voices();
    mix_voice& v = xm_mixer.voices[0];
    v.sample = &t.s;
    v.direction = 1;
    v.step_integer = static_cast<uint32_t>(step >> 32);
    v.step_fraction = static_cast<uint32_t>(step);
    v.left_gain = v.right_gain = gain;
    v.last_left_target = v.last_right_target = gain;
    v.left_level = v.right_level = gain * 256;
    return v;
}

constexpr uint64_t kOne = 1ull << 32;

// The vector paths the CPU has; each must give what the plain path gives.
std::vector<xm_mix_path> vector_paths() {
    std::vector<xm_mix_path> paths;
    for (xm_mix_path p : {XM_MIX_SSE2, XM_MIX_AVX2})
        if (xm_path_loops(p)) paths.push_back(p);
    return paths;
}

bool same_bits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && (a.empty() || memcmp(a.data(), b.data(), sizeof(float) * a.size()) == 0);
}

TEST(XmMixer, OutputIsRoundedAndClamped) {
    const struct {
        float in;
        int16_t out;
    } cases[] = {{40000.0f, 32767}, {-40000.0f, -32768}, {1e9f, 32767},      {2.5f, 2},        {3.5f, 4},  {-1.5f, -2},
                 {-0.5f, 0},        {32767.5f, 32767},   {-32768.5f, -32768}, {1234.49f, 1234}, {-7.51f, -8}};
    // Enough values to run the vector loops and their tails.
    std::vector<float> in;
    std::vector<int16_t> want;
    for (int r = 0; r < 3; ++r)
        for (const auto& c : cases) {
            in.push_back(c.in);
            want.push_back(c.out);
        }
    for (const auto& c : cases) EXPECT_EQ(xm_clamp_sample(c.in), c.out) << c.in;
    for (xm_mix_path p : vector_paths()) {
        std::vector<int16_t> out(in.size());
        xm_path_loops(p)->convert(in.data(), out.data(), static_cast<int>(in.size()));
        EXPECT_EQ(out, want) << "path " << p;
    }
}

// Frame loops of every path against the plain ones, bit for bit, on random
// samples, steps either way up to a few samples a frame, chunk lengths that
// leave every tail, and both constant and ramping gains. The chunks reach the
// last value of a sample with only the loader's 16 spare bytes behind it.
TEST(XmMixer, VectorFrameLoopsMatchThePlainOnes) {
    std::mt19937_64 rng(5);
    constexpr uint32_t kLength = 300;
    std::vector<int16_t> sample(kLength + 8, 0);
    for (uint32_t i = 0; i < kLength; ++i) sample[i] = static_cast<int16_t>(rng());
    const int64_t steps[] = {0, 1, 0x30000000, 0x7FFFFFFF, int64_t{1} << 32, (int64_t{1} << 32) + 1,
                             0x2C0000000, 0x500000003};
    std::uniform_real_distribution<float> gain(0.0f, 1.0f);
    for (xm_mix_path p : vector_paths()) {
        const xm_frame_loops& loops = *xm_path_loops(p);
        for (int c = 0; c < 4000; ++c) {
            int64_t step = steps[c % 8];
            if (c % 16 >= 8) step = -step;
            int m = static_cast<int>(rng() % 40);
            uint64_t travel = static_cast<uint64_t>(step < 0 ? -step : step) * (m > 0 ? m - 1 : 0);
            uint64_t room = (uint64_t{kLength} << 32) - travel;
            uint64_t offset = c % 3 ? rng() % room : room - 1 - rng() % 4;  // often right at the end
            int64_t pos = static_cast<int64_t>(step < 0 ? offset + travel : offset);
            std::vector<float> gains(2 * m);
            for (float& g : gains) g = gain(rng);
            float lg = gain(rng), rg = gain(rng);
            std::vector<float> want(2 * m), got(2 * m);
            for (int i = 0; i < 2 * m; ++i) want[i] = got[i] = static_cast<float>(rng() % 2000) - 1000.0f;
            std::vector<float> want_ramp = want, got_ramp = got;
            SCOPED_TRACE("path " + std::to_string(p) + ", case " + std::to_string(c));
            ASSERT_EQ(loops.mix(sample.data(), got.data(), m, pos, step, lg, rg),
                      xm_scalar_loops.mix(sample.data(), want.data(), m, pos, step, lg, rg));
            ASSERT_TRUE(same_bits(got, want));
            ASSERT_EQ(loops.mix_ramp(sample.data(), got_ramp.data(), m, pos, step, gains.data()),
                      xm_scalar_loops.mix_ramp(sample.data(), want_ramp.data(), m, pos, step, gains.data()));
            ASSERT_TRUE(same_bits(got_ramp, want_ramp));
        }
    }
}

// Voice 0 plays a hand-made sample at full gain: the left output of the
// first frames, and where the voice stands after all of them.
TEST(XmMixer, SamplesPlayThroughTheirLoops) {
    constexpr int kStopped = -1;
    const struct {
        const char* what;
        std::vector<int16_t> values;
        uint8_t mode;
        uint32_t loop_start, loop_length, start;
        uint64_t step;
        int gain, frames;
        std::vector<float> left;
        int end;
    } cases[] = {
        {"no loop: the voice stops after its last frame", {100, 200, 300, 400, 500, 600, 700, 800, 900, 1000},
         XM_LOOP_NONE, 0, 0, 0, kOne, 255, 16, {100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 0, 0}, kStopped},
        {"half steps interpolate", {0, 1000, 2000, 3000}, XM_LOOP_NONE, 0, 0, 0, kOne / 2, 255, 4,
         {0, 500, 1000, 1500}, 2},
        {"forward loop", {0, 1, 2, 3, 4, 5, 6, 7}, XM_LOOP_FORWARD, 2, 4, 0, kOne, 255, 12,
         {0, 1, 2, 3, 4, 5, 2, 3, 4, 5, 2, 3}, 4},
        {"ping-pong loop", {0, 10, 20, 30, 40, 50, 60, 70}, XM_LOOP_PINGPONG, 2, 4, 0, kOne, 255, 12,
         {0, 10, 20, 30, 40, 50, 50, 50, 40, 30, 20, 30}, 4},
        {"a ping-pong loop of one frame holds its value", {10, 20, 30, 40, 50}, XM_LOOP_PINGPONG, 3, 1, 3,
         kOne * 7 / 10, 255, 500, std::vector<float>(500, 40), 3},
        {"a silent voice still advances", std::vector<int16_t>(1000, 5), XM_LOOP_FORWARD, 0, 1000, 0, 2 * kOne, 0, 100,
         std::vector<float>(100, 0), 200},
        {"a step with low fraction bits keeps looping", {1, 2, 3, 4, 5, 6, 7, 8}, XM_LOOP_FORWARD, 0, 8, 0,
         3 * kOne + 0xFF, 255, 20 * XM_BLOCK_FRAMES, {1, 4, 7, 2}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test_sample t(c.values, c.mode, c.loop_start, c.loop_length);
        mix_voice& v = play(t, c.step, c.gain);
        v.position = c.start;
        std::vector<float> out(2 * c.frames, 0.0f);
        xm_mix(out.data(), c.frames);
        for (size_t i = 0; i < c.left.size(); ++i) {
            ASSERT_NEAR(out[2 * i], c.left[i], 0.01f) << "frame " << i;
            ASSERT_EQ(out[2 * i + 1], out[2 * i]) << "frame " << i;
        }
        EXPECT_EQ(v.sample ? static_cast<int>(v.position) : kStopped, c.end);
    }
}

// The mixer folds a position that left a ping-pong loop in one step; it must
// land where reflecting at each end in turn, frame by frame, would.
TEST(XmMixer, PingPongFoldMatchesReflectingFrameByFrame) {
    std::mt19937_64 rng(11);
    test_sample t(std::vector<int16_t>(64, 0), XM_LOOP_PINGPONG, 0, 1);
    for (int i = 0; i < 3000; ++i) {
        uint32_t loop_start = static_cast<uint32_t>(rng() % 20), loop_length = static_cast<uint32_t>(rng() % 30 + 1);
        t.s.loop_start = loop_start;
        t.s.loop_length = loop_length;
        // Ordinary steps below one frame up to steps a hundred loops long.
        uint64_t step = i % 2 ? rng() % (2 * kOne) + 1 : rng() % (kOne * 100 * loop_length) + 1;
        mix_voice& v = play(t, step);
        int64_t start = static_cast<int64_t>(loop_start) << 32, end = start + (static_cast<int64_t>(loop_length) << 32);
        int64_t pos = start + static_cast<int64_t>(rng() % static_cast<uint64_t>(end - start));
        bool forward = rng() % 2;
        v.position = static_cast<uint32_t>(static_cast<uint64_t>(pos) >> 32);
        v.fraction = static_cast<uint32_t>(pos);
        v.direction = forward ? 1 : 2;
        int frames = static_cast<int>(rng() % 40 + 1);
        for (int f = 0; f < frames; ++f) {
            pos += forward ? static_cast<int64_t>(step) : -static_cast<int64_t>(step);
            while (pos >= end || pos < start) {
                forward = pos < start;
                pos = forward ? 2 * start - pos - 1 : 2 * end - pos - 1;
            }
        }
        std::vector<float> out(2 * frames, 0.0f);
        xm_mix(out.data(), frames);
        ASSERT_EQ((static_cast<uint64_t>(v.position) << 32 | v.fraction), static_cast<uint64_t>(pos)) << "case " << i;
        ASSERT_EQ(v.direction, forward ? 1 : 2) << "case " << i;
    }
}

// 32 voices on one-frame loops, at a note wrapped far above the table, step
// about a thousand loop lengths per frame; a ping-pong loop must not cost
// more than a forward loop does.
TEST(XmMixer, PingPongLoopCostsNoMoreThanAForwardLoop) {
    auto cpu_seconds = [](uint8_t loop_type) {
        xm_build b;
        b.channels = 32;
        b.flags = 1;
        b.pattern(64);
        xm_build_sample s = square_sample(16, false);
        s.type = loop_type;
        s.loop_start = 4;
        s.loop_length = 1;
        s.relative_note = 100;
        b.instrument(s);
        for (int c = 0; c < b.channels; ++c) b.set(0, 0, c, 96, 1);
        song_ptr song = start_song(b.bytes());
        EXPECT_TRUE(song) << "the module does not load";
        if (!song) return 0.0;
        timespec t0{}, t1{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t0);
        for (int blk = 0; blk < 100; ++blk) xm_render_block();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t1);
        EXPECT_GT(xm_mixer.voices[0].step_integer, 500u);
        return static_cast<double>(t1.tv_sec - t0.tv_sec) + (t1.tv_nsec - t0.tv_nsec) * 1e-9;
    };
    double forward = cpu_seconds(1), pingpong = cpu_seconds(2);
    EXPECT_LT(pingpong, 3 * forward) << pingpong << " s against " << forward << " s";
}

TEST(XmMixer, BlocksCallTicksAcrossTheirEdges) {
    song_ptr s = start_song(busy_module(4, 2).bytes());
    ASSERT_TRUE(s);
    xm_render_block();
    EXPECT_EQ(s->samples_left_in_tick, 880) << "882-frame ticks in an 884-frame block";
    EXPECT_EQ(s->milliseconds, 19u);
    EXPECT_EQ(xm_mixer.position_table[0].milliseconds.load(), 19u);
    for (int i = 1; i < 441; ++i) xm_render_block();
    EXPECT_EQ(xm_mixer.fill_index, 441 % XM_BLOCK_COUNT);
    const xm_block_position& last = xm_mixer.position_table[(441 + XM_BLOCK_COUNT - 1) % XM_BLOCK_COUNT];
    EXPECT_EQ(last.order.load(), s->order);
    EXPECT_EQ(last.row.load(), s->row);
}

}  // namespace
