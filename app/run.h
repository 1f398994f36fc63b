// The whole life of the program: start-up, intro, release wait, hand-over, magazine,
// shutdown.
#pragma once

enum class RunStage { StartUp, Intro, Magazine, Closed };

// Runs the program and returns its exit status (-1 when the window cannot be opened).
int run_kelvarin();

// True once the program was asked to end from outside its own screens (the window's
// close box, Alt+F4, a termination signal): every loop, the page wipes included, leaves at its next pass and the
// normal shutdown follows.
bool end_requested();

// Ends the process the way shutdown does from whatever stage it is in.
[[noreturn]] void shutdown_now();

RunStage run_stage();
