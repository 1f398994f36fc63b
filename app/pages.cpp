#include "app/pages.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/menus.h"
#include "app/viewer.h"
#include "gfx/intro.h"
#include "gfx/scroller.h"
#include "issue/docs/documents.h"
#include "issue/strings/strings.h"

PageStore page_store;
ViewLines view;
std::string issue_title;
std::string song_lines[SONG_LINE_COUNT + 1];
std::string intro_scroll_text;

namespace {

constexpr std::string_view TERMINATOR = "<END>";

}  // namespace

bool page_store_set(PageStore& store, int line, int document, std::string_view text,
                    std::string_view colour, std::string_view style, std::string_view rule) {
    if (line < 0 || line > PAGE_LAST_LINE || document < 1 || document > PAGE_DOCUMENTS)
        return false;
    std::vector<PageLine>& doc = store.lines[document];
    if (static_cast<size_t>(line) >= doc.size())
        doc.resize(static_cast<size_t>(line) + 1);
    PageLine& l = doc[static_cast<size_t>(line)];
    l.text = text;
    l.colour = colour;
    l.style = style;
    l.rule = rule;
    return true;
}

int colour_of_letter(int letter) {
    if (letter >= '1' && letter <= '9')
        return letter - '0';
    if (letter >= 'A' && letter <= 'V')
        return letter - 'A' + 10;
    return 1;
}

int32_t numeric_value(std::string_view s) {
    // Leading blanks, an optional sign, digits with an optional fraction; anything after is ignored.
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    char buf[32];
    size_t n = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        buf[n++] = s[i++];
    bool digits = false, point = false;
    while (i < s.size() && n + 1 < sizeof buf) {
        char c = s[i];
        if (c >= '0' && c <= '9')
            digits = true;
        else if (c == '.' && !point)
            point = true;
        else
            break;
        buf[n++] = c;
        ++i;
    }
    if (!digits)
        return 0;
    buf[n] = '\0';
    double v = std::strtod(buf, nullptr);
    if (v > 2147483647.0)
        return INT32_MAX;
    if (v < -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(std::nearbyint(v));
}

namespace {

// Cell values of every byte, looked up once per cell while decoding.
struct CellTables {
    uint8_t colour[256];
    uint8_t style[256];
    CellTables() {
        for (int c = 0; c < 256; ++c) {
            colour[c] = static_cast<uint8_t>(colour_of_letter(c));
            // A style digit's value; anything that is not a digit reads as 0.
            style[c] = (c >= '0' && c <= '9') ? static_cast<uint8_t>(c - '0') : 0;
        }
    }
};
const CellTables cell_tables;

void clear_view_line(ViewLines& lines, int l) {
    std::memset(lines.character[l], 0, VIEW_COLUMNS);
    std::memset(lines.colour[l], 1, VIEW_COLUMNS);
    std::memset(lines.style[l], 0, VIEW_COLUMNS);
    lines.rule_kind[l] = 0;
    lines.rule_plain[l] = 0;
}

void decode_line(ViewLines& lines, int l, const PageLine& src) {
    uint8_t* ch = lines.character[l];
    uint8_t* co = lines.colour[l];
    uint8_t* st = lines.style[l];
    // Column 0 is the "0th character": always empty, colour 1, style 0.
    ch[0] = 0;
    co[0] = 1;
    st[0] = 0;
    const size_t tn = src.text.size(), cn = src.colour.size(), sn = src.style.size();
    for (size_t k = 1; k < VIEW_COLUMNS; ++k) {
        ch[k] = k <= tn ? static_cast<uint8_t>(src.text[k - 1]) : 0;
        co[k] = k <= cn ? cell_tables.colour[static_cast<unsigned char>(src.colour[k - 1])] : 1;
        st[k] = k <= sn ? cell_tables.style[static_cast<unsigned char>(src.style[k - 1])] : 0;
    }
    lines.rule_kind[l] = numeric_value(src.rule);
    lines.rule_plain[l] = src.rule == "0";
}

}  // namespace

void load_document(const PageStore& store, ViewLines& lines, int document) {
    if (document < 1 || document > PAGE_DOCUMENTS)
        return;
    const std::vector<PageLine>& doc = store.lines[document];
    lines.line_count = DECODED_LINES - 1;
    for (int l = 0; l < DECODED_LINES; ++l) {
        // A line never stored is empty: it decodes to the same blank slot as a terminator.
        if (static_cast<size_t>(l) >= doc.size()) {
            clear_view_line(lines, l);
            continue;
        }
        const PageLine& src = doc[static_cast<size_t>(l)];
        if (src.text.compare(0, TERMINATOR.size(), TERMINATOR) == 0) {
            lines.line_count = l;
            clear_view_line(lines, l);
        } else {
            decode_line(lines, l, src);
        }
    }
}

void load_document(int document) {
    if (document < 1 || document > PAGE_DOCUMENTS)
        return;
    load_document(page_store, view, document);
    viewer.scroll_offset = 0;
    viewer.top_line = 0;
}

void fill_page_store(PageStore& store) {
    for (int d = 1; d <= issue::document_count && d <= PAGE_DOCUMENTS; ++d) {
        const issue::Document& doc = issue::documents[d];
        if (!doc.lines)
            continue;
        for (int l = 0; l <= doc.line_count; ++l) {
            const issue::DocumentLine& src = doc.lines[l];
            auto view_of = [](const char* p) { return p ? std::string_view(p) : std::string_view(); };
            page_store_set(store, l, d, view_of(src.text), view_of(src.colour), view_of(src.style),
                           view_of(src.rule));
        }
    }
}

void fill_page_store() {
    fill_page_store(page_store);
}

void build_issue_strings() {
    const std::string pad(SONG_LINE_PAD, ' ');
    for (int n = 1; n <= SONG_LINE_COUNT; ++n) {
        song_lines[n] = pad + "Selected song: ";
        if (n <= issue::tune_count && issue::tune_credits[n])
            song_lines[n] += issue::tune_credits[n];
    }
    intro_scroll_text.assign(INTRO_TEXT_PAD, ' ');
    for (int i = 0; i < issue::intro_segment_count; ++i)
        if (issue::intro_segments[i])
            intro_scroll_text += issue::intro_segments[i];
    issue_title = issue::issue_title ? issue::issue_title : "";
    build_menu_table();
}
