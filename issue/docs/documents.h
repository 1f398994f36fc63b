// The issue's twenty documents as compiled-in line tables.
#pragma once

namespace issue {

constexpr int document_count = 20;

// One stored line. text holds code page 437 bytes (at most 80); colour and style hold one
// letter/digit per text position (80 each); rule is "0" or the digit of a rule kind.
struct DocumentLine {
    const char* text;
    const char* colour;
    const char* style;
    const char* rule;
};

// lines[0 ... line_count] are valid: line_count document lines, then the "<END>" terminator.
struct Document {
    int number;
    int line_count;
    const char* label;    // the menu label that opens the document
    const DocumentLine* lines;
};

// documents[1 ... document_count]; entry 0 has no lines (line_count 0, lines null).
extern const Document documents[document_count + 1];

}  // namespace issue
