// docpreview: PNG previews of the issue as the reader draws it.
//   docpreview page PANEL.bin TEXTFONT.bin DOC OUT.png [TOP]
//                                          the screen with document DOC open, scrolled to line TOP
//   docpreview whole TEXTFONT.bin DOC OUT.png            every line of document DOC
//   docpreview font TEXTFONT.bin OUT.png                 both styles of the text font
//   docpreview panel PANEL.bin OUT.png                   the bare panel picture
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "issue/docs/documents.h"
#include "issue/strings/strings.h"
#include "tools/common/png.h"
#include "tools/docpreview/render.h"

using preview::Screen;

static bool read_file(const char* path, size_t size, std::vector<uint8_t>& out)
{
    std::ifstream in(path, std::ios::binary);
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.eof() && !in) return false;
    if (out.size() != size) {
        std::fprintf(stderr, "docpreview: %s has %zu bytes, expected %zu\n", path, out.size(), size);
        return false;
    }
    return true;
}

static int colour_of(char c)
{
    if (c >= '1' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'V') return c - 'A' + 10;
    return 1;
}

// Draws document lines first ... first + rows - 1 with their top row at y0, as the viewer does.
static void draw_lines(Screen& s, const preview::Font& f, const issue::Document& d, int first, int rows, int y0,
                       int y_min, int y_max)
{
    for (int i = 0; i < rows && first + i < d.line_count; ++i) {
        const issue::DocumentLine& l = d.lines[first + i];
        int y = y0 + 12 * i;
        int kind = std::atoi(l.rule);
        if (y + 6 > y_min - 1 && y + 6 < y_max + 3) preview::rule(s, y + 6, 20, 745, kind, 0.0);
        bool opaque = std::string(l.rule) == "0" && i > 0 && i < 32;
        std::string t = l.text, c = l.colour, st = l.style;
        for (int k = 1; k < 80 && k <= static_cast<int>(t.size()); ++k) {
            int style = k <= static_cast<int>(st.size()) ? st[k - 1] - '0' : 0;
            int colour = k <= static_cast<int>(c.size()) ? colour_of(c[k - 1]) : 1;
            preview::glyph(s, f, static_cast<uint8_t>(t[k - 1]), 23 + 9 * k, y, style, colour, opaque, 0, 800, y_min,
                           y_max);
        }
    }
}

static void draw_page(Screen& s, const preview::Font& f, const uint8_t* panel, int doc, int top)
{
    preview::picture(s, panel);
    int mode = doc >= 1 && doc <= 9 ? 1 : 2;
    static constexpr int lit_buttons[3][4] = {{35, 65, 88, 18}, {35, 90, 88, 18}, {12, 132, 57, 18}};
    for (int b = 0; b < 3; ++b)
        if (b == 2 || b == mode - 1) {
            const int* r = lit_buttons[b];
            preview::blend_box(s, r[0], r[1], r[2], r[3], 125, 125, 90, 80);
        }
    std::string title = issue::issue_title;
    int tx = static_cast<int>(std::nearbyint(404 - 9 * static_cast<int>(title.size()) / 2.0));
    preview::text(s, f, title, tx, 42, 1, 25, 146, 649, 40, 145);
    static constexpr int lists[2][9] = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {11, 13, 14, 15, 16, 17, 18, 19, 20}};
    for (int n = 0; n < 10; ++n) {
        int col = n < 5 ? 0 : 1, r = n < 5 ? n + 1 : n - 4;
        int x = col == 0 ? 146 : 400, y = 48 + 12 * r;
        if (n < 9) {
            int entry = lists[mode - 1][n];
            if (entry < 19) preview::text(s, f, issue::documents[entry].label, x, y, 1, 2, 146, 649, 40, 145);
            preview::blend_box(s, x, 49 + 12 * r, 245, 10, 60, 100, 100, 100);
            if (entry == doc) preview::blend_box(s, x, y, 245, 10, 90, 200, 100, 100);
        } else {
            preview::text(s, f, mode == 1 ? "> Articles Menu" : "> Charts Menu", x, y, 1, 1, 146, 649, 40, 145);
            preview::blend_box(s, x, 49 + 12 * r, 245, 10, 60, 100, 100, 100);
        }
    }
    preview::rule(s, 57, 144, 507, 8, 0.0);
    preview::rule(s, 122, 144, 507, 8, 0.0);
    std::string song = std::string("Selected song: ") + issue::tune_credits[1];
    preview::text(s, f, song, 146 + 9 * 10, 123, 2, 2, 146, 649, 40, 145);
    draw_lines(s, f, issue::documents[doc], top, 34, 180, 193, 579);
    int count = issue::documents[doc].line_count;
    if (count > 33) {
        int thumb = static_cast<int>(std::nearbyint(195 + 361.0 / (count - 33) * top));
        preview::blend_box(s, 779, thumb, 8, 20, 80, 100, 150, 250);
    }
}

