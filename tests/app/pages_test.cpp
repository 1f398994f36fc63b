#include "tests/app/fixture.h"

namespace {

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

}  // namespace
