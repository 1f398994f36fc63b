// The magazine screen through the real program: scripted input, captured frames, and the
// pixels the panel, the font and the documents determine.
#include <cmath>
#include <cstring>

#include "gfx/assets.h"
#include "gfx/bars.h"
#include "gfx/frame.h"
#include "issue/docs/documents.h"
#include "tests/app/program.h"

namespace {

uint32_t blend(uint32_t old, int a, int r, int g, int b) {
    auto ch = [&](int shift, int n) {
        return static_cast<uint32_t>((n * a + static_cast<int>((old >> shift) & 0xFF) * (256 - a)) >> 8);
    };
    return ch(16, r) << 16 | ch(8, g) << 8 | ch(0, b);
}

// The panel and the font as the program prepares them, and fixed-step runs.
struct Screens : ::testing::Test {
    ProgramRun p;
    int run(const std::string& script, long frames, const std::vector<int>& captures) {
        std::string args = "--fixed-step 16 --frames " + std::to_string(frames) + p.script(script);
        for (int f : captures)
            args += p.capture(f);
        return p.run(args);
    }
    static void SetUpTestSuite() {
        prepare_background();
        decode_background(0, 0, 799, 599, 0, 0);
        prepare_text_font();
    }
    static uint32_t bg(int x, int y) {
        return background_buffer[y * FRAME_WIDTH + x];
    }

    static int colour_index(const char* s, size_t k) {
        if (!s || std::strlen(s) <= k)
            return 1;
        const char c = s[k];
        if (c >= '1' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'V')
            return c - 'A' + 10;
        return 1;
    }

