// The issue's build tools: page compiler, strings, chart ranking and glyph shapes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/chartgen/charts.h"
#include "tools/chartgen/layout.h"
#include "tools/common/cp437.h"
#include "tools/doccompile/compile.h"
#include "tools/fontgen/glyphs.h"

namespace {

using doccompile::Line;

std::vector<Line> compile_ok(const std::string& source)
{
    std::vector<Line> out;
    std::string error;
    EXPECT_TRUE(doccompile::compile_source("t.txt", source, out, error)) << error;
    return out;
}

std::string compile_error(const std::string& source)
{
    std::vector<Line> out;
    std::string error;
    EXPECT_FALSE(doccompile::compile_source("t.txt", source, out, error));
    return error;
}

TEST(PageCompiler, TagsColourStyleAndRules)
{
    auto lines = compile_ok("{cE}Hi {s2}{cV}there\n{r8}\n{r4}{c3}x{{y\nplain\n");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "Hi there");
    EXPECT_EQ(lines[0].colour.substr(0, 9), "EEEVVVVVV");
    EXPECT_EQ(lines[0].style.substr(0, 9), "111222222");
    EXPECT_EQ(lines[0].colour.size(), 80u);
    EXPECT_EQ(lines[0].rule, "0");
    // An empty line carries the rule and the colour and style in force.
    EXPECT_EQ(lines[1].text, "");
    EXPECT_EQ(lines[1].rule, "8");
    EXPECT_EQ(lines[1].colour, std::string(80, 'V'));
    EXPECT_EQ(lines[1].style, std::string(80, '2'));
    EXPECT_EQ(lines[2].text, "x{y");
    EXPECT_EQ(lines[2].rule, "4");
    EXPECT_EQ(lines[3].colour, std::string(80, '3'));
}

