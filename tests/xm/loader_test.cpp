#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

#include "tests/xm/xm_builder.h"

namespace {

song_ptr load(const xm_build& b) { return song_ptr(load_xm_bytes(b.bytes())); }

xm_build one_pattern_module() {
    xm_build b;
    b.pattern(4);
    b.set(0, 0, 0, 49, 1);
    b.set(0, 2, 2, 50, 200);
    b.set(0, 3, 3, 120, 2);
    b.instrument(square_sample(32, true));
    return b;
}

TEST(XmLoader, RejectsWrongSignatureAndMissingSource) {
    std::vector<uint8_t> bytes = one_pattern_module().bytes();
    bytes[9] = 'm';
    EXPECT_EQ(load_xm_bytes(bytes), nullptr);
    xm_set_file_callbacks(mem_open, mem_close, nullptr, mem_seek, mem_tell);
    EXPECT_EQ(xm_callbacks.open, nullptr) << "a missing routine clears every slot";
    EXPECT_EQ(xm_load_song(nullptr, nullptr), nullptr);
    EXPECT_FALSE(xm_free_song(nullptr));
}

// Values that would lead playback out of the order, pattern, channel or
// sample tables are refused; the largest the tables hold are taken.
TEST(XmLoader, HeaderRangesAtTheirLimits) {
    const struct {
        const char* change;
        std::function<void(xm_build&)> apply;
        bool loads;
    } cases[] = {
        {"song length 0", [](xm_build& b) { b.song_length = 0; }, false},
        {"song length 256", [](xm_build& b) { b.song_length = 256; }, true},
        {"song length 257", [](xm_build& b) { b.song_length = 257; }, false},
        {"32 channels", [](xm_build& b) { b.channels = 32; b.patterns[0].cells.resize(4 * 32 * 5); }, true},
        {"33 channels", [](xm_build& b) { b.channels = 33; b.patterns[0].cells.resize(4 * 33 * 5); }, false},
        {"16 samples", [](xm_build& b) { b.instruments[0].samples.resize(16, square_sample(8, false)); }, true},
        {"17 samples", [](xm_build& b) { b.instruments[0].samples.resize(17, square_sample(8, false)); }, false},
        {"a pattern of 256 rows", [](xm_build& b) { b.pattern(256); }, true},
        {"a pattern of 257 rows", [](xm_build& b) { b.pattern(257); }, false},
    };
    for (const auto& c : cases) {
        xm_build b = one_pattern_module();
        c.apply(b);
        EXPECT_EQ(load(b) != nullptr, c.loads) << c.change;
    }
}

// A module cut inside its last instrument's sample data loads with the
// missing values silent; cut anywhere before, it is refused. Whole, its
// delta-coded values come back, 8-bit ones widened.
TEST(XmLoader, CutSampleDataLoadsAsSilenceCutHeadersAreRefused) {
    xm_build b = one_pattern_module();
    xm_build_sample narrow, wide;
    narrow.values = {1, 2, 3, -1, 127, -128, 127, 8, 9, 10};
    wide.sixteen = true;
    wide.values = {1000, -2000, 32767, -32768, 5000, -6000};
    b.instruments.push_back({});
    b.instruments.back().samples = {narrow, wide};
    std::vector<uint8_t> bytes = b.bytes();
    const size_t data_start = bytes.size() - 10 - 12;
    for (size_t n = 0; n < bytes.size(); ++n) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
        song_ptr s(load_xm_bytes(cut));
        ASSERT_EQ(s != nullptr, n >= data_start) << "cut to " << n << " of " << bytes.size() << " bytes";
        if (!s) continue;
        EXPECT_EQ(s->missing_sample_bytes, bytes.size() - n);
        const xm_sample* a = s->instruments[1].samples[0];
        const xm_sample* w = s->instruments[1].samples[1];
        ASSERT_EQ(a->length, 10u);
        ASSERT_EQ(w->length, 6u);
        size_t narrow_present = std::min<size_t>(n - data_start, 10);
        size_t wide_present = (n - data_start - narrow_present) / 2;
        for (size_t j = 0; j < 10; ++j) ASSERT_EQ(a->data[j], j < narrow_present ? narrow.values[j] * 256 : 0) << n;
        for (size_t j = 0; j < 6; ++j) ASSERT_EQ(w->data[j], j < wide_present ? wide.values[j] : 0) << n;
    }
    EXPECT_EQ(load(b)->missing_sample_bytes, 0u);
}

