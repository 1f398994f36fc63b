// The issue's artwork, compiled in as constant bytes.
#pragma once

// Panel picture: 768-byte palette (R, G, B per entry), then 800 x 600 index bytes.
extern const unsigned char issue_panel_picture[];
extern const unsigned long issue_panel_picture_size;

// Text font strip: 2048 x 28 index bytes (values 0...11), then its 768-byte palette.
extern const unsigned char issue_text_font[];
extern const unsigned long issue_text_font_size;

// Intro font: 768-byte palette, then the 960 x 18 strip of index bytes (white on black).
extern const unsigned char issue_intro_font[];
extern const unsigned long issue_intro_font_size;

namespace issue {
constexpr int panel_width = 800, panel_height = 600;
constexpr int palette_bytes = 768;
constexpr int text_font_width = 2048, text_font_height = 28;
constexpr int intro_font_width = 960, intro_font_height = 18;
}  // namespace issue
