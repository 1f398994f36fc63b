// The program's command line: headless and scripted runs, captures, the document list.
#pragma once
#include <string>
#include <vector>

enum class ScriptAction { KeyDown, KeyUp, Move, Press, Release, RightPress, RightRelease, Wheel, Close };

struct ScriptEvent {
    int frame;
    ScriptAction action;
    int a, b;   // key: virtual key; move: x, y; wheel: steps
};

struct Capture {
    int frame;
    std::string path;
};

struct Options {
    bool help = false;
    bool list_documents = false;
    bool windowed = false;
    double fixed_step_ms = 0.0;
    long frames = -1;                 // -1: run until the reader quits
    std::vector<Capture> captures;
    std::string script_path;
    std::vector<ScriptEvent> script;  // sorted by frame, stable
};

// Parses argv; false with a message ready for standard error on a bad command line.
bool parse_options(int argc, char** argv, Options& options, std::string& error);

// Parses script text; on the first malformed line, false with "NAME:LINE: message".
bool parse_script(const std::string& text, const std::string& name, std::vector<ScriptEvent>& events,
                  std::string& error);

extern const char* const usage_text;
