#include <gtest/gtest.h>

#include "platform/keys.h"

TEST(KeyQuery, PressIsReportedOnceThenHeld)
{
    KeyState s{};
    EXPECT_EQ(key_query(s, VK_ESCAPE), 0);
    key_event(s, VK_ESCAPE, true);
    EXPECT_EQ(key_query(s, VK_ESCAPE), -32767);
    EXPECT_EQ(key_query(s, VK_ESCAPE), -32768);   // still down, no new press
    key_event(s, VK_ESCAPE, true);                 // auto-repeat is not a new press
    EXPECT_EQ(key_query(s, VK_ESCAPE), -32768);
    key_event(s, VK_ESCAPE, false);
    EXPECT_EQ(key_query(s, VK_ESCAPE), 0);
}

TEST(KeyQuery, TapBetweenQueriesIsNotNewlyPressedButNonZero)
{
    // A press and release that no query saw leaves only the "pressed since" bit.
    KeyState s{};
    key_event(s, VK_END, true);
    key_event(s, VK_END, false);
    int16_t v = key_query(s, VK_END);
    EXPECT_NE(v, -32767);
    EXPECT_EQ(v, 1);
    EXPECT_EQ(key_query(s, VK_END), 0);
}

TEST(KeyQuery, KeysAreIndependentAndOutOfRangeIsIgnored)
{
    KeyState s{};
    key_event(s, VK_UP, true);
    EXPECT_EQ(key_query(s, VK_DOWN), 0);
    EXPECT_EQ(key_query(s, VK_UP), -32767);
    key_event(s, -1, true);
    key_event(s, KEY_COUNT, true);
    EXPECT_EQ(key_query(s, -1), 0);
    EXPECT_EQ(key_query(s, KEY_COUNT), 0);
}
