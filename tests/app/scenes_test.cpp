// The spine's drawing in a fixed list of scenes that reach the edges of the frame and of
// every clip box: glyphs, rules, the page view, the scroll bar, the wipe, menus and buttons.
// Each scene sums up the frame (with the guard pixel past its end) after every step and the
// state it left in one checksum, pinned below. A change to what is drawn fails here until it
// is made on purpose: the failure prints the new checksums.
#include "tests/app/fixture.h"

#include "app/text.h"
#include "tests/gfx/checksum.h"

namespace {

struct Sum : Checksum {
    // Sums the frame up and fills it with paper for the next step.
    void snap() {
        note(frame_buffer);
        fill_frame(PAPER);
        frame_buffer[FRAME_PIXELS] = PAPER;
    }
};

void glyphs(Sum& s) {
    for (int style : {0, 1, 2, 3})
        for (int colour : {0, 1, 4, 30, 31, 32}) {
            draw_glyph_clipped("A", 100, 300, 0, 799, 0, 599, style, colour);
            draw_glyph_view("B", 200, 300, style, colour);
            draw_glyph_view("\xff", 300, 188, style, colour);  // straddles the top of the band
            draw_glyph_view("C", 400, 575, style, colour);     // and its bottom
        }
    s.snap();
    for (const char* text : {"", " ", "\x1f", "A", "AB\xdb"})
        draw_glyph_view(text, 100, 300, 1, 5);
    draw_text_clipped("AAAA", 100, 300, 104, 120, 0, 599, 2, 3);
    draw_text_clipped("ABCD", 100, 400, 0, 799, 404, 409, 1, 3);
    draw_text_clipped("AAAA", 780, 590, -50, 5000, -50, 5000, 2, 3);
    draw_glyph_view("A", 795, 300, 2, 3);
    draw_glyph_view("A", -4, 300, 2, 3);
    draw_glyph_clipped("A", -4, 500, -50, 5000, 0, 599, 1, 3);
    s.snap();
}

void rules(Sum& s) {
    for (int kind = -1; kind <= 9; ++kind)
        draw_rule(200 + 30 * kind, 20, 745, kind);
    s.snap();
    for (double phase : {0.0, 100.0, 357.25}) {
        anim_phase = phase;
        draw_rule(57, 144, 507, 8);
        draw_rule(300, 10, 20, 8);
        draw_rule(400, 13, 20, 8);
        draw_rule(500, 0, 0, 8);
        draw_rule(599, 790, 100, 8);
        draw_rule(0, -50, 60, 1);
        draw_rule(-1, 0, 800, 8);
        s.snap();
    }
}

void page_view(Sum& s) {
    static PageStore store;
    // Every colour letter and odd ones, a style that is not a digit, lines longer than the view.
    const std::string ones(80, '1'), colours = "q W123456789ABCDEFGHIJKLMNOPQRSTUV", styles = "1212x20300";
    store.lines[3].clear();
    for (int l = 0; l < 60; ++l)
        page_store_set(store, l, 3, std::string(size_t(1 + l * 7 % 83), char(33 + l)), colours.substr(size_t(l % 20)),
                       l % 7 ? ones : styles, std::to_string(l % 11 == 5 ? 8 : l % 9 == 2 ? l % 8 : 0));
    // Several terminators: the last counts and the lines between stay; documents out of range
    // change nothing.
    page_store_set(store, 40, 3, "<END>", ones, ones, "0");
    page_store_set(store, 60, 3, "<END>extra", ones, ones, "0");
    load_document(store, view, 3);
    load_document(store, view, 0);
    load_document(store, view, 21);
    for (int offset : {0, 6, 12})
        for (int top : {0, 27, 55, -40, 6000}) {
            viewer.scroll_offset = offset;
            draw_view_rules(viewer, view, top);
            draw_view_text(viewer, view, top);
            s.snap();
        }
    viewer.scroll_offset = 0;
    for (int top : {0, 1, 13, 27}) {
        viewer.top_line = top;
        draw_scrollbar(viewer, view);
        s.snap();
    }
    // A short document after the long one: nothing of the long one stays behind.
    store_document(store, 4, 22);
    load_document(store, view, 4);
    draw_scrollbar(viewer, view);
    draw_view_rules(viewer, view, 0);
    draw_view_text(viewer, view, 0);
    s.snap();
    // Without a terminator ("<EN" is text) the whole column counts.
    store.lines[4].clear();
    page_store_set(store, 0, 4, "<EN", ones, ones, "0");
    load_document(store, view, 4);
    viewer.top_line = 2000;
    draw_scrollbar(viewer, view);
    s.snap();
}

void wipe(Sum& s) {
    for (int step : {0, 1, 100, 373, 746, 747, 800})
        draw_wipe_blinds(step);
    s.snap();
}

void menus_and_buttons(Sum& s) {
    load_menus();
    const struct {
        int x, y, latch, frames;
    } pointers[] = {{500, 100, 0, 1}, {146, 80, 0, 1}, {147, 80, 0, 1}, {147, 80, 1, 1}, {200, 66, 0, 1},
                    {100, 140, 0, 20}, {100, 300, 0, 3}, {100, 140, 1, 2}, {60, 50, 0, 4}, {10, 10, 0, 1}};
    for (const auto& p : pointers) {
        viewer.mouse_x = p.x;
        viewer.mouse_y = p.y;
        viewer.click_latch = p.latch;
        for (int f = 0; f < p.frames; ++f) {
            assets.pointer_mode = POINTER_NORMAL;
            fill_frame(0);
            draw_buttons();
            draw_menus();
        }
        s.note(assets.pointer_mode);
        s.note(assets.buttons.glow);
        s.snap();
    }
    menu_mode = MENU_CHARTS;
    draw_menus();
    s.snap();
}

const struct {
    const char* name;
    void (*draw)(Sum&);
    uint64_t sum;
} scenes[] = {
    {"glyphs", glyphs, 0x0104241cc3b86707u},
    {"rules", rules, 0xeef7a2d71f171386u},
    {"page_view", page_view, 0x83967289a471c489u},
    {"wipe", wipe, 0x9490892657cd7d42u},
    {"menus_and_buttons", menus_and_buttons, 0x7ece472d8678df21u},
};

using SpineScenes = SpineTest;

TEST_F(SpineScenes, DrawWhatTheCommittedChecksumsSay) {
    expect_pinned_sums(scenes, [&](const auto& scene) {
        SetUp();
        frame_buffer[FRAME_PIXELS] = PAPER;
        Sum s;
        scene.draw(s);
        return s.value;
    });
}

}  // namespace
