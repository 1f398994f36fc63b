// Lays the charts out as document sources (the tag format doccompile reads).
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "tools/chartgen/charts.h"

namespace chartgen {

// A line built from coloured pieces; width() counts the visible characters.
struct Line {
    std::string source;
    int visible = 0;
    char colour = 0, style = 0;
    Line& rule(int kind)
    {
        source = "{r" + std::to_string(kind) + "}" + source;
        return *this;
    }
    Line& put(char c, const std::string& text, char st = '1')
    {
        if (st != style) source += std::string("{s") + st + "}", style = st;
        if (c != colour) source += std::string("{c") + c + "}", colour = c;
        source += text;
        visible += static_cast<int>(text.size());
        return *this;
    }
    Line& pad(char c, int column)  // spaces up to a visible column
    {
        if (visible < column) put(c, std::string(static_cast<size_t>(column - visible), ' '));
        return *this;
    }
};

inline std::string left(const std::string& s, int w)
{
    return s.size() >= static_cast<size_t>(w) ? s.substr(0, static_cast<size_t>(w)) : s + std::string(w - s.size(), ' ');
}
inline std::string right(const std::string& s, int w)
{
    return s.size() >= static_cast<size_t>(w) ? s : std::string(w - s.size(), ' ') + s;
}
inline std::string num(int v, int w) { return right(std::to_string(v), w); }

// Lines of at most 79 characters: the reader never shows an 80th.
constexpr int max_visible = 79;

struct Page {
    std::vector<std::string> lines;
    int first_long = 0;  // 1-based number of the first line that is too long
    void add(const Line& l)
    {
        lines.push_back(l.source);
        if (l.visible > max_visible && !first_long) first_long = static_cast<int>(lines.size());
    }
    void blank() { lines.push_back(""); }
    // A heading framed by a pair of rainbow rules.
    void heading(const std::string& text, char colour, char style = '1')
    {
        add(Line().rule(8));
        Line l;
        l.put(colour, std::string(static_cast<size_t>((79 - static_cast<int>(text.size())) / 2), ' ') + text, style);
        add(l);
        add(Line().rule(8));
    }
    // Fills the page to exactly n lines by adding blank lines before the closing lines.
    bool finish(int n, const std::vector<std::string>& closing, std::string& error, const char* name)
    {
        if (first_long) {
            error = std::string(name) + ": line " + std::to_string(first_long) + " is wider than 79 characters";
            return false;
        }
        int free = n - static_cast<int>(lines.size() + closing.size());
        if (free < 0) {
            error = std::string(name) + ": the layout needs " + std::to_string(-free) + " lines more than the document has";
            return false;
        }
        lines.insert(lines.end(), static_cast<size_t>(free), "");
        lines.insert(lines.end(), closing.begin(), closing.end());
        return true;
    }
    std::string text() const
    {
        std::string out;
        for (const auto& l : lines) out += l + "\n";
        return out;
    }
};

inline const char* month_name(int m)
{
    static const char* names[] = {"", "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return m >= 1 && m <= 12 ? names[m] : "???";
}

inline std::string place_text(int p)
{
    static const char* names[] = {"", "1st", "2nd", "3rd"};
    return p >= 1 && p <= 3 ? names[p] : "";
}

// Movement against the previous standing: "+3", "-2", "=", or "new".
inline std::string movement(const Standing& s)
{
    if (s.previous == 0) return "new";
    if (s.previous == s.rank) return "=";
    int d = s.previous - s.rank;
    return (d > 0 ? "+" : "") + std::to_string(d);
}
inline char movement_colour(const Standing& s)
{
    if (s.previous == 0) return 'G';
    if (s.previous == s.rank) return '3';
    return s.previous > s.rank ? '7' : '4';
}
inline char rank_colour(int rank) { return rank == 1 ? 'D' : rank == 2 ? '2' : rank == 3 ? 'M' : '1'; }

// A ranked table: rank, movement, group, releases, points.
inline void table(Page& p, const std::vector<Standing>& rows, size_t limit, const char* extra_head,
                  const std::vector<std::string>& extra)
{
    Line head;
    head.put('P', " RANK  MOVE   GROUP").pad('P', 47).put('P', "RELEASES   POINTS").put('P', extra_head);
    p.add(Line().rule(1));
    p.add(head);
    for (size_t i = 0; i < rows.size() && i < limit; ++i) {
        const Standing& s = rows[i];
        if (i > 0 && i % 10 == 0) p.blank();
        Line l;
        l.put(rank_colour(s.rank), " " + num(s.rank, 3) + ".  ");
        l.put(movement_colour(s), left(movement(s), 5));
        l.put(s.rank <= 3 ? 'E' : s.rank <= 10 ? 'H' : '2', "  " + s.group).pad('2', 47);
        l.put('8', num(s.releases, 8)).put('S', num(s.points, 9));
        if (i < extra.size()) l.put('B', extra[i]);
        p.add(l);
    }
}

}  // namespace chartgen