    // Rows 1...31 of document d shown from top line top with scroll offset 0: lines with a
    // plain rule flag are painted cell by cell, lines past the end show the panel.
    static void expect_page(const Image& img, int d, int top) {
        const issue::Document& doc = issue::documents[d];
        int mismatches = 0;
        for (int i = 1; i <= 31 && mismatches < 5; ++i) {
            const int l = top + i;
            const int y0 = 180 + 12 * i;
            const bool past_end = l >= doc.line_count;
            const issue::DocumentLine* line = past_end ? nullptr : &doc.lines[l];
            if (line && std::string(line->rule ? line->rule : "") != "0")
                continue;
            for (int k = 0; k < 80; ++k) {
                const int x0 = 23 + 9 * k;
                const size_t tl = line && line->text ? std::strlen(line->text) : 0;
                const unsigned q = k >= 1 && static_cast<size_t>(k) <= tl
                                       ? static_cast<unsigned char>(line->text[k - 1]) : 0;
                const int style = k >= 1 && line && line->style && std::strlen(line->style) >= static_cast<size_t>(k)
                                      ? line->style[k - 1] - '0' : 0;
                const int colour = k >= 1 ? colour_index(line ? line->colour : nullptr, k - 1) : 1;
                const bool drawn = q > 32 && (style == 1 || style == 2);
                for (int r = 0; r < 12; ++r) {
                    const int y = y0 + r;
                    if (y < 193 || y > 579)
                        continue;
                    for (int c = 0; c < 9; ++c) {
                        uint32_t want = bg(x0 + c, y);
                        if (drawn) {
                            const int v = assets.font_pixels[((style == 1 ? 0 : 14) + r) * FONT_STRIP_WIDTH + (q - 32) * 9 + 1 + c];
                            want = colour == 31 ? 0 : assets.shade_table[v * SHADE_COLUMNS + colour];
                        }
                        if (img.at(x0 + c, y) != want && ++mismatches <= 5)
                            ADD_FAILURE() << "document " << d << " line " << l << " column " << k << " pixel ("
                                          << x0 + c << ", " << y << "): " << std::hex << img.at(x0 + c, y)
                                          << " want " << want;
                    }
                }
            }
        }
    }
};

constexpr int CLICK_GAP = 156;  // press frame to the next press: a page change is 150 frames

struct Opening {
    int document;
    int x, y;  // where to click
};

TEST_F(Screens, EveryReachableDocumentOpens) {
    // Articles list first (the start mode), then the charts list, then rules and help.
    const std::vector<Opening> openings = {
        {13, 200, 78},  {14, 200, 90},  {15, 200, 102}, {16, 200, 114},
        {17, 500, 66}, {18, 500, 78}, {11, 200, 66},
        {1, 200, 66},   {2, 200, 78},   {3, 200, 90},   {4, 200, 102},
        {5, 200, 114},  {6, 500, 66},  {7, 500, 78},  {8, 500, 90},
        {9, 500, 102}, {12, 700, 75}, {10, 700, 100},
    };
    std::string script = "1 key down Escape\n3 key up Escape\n";
    std::vector<int> captures;
    int f = 20;
    for (const Opening& o : openings) {
        if (o.document == 1) {
            // The switch row changes the list at once, without a page change.
            script += std::to_string(f - 2) + " move 500 114\n" + std::to_string(f) + " press\n" +
                      std::to_string(f + 2) + " release\n";
            f += 6;
        }
        script += std::to_string(f - 2) + " move " + std::to_string(o.x) + " " + std::to_string(o.y) + "\n" +
                  std::to_string(f) + " press\n" + std::to_string(f + 1) + " release\n";
        captures.push_back(f + 151);
        f += CLICK_GAP;
    }
    ASSERT_EQ(run(script, f, captures), 0);
    for (size_t n = 0; n < openings.size(); ++n) {
        const Opening& o = openings[n];
        SCOPED_TRACE("document " + std::to_string(o.document));
        const Image img = p.frame(captures[n]);
        expect_page(img, o.document, 0);
        // The entry's selection mark; menu rows' text positions are 48 + 12 r.
        const int row = (o.y - 48) / 12;
        const int mark_y = 48 + 12 * row;
        if (o.document != 10 && o.document != 12) {
            const int mx = o.x < 400 ? 390 : 644;
            EXPECT_EQ(img.at(mx, mark_y), blend(bg(mx, mark_y), 90, 200, 100, 100));
            const int other = row == 1 ? mark_y + 12 : mark_y - 12;
            EXPECT_EQ(img.at(mx, other), bg(mx, other));
        } else {
            // Rules or help: its button lit, no menu entry marked.
            const int by = o.document == 12 ? 65 : 90;
            EXPECT_EQ(img.at(673, by + 1), blend(bg(673, by + 1), 125, 125, 90, 80));
            EXPECT_EQ(img.at(390, 60), bg(390, 60));
        }
    }
}

TEST_F(Screens, StartScreenShowsTheEditorial) {
    const std::string script = "1 key down Escape\n3 key up Escape\n10 move 760 170\n";
    ASSERT_EQ(run(script, 31, {30}), 0);
    const Image img = p.frame(30);
    expect_page(img, 11, 0);
    EXPECT_EQ(img.at(390, 60), blend(bg(390, 60), 90, 200, 100, 100));  // editorial marked
    // Articles and tune 1 lit, charts and quit dark.
    EXPECT_EQ(img.at(36, 91), blend(bg(36, 91), 125, 125, 90, 80));
    EXPECT_EQ(img.at(13, 133), blend(bg(13, 133), 125, 125, 90, 80));
    EXPECT_EQ(img.at(36, 66), bg(36, 66));
    EXPECT_EQ(img.at(36, 41), bg(36, 41));
}

TEST_F(Screens, EndInTheReleaseListingShowsItsLastLine) {
    // Charts list, left row 4 (document 4), then End.
    const std::string script =
        "1 key down Escape\n3 key up Escape\n"
        "18 move 60 75\n20 press\n21 release\n"
        "28 move 200 102\n30 press\n31 release\n"
        "190 key down End\n192 key up End\n";
    ASSERT_EQ(run(script, 201, {200}), 0);
    const Image img = p.frame(200);
    const int last = issue::documents[4].line_count - 1;
    expect_page(img, 4, last - 32);
    // The thumb sits at the bottom of the track: 195 + 361 = 556.
    EXPECT_NE(img.at(783, 560), bg(783, 560));
    EXPECT_EQ(img.at(783, 580), bg(783, 580));
}

TEST_F(Screens, DraggingTheScrollBarMovesTheView) {
    // Hold on the strip, drag to y 380, let go and move away so the glow fades.
    const std::string script =
        "1 key down Escape\n3 key up Escape\n"
        "20 move 783 300\n22 press\n26 move 783 380\n30 release\n32 move 760 170\n";
    ASSERT_EQ(run(script, 81, {80}), 0);
    const Image img = p.frame(80);
    const int lines = issue::documents[11].line_count;
    const int top = static_cast<int>(std::nearbyint(180.0 * (lines - 33) / 361.0));
    ASSERT_GT(top, 0);
    expect_page(img, 11, top);
    const int thumb = static_cast<int>(std::nearbyint(195 + 361.0 / (lines - 33) * top));
    EXPECT_EQ(img.at(783, thumb + 10), blend(bg(783, thumb + 10), 80, 100, 150, 250));
    EXPECT_EQ(img.at(783, 200), bg(783, 200));
}

TEST_F(Screens, HoverTintRisesAndFades) {
    // Tune 2's button: x 75...132, y 132...150; the pointer sits right of the checked pixel.
    const std::string script =
        "1 key down Escape\n3 key up Escape\n"
        "20 move 120 140\n80 move 600 300\n";
    ASSERT_EQ(run(script, 150, {23, 60, 84, 149}), 0);
    const uint32_t base = bg(80, 136);
    const uint32_t rising = p.frame(23).at(80, 136);
    EXPECT_NE(rising, base);
    EXPECT_NE(rising, blend(base, 122, 80, 90, 125));
    EXPECT_EQ(p.frame(60).at(80, 136), blend(base, 122, 80, 90, 125));  // steady at the top
    const uint32_t fading = p.frame(84).at(80, 136);
    EXPECT_NE(fading, base);
    EXPECT_EQ(p.frame(149).at(80, 136), base);
}

TEST_F(Screens, EveryTuneButtonPlaysItsTune) {
    // Tunes 2, 3, 4 and 1 in turn. The music bars rise only while notes are heard (an idle
    // bar sinks below the panel within a few frames), so some of ten frames show them.
    const int tune_x[] = {40, 100, 690, 750};
    const int tunes[] = {2, 3, 4, 1};
    std::string script = "1 key down Escape\n3 key up Escape\n";
    std::vector<int> captures;
    for (int t = 0; t < 4; ++t) {
        const int f = 20 + 110 * t;
        script += std::to_string(f - 2) + " move " + std::to_string(tune_x[tunes[t] - 1]) + " 140\n" +
                  std::to_string(f) + " press\n" + std::to_string(f + 1) + " release\n";
        for (int k = 30; k < 100; k += 7)
            captures.push_back(f + k);
    }
    ASSERT_EQ(run(script, captures.back() + 1, captures), 0);
    int lit[4] = {};
    for (size_t k = 0; k < captures.size(); ++k) {
        const Image img = p.frame(captures[k]);
        for (int y = 135; y <= BAR_BASE_ROW; ++y)
            for (int x = 158; x < 637; ++x)
                lit[k / 10] += img.at(x, y) != bg(x, y);
    }
    for (int t = 0; t < 4; ++t)
        EXPECT_GT(lit[t], 0) << "no music bars after tune button " << tunes[t];
}

TEST_F(Screens, QuitButtonEndsTheRunWithStatusZero) {
    const std::string script = "1 key down Escape\n3 key up Escape\n20 move 60 50\n22 press\n24 release\n";
    EXPECT_EQ(run(script, 5000, {400}), 0);
    EXPECT_FALSE(p.captured(400)) << "the run went on after the quit button";
}

}  // namespace