TEST(PageCompiler, CodePage437Translation)
{
    auto lines = compile_ok("é█▒═╬ß\r\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, std::string("\x82\xDB\xB1\xCD\xCE\xE1"));
    for (int b = 32; b < 256; ++b)
        EXPECT_EQ(cp437::from_unicode(cp437::to_unicode(static_cast<uint8_t>(b))), b) << b;
}

TEST(PageCompiler, FaultsNameFileAndLine)
{
    EXPECT_EQ(compile_error("ok\n" + std::string(81, 'x') + "\n"), "t.txt:2: line has 81 characters, at most 80 fit");
    EXPECT_EQ(compile_ok(std::string(80, 'x') + "\n").size(), 1u);
    EXPECT_EQ(compile_error("a\nb\n{cW}c\n"), "t.txt:3: unknown colour 'W'");
    EXPECT_EQ(compile_error("{ca}c\n"), "t.txt:1: unknown colour 'a'");
    EXPECT_EQ(compile_error("{cEE}c\n"), "t.txt:1: unknown colour 'EE'");
    EXPECT_EQ(compile_error("{s3}c\n"), "t.txt:1: unknown style '3'");
    EXPECT_EQ(compile_error("x{r8}\n"), "t.txt:1: a rule tag must open its line");
    EXPECT_EQ(compile_error("{r9}\n"), "t.txt:1: unknown rule kind (use {r0} ... {r8})");
    EXPECT_EQ(compile_error("{cE\n"), "t.txt:1: unterminated tag '{cE'");
    EXPECT_EQ(compile_error("{q}\n"), "t.txt:1: unknown tag '{q}'");
    EXPECT_EQ(compile_error("price 5€\n"), "t.txt:1: character U+20AC is not in code page 437");
    EXPECT_EQ(compile_error("tab\there\n"), "t.txt:1: character U+0009 is not in code page 437");
    EXPECT_EQ(compile_error("bad \xC3\n"), "t.txt:1: malformed UTF-8");
    EXPECT_EQ(compile_error("overlong \xC0\xAF\n"), "t.txt:1: malformed UTF-8");
    // Multi-byte characters count once toward the 80.
    EXPECT_EQ(compile_ok(std::string(40, ' ') + [] {
                  std::string s;
                  for (int i = 0; i < 40; ++i) s += "█";
                  return s;
              }() + "\n")[0].text.size(), 80u);
}

TEST(PageCompiler, ManifestChecksLineCounts)
{
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / "kelvarin_manifest_test";
    fs::create_directories(dir);
    std::ofstream(dir / "a.txt") << "one\ntwo\n";
    std::ofstream(dir / "docs.txt") << "1\t3\ta.txt\t> First\n";
    std::vector<doccompile::Document> docs;
    std::string error;
    EXPECT_FALSE(doccompile::compile_manifest((dir / "docs.txt").string(), docs, error));
    EXPECT_EQ(error, "a.txt:3: document 1 has 2 lines, expected 3");

    std::ofstream(dir / "docs.txt") << "1\t2\ta.txt\t> First\n";
    docs.clear();
    ASSERT_TRUE(doccompile::compile_manifest((dir / "docs.txt").string(), docs, error)) << error;
    std::string cpp = doccompile::documents_cpp(docs);
    EXPECT_NE(cpp.find("{1, 2, \"> First\", doc1}"), std::string::npos);
    EXPECT_NE(cpp.find("{\"<END>\", "), std::string::npos);

    std::ofstream(dir / "docs.txt") << "2\t2\ta.txt\t> First\n";
    docs.clear();
    EXPECT_FALSE(doccompile::compile_manifest((dir / "docs.txt").string(), docs, error));
    fs::remove_all(dir);
}

TEST(PageCompiler, LiteralsEscapeEverythingAmbiguous)
{
    // Octal escapes of three digits never swallow a following digit, and "??" never
    // forms a trigraph.
    EXPECT_EQ(doccompile::literal(std::string("\xDB" "1?\"\\a")), "\"\\3331\\077\\042\\134a\"");
}

TEST(IssueStringsCompiler, WelcomeSegmentsAndTunes)
{
    std::string good = "|" + std::string(54, 'a') + "|\n|" + std::string(54, 'b') + "|\n|" + std::string(63, 'c') +
                       "|\n|" + std::string(54, 'd') + "|\n|  Press Escape or Left mouse to start.  |\n";
    std::vector<std::string> segs;
    std::string error;
    EXPECT_TRUE(doccompile::compile_welcome("w.txt", good, segs, error)) << error;
    segs.clear();
    std::string short_one = good;
    short_one.replace(1, 1, "");
    EXPECT_FALSE(doccompile::compile_welcome("w.txt", short_one, segs, error));
    EXPECT_EQ(error, "w.txt:1: segment 1 has 53 characters, expected 54");
    segs.clear();
    std::string accented = good;
    accented.replace(1, 2, "é");
    EXPECT_FALSE(doccompile::compile_welcome("w.txt", accented, segs, error));
    EXPECT_EQ(error, "w.txt:1: the intro font has only ASCII characters 32...126");
    segs.clear();
    EXPECT_FALSE(doccompile::compile_welcome("w.txt", good.substr(0, good.rfind("|  Press")), segs, error));

    std::vector<std::string> credits;
    EXPECT_TRUE(doccompile::compile_tunes("t.txt", "Ä\tB\nC\tD\nE\tF\nG\tH\n", credits, error)) << error;
    EXPECT_EQ(credits[0], "\x8E by B");
    credits.clear();
    EXPECT_FALSE(doccompile::compile_tunes("t.txt", "A\tB\nC\tD\nE\tF\n", credits, error));
    EXPECT_EQ(error, "t.txt:4: expected four tunes, found 3");
    credits.clear();
    EXPECT_FALSE(doccompile::compile_tunes("t.txt", "A B\n", credits, error));
    EXPECT_EQ(error, "t.txt:1: expected TITLE<TAB>COMPOSER");
}

chartgen::Database tiny_database()
{
    chartgen::Database db;
    db.types = {"demo", "intro"};
    db.type_points = {{"demo", 12}, {"intro", 8}};
    db.place_bonus[1] = 8;
    auto add = [&](int month, const char* group, const char* type, int place) {
        chartgen::Release r;
        r.year = 2026;
        r.month = month;
        r.group = group;
        r.type = type;
        r.place = place;
        r.points = chartgen::score(db, r);
        db.releases.push_back(r);
    };
    add(10, "Beta", "demo", 0);   // October: Beta 12, Alpha 8
    add(10, "Alpha", "intro", 0);
    add(11, "Alpha", "intro", 1); // November: Alpha 16, Gamma 8 + 8, Beta 0
    add(11, "Gamma", "intro", 0);
    add(11, "Gamma", "intro", 0);
    return db;
}

TEST(Charts, RanksTiesAndMovement)
{
    auto db = tiny_database();
    auto now = chartgen::monthly(db, chartgen::now_index);
    auto before = chartgen::monthly(db, chartgen::now_index - 1);
    chartgen::set_previous(now, before);
    ASSERT_EQ(now.size(), 2u);
    // 16 points each: Gamma ranks first on its two releases.
    EXPECT_EQ(now[0].group, "Gamma");
    EXPECT_EQ(now[1].group, "Alpha");
    EXPECT_EQ(chartgen::movement(now[0]), "new");
    EXPECT_EQ(chartgen::movement(now[1]), "=");
    auto year = chartgen::yearly(db, chartgen::now_index);
    chartgen::set_previous(year, chartgen::yearly(db, chartgen::now_index - 1));
    ASSERT_EQ(year.size(), 3u);
    EXPECT_EQ(year[0].group, "Alpha");  // 24
    EXPECT_EQ(year[0].points, 24);
    EXPECT_EQ(chartgen::movement(year[0]), "+1");
    EXPECT_EQ(chartgen::movement(year[2]), "-2");  // Beta: 1st in October, 3rd now
}

TEST(Charts, PageFillsToItsLengthOrFails)
{
    chartgen::Page p;
    p.heading("X", 'D');
    std::string error;
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

TEST(Charts, DatabaseFaultsNameFileAndLine)
{
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / "kelvarin_chart_test";
    fs::create_directories(dir);
    std::ofstream(dir / "points.txt") << "demo|Demo|12\n1|8\n";
    std::ofstream(dir / "groups.txt") << "# comment\nAlpha|2000|Town|2|2026\n";
    std::ofstream(dir / "parties.txt") << "Bash|11\n";
    std::ofstream(dir / "words.txt") << "Red Blue\nSky Sea\n";
    std::ofstream(dir / "november.txt") << "2026-11|Alpha|demo|One|Bash|1\n2026-11|Nobody|demo|Two|-|0\n";
    chartgen::Database db;
    std::string error;
    EXPECT_FALSE(chartgen::load(dir.string(), db, error));
    EXPECT_EQ(error, (dir / "november.txt").string() + ":2: unknown group 'Nobody'");

    std::ofstream(dir / "november.txt") << "2026-11|Alpha|demo|One|-|1\n";
    chartgen::Database db2;
    EXPECT_FALSE(chartgen::load(dir.string(), db2, error));
    EXPECT_EQ(error, (dir / "november.txt").string() + ":1: a place needs a party and is 1, 2 or 3");

    // The archive is the same on every run.
    std::ofstream(dir / "november.txt") << "2026-11|Alpha|demo|One|Bash|1\n";
    chartgen::Database a, b;
    ASSERT_TRUE(chartgen::load(dir.string(), a, error)) << error;
    ASSERT_TRUE(chartgen::load(dir.string(), b, error));
    ASSERT_EQ(a.releases.size(), b.releases.size());
    for (size_t i = 0; i < a.releases.size(); ++i) EXPECT_EQ(a.releases[i].title, b.releases[i].title);
    EXPECT_EQ(a.releases.back().points, 20);
    fs::remove_all(dir);
}

TEST(Glyphs, BoxDrawingStrokesReachTheEdgesTheyNeed)
{
    // Single arms meet the neighbour on column 4 / row 5, double arms on columns 3 and 5 /
    // rows 4 and 6; an edge without an arm stays empty, so frames join without stubs.
    for (int code = 179; code <= 218; ++code) {
        fontgen::Arms a;
        ASSERT_TRUE(fontgen::box_arms(code, a));
        fontgen::Cell c = fontgen::draw_box(a);
        auto on = [&](int x, int y) { return c[y][x] != 0; };
        auto expect_edge = [&](int arm, bool vertical_edge, int at, const char* side) {
            for (int k = 0; k < (vertical_edge ? 9 : 12); ++k) {
                int x = vertical_edge ? k : at, y = vertical_edge ? at : k;
                bool want = arm == 1 ? (vertical_edge ? k == 4 : k == 5)
                                     : arm == 2 ? (vertical_edge ? (k == 3 || k == 5) : (k == 4 || k == 6)) : false;
                EXPECT_EQ(on(x, y), want) << "code " << code << " " << side << " edge at " << k;
            }
        };
        expect_edge(a.up, true, 0, "top");
        expect_edge(a.down, true, 11, "bottom");
        expect_edge(a.left, false, 0, "left");
        expect_edge(a.right, false, 8, "right");
    }
    fontgen::Arms none;
    EXPECT_FALSE(fontgen::box_arms(219, none));
}

TEST(Glyphs, DoubleCornersHaveInnerAndOuterLines)
{
    fontgen::Arms a;
    ASSERT_TRUE(fontgen::box_arms(201, a));  // top-left double corner
    fontgen::Cell c = fontgen::draw_box(a);
    EXPECT_NE(c[4][3], 0);  // outer corner
    EXPECT_NE(c[6][5], 0);  // inner corner
    EXPECT_EQ(c[5][4], 0);  // the gap between the lines
    EXPECT_EQ(c[5][5], 0);
    EXPECT_EQ(c[3][3], 0);
}

TEST(Glyphs, ShadesTileAcrossCells)
{
    for (int code : {176, 177, 178}) {
        fontgen::Cell c;
        ASSERT_TRUE(fontgen::draw_block(code, c));
        // The pattern of column 8 continues into column 0 of the next cell, and row 11 into
        // row 0 of the cell below.
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 9; ++x) {
                EXPECT_EQ(c[y][x] != 0, c[(y + 6) % 12][(x + 3) % 9] != 0) << code;
            }
    }
}

}  // namespace

