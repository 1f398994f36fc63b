// The issue's documents as stored lines, their decoding into the view, and the issue's other strings.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr int PAGE_LAST_LINE = 5000;   // line indices 0...5000
constexpr int PAGE_DOCUMENTS = 20;     // document indices 1...20 (0 holds nothing)
constexpr int VIEW_COLUMNS = 80;       // cell columns 0...80 (0 and 80 stay empty)
constexpr int DECODED_LINES = 5000;    // load_document decodes lines 0...4999

// One stored line: characters, one colour letter and one style digit per character, rule flag.
struct PageLine {
    std::string text;
    std::string colour;
    std::string style;
    std::string rule;
};

// Document d's lines are lines[d][0...]; any line past the end of a vector is an empty line.
struct PageStore {
    std::vector<PageLine> lines[PAGE_DOCUMENTS + 1];
};

// The decoded current document, the only form the renderer and the viewer read.
struct ViewLines {
    uint8_t character[PAGE_LAST_LINE + 1][VIEW_COLUMNS + 1];  // 0 = empty cell
    uint8_t colour[PAGE_LAST_LINE + 1][VIEW_COLUMNS + 1];     // shade column 1...31
    uint8_t style[PAGE_LAST_LINE + 1][VIEW_COLUMNS + 1];      // 1, 2; anything else draws nothing
    int32_t rule_kind[PAGE_LAST_LINE + 1];                    // numeric value of the rule flag
    uint8_t rule_plain[PAGE_LAST_LINE + 1];                   // 1 when the rule flag is exactly "0"
    int32_t line_count = 1;
};

extern PageStore page_store;
extern ViewLines view;

// Stores one line; positions outside line 0...5000, document 1...20 are refused (false).
bool page_store_set(PageStore& store, int line, int document, std::string_view text,
                    std::string_view colour, std::string_view style, std::string_view rule);
// Fills the page store with the issue's compiled-in documents.
void fill_page_store(PageStore& store);
void fill_page_store();

// Colour index of one colour letter ('1'-'9' -> 1-9, 'A'-'V' -> 10-31, anything else 1).
int colour_of_letter(int letter);
// A flag or digit string read as a number, rounded to the nearest integer (ties to even).
int32_t numeric_value(std::string_view s);

// Decodes document d (1...20) into the view and resets the viewer's scrolling.
void load_document(const PageStore& store, ViewLines& lines, int document);
void load_document(int document);

// Issue strings built at start-up.
constexpr int SONG_LINE_PAD = 65;
constexpr int INTRO_TEXT_PAD = 66;
extern std::string issue_title;
// Song lines, intro scroll text, issue title and the menu table.
void build_issue_strings();
