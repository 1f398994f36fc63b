// What the intro sounds like, pinned: 60 s of the intro image rendered through the
// engine (44,100 Hz, 16-bit stereo, as the host and sc68render play it), summed up
// by the CRC-32 of its little-endian PCM bytes. A change to what is heard fails
// here until it is made on purpose: the test leaves the checksums it computed in
// golden_renders.txt in its working directory, to be copied over
// tests/intro/golden_renders.txt (README).
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/sc68/engine/sc68_builder.h"

namespace {

const char kGoldenFile[] = "golden_renders.txt";
const char kImage[] = "issue/intro/intro.sc68";
constexpr int kSeconds = 60;
constexpr int kChunkFrames = 4410;

// CRC-32 of the first 60 s of the image's default track; empty when it does not play.
std::string render_checksum(const bytes& image) {
    api68_t* api = start_engine();
    if (!api) return {};
    bool ok = !image.empty() && api68_load_mem(api, image.data(), static_cast<int>(image.size())) == 0;
    std::string sum = ok ? render_crc(api, kSeconds * API68_RATE, kChunkFrames) : "";
    api68_shutdown(api);
    return sum;
}

}  // namespace

TEST(IntroGolden, RendersMatchTheCommittedChecksums) {
    // The engine keeps its configuration here, not in the user's home.
    std::filesystem::create_directories("golden_home");
    setenv("SC68_HOME", "golden_home", 1);
    const std::string sum = render_checksum(source_file(kImage));
    EXPECT_FALSE(sum.empty()) << kImage << ": " << (SC68error_peek() ? SC68error_peek() : "does not play");
    const std::string computed = std::string(kImage) + " " + sum + "\n";
    std::ofstream(kGoldenFile) << computed;
    const bytes committed = source_file(std::string("tests/intro/") + kGoldenFile);
    EXPECT_EQ(std::string(committed.begin(), committed.end()), computed)
        << "if the change in sound is meant, copy " << kGoldenFile << " from the test's directory over tests/intro/" << kGoldenFile;
}