namespace {

std::string write_temp(const std::string& name, const std::string& bytes)
{
    auto path = std::filesystem::temp_directory_path() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

std::string le32(uint32_t v)
{
    std::string s;
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
    return s;
}

TEST(BitmapFontReader, RejectsDamagedFilesCleanly)
{
    pcf::Font f;
    std::string error;
    EXPECT_FALSE(pcf::load("/nonexistent/font.pcf.gz", f, error));
    EXPECT_NE(error.find("cannot read"), std::string::npos);

    EXPECT_FALSE(pcf::load(write_temp("kelvarin_bad.pcf", "not a font at all"), f, error));
    EXPECT_NE(error.find("not a PCF font"), std::string::npos);

    // A table directory that points past the end of the file.
    std::string header = "\1fcp" + le32(1) + le32(2) + le32(0) + le32(100) + le32(1000000);
    EXPECT_FALSE(pcf::load(write_temp("kelvarin_short.pcf", header), f, error));
    EXPECT_NE(error.find("accelerator"), std::string::npos);

    // Truncated copies of a real font: the short ones are refused, and no cut makes the
    // reader look past the end of what it read (the sanitizer build checks that).
    std::vector<uint8_t> real;
    if (!pcf::read_gzip("/usr/share/fonts/X11/misc/6x13.pcf.gz", real)) GTEST_SKIP() << "xfonts-base missing";
    for (size_t k = 0; k <= 24; ++k) {
        size_t cut = k == 0 ? 8 : k == 1 ? 64 : real.size() * k / 25;
        std::string part(real.begin(), real.begin() + static_cast<long>(cut));
        pcf::Font g;
        bool ok = pcf::load(write_temp("kelvarin_cut.pcf", part), g, error);
        if (k < 2) {
            EXPECT_FALSE(ok) << cut;
        }
    }
    std::filesystem::remove(std::filesystem::temp_directory_path() / "kelvarin_bad.pcf");
    std::filesystem::remove(std::filesystem::temp_directory_path() / "kelvarin_short.pcf");
    std::filesystem::remove(std::filesystem::temp_directory_path() / "kelvarin_cut.pcf");
}

TEST(BitmapFontReader, ReadsTheLetterFonts)
{
    pcf::Font f;
    std::string error;
    if (!pcf::load(std::string("/usr/share/fonts/X11/misc/") + fontgen::text_regular_file, f, error))
        GTEST_SKIP() << error;
    EXPECT_EQ(f.ascent + f.descent, 13);
    const pcf::Glyph* a = f.find('A');
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->width, 8);
    // Its apex is one pixel wide and centred, its legs reach the baseline.
    int top = -1;
    for (int y = 0; y < a->ascent && top < 0; ++y)
        for (int x = 0; x < a->right - a->left; ++x)
            if (a->at(x, y)) top = y;
    EXPECT_GE(top, 0);
    EXPECT_TRUE(a->at(0 - a->left + 0, a->ascent - 1) || a->at(1 - a->left, a->ascent - 1));
    for (uint32_t cp : {0x00E9u, 0x03A3u, 0x2248u, 0x221Au}) EXPECT_NE(f.find(cp), nullptr) << cp;

    // Accented capitals keep their accent: the glyph is fitted from the top.
    fontgen::Cell e = fontgen::draw_letter(*f.find(0x00C9), f.ascent, 1);
    fontgen::Cell plain = fontgen::draw_letter(*f.find('E'), f.ascent, 1);
    int accent_rows = 0;
    for (int y = 0; y < 12; ++y) {
        bool ink_e = false, ink_plain = false;
        for (int x = 0; x < 9; ++x) ink_e |= e[y][x] > 1, ink_plain |= plain[y][x] > 1;
        accent_rows += ink_e && !ink_plain;
    }
    EXPECT_GE(accent_rows, 1);
}

}  // namespace

