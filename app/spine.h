// State of the main routine that the viewer and the menus also touch.
#pragma once
#include <cstdint>

// Clock value at the start of the current magazine frame (the page wipes set it too).
extern double frame_start;
// Set by the quit button; ends the magazine loop at the start of the next pass.
extern int32_t quit_requested;
