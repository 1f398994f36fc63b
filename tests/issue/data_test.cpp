// The compiled-in issue: documents, strings and artwork as the reader receives them.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <set>
#include <string>

#include "issue/art/art.h"
#include "issue/docs/documents.h"
#include "issue/strings/strings.h"

namespace {

// The compiler checks each line's attributes; what the reader relies on beyond them:
TEST(IssueDocuments, EachEndsAtItsOnlyTerminatorAndNoLineNeedsAnEightiethCharacter)
{
    for (int d = 1; d <= issue::document_count; ++d) {
        const issue::Document& doc = issue::documents[d];
        EXPECT_EQ(doc.number, d);
        EXPECT_GT(doc.line_count, 0) << "document " << d;
        EXPECT_GT(std::strlen(doc.label), 0u) << "document " << d;
        const issue::DocumentLine& end = doc.lines[doc.line_count];
        EXPECT_STREQ(end.text, "<END>");
        EXPECT_EQ(std::string(end.colour) + end.style + end.rule, std::string(160, '1') + "0");
        for (int l = 0; l < doc.line_count; ++l) {
            const std::string text = doc.lines[l].text;
            EXPECT_NE(text.substr(0, 5), "<END>") << "early terminator in " << d;
            // The viewer never shows an 80th character.
            EXPECT_LE(text.size(), 79u) << "document " << d << " line " << l;
        }
    }
    EXPECT_EQ(issue::documents[0].lines, nullptr);
}

TEST(IssueStrings, TitleScrollTextAndCreditsFromTheTunesFile)
{
    EXPECT_STREQ(issue::issue_title, "THE KELVARIN ISSUE 30");
    std::string scroll(66, ' ');
    for (int i = 0; i < issue::intro_segment_count; ++i) {
        const std::string s = issue::intro_segments[i];
        EXPECT_EQ(static_cast<int>(s.size()), issue::intro_segment_lengths[i]) << "segment " << i + 1;
        for (unsigned char c : s) EXPECT_TRUE(c >= 32 && c <= 126);
        scroll += s;
    }
    EXPECT_EQ(scroll.size(), 331u);
    EXPECT_EQ(std::string(issue::intro_segments[4]), "  Press Escape or Left mouse to start.  ");
    // The credits follow the tunes file the music side uses as well.
    std::ifstream tunes(std::string(KELVARIN_SOURCE_DIR) + "/issue/tunes.txt");
    std::string row;
    int n = 0;
    while (std::getline(tunes, row) && n < 4) {
        const size_t tab = row.find('\t');
        ASSERT_NE(tab, std::string::npos);
        EXPECT_EQ(std::string(issue::tune_credits[++n]), row.substr(0, tab) + " by " + row.substr(tab + 1));
    }
    EXPECT_EQ(n, 4);
    EXPECT_STREQ(issue::tune_credits[0], "");
}

uint32_t panel_colour(int x, int y)
{
    const unsigned char* e = issue_panel_picture + 3 * issue_panel_picture[768 + y * 800 + x];
    return static_cast<uint32_t>(e[0] << 16 | e[1] << 8 | e[2]);
}

TEST(IssueArt, PanelIsBlackWhereTheReaderDrawsAndButtonsSitOnTheirRectangles)
{
    ASSERT_EQ(issue_panel_picture_size, 768u + 800u * 600u);
    // The menu box and the text area (exactly what the page wipe covers) are black, the
    // frame around the text and the scroll-bar track are not.
    for (int y = 38; y <= 580; ++y)
        for (int x = 20; x <= 767; ++x)
            if ((y <= 148 && x >= 145 && x <= 650) || y >= 192) {
                ASSERT_EQ(panel_colour(x, y), 0u) << x << "," << y;
            }
    for (int y = 195; y <= 576; y += 3) {
        EXPECT_TRUE(panel_colour(19, y) && panel_colour(768, y)) << y;
        for (int x = 776; x <= 790; ++x) EXPECT_NE(panel_colour(x, y), 0u);
    }
    // Raised plates exactly on the buttons' rectangles, lit from the top left, with a label.
    const int buttons[10][4] = {{35, 40, 88, 18},  {35, 65, 88, 18},  {35, 90, 88, 18},  {672, 65, 88, 18},
                                {672, 90, 88, 18}, {672, 40, 88, 18}, {12, 132, 57, 18}, {75, 132, 57, 18},
                                {665, 132, 57, 18}, {729, 132, 57, 18}};
    auto lum = [](uint32_t c) { return (c >> 16 & 255) + (c >> 8 & 255) + (c & 255); };
    for (const auto& b : buttons) {
        const int x0 = b[0], y0 = b[1], x1 = b[0] + b[2], y1 = b[1] + b[3];
        EXPECT_EQ(panel_colour(x0 - 1, (y0 + y1) / 2) | panel_colour(x1 + 1, (y0 + y1) / 2), 0u);
        EXPECT_GT(lum(panel_colour(x0 + 1, y0 + 9)), lum(panel_colour(x1 - 1, y0 + 9)));
        EXPECT_GT(lum(panel_colour(x0 + 40, y0)), lum(panel_colour(x0 + 40, y1)));
        std::set<uint32_t> inside;
        for (int y = y0 + 3; y < y1 - 2; ++y)
            for (int x = x0 + 3; x < x1 - 2; ++x) inside.insert(panel_colour(x, y));
        EXPECT_GT(inside.size(), 8u) << "a label on the button at " << x0 << "," << y0;
    }
}

// Both fonts have ink for every printable code they serve; the text font's second style looks
// clearly different, and its palette is neutral grey rising from black, so that every tint of
// the shade table works. The intro font is white on black with nothing between its glyphs.
TEST(IssueArt, FontsHaveInkForEveryCodeTheyServe)
{
    ASSERT_EQ(issue_text_font_size, 2048u * 28u + 768u);
    const unsigned char* strip = issue_text_font;
    for (int i = 0; i < 2048 * 28; ++i) ASSERT_LE(strip[i], 11) << "pixel " << i;
    auto ink = [&](int code, int style, int r, int i) {
        return strip[((style == 1 ? 0 : 14) + r) * 2048 + (code - 32) * 9 + 1 + i] > 1;
    };
    int differing = 0;
    for (int code = 33; code <= 254; ++code)
        for (int style = 1; style <= 2; ++style) {
            int pixels = 0;
            for (int r = 0; r < 12; ++r)
                for (int i = 0; i < 9; ++i) {
                    pixels += ink(code, style, r, i);
                    differing += style == 2 && ink(code, 1, r, i) != ink(code, 2, r, i);
                }
            EXPECT_GT(pixels, 0) << "code " << code << " style " << style;
        }
    EXPECT_GT(differing, 2000);
    const unsigned char* grey = strip + 2048 * 28;
    EXPECT_EQ(grey[0] + grey[1] + grey[2], 0);
    for (int v = 1; v <= 11; ++v)
        EXPECT_TRUE(grey[3 * v] == grey[3 * v + 1] && grey[3 * v] == grey[3 * v + 2] && grey[3 * v] > grey[3 * v - 3]) << v;

    ASSERT_EQ(issue_intro_font_size, 768u + 960u * 18u);
    int intro_pixels[128] = {};
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 960; ++x) {
            const unsigned char* e = issue_intro_font + 3 * issue_intro_font[768 + y * 960 + x];
            if ((e[0] | e[1] | e[2]) == 0) continue;
            EXPECT_EQ(e[0] & e[1] & e[2], 255) << "white on black";
            ++intro_pixels[x == 0 || x > 950 ? 0 : 32 + (x - 1) / 10];
        }
    EXPECT_EQ(intro_pixels[0] + intro_pixels[32], 0) << "nothing between glyphs, the space is empty";
    for (int code = 33; code <= 126; ++code) EXPECT_GT(intro_pixels[code], 0) << "code " << code;
}

}  // namespace
