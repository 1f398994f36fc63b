#include "tests/app/fixture.h"

#include <utility>

#include "gfx/intro.h"
#include "gfx/scroller.h"
#include "issue/docs/documents.h"

namespace {

const std::string ONES(80, '1');

TEST(PageValues, ColourLettersAndNumbers) {
    const struct {
        int letter, colour;
    } letters[] = {{'1', 1}, {'9', 9}, {'A', 10}, {'U', 30}, {'V', 31}, {'0', 1},
                   {'W', 1}, {'a', 1}, {'v', 1},  {' ', 1},  {0, 1},    {200, 1}};
    for (const auto& c : letters)
        EXPECT_EQ(colour_of_letter(c.letter), c.colour) << c.letter;
    const struct {
        const char* text;
        int32_t value;
    } numbers[] = {{"8", 8},   {"", 0},    {"x", 0},   {" 7z", 7},
                   {"2.5", 2}, {"3.5", 4}, {"-1", -1}, {"99999999999999", INT32_MAX}};
    for (const auto& c : numbers)
        EXPECT_EQ(numeric_value(c.text), c.value) << c.text;
}

TEST(PageValues, StoreRefusesPositionsOutsideIt) {
    const struct {
        int line, document;
        bool stored;
    } cases[] = {{5000, 20, true}, {5001, 1, false}, {-1, 1, false}, {0, 0, false}, {0, 21, false}};
    PageStore s;
    for (const auto& c : cases)
        EXPECT_EQ(page_store_set(s, c.line, c.document, "a", "", "", "0"), c.stored) << c.line << "," << c.document;
}

struct LoadDocument : ::testing::Test {
    PageStore store;
};

TEST_F(LoadDocument, TheLastTerminatorSetsTheCountAndNothingStaysBehind) {
    store_document(store, 12, 391, "8");
    load_document(store, view, 12);
    EXPECT_EQ(view.rule_kind[200], 8);
    // Several terminators: the last one counts, lines between stay decoded; "<EN" is text.
    store.lines[3].clear();
    page_store_set(store, 0, 3, "x", ONES, ONES, "0");
    page_store_set(store, 2, 3, "<END>", ONES, ONES, "0");
    page_store_set(store, 3, 3, "mid", ONES, ONES, "0");
    page_store_set(store, 7, 3, "<END>extra", ONES, ONES, "0");
    load_document(store, view, 3);
    EXPECT_EQ(view.line_count, 7);
    EXPECT_EQ(view.character[3][1], 'm');
    for (int l = 7; l < DECODED_LINES; ++l) {
        ASSERT_EQ(view.rule_kind[l], 0) << l;
        ASSERT_EQ(view.rule_plain[l], 0) << l;
        ASSERT_EQ(view.colour[l][3], 1) << l;
        for (int k = 0; k < VIEW_COLUMNS; ++k) {
            ASSERT_EQ(view.character[l][k], 0) << l << "," << k;
            ASSERT_EQ(view.style[l][k], 0) << l << "," << k;
        }
    }
    // Out of range documents change nothing; without a terminator ("<EN" is text) the
    // whole column counts.
    load_document(store, view, 0);
    load_document(store, view, 21);
    EXPECT_EQ(view.line_count, 7);
    store.lines[3].clear();
    page_store_set(store, 0, 3, "<EN", ONES, ONES, "0");
    load_document(store, view, 3);
    EXPECT_EQ(view.line_count, 4999);
}

TEST(IssuePages, EveryDocumentLoadsFromTheTopWithItsLineCountAndTheStringsAreFilled) {
    fill_page_store();
    for (int d = 1; d <= PAGE_DOCUMENTS; ++d) {
        viewer.top_line = 50;
        viewer.scroll_offset = 6;
        load_document(d);
        EXPECT_EQ(view.line_count, issue::documents[d].line_count) << "document " << d;
        EXPECT_EQ(std::pair(viewer.top_line, viewer.scroll_offset), std::pair(0, 0)) << "document " << d;
    }
    build_issue_strings();
    const std::string lead = std::string(65, ' ') + "Selected song: ";
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(song_lines[n].rfind(lead, 0), 0u) << n;
        EXPECT_GT(song_lines[n].size(), lead.size()) << n;
    }
    EXPECT_EQ(song_lines[5], lead);
    EXPECT_EQ(intro_scroll_text.find_first_not_of(' '), 66u);
    EXPECT_EQ(issue_title, "THE KELVARIN ISSUE 30");
}

}  // namespace
