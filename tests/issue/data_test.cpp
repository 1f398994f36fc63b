// The compiled-in issue: documents, strings and artwork as the reader receives them.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "issue/art/art.h"
#include "issue/docs/documents.h"
#include "issue/strings/strings.h"

namespace {

struct Expected { int lines; const char* label; };
const Expected expected[21] = {
    {0, ""},
    {117, "> Monthly Chart"}, {74, "> Monthly Overview"}, {50, "> Group Of The Month"},
    {2115, "> Group Release Stats"}, {56, "> Yearly Stats"}, {45, "> Yearly Overview"},
    {22, "> Group Of The Year"}, {178, "> Alltime Stats"}, {66, "> Alltime Overview"}, {109, "Help"},
    {64, "> This Issue's Editorial"}, {391, "Rules"}, {77, "> Credits For The Charts"},
    {86, "> Letters To The Editor"}, {105, "> This Issues Music Picks"}, {178, "> Coding The New Charts"},
    {22, "> Scene Spirit or Not!"}, {5, "> Interview with you?"}, {5, "> Interview with ????????"},
    {5, "> Interview with ????????"},
};

const std::set<int> second_style_documents = {1, 2, 3, 7, 10, 11, 12, 15, 16, 18};

TEST(IssueDocuments, CountsLabelsAndTerminators)
{
    int total = 0;
    for (int d = 1; d <= issue::document_count; ++d) {
        const issue::Document& doc = issue::documents[d];
        EXPECT_EQ(doc.number, d);
        EXPECT_EQ(doc.line_count, expected[d].lines) << "document " << d;
        EXPECT_STREQ(doc.label, expected[d].label);
        const issue::DocumentLine& end = doc.lines[doc.line_count];
        EXPECT_STREQ(end.text, "<END>");
        EXPECT_EQ(std::string(end.colour), std::string(80, '1'));
        EXPECT_EQ(std::string(end.style), std::string(80, '1'));
        EXPECT_STREQ(end.rule, "0");
        for (int l = 0; l < doc.line_count; ++l)
            EXPECT_NE(std::string(doc.lines[l].text).substr(0, 5), "<END>") << "early terminator in " << d;
        total += doc.line_count;
    }
    EXPECT_EQ(total + issue::document_count, 3790) << "stored lines, terminators included";
    EXPECT_EQ(issue::documents[0].lines, nullptr);
}

TEST(IssueDocuments, AttributeAlphabets)
{
    std::set<char> colours;
    std::map<char, int> rules;
    for (int d = 1; d <= issue::document_count; ++d) {
        const issue::Document& doc = issue::documents[d];
        bool second_style = false;
        for (int l = 0; l < doc.line_count; ++l) {
            const issue::DocumentLine& line = doc.lines[l];
            std::string text = line.text, colour = line.colour, style = line.style, rule = line.rule;
            // The viewer never shows an 80th character, so no line relies on one.
            EXPECT_LE(text.size(), 79u) << "document " << d << " line " << l;
            ASSERT_EQ(colour.size(), 80u);
            ASSERT_EQ(style.size(), 80u);
            for (unsigned char c : text) EXPECT_GE(c, 32) << "control character in document " << d;
            for (char c : colour) {
                EXPECT_TRUE((c >= '1' && c <= '9') || (c >= 'A' && c <= 'U')) << "colour " << c << " in " << d;
                colours.insert(c);
            }
            for (size_t k = 0; k < style.size(); ++k) {
                ASSERT_TRUE(style[k] == '1' || style[k] == '2');
                // Only a visible character makes the second style "occur".
                if (style[k] == '2' && k < text.size() && text[k] != ' ') second_style = true;
            }
            ASSERT_EQ(rule.size(), 1u);
            EXPECT_NE(std::string("012345678").find(rule[0]), std::string::npos);
            ++rules[rule[0]];
        }
        EXPECT_EQ(second_style, second_style_documents.count(d) == 1) << "second style in document " << d;
    }
    EXPECT_EQ(colours.size(), 30u) << "every colour letter 1...9, A...U occurs";
    std::set<char> kinds;
    for (auto& [k, n] : rules)
        if (k != '0') kinds.insert(k);
    EXPECT_EQ(kinds, (std::set<char>{'1', '2', '4', '5', '6', '8'}));
    for (char k : {'1', '2', '4', '5', '6'}) EXPECT_GT(rules['8'], rules[k]);
}

TEST(IssueDocuments, BlockLetterHeadingsAndPlaceholders)
{
    for (int d : {3, 7}) {
        int blocks = 0;
        for (int l = 0; l < 15; ++l)
            for (unsigned char c : std::string(issue::documents[d].lines[l].text)) blocks += c == 219;
        EXPECT_GT(blocks, 40) << "document " << d;
    }
    for (int d : {19, 20}) {
        bool found = false;
        for (int l = 0; l < 5; ++l)
            found |= std::string(issue::documents[d].lines[l].text).find("PAGE FOR ARTICLE / INTERVIEW.") !=
                     std::string::npos;
        EXPECT_TRUE(found) << "document " << d;
    }
}

TEST(IssueStrings, TitleScrollTextAndCredits)
{
    EXPECT_STREQ(issue::issue_title, "THE KELVARIN ISSUE 30");
    std::string scroll(66, ' ');
    for (int i = 0; i < issue::intro_segment_count; ++i) {
        std::string s = issue::intro_segments[i];
        EXPECT_EQ(static_cast<int>(s.size()), issue::intro_segment_lengths[i]) << "segment " << i + 1;
        for (unsigned char c : s) EXPECT_TRUE(c >= 32 && c <= 126);
        scroll += s;
    }
    EXPECT_EQ(scroll.size(), 331u);
    EXPECT_EQ(std::string(issue::intro_segments[4]), "  Press Escape or Left mouse to start.  ");
    EXPECT_NE(std::string(issue::intro_segments[2]).find("- THE KELVARIN ISSUE 30 -"), std::string::npos);
    EXPECT_NE(std::string(issue::intro_segments[1]).find("     "), std::string::npos);

    // The credits follow the tunes file the music side uses as well.
    std::ifstream tunes(std::string(KELVARIN_SOURCE_DIR) + "/issue/tunes.txt");
    ASSERT_TRUE(tunes);
    std::string row;
    int n = 0;
    while (std::getline(tunes, row) && n < 4) {
        ++n;
        size_t tab = row.find('\t');
        ASSERT_NE(tab, std::string::npos);
        EXPECT_EQ(std::string(issue::tune_credits[n]), row.substr(0, tab) + " by " + row.substr(tab + 1));
        std::string song = std::string(65, ' ') + "Selected song: " + issue::tune_credits[n];
        EXPECT_LE(song.size(), 160u);
    }
    EXPECT_EQ(n, 4);
    EXPECT_STREQ(issue::tune_credits[0], "");
}

uint32_t panel_colour(int x, int y)
{
    const unsigned char* e = issue_panel_picture + 3 * issue_panel_picture[768 + y * 800 + x];
    return static_cast<uint32_t>(e[0] << 16 | e[1] << 8 | e[2]);
}

TEST(IssueArt, PanelGeometry)
{
    ASSERT_EQ(issue_panel_picture_size, 768u + 800u * 600u);
    // The areas the reader draws into are black: the menu box, the text area (exactly what
    // the page wipe covers).
    for (int y = 38; y <= 148; ++y)
        for (int x = 145; x <= 650; ++x) ASSERT_EQ(panel_colour(x, y), 0u) << x << "," << y;
    for (int y = 192; y <= 580; ++y)
        for (int x = 20; x <= 767; ++x) ASSERT_EQ(panel_colour(x, y), 0u) << x << "," << y;
    // The frame around the text area and the scroll-bar track are not.
    for (int y = 192; y <= 580; y += 7) {
        EXPECT_NE(panel_colour(19, y), 0u);
        EXPECT_NE(panel_colour(768, y), 0u);
    }
    for (int y = 195; y <= 576; y += 3)
        for (int x = 776; x <= 790; ++x) EXPECT_NE(panel_colour(x, y), 0u);
    // Buttons: raised plates exactly on their rectangles, outlined just outside, with a label.
    const int buttons[10][4] = {{35, 40, 88, 18},  {35, 65, 88, 18},  {35, 90, 88, 18},  {672, 65, 88, 18},
                                {672, 90, 88, 18}, {672, 40, 88, 18}, {12, 132, 57, 18}, {75, 132, 57, 18},
                                {665, 132, 57, 18}, {729, 132, 57, 18}};
    for (const auto& b : buttons) {
        int x0 = b[0], y0 = b[1], x1 = b[0] + b[2], y1 = b[1] + b[3];
        auto lum = [](uint32_t c) { return (c >> 16 & 255) + (c >> 8 & 255) + (c & 255); };
        EXPECT_EQ(panel_colour(x0 - 1, (y0 + y1) / 2), 0u);
        EXPECT_EQ(panel_colour(x1 + 1, (y0 + y1) / 2), 0u);
        EXPECT_GT(lum(panel_colour(x0 + 1, y0 + 9)), lum(panel_colour(x1 - 1, y0 + 9))) << "lit from the left";
        EXPECT_GT(lum(panel_colour(x0 + 40, y0)), lum(panel_colour(x0 + 40, y1))) << "lit from the top";
        std::set<uint32_t> inside;
        for (int y = y0 + 3; y < y1 - 2; ++y)
            for (int x = x0 + 3; x < x1 - 2; ++x) inside.insert(panel_colour(x, y));
        EXPECT_GT(inside.size(), 8u) << "a label on the button at " << x0 << "," << y0;
    }
}

TEST(IssueArt, TextFontStrip)
{
    ASSERT_EQ(issue_text_font_size, 2048u * 28u + 768u);
    const unsigned char* strip = issue_text_font;
    for (int i = 0; i < 2048 * 28; ++i) ASSERT_LE(strip[i], 11) << "pixel " << i;
    for (int x = 0; x < 2048; ++x)
        for (int y : {12, 13, 26, 27}) ASSERT_EQ(strip[y * 2048 + x], 0);
    auto cell = [&](int code, int style, int r, int i) {
        return strip[((style == 1 ? 0 : 14) + r) * 2048 + (code - 32) * 9 + 1 + i];
    };
    int differing = 0;
    for (int code = 33; code <= 254; ++code)
        for (int style = 1; style <= 2; ++style) {
            int ink = 0;
            for (int r = 0; r < 12; ++r)
                for (int i = 0; i < 9; ++i) ink += cell(code, style, r, i) > 1;
            EXPECT_GT(ink, 0) << "code " << code << " style " << style;
        }
    for (int code = 'A'; code <= 'z'; ++code)
        for (int r = 0; r < 12; ++r)
            for (int i = 0; i < 9; ++i) differing += cell(code, 1, r, i) != cell(code, 2, r, i);
    EXPECT_GT(differing, 2000) << "the second style looks clearly different";
    // Frames and blocks join across cells: strokes reach the cell edges.
    for (int style = 1; style <= 2; ++style) {
        for (int i = 0; i < 9; ++i) {
            EXPECT_GT(cell(196, style, 5, i), 1) << "single horizontal line, column " << i;
            EXPECT_GT(cell(205, style, 4, i), 1);
            EXPECT_GT(cell(205, style, 6, i), 1);
            EXPECT_EQ(cell(205, style, 5, i), 0);
        }
        for (int r = 0; r < 12; ++r) {
            EXPECT_GT(cell(179, style, r, 4), 1) << "single vertical line, row " << r;
            EXPECT_GT(cell(186, style, r, 3), 1);
            EXPECT_GT(cell(186, style, r, 5), 1);
            for (int i = 0; i < 9; ++i) {
                EXPECT_GT(cell(219, style, r, i), 1) << "full block";
                EXPECT_EQ(cell(223, style, r, i) > 1, r < 6) << "upper half block";
                EXPECT_EQ(cell(220, style, r, i) > 1, r >= 6) << "lower half block";
            }
        }
    }
    // The palette is neutral grey, black for 0, so every tint of the shade table works.
    const unsigned char* pal = strip + 2048 * 28;
    EXPECT_EQ(pal[0] + pal[1] + pal[2], 0);
    for (int v = 1; v <= 11; ++v) {
        EXPECT_EQ(pal[3 * v], pal[3 * v + 1]);
        EXPECT_EQ(pal[3 * v], pal[3 * v + 2]);
        if (v > 1) {
            EXPECT_GT(pal[3 * v], pal[3 * v - 3]);
        }
    }
}

TEST(IssueArt, IntroFont)
{
    ASSERT_EQ(issue_intro_font_size, 768u + 960u * 18u);
    const unsigned char* pal = issue_intro_font;
    const unsigned char* strip = issue_intro_font + 768;
    auto set = [&](int x, int y) {
        const unsigned char* e = pal + 3 * strip[y * 960 + x];
        return e[0] | e[1] | e[2];
    };
    for (int y = 0; y < 18; ++y) {
        EXPECT_FALSE(set(0, y));
        for (int x = 951; x < 960; ++x) EXPECT_FALSE(set(x, y));
        for (int x = 1; x <= 10; ++x) EXPECT_FALSE(set(x, y)) << "the space is empty";
    }
    for (int code = 33; code <= 126; ++code) {
        int pixels = 0;
        for (int y = 0; y < 18; ++y)
            for (int k = 0; k < 10; ++k) {
                int x = (code - 32) * 10 + 1 + k;
                if (set(x, y)) {
                    ++pixels;
                    const unsigned char* e = pal + 3 * strip[y * 960 + x];
                    EXPECT_EQ(e[0] & e[1] & e[2], 255) << "white on black";
                }
            }
        EXPECT_GT(pixels, 0) << "code " << code;
    }
}

}  // namespace