#include "tools/docpreview/render.h"

namespace {

TEST(Preview, ShadeTableFollowsTheReadersRules)
{
    uint8_t palette[768] = {};
    palette[3 * 5] = 5, palette[3 * 5 + 1] = 200, palette[3 * 5 + 2] = 255;
    preview::Shades s(palette);
    EXPECT_EQ(s.table[5][1], 0x05C8FFu);                 // colour 1 is the palette itself
    EXPECT_EQ(s.table[5][3], uint32_t(2 << 16 | 100 << 8 | 127));  // step 2 halves, rounded down
    EXPECT_EQ(s.table[5][2], uint32_t(3 << 16 | 133 << 8 | 170));  // step 1: two thirds
    EXPECT_EQ(s.table[5][4], 0x050000u);                 // red group
    EXPECT_EQ(s.table[5][22], uint32_t(5 << 16 | 140 << 8 | 76));  // 0.7 G, 0.3 B, halves down
    EXPECT_EQ(s.table[5][25], uint32_t(1 << 16 | 140 << 8 | 255)); // 0.3 x 5 gives 1
    EXPECT_EQ(s.table[5][28], uint32_t(3 << 16 | 200 << 8 | 178)); // 0.7 x 5 gives 3
    EXPECT_EQ(s.table[5][0], 0u);
}

TEST(Preview, RulesHaveTheirWidths)
{
    preview::Screen s;
    preview::rule(s, 300, 20, 745, 1, 0.0);
    EXPECT_EQ(s.get(20, 300), 0xFFFFFFu);
    EXPECT_EQ(s.get(764, 299), 0x888888u);
    EXPECT_EQ(s.get(765, 300), 0u);
    preview::rule(s, 100, 144, 507, 8, 0.0);
    EXPECT_NE(s.get(651, 100), 0u);  // n + 1 pixels
    EXPECT_EQ(s.get(652, 100), 0u);
}

}  // namespace
