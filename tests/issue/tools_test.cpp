// The issue's build tools on bad input, and the preview's colours. What the tools make from
// the issue's sources is pinned byte for byte by the regeneration check (regenerate.cmake).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/chartgen/charts.h"
#include "tools/chartgen/layout.h"
#include "tools/doccompile/compile.h"
#include "tools/docpreview/render.h"
#include "tools/common/pcf.h"

namespace {

namespace fs = std::filesystem;

// A scratch folder of its own for each test that writes files.
struct Scratch {
    fs::path dir = fs::temp_directory_path() /
                   ("kelvarin_tools_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    Scratch() { fs::create_directories(dir); }
    ~Scratch() { fs::remove_all(dir); }
    std::string write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).string();
    }
};

TEST(PageCompiler, FaultsNameFileAndLine)
{
    const struct {
        std::string source, error;
    } cases[] = {
        {"ok\n" + std::string(81, 'x') + "\n", "t.txt:2: line has 81 characters, at most 80 fit"},
        {"a\nb\n{cW}c\n", "t.txt:3: unknown colour 'W'"},
        {"{ca}c\n", "t.txt:1: unknown colour 'a'"},
        {"{cEE}c\n", "t.txt:1: unknown colour 'EE'"},
        {"{s3}c\n", "t.txt:1: unknown style '3'"},
        {"x{r8}\n", "t.txt:1: a rule tag must open its line"},
        {"{r9}\n", "t.txt:1: unknown rule kind (use {r0} ... {r8})"},
        {"{cE\n", "t.txt:1: unterminated tag '{cE'"},
        {"{q}\n", "t.txt:1: unknown tag '{q}'"},
        {"price 5€\n", "t.txt:1: character U+20AC is not in code page 437"},
        {"tab\there\n", "t.txt:1: character U+0009 is not in code page 437"},
        {"bad \xC3\n", "t.txt:1: malformed UTF-8"},
        {"overlong \xC0\xAF\n", "t.txt:1: malformed UTF-8"},
    };
    for (const auto& c : cases) {
        std::vector<doccompile::Line> out;
        std::string error;
        EXPECT_FALSE(doccompile::compile_source("t.txt", c.source, out, error)) << c.source;
        EXPECT_EQ(error, c.error);
    }
}

TEST(PageCompiler, ManifestChecksLineCounts)
{
    Scratch s;
    s.write("a.txt", "one\ntwo\n");
    const struct {
        const char* manifest;
        const char* error;
    } cases[] = {
        {"1\t3\ta.txt\t> First\n", "a.txt:3: document 1 has 2 lines, expected 3"},
        {"2\t2\ta.txt\t> First\n", nullptr},  // numbered out of order
        {"1\t2\ta.txt\t> First\n", ""},
    };
    for (const auto& c : cases) {
        std::vector<doccompile::Document> docs;
        std::string error;
        const bool ok = doccompile::compile_manifest(s.write("docs.txt", c.manifest), docs, error);
        EXPECT_EQ(ok, c.error && !*c.error) << c.manifest;
        if (c.error && *c.error) {
            EXPECT_EQ(error, c.error);
        }
        if (ok) {
            const std::string cpp = doccompile::documents_cpp(docs);
            EXPECT_NE(cpp.find("{1, 2, \"> First\", doc1}"), std::string::npos);
            EXPECT_NE(cpp.find("{\"<END>\", "), std::string::npos);
        }
    }
}

TEST(IssueStringsCompiler, WelcomeSegmentsAndTunes)
{
    const std::string good = "|" + std::string(54, 'a') + "|\n|" + std::string(54, 'b') + "|\n|" +
                             std::string(63, 'c') + "|\n|" + std::string(54, 'd') +
                             "|\n|  Press Escape or Left mouse to start.  |\n";
    const struct {
        std::string text, error;
    } welcomes[] = {
        {good, ""},
        {good.substr(0, 1) + good.substr(2), "w.txt:1: segment 1 has 53 characters, expected 54"},
        {"|é" + good.substr(3), "w.txt:1: the intro font has only ASCII characters 32...126"},
        {good.substr(0, good.rfind("|  Press")), "?"},
    };
    for (const auto& c : welcomes) {
        std::vector<std::string> segs;
        std::string error;
        EXPECT_EQ(doccompile::compile_welcome("w.txt", c.text, segs, error), c.error.empty()) << error;
        if (c.error != "?") {
            EXPECT_EQ(error, c.error);
        }
    }
    const struct {
        const char* text;
        std::string result;  // the first credit, or the error
    } tunes[] = {
        {"Ä\tB\nC\tD\nE\tF\nG\tH\n", "\x8E by B"},
        {"A\tB\nC\tD\nE\tF\n", "t.txt:4: expected four tunes, found 3"},
        {"A B\n", "t.txt:1: expected TITLE<TAB>COMPOSER"},
    };
    for (const auto& c : tunes) {
        std::vector<std::string> credits;
        std::string error;
        const bool ok = doccompile::compile_tunes("t.txt", c.text, credits, error);
        EXPECT_EQ(ok ? credits[0] : error, c.result);
    }
}

