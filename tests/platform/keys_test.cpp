#include <gtest/gtest.h>

#include "platform/keys.h"

TEST(KeyQuery, APressIsReportedOnceThenHeldAndATapBetweenQueriesOnlyAsPressedSince)
{
    constexpr int QUERY = 2;
    const struct {
        int key;
        int what;        // key down (1), key up (0) or a query
        int16_t answer;  // of a query
    } steps[] = {
        {VK_ESCAPE, QUERY, 0},      {VK_ESCAPE, 1, 0},          {VK_ESCAPE, QUERY, -32767},
        {VK_ESCAPE, QUERY, -32768},  // still down, no new press
        {VK_ESCAPE, 1, 0},           // auto-repeat is not a new press
        {VK_ESCAPE, QUERY, -32768}, {VK_ESCAPE, 0, 0},          {VK_ESCAPE, QUERY, 0},
        {VK_END, 1, 0},             {VK_END, 0, 0},             {VK_END, QUERY, 1},
        {VK_END, QUERY, 0},         {VK_UP, 1, 0},              {VK_DOWN, QUERY, 0},
        {VK_UP, QUERY, -32767},     {-1, 1, 0},                 {KEY_COUNT, 1, 0},
        {-1, QUERY, 0},             {KEY_COUNT, QUERY, 0},
    };
    KeyState s{};
    int n = 0;
    for (const auto& step : steps) {
        ++n;
        if (step.what == QUERY) {
            EXPECT_EQ(key_query(s, step.key), step.answer) << "step " << n << ", key " << step.key;
        } else {
            key_event(s, step.key, step.what == 1);
        }
    }
}
