// Frame captures for scripted runs and screenshots.
#pragma once
#include <cstdint>
#include <string>

// Writes width x height 0x00RRGGBB pixels as an 8-bit RGB PNG; false with a message on failure.
// In the web page the frame is handed to the page under that name instead.
bool write_png(const std::string& path, const uint32_t* pixels, int width, int height, std::string& error);
