#include "platform/clock.h"

#include "platform/clock_system.h"

namespace {
struct ClockState {
    double fixed_step = 0.0;   // seconds per presented frame, 0 = real time
    double fixed_now = 0.0;
};
ClockState clock_state;
}

double clock_seconds()
{
    if (clock_state.fixed_step > 0.0) return clock_state.fixed_now;
    return system_seconds();
}

void sleep_ms(int ms)
{
    if (clock_state.fixed_step > 0.0) return;
    system_sleep_ms(ms);
}

void clock_set_fixed_step(double ms)
{
    clock_state.fixed_step = ms > 0.0 ? ms / 1000.0 : 0.0;
    clock_state.fixed_now = 0.0;
}

bool clock_fixed_step() { return clock_state.fixed_step > 0.0; }

void clock_frame_presented()
{
    if (clock_state.fixed_step > 0.0) clock_state.fixed_now += clock_state.fixed_step;
}
