// The magazine screen through the real program: scripted input, captured frames, and the
// pixels the panel, the documents and the spine's own drawing determine.
#include <cmath>
#include <cstring>

#include "app/pages.h"
#include "app/viewer.h"
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

// A click at (x, y) in frame f: the pointer moves there two frames before.
std::string click(int f, int x, int y) {
    return std::to_string(f - 2) + " move " + std::to_string(x) + " " + std::to_string(y) + "\n" + std::to_string(f) +
           " press\n" + std::to_string(f + 1) + " release\n";
}

// The panel, the font and the documents as the program prepares them, and fixed-step runs of
// the magazine (Escape ends the intro at once).
struct Screens : ::testing::Test {
    ProgramRun p;
    int run(const std::string& script, long frames, const std::vector<int>& captures) {
        std::string args = "--fixed-step 16 --frames " + std::to_string(frames) +
                           p.script("1 key down Escape\n3 key up Escape\n" + script);
        for (int f : captures)
            args += p.capture(f);
        return p.run(args);
    }
    static void SetUpTestSuite() {
        prepare_background();
        decode_background(0, 0, 799, 599, 0, 0);
        prepare_text_font();
        fill_page_store();
    }
    static uint32_t bg(int x, int y) {
        return background_buffer[y * FRAME_WIDTH + x];
    }

    // Rows 1...31 of document d shown from top line top with scroll offset 0, as the spine
    // draws them over the panel; lines with a rule are left out (some rules move with time).
    static void expect_page(const Image& img, int d, int top) {
        load_document(page_store, view, d);
        std::memcpy(frame_buffer, background_buffer, sizeof background_buffer);
        draw_view_text(Viewer{}, view, top);
        int mismatches = 0;
        for (int i = 1; i <= 31; ++i) {
            if (top + i < view.line_count && !view.rule_plain[top + i])
                continue;
            for (int y = std::max(180 + 12 * i, 193); y < 192 + 12 * i; ++y)
                for (int x = 23; x < 23 + 9 * 80; ++x)
                    if (img.at(x, y) != frame_buffer[y * FRAME_WIDTH + x] && ++mismatches <= 5)
                        ADD_FAILURE() << "document " << d << " line " << top + i << " pixel (" << x << ", " << y
                                      << "): " << std::hex << img.at(x, y) << " want " << frame_buffer[y * FRAME_WIDTH + x];
        }
    }
};

constexpr int CLICK_GAP = 156;  // press frame to the next press: a page change is 150 frames

struct Opening {
    int document;
    int x, y;  // where to click
};

