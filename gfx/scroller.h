// The "Selected song: " line running along the bottom of the panel's top box.
#pragma once
#include <cstdint>
#include <string>

constexpr int SONG_LINE_COUNT = 5;

struct SongScroller {
    // Song line shown, 1..5; the tune buttons set it.
    int32_t current_song = 1;
    // 1-based position of the first character drawn; the tune buttons set it back to 1.
    int32_t song_scroll_index = 1;
    // Pixels moved left since the last character step.
    double song_scroll_offset = 0.0;
};

// The program's one instance.
extern SongScroller scroller;

// Entries 1..5 (entry 0 unused): 65 spaces, "Selected song: " and the tune's credit;
// filled by build_issue_strings.
extern std::string song_lines[SONG_LINE_COUNT + 1];

// Draws the current song line one pixel further left than last frame.
void draw_song_scroller();
void draw_song_scroller(SongScroller& s, const std::string* lines, uint32_t* target);
