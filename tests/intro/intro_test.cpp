// The intro's SC68 image: its chunk list, the replay's entry points, the tune data the
// replay walks, and that the committed bytes come back from their sources.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include "issue/intro/intro.h"
#include "tools/composer/score.h"
#include "tools/sc68pack/pack.h"

namespace {

const std::string source_dir = KELVARIN_SOURCE_DIR;
const std::string intro_dir = source_dir + "/issue/intro/";

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | static_cast<uint32_t>(b.at(at + 3)) << 24;
}

uint32_t be16(const std::vector<uint8_t>& b, size_t at) { return b.at(at) << 8 | b.at(at + 1); }
uint32_t be32(const std::vector<uint8_t>& b, size_t at) { return be16(b, at) << 16 | be16(b, at + 2); }

struct Chunk {
    std::string id;
    std::vector<uint8_t> payload;
    std::string text() const { return std::string(payload.begin(), payload.end() - (payload.empty() ? 0 : 1)); }
};

std::vector<Chunk> chunks_of(const std::vector<uint8_t>& file) {
    std::vector<Chunk> out;
    size_t at = 64;
    while (at + 8 <= file.size()) {
        Chunk c;
        c.id.assign(file.begin() + at, file.begin() + at + 4);
        uint32_t size = le32(file, at + 4);
        EXPECT_LE(at + 8 + size, file.size()) << c.id;
        if (at + 8 + size > file.size()) break;
        c.payload.assign(file.begin() + at + 8, file.begin() + at + 8 + size);
        out.push_back(c);
        at += 8 + size;
    }
    EXPECT_EQ(at, file.size());
    return out;
}

const std::vector<uint8_t>& image() {
    static const std::vector<uint8_t> bytes = read_file(intro_dir + "intro.sc68");
    return bytes;
}

std::vector<uint8_t> data_chunk() {
    for (const Chunk& c : chunks_of(image()))
        if (c.id == "SCDA") return c.payload;
    return {};
}

composer::XmModule small_module(const std::string& line, const std::string& head = "bpm 125\n") {
    return composer::compile_score(head +
                                   "inst 1 t wave=pulse rel=24 loop=1 length=0.01\n"
                                   "pattern p rows=4\n" + line + "\norder p\n");
}

}  // namespace

TEST(IntroImage, CarriesTheChunkListOfAnAmigaTrack) {
    const std::vector<uint8_t>& f = image();
    ASSERT_GT(f.size(), 64u);
    const char id[] = "SC68 Music-file / (c) (QuX)tomir Vallen / TorvEnK-Lab  ";
    static_assert(sizeof id == 56);
    EXPECT_EQ(std::memcmp(f.data(), id, 56), 0);
    EXPECT_EQ(std::string(f.begin() + 56, f.begin() + 60), "SC68");
    EXPECT_EQ(le32(f, 60), f.size() - 56);

    std::vector<Chunk> chunks = chunks_of(f);
    std::vector<std::string> ids;
    std::map<std::string, Chunk> by_id;
    for (const Chunk& c : chunks) ids.push_back(c.id), by_id[c.id] = c;
    EXPECT_EQ(ids, (std::vector<std::string>{"SCFN", "SCMU", "SCAN", "SCCN", "SCAT", "SCTI", "SCFQ", "SCTY", "SCLP",
                                             "SCDA", "SCEF"}));
    for (const char* number : {"SCAT", "SCTI", "SCFQ", "SCTY", "SCLP"}) EXPECT_EQ(by_id[number].payload.size(), 4u) << number;
    EXPECT_EQ(le32(by_id["SCAT"].payload, 0), sc68pack::load_address);
    EXPECT_EQ(le32(by_id["SCTI"].payload, 0), 0xFFFFFFFFu);
    EXPECT_EQ(le32(by_id["SCFQ"].payload, 0), 50u);
    EXPECT_EQ(le32(by_id["SCTY"].payload, 0), 4u);
    EXPECT_EQ(le32(by_id["SCLP"].payload, 0), 0xFFFFFFFFu);
    EXPECT_TRUE(by_id["SCMU"].payload.empty());
    EXPECT_TRUE(by_id["SCEF"].payload.empty());
    for (const char* text : {"SCFN", "SCAN", "SCCN"}) {
        const auto& p = by_id[text].payload;
        ASSERT_FALSE(p.empty()) << text;
        EXPECT_EQ(p.back(), 0) << text;
        EXPECT_EQ(std::count(p.begin(), p.end(), 0), 1) << text;
    }
    EXPECT_EQ(by_id["SCAN"].text(), "Drift");
    EXPECT_NE(by_id["SCCN"].text().find("Drift"), std::string::npos);
    EXPECT_NE(by_id["SCFN"].text().find("Kelvarin"), std::string::npos);
}

