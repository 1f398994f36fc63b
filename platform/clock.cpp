#include "platform/clock.h"

#include <cstddef>
#include <vector>

#include "platform/clock_system.h"

namespace {
struct FrameStep {
    clock_step_fn step;   // null once removed during a pass
    void* user;
};

struct ClockState {
    double fixed_step = 0.0;   // seconds per presented frame, 0 = real time
    long long fixed_frames = 0;   // presented frames since fixed time was set
    std::vector<FrameStep> steps;
    bool stepping = false;   // inside the pass over the steps
};
ClockState clock_state;
}

double clock_seconds()
{
    // A product rather than a running sum, so that no rounding accumulates.
    if (clock_state.fixed_step > 0.0) return static_cast<double>(clock_state.fixed_frames) * clock_state.fixed_step;
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
    clock_state.fixed_frames = 0;
}

bool clock_fixed_step() { return clock_state.fixed_step > 0.0; }

void clock_frame_presented()
{
    if (clock_state.fixed_step <= 0.0) return;
    ++clock_state.fixed_frames;
    clock_state.stepping = true;
    // By index: a step may add or remove steps.
    for (size_t i = 0; i < clock_state.steps.size(); ++i) {
        FrameStep s = clock_state.steps[i];
        if (s.step) s.step(s.user);
    }
    clock_state.stepping = false;
    std::erase_if(clock_state.steps, [](const FrameStep& s) { return !s.step; });
}

void clock_add_frame_step(clock_step_fn step, void* user)
{
    if (step) clock_state.steps.push_back({step, user});
}

void clock_remove_frame_step(clock_step_fn step, void* user)
{
    for (FrameStep& s : clock_state.steps)
        if (s.step == step && s.user == user) s.step = nullptr;
    if (!clock_state.stepping) std::erase_if(clock_state.steps, [](const FrameStep& s) { return !s.step; });
}