TEST(Charts, PageFillsToItsLengthOrFails)
{
    std::string error;
    chartgen::Page p;
    p.heading("X", 'D');
    EXPECT_TRUE(p.finish(6, {"end"}, error, "t"));
    EXPECT_EQ(p.lines.size(), 6u);
    EXPECT_EQ(p.lines.back(), "end");
    chartgen::Page q;
    q.heading("X", 'D');
    EXPECT_FALSE(q.finish(3, {"end"}, error, "t"));
    chartgen::Page wide;
    chartgen::Line l;
    l.put('1', std::string(80, 'x'));
    wide.add(l);
    EXPECT_FALSE(wide.finish(5, {}, error, "t"));
    EXPECT_EQ(error, "t: line 1 is wider than 79 characters");
}

TEST(Charts, DatabaseFaultsNameFileAndLineAndTheArchiveIsStable)
{
    Scratch s;
    s.write("points.txt", "demo|Demo|12\n1|8\n");
    s.write("groups.txt", "# comment\nAlpha|2000|Town|2|2026\n");
    s.write("parties.txt", "Bash|11\n");
    s.write("words.txt", "Red Blue\nSky Sea\n");
    const struct {
        const char* month;
        std::string error;
    } cases[] = {
        {"2026-11|Alpha|demo|One|Bash|1\n2026-11|Nobody|demo|Two|-|0\n", ":2: unknown group 'Nobody'"},
        {"2026-11|Alpha|demo|One|-|1\n", ":1: a place needs a party and is 1, 2 or 3"},
        {"2026-11|Alpha|demo|One|Bash|1\n", ""},
    };
    for (const auto& c : cases) {
        const std::string path = s.write("november.txt", c.month);
        chartgen::Database a, b;
        std::string error;
        ASSERT_EQ(chartgen::load(s.dir.string(), a, error), c.error.empty()) << error;
        if (!c.error.empty()) {
            EXPECT_EQ(error, path + c.error);
            continue;
        }
        ASSERT_TRUE(chartgen::load(s.dir.string(), b, error));
        ASSERT_EQ(a.releases.size(), b.releases.size());
        for (size_t i = 0; i < a.releases.size(); ++i) EXPECT_EQ(a.releases[i].title, b.releases[i].title);
        EXPECT_EQ(a.releases.back().points, 20);
    }
}

std::string le32(uint32_t v)
{
    std::string s;
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
    return s;
}

TEST(BitmapFontReader, RejectsDamagedFilesCleanly)
{
    Scratch s;
    const struct {
        std::string path, says;
    } cases[] = {
        {"/nonexistent/font.pcf.gz", "cannot read"},
        {s.write("bad.pcf", "not a font at all"), "not a PCF font"},
        // A table directory that points past the end of the file.
        {s.write("short.pcf", "\1fcp" + le32(1) + le32(2) + le32(0) + le32(100) + le32(1000000)), "accelerator"},
    };
    for (const auto& c : cases) {
        pcf::Font f;
        std::string error;
        EXPECT_FALSE(pcf::load(c.path, f, error));
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
    // Truncated copies of a real font: the short ones are refused, and no cut makes the
    // reader look past the end of what it read (the sanitizer build checks that).
    std::vector<uint8_t> real;
    if (!pcf::read_gzip("/usr/share/fonts/X11/misc/6x13.pcf.gz", real)) GTEST_SKIP() << "xfonts-base missing";
    for (size_t k = 0; k <= 24; ++k) {
        const size_t cut = k == 0 ? 8 : k == 1 ? 64 : real.size() * k / 25;
        pcf::Font g;
        std::string error;
        const bool ok = pcf::load(s.write("cut.pcf", std::string(real.begin(), real.begin() + long(cut))), g, error);
        if (k < 2) {
            EXPECT_FALSE(ok) << cut;
        }
    }
}

TEST(Preview, ShadesAndRulesFollowTheReader)
{
    uint8_t palette[768] = {};
    palette[3 * 5] = 5, palette[3 * 5 + 1] = 200, palette[3 * 5 + 2] = 255;
    const preview::Shades s(palette);
    const struct {
        int column;
        uint32_t colour;
    } shades[] = {{0, 0},          {1, 0x05C8FF},  {2, 0x0385AA},  {3, 0x02647F},  {4, 0x050000},
                  {22, 0x058C4C}, {25, 0x018CFF}, {28, 0x03C8B2}};
    for (const auto& c : shades) EXPECT_EQ(s.table[5][c.column], c.colour) << c.column;
    preview::Screen screen;
    preview::rule(screen, 300, 20, 745, 1, 0.0);
    preview::rule(screen, 100, 144, 507, 8, 0.0);
    EXPECT_EQ(screen.get(20, 300), 0xFFFFFFu);
    EXPECT_EQ(screen.get(764, 299), 0x888888u);
    EXPECT_EQ(screen.get(765, 300), 0u);
    EXPECT_NE(screen.get(651, 100), 0u);  // a rainbow is one longer
    EXPECT_EQ(screen.get(652, 100), 0u);
}

}  // namespace
