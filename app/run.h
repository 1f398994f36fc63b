// The whole life of the program: start-up, intro, release wait, hand-over, magazine,
// shutdown.
#pragma once

enum class RunStage { StartUp, Intro, Magazine, Closed };

// Runs the program and returns its exit status (-1 when the window cannot be opened).
int run_kelvarin();

// Ends the process the way shutdown does from whatever stage it is in.
[[noreturn]] void shutdown_now();

RunStage run_stage();
