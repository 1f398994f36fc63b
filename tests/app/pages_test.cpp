#include "tests/app/fixture.h"

#include <cstring>

#include "gfx/intro.h"
#include "gfx/scroller.h"

namespace {

PageStore store;

const std::string ONES(80, '1');

TEST(ColourLetters, MapToShadeColumns) {
    EXPECT_EQ(colour_of_letter('1'), 1);
    EXPECT_EQ(colour_of_letter('9'), 9);
    EXPECT_EQ(colour_of_letter('A'), 10);
    EXPECT_EQ(colour_of_letter('U'), 30);
    EXPECT_EQ(colour_of_letter('V'), 31);
    for (int c : {int('0'), int('W'), int('a'), int('v'), int(' '), 0, 200})
        EXPECT_EQ(colour_of_letter(c), 1) << c;
}

TEST(NumericValue, ReadsLeadingNumberRoundedToEven) {
    EXPECT_EQ(numeric_value("8"), 8);
    EXPECT_EQ(numeric_value(""), 0);
    EXPECT_EQ(numeric_value("x"), 0);
    EXPECT_EQ(numeric_value(" 7z"), 7);
    EXPECT_EQ(numeric_value("2.5"), 2);
    EXPECT_EQ(numeric_value("3.5"), 4);
    EXPECT_EQ(numeric_value("-1"), -1);
    EXPECT_EQ(numeric_value("99999999999999"), INT32_MAX);
}

TEST(PageStoreSet, RefusesPositionsOutsideTheStore) {
    PageStore s;
    EXPECT_TRUE(page_store_set(s, 5000, 20, "a", "", "", "0"));
    EXPECT_FALSE(page_store_set(s, 5001, 1, "a", "", "", "0"));
    EXPECT_FALSE(page_store_set(s, -1, 1, "a", "", "", "0"));
    EXPECT_FALSE(page_store_set(s, 0, 0, "a", "", "", "0"));
    EXPECT_FALSE(page_store_set(s, 0, 21, "a", "", "", "0"));
}

struct LoadDocument : ::testing::Test {
    void SetUp() override {
        for (auto& d : store.lines)
            d.clear();
    }
};

TEST_F(LoadDocument, EightyCharacterLineDropsItsLastCharacter) {
    std::string text(80, 'x');
    text[0] = 'F';
    text[78] = 'P';
    text[79] = 'Z';
    page_store_set(store, 0, 1, text, ONES, ONES, "0");
    page_store_set(store, 1, 1, "<END>", ONES, ONES, "0");
    load_document(store, view, 1);
    EXPECT_EQ(view.character[0][0], 0);
    EXPECT_EQ(view.character[0][1], 'F');
    EXPECT_EQ(view.character[0][79], 'P');
    EXPECT_EQ(view.line_count, 1);
}

TEST_F(LoadDocument, ShortLinesAndAttributes) {
    // Text of 5, colour line of 3 with odd letters, style line of 4 with a "3".
    page_store_set(store, 0, 2, "abcde", "Vq ", "1233", "8");
    page_store_set(store, 1, 2, "<END>", ONES, ONES, "0");
    load_document(store, view, 2);
    EXPECT_EQ(view.character[0][5], 'e');
    EXPECT_EQ(view.character[0][6], 0);
    EXPECT_EQ(view.colour[0][1], 31);
    EXPECT_EQ(view.colour[0][2], 1);   // lower-case letter
    EXPECT_EQ(view.colour[0][3], 1);   // space
    EXPECT_EQ(view.colour[0][4], 1);   // past the colour line
    EXPECT_EQ(view.style[0][2], 2);
    EXPECT_EQ(view.style[0][3], 3);
    EXPECT_EQ(view.style[0][5], 0);    // past the style line: invisible
    EXPECT_EQ(view.rule_kind[0], 8);
    EXPECT_EQ(view.rule_plain[0], 0);
}

TEST_F(LoadDocument, ShortDocumentAfterLongLeavesNothingBehind) {
    store_document(store, 12, 391, "8");
    store_document(store, 18, 5);
    load_document(store, view, 12);
    EXPECT_EQ(view.line_count, 391);
    EXPECT_EQ(view.rule_kind[200], 8);
    load_document(store, view, 18);
    EXPECT_EQ(view.line_count, 5);
    for (int l = 5; l < DECODED_LINES; ++l) {
        EXPECT_EQ(view.rule_kind[l], 0) << l;
        for (int k = 0; k < VIEW_COLUMNS; ++k)
            ASSERT_EQ(view.character[l][k], 0) << l << "," << k;
    }
    // The terminator's slot is blank too.
    EXPECT_EQ(view.colour[5][3], 1);
    EXPECT_EQ(view.style[5][3], 0);
    EXPECT_EQ(view.rule_plain[5], 0);
}

TEST_F(LoadDocument, TerminatorCounting) {
    // No terminator: the whole column counts.
    page_store_set(store, 0, 3, "x", ONES, ONES, "0");
    load_document(store, view, 3);
    EXPECT_EQ(view.line_count, 4999);
    // Several terminators: the last one sets the count, lines between stay decoded.
    page_store_set(store, 2, 3, "<END>", ONES, ONES, "0");
    page_store_set(store, 3, 3, "mid", ONES, ONES, "0");
    page_store_set(store, 7, 3, "<END>extra", ONES, ONES, "0");
    load_document(store, view, 3);
    EXPECT_EQ(view.line_count, 7);
    EXPECT_EQ(view.character[3][1], 'm');
    // "<EN" alone is not a terminator.
    page_store_set(store, 7, 3, "<EN", ONES, ONES, "0");
    load_document(store, view, 3);
    EXPECT_EQ(view.line_count, 2);
}

TEST_F(LoadDocument, OutOfRangeDocumentChangesNothing) {
    store_document(store, 4, 40);
    load_document(store, view, 4);
    load_document(store, view, 0);
    load_document(store, view, 21);
    EXPECT_EQ(view.line_count, 40);
}

TEST_F(LoadDocument, ModuleLoadResetsScrolling) {
    viewer.top_line = 50;
    viewer.scroll_offset = 6;
    fill_page_store();
    load_document(11);
    EXPECT_EQ(viewer.top_line, 0);
    EXPECT_EQ(viewer.scroll_offset, 0);
}

TEST(IssueData, DocumentsHaveTheirLineCounts) {
    static PageStore issue_store;
    fill_page_store(issue_store);
    const int counts[21] = {0,  117, 74, 50,  2115, 56, 45,  22,  178, 66, 109,
                            64, 391, 77, 86,  105,  178, 22, 5,   5,   5};
    for (int d = 1; d <= 20; ++d) {
        load_document(issue_store, view, d);
        EXPECT_EQ(view.line_count, counts[d]) << "document " << d;
    }
}

TEST(IssueStrings, SongLinesIntroTextTitleAndMenu) {
    build_issue_strings();
    const std::string lead = std::string(65, ' ') + "Selected song: ";
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(song_lines[n].substr(0, lead.size()), lead) << n;
    EXPECT_EQ(song_lines[5], lead);
    EXPECT_GT(song_lines[1].size(), lead.size());
    EXPECT_EQ(intro_scroll_text.size(), 331u);
    EXPECT_EQ(intro_scroll_text.substr(0, 66), std::string(66, ' '));
    const std::string prompt = "  Press Escape or Left mouse to start.  ";
    EXPECT_EQ(intro_scroll_text.substr(331 - prompt.size()), prompt);
    EXPECT_EQ(issue_title, "THE KELVARIN ISSUE 30");
    EXPECT_EQ(menu_entries[11].label, "> This Issue's Editorial");
    for (int e = 1; e <= 20; ++e) {
        EXPECT_EQ(menu_entries[e].available, e <= 18 ? 1 : 0) << e;
        EXPECT_EQ(menu_entries[e].selected, e == 11 ? 1 : 0) << e;
    }
}

}  // namespace
