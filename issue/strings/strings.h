// The issue's strings other than the documents: title, tune credits and intro welcome text.
#pragma once

namespace issue {

extern const char* const issue_title;  // "THE KELVARIN ISSUE 30"

constexpr int tune_count = 4;
// tune_credits[1 ... 4]: "TITLE by COMPOSER" in code page 437 bytes; entry 0 is "".
extern const char* const tune_credits[tune_count + 1];

// The intro welcome text after its 66 leading spaces, as its five segments
// (54, 54, 63, 54 and 40 characters, ASCII 32...126); the last one is the start prompt.
constexpr int intro_segment_count = 5;
extern const char* const intro_segments[intro_segment_count];
constexpr int intro_segment_lengths[intro_segment_count] = {54, 54, 63, 54, 40};

}  // namespace issue
