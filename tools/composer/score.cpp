#include "tools/composer/score.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include "tools/composer/synth.h"

namespace composer {

namespace {

constexpr int max_phrase_depth = 16;
constexpr int highest_note = 96;
constexpr uint8_t key_off_note = 97;

struct Token {
    std::string text;
    int line;
};

using Statement = std::vector<Token>;

[[noreturn]] void fail(int line, const std::string& message) { throw ScoreError(line, message); }

// '#' starts a comment at the start of a word; inside a word it is a sharp (f#3).
std::string strip_comment(const std::string& raw) {
    for (size_t i = 0; i < raw.size(); ++i)
        if (raw[i] == '#' && (i == 0 || std::isspace(static_cast<unsigned char>(raw[i - 1])))) return raw.substr(0, i);
    return raw;
}

std::vector<Statement> split_statements(const std::string& text) {
    std::vector<Statement> out;
    std::istringstream in(text);
    std::string raw;
    int line = 0;
    while (std::getline(in, raw)) {
        ++line;
        std::string body = strip_comment(raw);
        std::istringstream words(body);
        std::string word;
        Statement tokens;
        while (words >> word) tokens.push_back({word, line});
        if (tokens.empty()) continue;
        bool continues = std::isspace(static_cast<unsigned char>(body[0]));
        if (continues) {
            if (out.empty()) fail(line, "continuation line without a statement before it");
            out.back().insert(out.back().end(), tokens.begin(), tokens.end());
        } else {
            out.push_back(tokens);
        }
    }
    return out;
}

int parse_count(const Token& t, const std::string& s, int lo, int hi, const char* what) {
    if (s.empty() || s.size() > 6 || !std::all_of(s.begin(), s.end(), ::isdigit))
        fail(t.line, std::string("expected a number for ") + what + " in \"" + t.text + "\"");
    int v = std::stoi(s);
    if (v < lo || v > hi)
        fail(t.line, std::string(what) + " must be " + std::to_string(lo) + ".." + std::to_string(hi) + " in \"" + t.text + "\"");
    return v;
}

struct Effect {
    uint8_t number;
    uint8_t param;
};

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

Effect parse_effect(const Token& t, const std::string& s) {
    if (s.size() != 3) fail(t.line, "an effect is one effect character and two hex digits in \"" + t.text + "\"");
    char e = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
    int number = e >= '0' && e <= '9' ? e - '0' : e >= 'A' && e <= 'Z' ? e - 'A' + 10 : -1;
    int hi = hex_digit(s[1]), lo = hex_digit(s[2]);
    if (number < 0 || hi < 0 || lo < 0) fail(t.line, "bad effect \"" + s + "\" in \"" + t.text + "\"");
    return {static_cast<uint8_t>(number), static_cast<uint8_t>(hi * 16 + lo)};
}

// Parses "c4", "f#3" at the start of s; returns the note (1..96 is C-0..B-7) and its length.
std::optional<std::pair<int, size_t>> parse_note_name(const std::string& s) {
    static const int semitone[] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    if (s.empty() || s[0] < 'a' || s[0] > 'g') return std::nullopt;
    int n = semitone[s[0] - 'a'];
    size_t i = 1;
    if (i < s.size() && s[i] == '#') { ++n; ++i; }
    if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i]))) return std::nullopt;
    int octave = s[i] - '0';
    return std::make_pair(octave * 12 + n + 1, i + 1);
}

struct Drum {
    Token instrument;
    int note;
    int volume;  // -1: the sample's own
};

struct Instrument {
    int number;
    SynthParams sound;
    int line;
};

struct LineState {
    int instrument = 0;
    int rows = 1;
    int volume = -1;
};

class Compiler {
public:
    explicit Compiler(const std::string& text) : statements_(split_statements(text)) {}

