// Compiles the document sources and strings into the tables the reader embeds.
//
// Document source format (UTF-8, one source line per document line):
//   {cX}  colour letter X ("1"..."9", "A"..."V") for the text that follows
//   {s1}  normal style, {s2} second style, for the text that follows
//   {rN}  at the very start of a line: rule kind N (0...8) drawn across that line
//   {{    a literal "{"
// Colour and style carry over from line to line; a file starts in colour 1, style 1.
// Positions after the end of a line's text get the colour and style in force at its end.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/common/cp437.h"

namespace doccompile {

constexpr int line_width = 80;

struct Line {
    std::string text, colour, style, rule;
};

struct Document {
    int number = 0, lines_expected = 0;
    std::string file, label;
    std::vector<Line> lines;
};

// Error text "FILE:LINE: message".
inline std::string where(const std::string& file, int line, const std::string& message)
{
    return file + ":" + std::to_string(line) + ": " + message;
}

inline bool colour_letter(char c) { return (c >= '1' && c <= '9') || (c >= 'A' && c <= 'V'); }

// Compiles one source file's lines. Returns false with error set at the first fault.
inline bool compile_source(const std::string& file, const std::string& source, std::vector<Line>& out,
                           std::string& error)
{
    char colour = '1', style = '1';
    size_t start = 0;
    int number = 0;
    while (start < source.size()) {
        size_t end = source.find('\n', start);
        if (end == std::string::npos) end = source.size();
        std::string src = source.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!src.empty() && src.back() == '\r') src.pop_back();

        Line line;
        line.rule = "0";
        size_t pos = 0;
        if (src.compare(0, 2, "{r") == 0) {
            if (src.size() < 4 || src[3] != '}' || src[2] < '0' || src[2] > '8') {
                error = where(file, number, "unknown rule kind (use {r0} ... {r8})");
                return false;
            }
            line.rule = std::string(1, src[2]);
            pos = 4;
        }
        while (pos < src.size()) {
            if (src[pos] == '{') {
                if (pos + 1 < src.size() && src[pos + 1] == '{') {
                    pos += 2;
                    line.text += '{';
                    line.colour += colour;
                    line.style += style;
                    continue;
                }
                size_t close = src.find('}', pos);
                std::string tag = close == std::string::npos ? src.substr(pos) : src.substr(pos + 1, close - pos - 1);
                if (close == std::string::npos) {
                    error = where(file, number, "unterminated tag '" + tag + "'");
                    return false;
                }
                if (tag.size() == 2 && tag[0] == 'c') {
                    if (!colour_letter(tag[1])) {
                        error = where(file, number, "unknown colour '" + tag.substr(1) + "'");
                        return false;
                    }
                    colour = tag[1];
                } else if (tag.size() == 2 && tag[0] == 's') {
                    if (tag[1] != '1' && tag[1] != '2') {
                        error = where(file, number, "unknown style '" + tag.substr(1) + "'");
                        return false;
                    }
                    style = tag[1];
                } else if (tag.size() >= 1 && tag[0] == 'c') {
                    error = where(file, number, "unknown colour '" + tag.substr(1) + "'");
                    return false;
                } else if (tag.size() >= 1 && tag[0] == 's') {
                    error = where(file, number, "unknown style '" + tag.substr(1) + "'");
                    return false;
                } else if (tag.size() >= 1 && tag[0] == 'r') {
                    error = where(file, number, "a rule tag must open its line");
                    return false;
                } else {
                    error = where(file, number, "unknown tag '{" + tag + "}'");
                    return false;
                }
                pos = close + 1;
                continue;
            }
            int64_t cp = cp437::next_utf8(src, pos);
            if (cp < 0) {
                error = where(file, number, "malformed UTF-8");
                return false;
            }
            int byte = cp437::from_unicode(static_cast<uint32_t>(cp));
            if (byte < 0) {
                char hex[16];
                std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(cp));
                error = where(file, number, std::string("character ") + hex + " is not in code page 437");
                return false;
            }
            line.text += static_cast<char>(byte);
            line.colour += colour;
            line.style += style;
        }
        if (line.text.size() > static_cast<size_t>(line_width)) {
            error = where(file, number, "line has " + std::to_string(line.text.size()) + " characters, at most 80 fit");
            return false;
        }
        line.colour.resize(line_width, colour);
        line.style.resize(line_width, style);
        out.push_back(std::move(line));
    }
    return true;
}

