#include "tests/app/fixture.h"

namespace {

const std::string ONES(80, '1');

TEST(PageValues, NumbersRoundAndStopAtTheFirstStrayCharacter) {
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

TEST(LoadDocument, TheLastTerminatorSetsTheCount) {
    PageStore store;
    // Several terminators: the last one counts, lines between stay decoded.
    page_store_set(store, 0, 3, "x", ONES, ONES, "0");
    page_store_set(store, 2, 3, "<END>", ONES, ONES, "0");
    page_store_set(store, 3, 3, "mid", ONES, ONES, "0");
    page_store_set(store, 7, 3, "<END>extra", ONES, ONES, "0");
    load_document(store, view, 3);
    EXPECT_EQ(view.line_count, 7);
    EXPECT_EQ(view.character[3][1], 'm');
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

}  // namespace
