// The system's own monotonic time and sleep, beneath the fixed-step clock of clock.h. Each
// platform brings its own.
#pragma once

double system_seconds();
// ms <= 0 only gives way to whatever else waits to run.
void system_sleep_ms(int ms);