// A source that holds the module's header bytes followed by zeros up to a
// size far beyond memory the test would want to touch.
struct sparse_source {
    std::vector<uint8_t> head;
    uint64_t size;
    uint64_t position;
} sparse;

void* sparse_open(const char*) { return &sparse; }
void sparse_close(void*) {}
uint32_t sparse_read(void* dst, uint32_t count, void*) {
    uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(count, sparse.size - sparse.position));
    for (uint32_t i = 0; i < n; ++i, ++sparse.position)
        static_cast<uint8_t*>(dst)[i] = sparse.position < sparse.head.size() ? sparse.head[sparse.position] : 0;
    return n;
}
void sparse_seek(void*, int32_t offset, int mode) {
    int64_t base = mode == 0 ? 0 : mode == 1 ? static_cast<int64_t>(sparse.position) : static_cast<int64_t>(sparse.size);
    sparse.position = static_cast<uint64_t>(std::clamp<int64_t>(base + offset, 0, static_cast<int64_t>(sparse.size)));
}
uint32_t sparse_tell(void*) { return static_cast<uint32_t>(sparse.position); }

// Bytes of a 16-bit sample are counted in 64 bits: 2^28 values and more
// would wrap a 32-bit count.
TEST(XmLoader, SampleOfMoreThanHalfAGigabyteIsCountedWhole) {
    xm_build b;
    b.pattern(1).empty_packing = true;
    xm_build_sample wide;
    wide.sixteen = true;
    wide.values = {1};
    xm_build_sample after;
    after.values = {1, 2, 3, 4};
    b.instrument(wide).samples.push_back(after);
    sparse.head = b.bytes();
    const size_t length_field = 60 + 276 + 9 + 263;
    const uint32_t wide_bytes = (1u << 29) + 64;
    for (int i = 0; i < 4; ++i) sparse.head[length_field + i] = static_cast<uint8_t>(wide_bytes >> (8 * i));
    sparse.size = sparse.head.size() - 6 + wide_bytes + 4;
    sparse.position = 0;
    static std::vector<uint32_t> counted;
    counted.clear();
    auto hook = [](void*, uint32_t bytes, int, int, int) { counted.push_back(bytes); };
    xm_set_file_callbacks(sparse_open, sparse_close, sparse_read, sparse_seek, sparse_tell);
    song_ptr s(xm_load_song(nullptr, hook));
    ASSERT_TRUE(s);
    EXPECT_EQ(counted, (std::vector<uint32_t>{wide_bytes, 4}));
    EXPECT_EQ(s->instruments[0].samples[0]->length, wide_bytes / 2);
    EXPECT_EQ(s->missing_sample_bytes, 0u);
}

// Values that would lead playback out of the song are mended: a restart at the
// song's end, envelope loops and sustain points beyond the points, instruments
// above 128 and notes above 97 in cells. Patterns the orders name but the file
// lacks, patterns of 0 rows and patterns packed into 0 bytes play as empty rows.
TEST(XmLoader, OutOfRangeValuesAndMissingPatternsAreMended) {
    xm_build b = one_pattern_module();
    b.pattern(4).empty_packing = true;
    b.pattern(0);
    b.orders = {0, 5, 1, 2};
    b.song_length = 4;
    b.restart = 4;
    xm_build_instrument& ins = b.instruments[0];
    ins.volume_points = 15;
    ins.volume_type = XM_ENV_ON | XM_ENV_LOOP | XM_ENV_SUSTAIN;
    ins.volume_loop_start = 2;
    ins.volume_loop_end = 13;
    ins.volume_sustain = 20;
    ins.volume_envelope[1] = 300;
    ins.panning_points = 3;
    ins.panning_type = XM_ENV_ON | XM_ENV_LOOP | XM_ENV_SUSTAIN;
    ins.panning_loop_end = 2;
    ins.panning_sustain = 1;
    song_ptr s = load(b);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->restart_position, 0);
    const uint8_t* c = s->patterns[0].cells;
    EXPECT_EQ(std::vector<uint8_t>(c + 50, c + 55), (std::vector<uint8_t>{50, 0, 0, 0, 0})) << "row 2, channel 2";
    EXPECT_EQ(std::vector<uint8_t>(c + 75, c + 80), (std::vector<uint8_t>{0, 2, 0, 0, 0})) << "row 3, channel 3";
    EXPECT_EQ(std::make_tuple(s->used_pattern_count, s->pattern_table_size), std::make_tuple(6, 6));
    for (int p = 1; p < 6; ++p) {
        ASSERT_EQ(s->patterns[p].rows, p == 1 ? 4u : 64u);
        for (uint32_t i = 0; i < s->patterns[p].rows * 4 * 5; ++i) ASSERT_EQ(s->patterns[p].cells[i], 0);
    }
    const xm_instrument& i = s->instruments[0];
    EXPECT_EQ(i.sample_count, 1u) << "the instruments follow right after the patterns";
    EXPECT_EQ(i.volume_points, XM_ENVELOPE_POINTS);
    EXPECT_EQ(i.volume_type, XM_ENV_ON) << "loop and sustain beyond the points are dropped";
    EXPECT_EQ(i.volume_envelope[0].y, 64);
    EXPECT_EQ(i.panning_type, XM_ENV_ON | XM_ENV_LOOP | XM_ENV_SUSTAIN);
    EXPECT_EQ(i.panning_sustain, 1);
    b.instruments[0].panning_points = 1;
    EXPECT_EQ(load(b)->instruments[0].panning_type, 0) << "one point is no envelope";
}