static int document_number(const char* s)
{
    int d = std::atoi(s);
    if (d < 1 || d > issue::document_count) {
        std::fprintf(stderr, "docpreview: no document %s\n", s);
        std::exit(2);
    }
    return d;
}

int main(int argc, char** argv)
{
    std::string mode = argc > 1 ? argv[1] : "";
    const size_t panel_size = preview::palette_bytes + preview::W * preview::H;
    const size_t font_size = preview::strip_w * preview::strip_h + preview::palette_bytes;
    std::vector<uint8_t> panel, font;
    Screen s;
    std::string out;
    if (mode == "page" && (argc == 6 || argc == 7)) {
        if (!read_file(argv[2], panel_size, panel) || !read_file(argv[3], font_size, font)) return 1;
        preview::Font f(font.data());
        int doc = document_number(argv[4]);
        int last = std::max(0, issue::documents[doc].line_count - 33);
        int top = argc == 7 ? std::clamp(std::atoi(argv[6]), 0, last) : 0;
        draw_page(s, f, panel.data(), doc, top);
        out = argv[5];
    } else if (mode == "whole" && argc == 5) {
        if (!read_file(argv[2], font_size, font)) return 1;
        preview::Font f(font.data());
        const issue::Document& d = issue::documents[document_number(argv[3])];
        s.height = 12 * (d.line_count + 2);
        s.px.assign(static_cast<size_t>(s.width) * s.height, 0);
        draw_lines(s, f, d, 0, d.line_count, 12, 12, s.height - 13);
        out = argv[4];
    } else if (mode == "font" && argc == 4) {
        if (!read_file(argv[2], font_size, font)) return 1;
        preview::Font f(font.data());
        // Each style in four colours, 32 characters a row, drawn twice the size.
        Screen small;
        small.height = 2 * 4 * 7 * 12 + 40;
        small.width = 32 * 9 * 2 + 16;
        small.px.assign(static_cast<size_t>(small.width) * small.height, 0);
        static constexpr int colours[4] = {1, 25, 13, 4};
        int y = 4;
        for (int style = 1; style <= 2; ++style) {
            for (int c = 0; c < 4; ++c)
                for (int row = 0; row < 7; ++row, y += 12)
                    for (int k = 0; k < 32; ++k) {
                        int code = 32 + row * 32 + k;
                        preview::glyph(small, f, code, 8 + 9 * k, y, style, colours[c], true, 0, 800, 0, 9999);
                    }
            y += 16;
        }
        s.width = small.width * 2;
        s.height = small.height * 2;
        s.px.assign(static_cast<size_t>(s.width) * s.height, 0);
        for (int yy = 0; yy < s.height; ++yy)
            for (int xx = 0; xx < s.width; ++xx) s.set(xx, yy, small.get(xx / 2, yy / 2));
        out = argv[3];
    } else if (mode == "panel" && argc == 4) {
        if (!read_file(argv[2], panel_size, panel)) return 1;
        preview::picture(s, panel.data());
        out = argv[3];
    } else {
        std::fprintf(stderr,
                     "usage: docpreview page PANEL.bin TEXTFONT.bin DOC OUT.png [TOP] | whole TEXTFONT.bin DOC OUT.png |\n"
                     "       font TEXTFONT.bin OUT.png | panel PANEL.bin OUT.png\n");
        return 2;
    }
    if (!png::write_rgb(out, s.width, s.height, s.px)) {
        std::fprintf(stderr, "docpreview: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