    XmModule run() {
        for (const Statement& s : statements_) definitions(s);
        for (const Statement& s : statements_) music(s);
        finish_pattern();
        if (module_.orders.empty()) fail(last_line(), "the score has no order list");
        if (module_.restart >= static_cast<int>(module_.orders.size()))
            fail(restart_line_, "restart position lies beyond the order list");
        module_.instruments.resize(instrument_count_);
        for (auto& [name, ins] : instruments_) {
            if (ins.number > instrument_count_)
                fail(ins.line, "instrument number above the instrument count");
            XmInstrument& out = module_.instruments[ins.number - 1];
            out.name = name;
            try {
                out.samples.push_back(synth_render(ins.sound, name));
            } catch (const SynthError& e) {
                fail(ins.line, e.what());
            }
        }
        try {
            xm_write(module_);  // reports limits of the format against the score's last line
        } catch (const XmError& e) {
            fail(last_line(), e.what());
        }
        return module_;
    }

private:
    int last_line() const { return statements_.empty() ? 0 : statements_.back().back().line; }

    void definitions(const Statement& s) {
        const std::string& head = s[0].text;
        auto arg = [&](size_t i) -> const Token& {
            if (i >= s.size()) fail(s[0].line, "\"" + head + "\" needs more arguments");
            return s[i];
        };
        auto single = [&](int lo, int hi) {
            if (s.size() != 2) fail(s[0].line, "\"" + head + "\" takes one number");
            return parse_count(s[1], s[1].text, lo, hi, head.c_str());
        };
        if (head == "title") {
            std::string name;
            for (size_t i = 1; i < s.size(); ++i) name += (i > 1 ? " " : "") + s[i].text;
            if (name.size() > 20) fail(s[0].line, "title longer than 20 characters");
            module_.name = name;
        } else if (head == "tempo") {
            module_.tempo = single(1, 31);
        } else if (head == "bpm") {
            module_.bpm = single(32, 255);
        } else if (head == "restart") {
            module_.restart = single(0, 255);
            restart_line_ = s[0].line;
        } else if (head == "channels") {
            module_.channels = single(1, 32);
        } else if (head == "instruments") {
            instrument_count_ = single(1, 128);
        } else if (head == "inst") {
            int number = parse_count(arg(1), arg(1).text, 1, 128, "instrument number");
            std::string name = arg(2).text;
            if (name.size() > 22) fail(s[0].line, "instrument name longer than 22 characters");
            if (instruments_.count(name)) fail(s[0].line, "instrument \"" + name + "\" defined twice");
            for (auto& [other, ins] : instruments_)
                if (ins.number == number) fail(s[0].line, "instrument number " + std::to_string(number) + " used twice");
            Instrument ins{number, {}, s[0].line};
            for (size_t i = 3; i < s.size(); ++i) {
                size_t eq = s[i].text.find('=');
                if (eq == std::string::npos) fail(s[i].line, "expected key=value, got \"" + s[i].text + "\"");
                try {
                    synth_set(ins.sound, s[i].text.substr(0, eq), s[i].text.substr(eq + 1));
                } catch (const SynthError& e) {
                    fail(s[i].line, e.what());
                }
            }
            instruments_[name] = ins;
        } else if (head == "drum") {
            const Token& c = arg(1);
            if (c.text.size() != 1 || c.text == "." || c.text == "|") fail(c.line, "a drum is named by one character other than '.' and '|'");
            if (drums_.count(c.text[0])) fail(c.line, "drum '" + c.text + "' defined twice");
            const Token& n = arg(3);
            auto note = parse_note_name(n.text);
            if (!note || note->second != n.text.size()) fail(n.line, "bad note \"" + n.text + "\"");
            int volume = -1;
            if (s.size() > 4) {
                if (s[4].text[0] != 'v') fail(s[4].line, "expected a volume vNN");
                volume = parse_count(s[4], s[4].text.substr(1), 0, 64, "volume");
            }
            drums_[c.text[0]] = {arg(2), note->first, volume};
        } else if (head == "phrase") {
            std::string name = arg(1).text;
            if (phrases_.count(name)) fail(s[0].line, "phrase \"" + name + "\" defined twice");
            phrases_[name] = Statement(s.begin() + 2, s.end());
        } else if (head != "pattern" && head != "order" && !is_channel(head)) {
            fail(s[0].line, "unknown statement \"" + head + "\"");
        }
    }

    static bool is_channel(const std::string& head) {
        return !head.empty() && head.size() <= 2 && std::all_of(head.begin(), head.end(), ::isdigit);
    }

    int instrument_by_name(const Token& t, const std::string& name) const {
        auto it = instruments_.find(name);
        if (it == instruments_.end()) fail(t.line, "unknown instrument \"" + name + "\"");
        return it->second.number;
    }