// Loops kept inside the sample, loop fields of a sample without a loop ignored,
// and one spare value behind each loop so the mixer can interpolate across it.
TEST(XmLoader, SamplesLoopsAndGuardValues) {
    xm_build b = one_pattern_module();
    xm_build_sample fwd;
    for (int i = 0; i < 10; ++i) fwd.values.push_back(static_cast<int16_t>(i * 10));
    fwd.type = 1;
    fwd.loop_start = 2;
    fwd.loop_length = 4;
    xm_build_sample both = fwd, empty_loop = fwd, outside = fwd, unlooped = fwd;
    both.type = 3;
    unlooped.type = 0;
    empty_loop.loop_length = 0;
    outside.loop_start = 8;
    outside.loop_length = 100;
    b.instruments[0].samples = {fwd, both, empty_loop, outside, unlooped};
    song_ptr s = load(b);
    ASSERT_TRUE(s);
    xm_sample* const* k = s->instruments[0].samples;
    const struct {
        uint8_t mode;
        uint32_t loop_start, loop_length, guard_from;
    } loops[] = {{XM_LOOP_FORWARD, 2, 4, 2}, {XM_LOOP_PINGPONG, 2, 4, 5}, {XM_LOOP_NONE, 0, 10, 10},
                 {XM_LOOP_FORWARD, 8, 2, 8}, {XM_LOOP_NONE, 0, 10, 10}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(std::make_tuple(k[i]->loop_mode, k[i]->loop_start, k[i]->loop_length),
                  std::make_tuple(loops[i].mode, loops[i].loop_start, loops[i].loop_length)) << "sample " << i;
        EXPECT_EQ(k[i]->data[k[i]->loop_start + k[i]->loop_length], k[i]->data[loops[i].guard_from]) << "sample " << i;
    }
    for (int i = 5; i < XM_MAX_SAMPLES; ++i) EXPECT_EQ(k[i], &empty_sample);
}

TEST(XmLoader, InstrumentsWithoutSamplesAndSampleHook) {
    xm_build b = one_pattern_module();
    b.instruments.insert(b.instruments.begin(), xm_build_instrument{});
    static std::vector<std::vector<int>> calls;
    calls.clear();
    auto hook = [](void* dst, uint32_t bytes, int bits, int instrument, int sample) {
        calls.push_back({static_cast<int>(bytes), bits, instrument, sample});
        memset(dst, 3, bytes);
    };
    song_ptr s(load_xm_bytes(b.bytes(), hook));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->instruments[0].sample_count, 0u);
    EXPECT_EQ(calls, (std::vector<std::vector<int>>{{32, 8, 1, 0}}));
    const xm_sample* smp = s->instruments[1].samples[0];
    EXPECT_EQ(smp->data[0], 3 * 256) << "hook data is taken as plain values";
    EXPECT_EQ(smp->data[31], 3 * 256);
}

}  // namespace
