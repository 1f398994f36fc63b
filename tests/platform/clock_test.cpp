#include <gtest/gtest.h>

#include "platform/clock.h"

// The fixed clock's steps are pinned by the fixed-step wave and worker tests.
TEST(Clock, RealTimeIsMonotonicAndFollowsSleepsOnceFixedStepsEnd)
{
    clock_set_fixed_step(20);
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
