// Monotonic time in seconds and millisecond sleeps. In fixed-step mode time advances only
// when a frame is presented, by a set amount, so that runs are reproducible.
#pragma once

double clock_seconds();
void sleep_ms(int ms);

// ms > 0 switches to fixed-step time, where sleeps return at once.
void clock_set_fixed_step(double ms);
bool clock_fixed_step();
// Called by the window once per presented frame, on the main thread. In fixed-step mode it
// advances the clock and then runs the frame steps below.
void clock_frame_presented();

// Work that has to follow fixed time rather than the wall clock (the audio device's play
// position, the tracker's mixing): in fixed-step mode every added step runs on the main
// thread at each presented frame, right after the clock has advanced, in the order the
// steps were added. A step removed during a pass does not run again. In real time the
// steps never run. Add and remove only on the main thread.
using clock_step_fn = void (*)(void* user);
void clock_add_frame_step(clock_step_fn step, void* user);
void clock_remove_frame_step(clock_step_fn step, void* user);