TEST_F(Screens, TheEditorialShowsFirstAndEveryReachableDocumentOpens) {
    // Articles list first (the start mode), then the charts list, then rules and help.
    const std::vector<Opening> openings = {
        {13, 200, 78},  {14, 200, 90},  {15, 200, 102}, {16, 200, 114},
        {17, 500, 66}, {18, 500, 78}, {11, 200, 66},
        {1, 200, 66},   {2, 200, 78},   {3, 200, 90},   {4, 200, 102},
        {5, 200, 114},  {6, 500, 66},  {7, 500, 78},  {8, 500, 90},
        {9, 500, 102}, {12, 700, 75}, {10, 700, 100},
    };
    std::string script = "10 move 760 170\n";
    std::vector<int> captures = {30};
    int f = 34;
    for (const Opening& o : openings) {
        if (o.document == 1) {
            // The switch row changes the list at once, without a page change.
            script += click(f, 500, 114);
            f += 6;
        }
        script += click(f, o.x, o.y);
        captures.push_back(f + 151);
        f += CLICK_GAP;
    }
    ASSERT_EQ(run(script, f, captures), 0);
    const Image start = p.frame(30);
    expect_page(start, 11, 0);
    EXPECT_EQ(start.at(390, 60), blend(bg(390, 60), 90, 200, 100, 100));  // editorial marked
    // Articles and tune 1 lit, charts and quit dark.
    EXPECT_EQ(start.at(36, 91), blend(bg(36, 91), 125, 125, 90, 80));
    EXPECT_EQ(start.at(13, 133), blend(bg(13, 133), 125, 125, 90, 80));
    EXPECT_EQ(start.at(36, 66), bg(36, 66));
    EXPECT_EQ(start.at(36, 41), bg(36, 41));
    for (size_t n = 0; n < openings.size(); ++n) {
        const Opening& o = openings[n];
        SCOPED_TRACE("document " + std::to_string(o.document));
        const Image img = p.frame(captures[n + 1]);
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

TEST_F(Screens, EndInTheReleaseListingShowsItsLastLineAndTheNextDocumentOpensAtItsTop) {
    // Charts list, left row 4 (document 4), End, then left row 5 (document 5).
    const std::string script = click(20, 60, 75) + click(30, 200, 102) + "190 key down End\n192 key up End\n";
    ASSERT_EQ(run(script + click(204, 200, 114), 360, {200, 359}), 0);
    const Image img = p.frame(200);
    const int last = issue::documents[4].line_count - 1;
    expect_page(img, 4, last - 32);
    // The thumb sits at the bottom of the track: 195 + 361 = 556.
    EXPECT_NE(img.at(783, 560), bg(783, 560));
    EXPECT_EQ(img.at(783, 580), bg(783, 580));
    expect_page(p.frame(359), 5, 0);
}

TEST_F(Screens, HoverTintRisesAndFadesAndDraggingTheScrollBarMovesTheView) {
    // Over tune 2's button (x 75...132, y 132...150; the pointer right of the checked pixel),
    // away; then hold on the strip, drag to y 380, let go and move away so the glow fades.
    const std::string script = "20 move 120 140\n80 move 600 300\n"
                               "90 move 783 300\n92 press\n96 move 783 380\n100 release\n102 move 760 170\n";
    ASSERT_EQ(run(script, 151, {23, 60, 84, 150}), 0);
    const uint32_t base = bg(80, 136);
    const uint32_t rising = p.frame(23).at(80, 136);
    EXPECT_NE(rising, base);
    EXPECT_NE(rising, blend(base, 122, 80, 90, 125));
    EXPECT_EQ(p.frame(60).at(80, 136), blend(base, 122, 80, 90, 125));  // steady at the top
    EXPECT_NE(p.frame(84).at(80, 136), base);                           // fading
    const Image img = p.frame(150);
    EXPECT_EQ(img.at(80, 136), base);
    const int lines = issue::documents[11].line_count;
    const int top = static_cast<int>(std::nearbyint(180.0 * (lines - 33) / 361.0));
    ASSERT_GT(top, 0);
    expect_page(img, 11, top);
    const int thumb = static_cast<int>(std::nearbyint(195 + 361.0 / (lines - 33) * top));
    EXPECT_EQ(img.at(783, thumb + 10), blend(bg(783, thumb + 10), 80, 100, 150, 250));
    EXPECT_EQ(img.at(783, 200), bg(783, 200));
}

TEST_F(Screens, EveryTuneButtonPlaysItsTuneAndTheQuitButtonEndsTheRun) {
    // Tunes 2, 3, 4 and 1 in turn. The music bars rise only while notes are heard (an idle
    // bar sinks below the panel within a few frames), so some of ten frames show them.
    const int tune_x[] = {40, 100, 690, 750};
    const int tunes[] = {2, 3, 4, 1};
    std::string script;
    std::vector<int> captures;
    for (int t = 0; t < 4; ++t) {
        const int f = 20 + 110 * t;
        script += click(f, tune_x[tunes[t] - 1], 140);
        for (int k = 30; k < 100; k += 7)
            captures.push_back(f + k);
    }
    const int quit = captures.back() + 10;
    captures.push_back(quit + 100);
    ASSERT_EQ(run(script + click(quit, 60, 50), 5000, captures), 0);
    EXPECT_FALSE(p.captured(quit + 100)) << "the run went on after the quit button";
    int lit[4] = {};
    for (size_t k = 0; k + 1 < captures.size(); ++k) {
        const Image img = p.frame(captures[k]);
        for (int y = 135; y <= BAR_BASE_ROW; ++y)
            for (int x = 158; x < 637; ++x)
                lit[k / 10] += img.at(x, y) != bg(x, y);
    }
    for (int t = 0; t < 4; ++t)
        EXPECT_GT(lit[t], 0) << "no music bars after tune button " << tunes[t];
}

}  // namespace
