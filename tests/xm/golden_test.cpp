// What the player makes, pinned: the CRC-32 of 60 s of each magazine tune and of
// every loadable module of the XM fuzz corpus, rendered as xmrender renders them,
// the same bit for bit on every mixer path the CPU has. A change meant to be heard
// is taken by copying the golden_renders.txt the test leaves behind (README).
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tests/read_file.h"
#include "tests/xm/xm_builder.h"

namespace {

constexpr long kFrames = 60L * XM_OUTPUT_RATE;
const std::string source_dir = KELVARIN_SOURCE_DIR;
const char kCorpus[] = "tests/fuzz/xm_load/corpus";
const char kGoldenFile[] = "golden_renders.txt";

// The tunes, then the corpus in name order.
std::vector<std::string> inputs() {
    std::vector<std::string> names;
    for (int n = 1; n <= 4; ++n) names.push_back("issue/tunes/tune" + std::to_string(n) + ".xm");
    for (const auto& entry : std::filesystem::directory_iterator(source_dir + "/" + kCorpus))
        if (entry.is_regular_file()) names.push_back(std::string(kCorpus) + "/" + entry.path().filename().string());
    std::sort(names.begin() + 4, names.end());
    return names;
}

// CRC-32 of the module's first 60 s as little-endian PCM, as in a WAV file's
// data; nothing when the module does not load.
std::optional<uint32_t> render_checksum(const std::string& bytes, xm_mix_path path) {
    xm_mixer.mix_path = path;
    mem_source = {reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<uint32_t>(bytes.size())};
    xm_set_file_callbacks(mem_open, mem_close, mem_read, mem_seek, mem_tell);
    xm_song* song = xm_load_song(nullptr, nullptr);
    if (!song) return std::nullopt;
    EXPECT_TRUE(xm_render_start(song));
    uLong crc = crc32(0, nullptr, 0);
    uint8_t pcm[XM_BLOCK_FRAMES * 4];
    for (long left = kFrames; left > 0; left -= XM_BLOCK_FRAMES) {
        const int16_t* block = xm_render_block();
        int n = static_cast<int>(std::min<long>(left, XM_BLOCK_FRAMES));
        for (int i = 0; i < 2 * n; ++i) {
            pcm[2 * i] = static_cast<uint8_t>(block[i]);
            pcm[2 * i + 1] = static_cast<uint8_t>(static_cast<uint16_t>(block[i]) >> 8);
        }
        crc = crc32(crc, pcm, static_cast<uInt>(4 * n));
    }
    xm_free_song(song);
    xm_mixer.mix_path = XM_MIX_BEST;
    return static_cast<uint32_t>(crc);
}

}  // namespace

TEST(XmGolden, RendersMatchTheCommittedChecksums) {
    std::string computed;
    for (const std::string& name : inputs()) {
        std::string bytes = read_file(source_dir + "/" + name);
        std::optional<uint32_t> crc = render_checksum(bytes, XM_MIX_SCALAR);
        for (xm_mix_path p : {XM_MIX_SSE2, XM_MIX_AVX2})  // those the CPU has
            EXPECT_TRUE(!xm_path_loops(p) || render_checksum(bytes, p) == crc) << name << " differs on path " << p;
        if (!crc) continue;
        char sum[9];
        std::snprintf(sum, sizeof sum, "%08x", *crc);
        computed += name + " " + sum + "\n";
    }
    std::ofstream(kGoldenFile) << computed;
    // The 8- and 32-channel modules of xm_bench are in the corpus, so that what it measures is pinned too.
    for (int channels : {8, 32}) {
        std::vector<uint8_t> made = busy_module(channels, 8).bytes();
        EXPECT_EQ(read_file(source_dir + "/" + kCorpus + "/busy" + std::to_string(channels) + ".xm"),
                  std::string(made.begin(), made.end()));
    }
    // gtest prints the lines that differ: a changed sum, a module that no longer loads or one new.
    EXPECT_EQ(read_file(source_dir + "/tests/xm/" + kGoldenFile), computed)
        << "if the change in sound is meant, copy " << kGoldenFile << " from the test's directory over tests/xm/"
        << kGoldenFile;
}
