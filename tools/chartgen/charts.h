// The charts of the issue, computed from the release database under issue/data.
//
// The database: groups.txt (the groups), parties.txt, words.txt and points.txt (scoring),
// and november.txt (this month's releases as reported). The archive before this month is
// grown from each group's activity with a generator seeded by the group's name, so it is
// the same on every run; this month's releases are exactly the reported ones.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace chartgen {

constexpr int this_year = 2026, this_month = 11;
constexpr int first_year = 1990;

struct Group {
    std::string name, home;
    int founded = 0, activity = 0, last_active = 0;
};

struct Release {
    int year = 0, month = 0;
    std::string group, type, title, party;
    int place = 0, points = 0;
};

struct Database {
    std::vector<Group> groups;
    std::map<std::string, int> party_month;      // party -> month
    std::vector<std::string> first_words, second_words;
    std::vector<std::string> types;               // in listing order
    std::map<std::string, std::string> type_name; // type -> name shown
    std::map<std::string, int> type_points;
    int place_bonus[4] = {0, 0, 0, 0};
    std::vector<Release> releases;
};

inline std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> out;
    std::string field;
    std::istringstream in(s);
    while (std::getline(in, field, sep)) out.push_back(field);
    if (!s.empty() && s.back() == sep) out.push_back("");
    return out;
}

// Data lines of a file: without comments (#) and blank lines, with their line numbers.
inline bool data_lines(const std::string& path, std::vector<std::pair<int, std::string>>& out, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = path + ": cannot read";
        return false;
    }
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        ++n;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        out.emplace_back(n, line);
    }
    return true;
}

// Small deterministic generator (xorshift32) for the archive.
struct Random {
    uint32_t state;
    explicit Random(const std::string& seed)
    {
        state = 2166136261u;
        for (unsigned char c : seed) state = (state ^ c) * 16777619u;
        if (state == 0) state = 1;
    }
    uint32_t next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }
};

inline int score(const Database& db, const Release& r)
{
    auto it = db.type_points.find(r.type);
    return (it == db.type_points.end() ? 0 : it->second) + (r.place >= 1 && r.place <= 3 ? db.place_bonus[r.place] : 0);
}

inline bool bad(const std::string& path, int line, const std::string& message, std::string& error)
{
    error = path + ":" + std::to_string(line) + ": " + message;
    return false;
}

