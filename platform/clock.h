// Monotonic time in seconds and millisecond sleeps. In fixed-step mode time advances only
// when a frame is presented, by a set amount, so that runs are reproducible.
#pragma once

double clock_seconds();
void sleep_ms(int ms);

// ms > 0 switches to fixed-step time, where sleeps return at once.
void clock_set_fixed_step(double ms);
bool clock_fixed_step();
// Called once per presented frame.
void clock_frame_presented();
