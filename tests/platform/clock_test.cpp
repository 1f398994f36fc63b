#include <gtest/gtest.h>

#include "platform/clock.h"

TEST(Clock, RealTimeIsMonotonicAndFollowsSleeps)
{
    clock_set_fixed_step(0);
    double a = clock_seconds();
    sleep_ms(20);
    double b = clock_seconds();
    EXPECT_GE(b - a, 0.019);
    double last = b;
    for (int i = 0; i < 1000; ++i) {
        double t = clock_seconds();
        ASSERT_GE(t, last);
        last = t;
    }
}

TEST(Clock, FixedStepAdvancesOnlyPerPresentedFrame)
{
    clock_set_fixed_step(20);
    EXPECT_TRUE(clock_fixed_step());
    double t0 = clock_seconds();
    sleep_ms(50);   // returns at once and moves nothing
    EXPECT_EQ(clock_seconds(), t0);
    for (int i = 0; i < 50; ++i) clock_frame_presented();
    EXPECT_NEAR(clock_seconds() - t0, 1.0, 1e-9);
    clock_set_fixed_step(0);
    EXPECT_FALSE(clock_fixed_step());
}