    void music(const Statement& s) {
        const std::string& head = s[0].text;
        if (head == "pattern") {
            finish_pattern();
            if (s.size() < 2) fail(s[0].line, "pattern needs a name");
            std::string name = s[1].text;
            if (pattern_index_.count(name)) fail(s[0].line, "pattern \"" + name + "\" defined twice");
            int rows = 64;
            for (size_t i = 2; i < s.size(); ++i) {
                if (s[i].text.rfind("rows=", 0) != 0) fail(s[i].line, "unknown pattern option \"" + s[i].text + "\"");
                rows = parse_count(s[i], s[i].text.substr(5), 1, 256, "rows");
            }
            pattern_index_[name] = static_cast<int>(module_.patterns.size());
            XmPattern p;
            p.rows = rows;
            p.cells.assign(static_cast<size_t>(rows) * module_.channels, XmCell{});
            module_.patterns.push_back(p);
            in_pattern_ = true;
            channels_done_.assign(module_.channels, false);
        } else if (is_channel(head)) {
            if (!in_pattern_) fail(s[0].line, "channel line outside a pattern");
            int channel = parse_count(s[0], head, 1, module_.channels, "channel");
            if (channels_done_[channel - 1]) fail(s[0].line, "channel " + head + " written twice in this pattern");
            channels_done_[channel - 1] = true;
            std::vector<XmCell> cells;
            LineState state;
            expand(Statement(s.begin() + 1, s.end()), 0, 0, state, cells);
            XmPattern& p = module_.patterns.back();
            if (cells.size() > static_cast<size_t>(p.rows))
                fail(s[0].line, "channel " + head + " has " + std::to_string(cells.size()) + " rows, the pattern " + std::to_string(p.rows));
            for (size_t r = 0; r < cells.size(); ++r) p.cells[r * module_.channels + channel - 1] = cells[r];
        } else if (head == "order") {
            for (size_t i = 1; i < s.size(); ++i) {
                auto it = pattern_index_.find(s[i].text);
                if (it == pattern_index_.end()) fail(s[i].line, "order names unknown pattern \"" + s[i].text + "\"");
                if (module_.orders.size() == 256) fail(s[i].line, "order list longer than 256 entries");
                module_.orders.push_back(static_cast<uint8_t>(it->second));
            }
        }
    }

    void finish_pattern() { in_pattern_ = false; }

    void emit(const Token& t, int note, const LineState& st, int rows, int volume,
              std::optional<Effect> first, std::optional<Effect> rest, std::vector<XmCell>& out) {
        XmCell cell;
        if (note > 0) {
            if (note > highest_note) fail(t.line, "note above B-7 in \"" + t.text + "\"");
            if (st.instrument == 0) fail(t.line, "note before any instrument in \"" + t.text + "\"");
            cell.note = static_cast<uint8_t>(note);
            cell.instrument = static_cast<uint8_t>(st.instrument);
            int v = volume >= 0 ? volume : st.volume;
            if (v >= 0) cell.volume = static_cast<uint8_t>(0x10 + v);
        } else if (note < 0) {
            cell.note = key_off_note;
        } else if (volume >= 0) {
            cell.volume = static_cast<uint8_t>(0x10 + volume);
        }
        if (first) { cell.effect = first->number; cell.param = first->param; }
        out.push_back(cell);
        for (int r = 1; r < rows; ++r) {
            XmCell held;
            if (rest) { held.effect = rest->number; held.param = rest->param; }
            out.push_back(held);
        }
    }