inline bool load(const std::string& dir, Database& db, std::string& error)
{
    std::vector<std::pair<int, std::string>> rows;
    std::string path = dir + "/points.txt";
    if (!data_lines(path, rows, error)) return false;
    for (auto& [n, row] : rows) {
        auto f = split(row, '|');
        if (f.size() == 3) {
            db.types.push_back(f[0]);
            db.type_name[f[0]] = f[1];
            db.type_points[f[0]] = std::atoi(f[2].c_str());
        } else if (f.size() == 2 && f[0].size() == 1 && f[0][0] >= '1' && f[0][0] <= '3') {
            db.place_bonus[f[0][0] - '0'] = std::atoi(f[1].c_str());
        } else {
            return bad(path, n, "expected TYPE|NAME|POINTS or PLACE|BONUS", error);
        }
    }
    rows.clear();
    path = dir + "/groups.txt";
    if (!data_lines(path, rows, error)) return false;
    for (auto& [n, row] : rows) {
        auto f = split(row, '|');
        if (f.size() != 5) return bad(path, n, "expected NAME|FOUNDED|HOME|ACTIVITY|LAST ACTIVE", error);
        Group g{f[0], f[2], std::atoi(f[1].c_str()), std::atoi(f[3].c_str()), std::atoi(f[4].c_str())};
        if (g.founded < first_year || g.founded > this_year || g.last_active < g.founded || g.activity < 1)
            return bad(path, n, "implausible years or activity", error);
        db.groups.push_back(g);
    }
    rows.clear();
    path = dir + "/parties.txt";
    if (!data_lines(path, rows, error)) return false;
    for (auto& [n, row] : rows) {
        auto f = split(row, '|');
        int m = f.size() == 2 ? std::atoi(f[1].c_str()) : 0;
        if (m < 1 || m > 12) return bad(path, n, "expected PARTY|MONTH", error);
        db.party_month[f[0]] = m;
    }
    rows.clear();
    path = dir + "/words.txt";
    if (!data_lines(path, rows, error)) return false;
    if (rows.size() != 2) return bad(path, 1, "expected two lines of words", error);
    db.first_words = split(rows[0].second, ' ');
    db.second_words = split(rows[1].second, ' ');

    // The archive, January 1990 up to the month before this one.
    std::vector<std::string> party_of_month(13);
    for (auto& [p, m] : db.party_month) party_of_month[m] = p;
    static constexpr int type_weight[] = {5, 4, 2, 2, 4, 2, 1};  // in points.txt order
    int weight_sum = 0;
    for (size_t i = 0; i < db.types.size() && i < 7; ++i) weight_sum += type_weight[i];
    for (const Group& g : db.groups) {
        Random rnd(g.name);
        for (int year = g.founded; year <= std::min(g.last_active, this_year); ++year) {
            int months = year == this_year ? this_month - 1 : 12;
            int count = std::max(0, g.activity + rnd.below(5) - 2) * months / 12;
            for (int k = 0; k < count; ++k) {
                Release r;
                r.year = year;
                r.month = 1 + rnd.below(months);
                r.group = g.name;
                int w = rnd.below(weight_sum), t = 0;
                while (t + 1 < static_cast<int>(db.types.size()) && w >= type_weight[t]) w -= type_weight[t++];
                r.type = db.types[t];
                r.title = db.first_words[rnd.below(static_cast<int>(db.first_words.size()))] + " " +
                          db.second_words[rnd.below(static_cast<int>(db.second_words.size()))];
                if (!party_of_month[r.month].empty() && rnd.below(2) == 0) {
                    r.party = party_of_month[r.month];
                    int p = rnd.below(10);
                    r.place = p < 3 ? p + 1 : 0;
                }
                r.points = score(db, r);
                db.releases.push_back(r);
            }
        }
    }
    rows.clear();
    path = dir + "/november.txt";
    if (!data_lines(path, rows, error)) return false;
    for (auto& [n, row] : rows) {
        auto f = split(row, '|');
        if (f.size() != 6) return bad(path, n, "expected MONTH|GROUP|TYPE|TITLE|PARTY|PLACE", error);
        Release r;
        r.year = std::atoi(f[0].c_str());
        r.month = f[0].size() == 7 ? std::atoi(f[0].c_str() + 5) : 0;
        r.group = f[1];
        r.type = f[2];
        r.title = f[3];
        r.party = f[4] == "-" ? "" : f[4];
        r.place = std::atoi(f[5].c_str());
        if (r.year != this_year || r.month != this_month) return bad(path, n, "not a release of this month", error);
        if (!db.type_points.count(r.type)) return bad(path, n, "unknown release type '" + r.type + "'", error);
        if (std::none_of(db.groups.begin(), db.groups.end(), [&](const Group& g) { return g.name == r.group; }))
            return bad(path, n, "unknown group '" + r.group + "'", error);
        if (!r.party.empty() && !db.party_month.count(r.party)) return bad(path, n, "unknown party", error);
        if (r.place < 0 || r.place > 3 || (r.place > 0 && r.party.empty()))
            return bad(path, n, "a place needs a party and is 1, 2 or 3", error);
        r.points = score(db, r);
        db.releases.push_back(r);
    }
    for (const Release& r : db.releases)
        for (char c : r.group + r.title + r.party)
            if (c < 32 || c > 126 || c == '{') {
                error = "release names must be plain ASCII: " + r.title;
                return false;
            }
    return true;
}

// One row of a ranked table.
struct Standing {
    std::string group;
    int points = 0, releases = 0, rank = 0, previous = 0;  // previous 0: not ranked before
};

// Ranks the groups by their points from the releases that pass the filter; ties on points
// go to the group with more releases, then by name. Groups without points are not ranked.
template <class Filter>
std::vector<Standing> rank(const Database& db, Filter keep)
{
    std::map<std::string, Standing> by;
    for (const Release& r : db.releases)
        if (keep(r)) {
            Standing& s = by[r.group];
            s.group = r.group;
            s.points += r.points;
            s.releases += 1;
        }
    std::vector<Standing> out;
    for (auto& [name, s] : by)
        if (s.points > 0) out.push_back(s);
    std::sort(out.begin(), out.end(), [](const Standing& a, const Standing& b) {
        if (a.points != b.points) return a.points > b.points;
        if (a.releases != b.releases) return a.releases > b.releases;
        return a.group < b.group;
    });
    for (size_t i = 0; i < out.size(); ++i) out[i].rank = static_cast<int>(i) + 1;
    return out;
}

inline void set_previous(std::vector<Standing>& now, const std::vector<Standing>& before)
{
    for (Standing& s : now)
        for (const Standing& b : before)
            if (b.group == s.group) s.previous = b.rank;
}

inline int month_index(const Release& r) { return r.year * 12 + r.month - 1; }
constexpr int now_index = this_year * 12 + this_month - 1;

inline std::vector<Standing> monthly(const Database& db, int index)
{
    return rank(db, [&](const Release& r) { return month_index(r) == index; });
}
inline std::vector<Standing> yearly(const Database& db, int index)
{
    return rank(db, [&](const Release& r) { return r.year == index / 12 && month_index(r) <= index; });
}
inline std::vector<Standing> alltime(const Database& db, int index)
{
    return rank(db, [&](const Release& r) { return month_index(r) <= index; });
}

}  // namespace chartgen