inline bool read_text(const std::string& path, std::string& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

// Manifest lines: NUMBER<TAB>LINES<TAB>FILE<TAB>LABEL, FILE relative to the manifest.
inline bool compile_manifest(const std::string& manifest, std::vector<Document>& docs, std::string& error)
{
    std::string text;
    if (!read_text(manifest, text)) {
        error = manifest + ": cannot read";
        return false;
    }
    std::string dir = manifest.substr(0, manifest.find_last_of('/') + 1);
    std::istringstream in(text);
    std::string row;
    int number = 0;
    while (std::getline(in, row)) {
        ++number;
        if (row.empty()) continue;
        Document d;
        std::istringstream fields(row);
        std::string n, lines;
        if (!std::getline(fields, n, '\t') || !std::getline(fields, lines, '\t') || !std::getline(fields, d.file, '\t') ||
            !std::getline(fields, d.label)) {
            error = where(manifest, number, "expected NUMBER, LINES, FILE and LABEL separated by tabs");
            return false;
        }
        d.number = std::atoi(n.c_str());
        d.lines_expected = std::atoi(lines.c_str());
        if (d.number != static_cast<int>(docs.size()) + 1 || d.lines_expected < 1) {
            error = where(manifest, number, "documents must be numbered 1, 2, ... with a positive line count");
            return false;
        }
        std::string source;
        if (!read_text(dir + d.file, source)) {
            error = where(manifest, number, "cannot read " + d.file);
            return false;
        }
        if (!compile_source(d.file, source, d.lines, error)) return false;
        if (static_cast<int>(d.lines.size()) != d.lines_expected) {
            error = where(d.file, static_cast<int>(d.lines.size()) + 1,
                          "document " + n + " has " + std::to_string(d.lines.size()) + " lines, expected " + lines);
            return false;
        }
        docs.push_back(std::move(d));
    }
    return true;
}

// A C++ string literal of raw bytes; everything outside plain ASCII letters is escaped in
// three-digit octal so that no following character can extend an escape.
inline std::string literal(const std::string& bytes)
{
    std::string s = "\"";
    for (unsigned char c : bytes) {
        if (c >= 32 && c < 127 && c != '"' && c != '\\' && c != '?') {
            s += static_cast<char>(c);
        } else {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\%03o", c);
            s += esc;
        }
    }
    return s + "\"";
}

inline std::string documents_cpp(const std::vector<Document>& docs)
{
    std::string out = "// Generated by tools/doccompile from issue/docs; edit the sources, not this file.\n"
                      "#include \"issue/docs/documents.h\"\n\nnamespace issue {\nnamespace {\n";
    const std::string ones(line_width, '1');
    for (const Document& d : docs) {
        out += "\nconst DocumentLine doc" + std::to_string(d.number) + "[] = {\n";
        for (const Line& l : d.lines)
            out += "    {" + literal(l.text) + ", " + literal(l.colour) + ", " + literal(l.style) + ", " +
                   literal(l.rule) + "},\n";
        out += "    {\"<END>\", " + literal(ones) + ", " + literal(ones) + ", \"0\"},\n};\n";
    }
    out += "\n}  // namespace\n\nconst Document documents[document_count + 1] = {\n    {0, 0, \"\", nullptr},\n";
    for (const Document& d : docs)
        out += "    {" + std::to_string(d.number) + ", " + std::to_string(d.lines.size()) + ", " +
               literal(d.label) + ", doc" + std::to_string(d.number) + "},\n";
    out += "};\n\n}  // namespace issue\n";
    return out;
}

// Issue strings: the welcome text's five segments (one per line of the source, each
// between "|" marks so that leading and trailing spaces stay visible) and the tune credits
// (TITLE<TAB>COMPOSER per line, UTF-8).
constexpr int segment_lengths[5] = {54, 54, 63, 54, 40};
inline constexpr const char* start_prompt = "  Press Escape or Left mouse to start.  ";
inline constexpr const char* title = "THE KELVARIN ISSUE 30";

inline bool compile_welcome(const std::string& file, const std::string& text, std::vector<std::string>& segments,
                            std::string& error)
{
    std::istringstream in(text);
    std::string row;
    int number = 0;
    while (std::getline(in, row)) {
        ++number;
        if (!row.empty() && row.back() == '\r') row.pop_back();
        if (row.size() < 2 || row.front() != '|' || row.back() != '|') {
            error = where(file, number, "a segment is written between | marks");
            return false;
        }
        std::string seg = row.substr(1, row.size() - 2);
        for (unsigned char c : seg)
            if (c < 32 || c > 126) {
                error = where(file, number, "the intro font has only ASCII characters 32...126");
                return false;
            }
        size_t k = segments.size();
        if (k >= 5) {
            error = where(file, number, "the welcome text has five segments");
            return false;
        }
        if (seg.size() != static_cast<size_t>(segment_lengths[k])) {
            error = where(file, number, "segment " + std::to_string(k + 1) + " has " + std::to_string(seg.size()) +
                                            " characters, expected " + std::to_string(segment_lengths[k]));
            return false;
        }
        segments.push_back(seg);
    }
    if (segments.size() != 5) {
        error = where(file, number + 1, "the welcome text has five segments");
        return false;
    }
    if (segments[4] != start_prompt) {
        error = where(file, 5, "the last segment must be the start prompt");
        return false;
    }
    return true;
}

inline bool compile_tunes(const std::string& file, const std::string& text, std::vector<std::string>& credits,
                          std::string& error)
{
    std::istringstream in(text);
    std::string row;
    int number = 0;
    while (std::getline(in, row)) {
        ++number;
        if (!row.empty() && row.back() == '\r') row.pop_back();
        size_t tab = row.find('\t');
        if (tab == std::string::npos || tab == 0 || tab + 1 >= row.size()) {
            error = where(file, number, "expected TITLE<TAB>COMPOSER");
            return false;
        }
        std::string utf8 = row.substr(0, tab) + " by " + row.substr(tab + 1), bytes;
        for (size_t pos = 0; pos < utf8.size();) {
            int64_t cp = cp437::next_utf8(utf8, pos);
            int b = cp < 0 ? -1 : cp437::from_unicode(static_cast<uint32_t>(cp));
            if (b < 0) {
                error = where(file, number, "character not in code page 437");
                return false;
            }
            bytes += static_cast<char>(b);
        }
        credits.push_back(bytes);
    }
    if (credits.size() != 4) {
        error = where(file, number + 1, "expected four tunes, found " + std::to_string(credits.size()));
        return false;
    }
    return true;
}

inline std::string strings_cpp(const std::vector<std::string>& segments, const std::vector<std::string>& credits)
{
    std::string out = "// Generated by tools/doccompile from issue/strings/welcome.txt and issue/tunes.txt.\n"
                      "#include \"issue/strings/strings.h\"\n\nnamespace issue {\n\n";
    out += "const char* const issue_title = " + literal(title) + ";\n\n";
    out += "const char* const tune_credits[tune_count + 1] = {\n    \"\",\n";
    for (const auto& c : credits) out += "    " + literal(c) + ",\n";
    out += "};\n\nconst char* const intro_segments[intro_segment_count] = {\n";
    for (const auto& s : segments) out += "    " + literal(s) + ",\n";
    out += "};\n\n}  // namespace issue\n";
    return out;
}

}  // namespace doccompile