    void event(const Token& t, int transpose, LineState& st, std::vector<XmCell>& out) {
        const std::string& s = t.text;
        int note = 0;
        size_t i = 1;
        if (s[0] == '=') {
            note = -1;
        } else if (s[0] != '.') {
            auto parsed = parse_note_name(s);
            if (!parsed) fail(t.line, "bad note in \"" + s + "\"");
            note = parsed->first + transpose;
            if (note < 1) fail(t.line, "note below C-0 in \"" + s + "\"");
            i = parsed->second;
        }
        int rows = st.rows, volume = -1;
        std::optional<Effect> first, rest;
        while (i < s.size()) {
            char m = s[i++];
            size_t end = i;
            if (m == ':' || m == 'v') {
                while (end < s.size() && std::isdigit(static_cast<unsigned char>(s[end]))) ++end;
                int v = parse_count(t, s.substr(i, end - i), m == ':' ? 1 : 0, m == ':' ? 256 : 64, m == ':' ? "rows" : "volume");
                (m == ':' ? rows : volume) = v;
            } else if (m == '!' || m == '~' || m == '&') {
                end = std::min(s.size(), i + 3);
                Effect e = parse_effect(t, s.substr(i, end - i));
                if (m != '~') first = e;
                if (m != '!') rest = e;
            } else {
                fail(t.line, std::string("unknown modifier '") + m + "' in \"" + s + "\"");
            }
            i = end;
        }
        emit(t, note, st, rows, volume, first, rest, out);
    }

    void expand(const Statement& tokens, int transpose, int depth, LineState& st, std::vector<XmCell>& out) {
        for (size_t k = 0; k < tokens.size(); ++k) {
            const Token& t = tokens[k];
            const std::string& s = t.text;
            if (s[0] == '@') {
                st.instrument = instrument_by_name(t, s.substr(1));
            } else if (s[0] == '/') {
                st.rows = parse_count(t, s.substr(1), 1, 256, "rows");
            } else if (s[0] == 'v') {
                st.volume = s == "v-" ? -1 : parse_count(t, s.substr(1), 0, 64, "volume");
            } else if (s[0] == '%') {
                for (char c : s.substr(1)) {
                    if (c == '|') continue;
                    if (c == '.') { out.push_back(XmCell{}); continue; }
                    auto it = drums_.find(c);
                    if (it == drums_.end()) fail(t.line, std::string("unknown drum '") + c + "'");
                    const Token& name = it->second.instrument;
                    LineState drum_state{instrument_by_name(name, name.text), 1, -1};
                    emit(t, it->second.note, drum_state, 1, it->second.volume, std::nullopt, std::nullopt, out);
                }
            } else if (s[0] == '$') {
                if (depth >= max_phrase_depth) fail(t.line, "phrases nested too deeply (a phrase that uses itself?)");
                size_t sign = s.find_first_of("+-", 1);
                std::string name = s.substr(1, sign == std::string::npos ? std::string::npos : sign - 1);
                int shift = 0;
                if (sign != std::string::npos) {
                    shift = parse_count(t, s.substr(sign + 1), 0, 96, "transposition");
                    if (s[sign] == '-') shift = -shift;
                }
                auto it = phrases_.find(name);
                if (it == phrases_.end()) fail(t.line, "unknown phrase \"" + name + "\"");
                try {
                    expand(it->second, transpose + shift, depth + 1, st, out);
                } catch (const ScoreError& e) {
                    if (depth > 0) throw;
                    throw ScoreError(e.line, std::string(e.what()) + " (phrase " + name + " used on line " +
                                                 std::to_string(t.line) + ")");
                }
            } else if (s == "[") {
                int level = 1;
                size_t close = k + 1;
                for (; close < tokens.size(); ++close) {
                    if (tokens[close].text == "[") ++level;
                    if (tokens[close].text[0] == ']' && --level == 0) break;
                }
                if (close == tokens.size()) fail(t.line, "'[' without a matching ']N'");
                int times = parse_count(tokens[close], tokens[close].text.substr(1), 1, 256, "repeat count");
                Statement body(tokens.begin() + k + 1, tokens.begin() + close);
                for (int r = 0; r < times; ++r) expand(body, transpose, depth + 1, st, out);
                k = close;
            } else if (s[0] == ']') {
                fail(t.line, "']' without a '['");
            } else {
                event(t, transpose, st, out);
            }
            if (out.size() > 256) fail(t.line, "channel line longer than 256 rows");
        }
    }

    std::vector<Statement> statements_;
    XmModule module_;
    int instrument_count_ = 31;
    int restart_line_ = 0;
    std::map<std::string, Instrument> instruments_;
    std::map<char, Drum> drums_;
    std::map<std::string, Statement> phrases_;
    std::map<std::string, int> pattern_index_;
    bool in_pattern_ = false;
    std::vector<bool> channels_done_;
};

}  // namespace

XmModule compile_score(const std::string& text) { return Compiler(text).run(); }

}  // namespace composer
