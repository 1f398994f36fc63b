// What the web platform's parts share with the page (page.js): giving it its turn, and the
// frames scripted runs capture.
#pragma once
#include <cstdint>

// Suspends the program (Asyncify) and lets the page run its events, timers and painting:
// for ms milliseconds, or with ms <= 0 only until the page's pending work is done.
void page_wait(int ms);
void page_yield();

// Hands a frame to the page under name, where scripts read it (window.kelvarin.captures).
void page_keep_frame(const char* name, const uint32_t* pixels, int width, int height);