TEST(IntroImage, DataBeginsWithTheReplayAndItsThreeEntryBranches) {
    std::vector<uint8_t> replay = read_file(intro_dir + "replay.bin");
    std::vector<uint8_t> data = data_chunk();
    ASSERT_GE(data.size(), replay.size());
    EXPECT_TRUE(std::equal(replay.begin(), replay.end(), data.begin()));
    for (int entry = 0; entry < 3; ++entry) {
        size_t at = 4 * entry;
        EXPECT_EQ(be16(data, at), 0x6000u) << "entry " << entry << " is not bra.w";
        uint32_t target = at + 2 + static_cast<int16_t>(be16(data, at + 2));
        EXPECT_GE(target, 12u);
        EXPECT_LT(target, replay.size());
    }
}

TEST(IntroImage, TuneDataStaysInsideTheImageAndLastsOverAMinute) {
    std::vector<uint8_t> data = data_chunk();
    const uint32_t base = sc68pack::load_address;
    const uint32_t tune = static_cast<uint32_t>(read_file(intro_dir + "replay.bin").size());
    const uint32_t end = base + static_cast<uint32_t>(data.size());
    auto offset = [&](uint32_t address) {
        EXPECT_GE(address, base + tune);
        EXPECT_LT(address, end);
        return address - base;
    };
    uint32_t speed = be16(data, tune), length = be16(data, tune + 2), restart = be16(data, tune + 4);
    uint32_t rows = be16(data, tune + 6);
    uint32_t orders = offset(be32(data, tune + 8)), patterns = offset(be32(data, tune + 12));
    uint32_t instruments = offset(be32(data, tune + 16)), periods = offset(be32(data, tune + 20));
    uint32_t silence = offset(be32(data, tune + 24));
    EXPECT_LT(restart, length);
    EXPECT_EQ(be32(data, silence), 0u);
    // Frames per row x rows x orders at 50 frames per second.
    EXPECT_GE(speed * rows * length, 60u * 50u);

    int instrument_count = static_cast<int>((periods - instruments) / sc68pack::instrument_entry_size);
    for (int i = 0; i < instrument_count; ++i) {
        uint32_t e = instruments + i * sc68pack::instrument_entry_size;
        uint32_t start = offset(be32(data, e)), loop = offset(be32(data, e + 8));
        EXPECT_LE(start + 2 * be16(data, e + 4), data.size()) << "instrument " << i + 1;
        EXPECT_LE(loop + 2 * be16(data, e + 12), data.size()) << "instrument " << i + 1;
        EXPECT_LE(be16(data, e + 6), 64u);
    }
    bool voice_used[4] = {};
    uint32_t pattern_count = (be32(data, tune + 12) == 0) ? 0 : (offset(be32(data, patterns)) - patterns) / 4;
    for (uint32_t o = 0; o < length; ++o) {
        uint32_t p = data.at(orders + o);
        ASSERT_LT(p, pattern_count);
        uint32_t cells = offset(be32(data, patterns + 4 * p));
        for (uint32_t k = 0; k < rows * 4; ++k) {
            const uint8_t* c = &data.at(cells + k * sc68pack::cell_size);
            if (c[0] == 0 || c[0] == 255) continue;
            voice_used[k % 4] = true;
            EXPECT_LE(c[1], instrument_count);
            EXPECT_LT(c[0] + std::max(c[3] >> 4, c[3] & 15), sc68pack::period_count);
            EXPECT_TRUE(c[2] == 255 || c[2] <= 64);
        }
    }
    for (int v = 0; v < 4; ++v) EXPECT_TRUE(voice_used[v]) << "voice " << v;
    // Period 428 plays the C-4 rate, 8363 Hz, as on the magazine's tracker tunes.
    EXPECT_EQ(be16(data, periods + 2 * 48), 428u);
}

