// Text scores: instruments as sound parameters, patterns in a compact note notation.
//
//   title NAME             module name (20 characters at most)
//   tempo N / bpm N / restart N / channels N / instruments N
//   inst N NAME key=value...   instrument N (1-based), its sound (see SynthParams)
//   drum C NAME NOTE [vNN]     character C in a drum line plays NAME at NOTE
//   phrase NAME tokens...      a reusable run of tokens
//   pattern NAME [rows=N]      starts a pattern; its channels follow as
//   1 tokens... / 2 tokens...  one statement per channel
//   order NAME...              appends patterns to the order list
//
// A line starting with white space continues the previous statement; '#' at the start of
// a word starts a comment.
// Tokens: @NAME instrument, /N default rows per event, vNN default volume (v- clears),
// $NAME[+N|-N] phrase (transposed), [ ... ]N repeat, %chars drum line (one row per
// character, '.' empty). An event is a note (c4, f#3), '.' (no note) or '=' (key off),
// followed by modifiers: :N rows, vNN volume, !EPP effect on its first row, ~EPP effect
// on its other rows, &EPP both (E = effect 0-9/A-Z, PP = hex parameter).
#pragma once

#include <stdexcept>
#include <string>

#include "tools/composer/xm_writer.h"

namespace composer {

struct ScoreError : std::runtime_error {
    int line;
    ScoreError(int line_number, const std::string& message)
        : std::runtime_error(message), line(line_number) {}
};

// Compiles a score into a module, sounds rendered. Throws ScoreError with the line at fault.
XmModule compile_score(const std::string& text);

}  // namespace composer
