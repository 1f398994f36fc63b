#include "app/options.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/keys.h"

const char* const usage_text =
    "usage: kelvarin [options]\n"
    "  --windowed              open an 800 x 600 window instead of the full screen\n"
    "  --fixed-step MS         advance the clock by exactly MS milliseconds per frame\n"
    "  --frames N              end after N presented frames\n"
    "  --capture N:FILE.png    write the frame presented as frame N (from 0) as a PNG; repeatable\n"
    "  --script FILE           feed input events from FILE (lines 'FRAME ACTION')\n"
    "  --list-documents        print NUMBER<TAB>LINES<TAB>LABEL for every document and exit\n"
    "  --help                  show this text\n"
    "F11 or Alt+Enter switches between full screen and the window.\n";

namespace {

bool parse_long(const std::string& s, long min, long& out)
{
    if (s.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(s.c_str(), &end, 10);
    if (errno || *end || v < min) return false;
    out = v;
    return true;
}

bool parse_double(const std::string& s, double& out)
{
    if (s.empty()) return false;
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (*end || !(v > 0.0) || v > 1e6) return false;
    out = v;
    return true;
}

int key_by_name(const std::string& name)
{
    static const struct {
        const char* name;
        int vk;
    } names[] = {{"Escape", VK_ESCAPE}, {"PageUp", VK_PAGE_UP}, {"PageDown", VK_PAGE_DOWN}, {"End", VK_END},
                 {"Home", VK_HOME},     {"Up", VK_UP},          {"Down", VK_DOWN}};
    for (const auto& n : names)
        if (name == n.name) return n.vk;
    return -1;
}

bool parse_script_line(const std::string& line, ScriptEvent& ev, std::string& message)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    long frame;
    if (!parse_long(words[0], 0, frame) || frame > 2000000000L) {
        message = "frame number expected, got '" + words[0] + "'";
        return false;
    }
    ev.frame = static_cast<int>(frame);
    ev.a = ev.b = 0;
    if (words.size() < 2) {
        message = "action expected after the frame number";
        return false;
    }
    const std::string& act = words[1];
    auto arity = [&](size_t n) {
        if (words.size() == n + 2) return true;
        message = "'" + act + "' takes " + std::to_string(n) + (n == 1 ? " argument" : " arguments");
        return false;
    };
    if (act == "key") {
        if (!arity(2)) return false;
        if (words[2] == "down")
            ev.action = ScriptAction::KeyDown;
        else if (words[2] == "up")
            ev.action = ScriptAction::KeyUp;
        else {
            message = "'key' needs 'down' or 'up', got '" + words[2] + "'";
            return false;
        }
        ev.a = key_by_name(words[3]);
        if (ev.a < 0) {
            message = "unknown key '" + words[3] + "' (Escape, PageUp, PageDown, End, Home, Up, Down)";
            return false;
        }
        return true;
    }
    if (act == "move") {
        if (!arity(2)) return false;
        long x, y;
        if (!parse_long(words[2], -32768, x) || !parse_long(words[3], -32768, y) || x > 65535 || y > 65535) {
            message = "'move' needs two integer coordinates";
            return false;
        }
        ev.action = ScriptAction::Move;
        ev.a = static_cast<int>(x);
        ev.b = static_cast<int>(y);
        return true;
    }
    if (act == "wheel") {
        if (!arity(1)) return false;
        long n;
        if (!parse_long(words[2], -1000, n) || n > 1000 || n == 0) {
            message = "'wheel' needs a non-zero step count between -1000 and 1000";
            return false;
        }
        ev.action = ScriptAction::Wheel;
        ev.a = static_cast<int>(n);
        return true;
    }
    static const struct {
        const char* name;
        ScriptAction action;
    } bare_actions[] = {{"press", ScriptAction::Press},
                        {"release", ScriptAction::Release},
                        {"rpress", ScriptAction::RightPress},
                        {"rrelease", ScriptAction::RightRelease},
                        {"close", ScriptAction::Close}};
    for (const auto& b : bare_actions)
        if (act == b.name) {
            if (!arity(0)) return false;
            ev.action = b.action;
            return true;
        }
    message = "unknown action '" + act + "'";
    return false;
}

}  // namespace

bool parse_script(const std::string& text, const std::string& name, std::vector<ScriptEvent>& events,
                  std::string& error)
{
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        ScriptEvent ev;
        std::string message;
        if (!parse_script_line(line, ev, message)) {
            error = name + ":" + std::to_string(number) + ": " + message;
            return false;
        }
        events.push_back(ev);
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const ScriptEvent& x, const ScriptEvent& y) { return x.frame < y.frame; });
    return true;
}

bool parse_options(int argc, char** argv, Options& o, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--list-documents") {
            o.list_documents = true;
        } else if (arg == "--windowed") {
            o.windowed = true;
        } else if (arg == "--fixed-step") {
            if (!value(v)) return false;
            if (!parse_double(v, o.fixed_step_ms)) {
                error = "--fixed-step needs a positive number of milliseconds, got '" + v + "'";
                return false;
            }
        } else if (arg == "--frames") {
            if (!value(v)) return false;
            if (!parse_long(v, 1, o.frames)) {
                error = "--frames needs a positive frame count, got '" + v + "'";
                return false;
            }
        } else if (arg == "--capture") {
            if (!value(v)) return false;
            size_t colon = v.find(':');
            long frame;
            if (colon == std::string::npos || !parse_long(v.substr(0, colon), 0, frame) || colon + 1 >= v.size() ||
                frame > 2000000000L) {
                error = "--capture needs N:FILE.png, got '" + v + "'";
                return false;
            }
            o.captures.push_back({static_cast<int>(frame), v.substr(colon + 1)});
        } else if (arg == "--script") {
            if (!value(o.script_path)) return false;
            std::ifstream in(o.script_path, std::ios::binary);
            if (!in) {
                error = o.script_path + ": cannot read the script";
                return false;
            }
            std::stringstream text;
            text << in.rdbuf();
            if (!parse_script(text.str(), o.script_path, o.script, error)) return false;
        } else {
            error = "unknown option '" + arg + "' (see --help)";
            return false;
        }
    }
    return true;
}