TEST(IntroImage, ComesBackByteForByteFromItsSources) {
    std::string out = "regenerated_intro.sc68";
    std::string command = std::string(SC68PACK_PATH) + " " + intro_dir + "replay.bin " + intro_dir + "intro.score " + out;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_TRUE(read_file(out) == image());

    const unsigned char* embedded = intro_sc68;
    ASSERT_EQ(intro_sc68_size, image().size());
    EXPECT_TRUE(std::equal(image().begin(), image().end(), embedded));
}

TEST(IntroImage, ReplayBytesAreTheAssembledSource) {
    if (std::system("m68k-linux-gnu-as --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no m68k assembler";
    std::string command = "m68k-linux-gnu-as -m68000 -o replay.o " + intro_dir +
                          "replay.s && m68k-linux-gnu-objcopy -O binary replay.o replay_assembled.bin";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_TRUE(read_file("replay_assembled.bin") == read_file(intro_dir + "replay.bin"));
}

TEST(IntroPacker, RefusesWhatTheReplayCannotPlay) {
    const uint32_t at = 0x10200;
    EXPECT_NO_THROW(sc68pack::pack_tune(small_module("1 @t c4&047 .v20 ="), at));
    EXPECT_THROW(sc68pack::pack_tune(small_module("1 @t c4!A01"), at), sc68pack::PackError);    // volume slide
    EXPECT_THROW(sc68pack::pack_tune(small_module("1 @t c4v20 .!F03"), at), sc68pack::PackError);
    // B-7 two octaves up is note 119; the period table ends at 127.
    EXPECT_NO_THROW(sc68pack::pack_tune(small_module("1 @t b7&088"), at));
    EXPECT_THROW(sc68pack::pack_tune(small_module("1 @t b7&099"), at), sc68pack::PackError);
    EXPECT_THROW(sc68pack::pack_tune(small_module("1 @t b7 .&099"), at), sc68pack::PackError);  // on a held row
    EXPECT_THROW(sc68pack::pack_tune(small_module("1 @t c4", "bpm 150\n"), at), sc68pack::PackError);
    EXPECT_THROW(sc68pack::pack_tune(small_module("1 @t c4", "bpm 125\nchannels 3\n"), at), sc68pack::PackError);
    EXPECT_THROW(sc68pack::pack_tune(small_module("1 @t c4"), at + 1), sc68pack::PackError);
}

TEST(IntroPacker, LaysCellsOutAsTheReplayReadsThem) {
    composer::XmModule m = small_module("1 @t c4&047 .v20 = d4v10");
    std::vector<uint8_t> t = sc68pack::pack_tune(m, 0x10200);
    uint32_t cells = be32(t, 28 + 2) - 0x10200;  // first pattern, behind the one-entry order table
    const int relative = m.instruments[0].samples[0].relative_note;
    EXPECT_EQ(t[cells + 0], 48 + relative);  // C-4 moved by the sound's relative note
    EXPECT_EQ(t[cells + 1], 1);
    EXPECT_EQ(t[cells + 2], 255);           // no volume: the instrument's own
    EXPECT_EQ(t[cells + 3], 0x47);
    EXPECT_EQ(t[cells + 16 + 0], 0);        // row 1: volume only
    EXPECT_EQ(t[cells + 16 + 2], 20);
    EXPECT_EQ(t[cells + 32 + 0], 255);      // key off silences the voice
    EXPECT_EQ(t[cells + 48 + 0], 50 + relative);
    EXPECT_EQ(t[cells + 48 + 2], 10);
}
