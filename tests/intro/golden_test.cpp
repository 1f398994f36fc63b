// What the intro sounds like, pinned: 60 s of each listed image rendered through
// the engine must give the committed CRC-32 of its 16-bit output, so that any
// change to what is heard is a visible decision. After a deliberate change:
//   KELVARIN_UPDATE_GOLDEN=1 build/tests/intro/intro_image_test --gtest_filter='IntroGolden.*'
// rewrites tests/intro/golden_renders.txt.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "sc68/api68.h"

namespace {

const std::string source_dir = KELVARIN_SOURCE_DIR;
const std::string golden_path = source_dir + "/tests/intro/golden_renders.txt";
constexpr int seconds = 60;
constexpr int chunk_frames = 4410;

void* test_alloc(unsigned n) { return std::malloc(n); }
void test_free(void* p) { std::free(p); }

// CRC-32 of the little-endian 16-bit stereo frames of the first 60 s; empty on failure.
std::string render_checksum(const std::string& path) {
    std::ifstream in(source_dir + "/" + path, std::ios::binary);
    std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    api68_init_t init{};
    init.alloc = test_alloc;
    init.free = test_free;
    api68_t* api = api68_init(&init);
    if (!api) return {};
    std::string result;
    if (!image.empty() && api68_load_mem(api, image.data(), static_cast<int>(image.size())) == 0) {
        uLong crc = crc32(0, nullptr, 0);
        std::vector<uint32_t> frames(chunk_frames);
        std::vector<uint8_t> bytes(chunk_frames * 4);
        bool ok = true;
        for (int done = 0; ok && done < seconds * API68_RATE; done += chunk_frames) {
            ok = api68_process(api, frames.data(), chunk_frames) >= 0;
            for (int i = 0; i < chunk_frames; ++i)
                for (int b = 0; b < 4; ++b) bytes[4 * i + b] = static_cast<uint8_t>(frames[i] >> (8 * b));
            crc = crc32(crc, bytes.data(), static_cast<uInt>(bytes.size()));
        }
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08lx", crc);
        if (ok) result = hex;
    }
    api68_shutdown(api);
    return result;
}

}  // namespace

TEST(IntroGolden, SixtySecondsOfEachImageGiveTheCommittedChecksum) {
    // The engine keeps its configuration here, not in the user's home.
    std::filesystem::create_directories("golden_home");
    setenv("SC68_HOME", "golden_home", 1);
    std::ifstream in(golden_path);
    std::vector<std::pair<std::string, std::string>> lines;
    for (std::string name, sum; in >> name >> sum;) lines.emplace_back(name, sum);
    ASSERT_FALSE(lines.empty()) << golden_path;

    const char* update = std::getenv("KELVARIN_UPDATE_GOLDEN");
    std::ostringstream rewritten;
    for (const auto& [name, sum] : lines) {
        const std::string got = render_checksum(name);
        ASSERT_FALSE(got.empty()) << name << ": " << (SC68error_peek() ? SC68error_peek() : "no render");
        if (update && *update) rewritten << name << " " << got << "\n";
        else EXPECT_EQ(got, sum) << name << " sounds different (see the head of golden_test.cpp)";
    }
    if (update && *update) std::ofstream(golden_path) << rewritten.str();
}
