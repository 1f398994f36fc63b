// chartgen DATADIR DOCSDIR — writes the issue's chart documents (monthly chart, release
// listing, yearly and all-time stats) as document sources from the release database.
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/chartgen/charts.h"
#include "tools/chartgen/layout.h"

using namespace chartgen;

static const std::map<std::string, char> type_colour = {
    {"demo", 'M'}, {"intro", 'J'}, {"musicdisk", 'G'}, {"diskmag", 'D'},
    {"graphics", 'S'}, {"chipmusic", 'P'}, {"tool", '7'},
};

// The type's colour, one brightness step darker for each age band.
static char aged(const std::string& type, int age)
{
    auto it = type_colour.find(type);
    char c = it == type_colour.end() ? '2' : it->second;
    return static_cast<char>(c + std::min(age, 2));
}

static const std::vector<std::string> closing = {
    "{r5}",
    "{c3} Charts kept by {cH}Mistral{c3}. Missing a release? Tell us before the next deadline.",
};

static bool monthly_chart(const Database& db, Page& p, std::string& error)
{
    auto now = monthly(db, now_index);
    set_previous(now, monthly(db, now_index - 1));
    p.blank();  // line 0 sits above the text area while the page is at its top
    p.heading("THE MONTHLY CHART", 'D', '2');
    Line a, b;
    a.put('2', " Points of every release reported for ", '1').put('1', "November 2026").put('2', ", added up per group.");
    b.put('3', " Movement is against the October chart; ").put('G', "new").put('3', " marks groups not ranked then.");
    p.add(a);
    p.add(b);
    p.blank();
    table(p, now, now.size(), "", {});
    p.blank();
    p.heading("RELEASES OF THE MONTH", 'P');
    Line note;
    note.put('3', " Highest scores first; ").put('7', "compo").put('3', " marks an entry at the Brightwater Bash.");
    p.add(note);
    p.blank();
    std::vector<const Release*> list;
    for (const Release& r : db.releases)
        if (month_index(r) == now_index) list.push_back(&r);
    std::stable_sort(list.begin(), list.end(), [](const Release* x, const Release* y) { return x->points > y->points; });
    for (const Release* r : list) {
        Line l;
        l.put('H', " " + left(r->group, 23)).put(aged(r->type, 0), left(db.type_name.at(r->type), 11));
        l.put('1', left(r->title, 24));
        std::string where = r->party.empty() ? "" : r->place ? "compo " + place_text(r->place) : "compo";
        l.put(r->place ? '7' : '3', left(where, 10)).put('S', num(r->points, 3));
        p.add(l);
    }
    p.blank();
    p.heading("BRIGHTWATER BASH COMPETITION RESULTS", 'M');
    for (const std::string& t : db.types)
        for (int place = 1; place <= 3; ++place)
            for (const Release* r : list)
                if (r->type == t && r->place == place && r->party == "Brightwater Bash") {
                    Line l;
                    l.put(aged(t, 0), " " + left(place == 1 ? db.type_name.at(t) : "", 14));
                    l.put(place == 1 ? 'E' : '2', place_text(place) + "  ").put('1', left(r->title, 26));
                    l.put('3', "by ").put('H', r->group);
                    p.add(l);
                }
    return p.finish(117, closing, error, "monthly chart");
}

static bool yearly_stats(const Database& db, Page& p, std::string& error)
{
    auto now = yearly(db, now_index);
    set_previous(now, yearly(db, now_index - 1));
    p.blank();  // line 0 sits above the text area while the page is at its top
    p.heading("YEARLY STATS 2026", 'M');
    Line a;
    a.put('2', " January to November. Movement is against the standing after October.");
    p.add(a);
    p.blank();
    table(p, now, 40, "", {});
    return p.finish(56, closing, error, "yearly stats");
}

static bool alltime_stats(const Database& db, Page& p, std::string& error)
{
    auto now = alltime(db, now_index);
    set_previous(now, alltime(db, now_index - 1));
    std::map<std::string, int> founded;
    for (const Group& g : db.groups) founded[g.name] = g.founded;
    p.blank();  // line 0 sits above the text area while the page is at its top
    p.heading("ALLTIME STATS", 'J');
    Line a, b;
    a.put('2', " Every release since the charts began in ").put('1', "1990").put('2', ", up to November 2026.");
    b.put('3', " Movement is against last issue's all-time table.");
    p.add(a);
    p.add(b);
    p.blank();
    std::vector<std::string> since;
    for (const Standing& s : now) since.push_back("   since " + std::to_string(founded[s.group]));
    table(p, now, now.size(), "", since);
    p.blank();

    p.heading("BEST SINGLE YEARS", 'G');
    struct Year { std::string group; int year, points; };
    std::map<std::pair<std::string, int>, int> per;
    for (const Release& r : db.releases) per[{r.group, r.year}] += r.points;
    std::vector<Year> years;
    for (auto& [k, v] : per) years.push_back({k.first, k.second, v});
    std::stable_sort(years.begin(), years.end(), [](const Year& x, const Year& y) { return x.points > y.points; });
    for (size_t i = 0; i < years.size() && i < 30; ++i) {
        Line l;
        l.put('D', " " + num(static_cast<int>(i) + 1, 3) + ".  ").put('H', left(years[i].group, 30));
        l.put('2', std::to_string(years[i].year)).put('S', num(years[i].points, 10) + " points");
        p.add(l);
    }
    p.blank();
    p.heading("CHAMPIONS YEAR BY YEAR", 'S');
    for (int y = first_year; y <= this_year; ++y) {
        auto t = rank(db, [&](const Release& r) { return r.year == y && month_index(r) <= now_index; });
        Line l;
        l.put('2', " " + std::to_string(y) + (y == this_year ? "*" : " ") + "  ");
        if (!t.empty()) l.put('E', left(t[0].group, 24)).put('S', num(t[0].points, 5));
        if (t.size() > 1) l.put('3', "   ahead of ").put('2', left(t[1].group, 20)).put('3', num(t[1].points, 5));
        p.add(l);
    }
    Line star;
    star.put('C', " * so far, January to November.");
    p.add(star);
    return p.finish(178, closing, error, "alltime stats");
}

static bool release_listing(const Database& db, Page& p, std::string& error)
{
    constexpr int detail_from = 2018;
    auto all = alltime(db, now_index);
    auto year = yearly(db, now_index);
    auto rank_of = [](const std::vector<Standing>& t, const std::string& g) {
        for (const Standing& s : t)
            if (s.group == g) return s.rank;
        return 0;
    };
    p.blank();  // line 0 sits above the text area while the page is at its top
    p.heading("GROUP RELEASE STATS", 'D');
    Line a, b, legend;
    a.put('2', " Every group's releases from ").put('1', std::to_string(detail_from)).put('2', " on, newest first, then");
    a.put('2', " its earlier years.");
    b.put('3', " Colours show the kind of release; older releases are drawn darker.");
    legend.put('3', " ");
    for (const std::string& t : db.types) legend.put(aged(t, 0), db.type_name.at(t)).put('3', "  ");
    p.add(a);
    p.add(b);
    p.add(legend);
    p.blank();

    std::vector<Group> groups = db.groups;
    std::sort(groups.begin(), groups.end(), [](const Group& x, const Group& y) { return x.name < y.name; });
    for (const Group& g : groups) {
        std::vector<const Release*> mine;
        int points = 0;
        for (const Release& r : db.releases)
            if (r.group == g.name) mine.push_back(&r), points += r.points;
        std::stable_sort(mine.begin(), mine.end(),
                         [](const Release* x, const Release* y) { return month_index(*x) > month_index(*y); });
        p.add(Line().rule(8));
        Line name, facts;
        std::string upper;
        for (char c : g.name) upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        name.put('D', " " + upper).pad('D', 40).put('3', "founded ").put('2', std::to_string(g.founded));
        name.put('3', " in ").put('2', g.home);
        int ar = rank_of(all, g.name), yr = rank_of(year, g.name);
        facts.put('3', " All-time ").put('Q', ar ? "#" + std::to_string(ar) : "-");
        facts.put('3', "   This year ").put('Q', yr ? "#" + std::to_string(yr) : "-");
        facts.put('3', "   Releases ").put('8', std::to_string(mine.size()));
        facts.put('3', "   Points ").put('S', std::to_string(points));
        if (g.last_active < this_year) facts.put('3', "   last seen ").put('5', std::to_string(g.last_active));
        p.add(name);
        p.add(facts);
        p.add(Line().rule(8));
        std::map<int, std::pair<int, int>> decades;  // first year -> releases, points
        for (const Release* r : mine) {
            if (r->year < detail_from) {
                auto& d = decades[r->year / 10 * 10];
                d.first += 1;
                d.second += r->points;
                continue;
            }
            int age = r->year == this_year ? 0 : r->year >= this_year - 2 ? 1 : 2;
            Line l;
            l.put(age == 0 ? '1' : age == 1 ? '2' : '3', " " + std::to_string(r->year) + " " + month_name(r->month) + "  ");
            l.put(aged(r->type, age), left(db.type_name.at(r->type), 12)).put(age == 0 ? 'H' : 'I', left(r->title, 26));
            l.put(r->place == 1 ? 'E' : r->place ? 'F' : '3', left(r->party + (r->place ? " " + place_text(r->place) : ""), 23));
            l.put(age == 0 ? 'S' : age == 1 ? 'T' : 'U', num(r->points, 3));
            p.add(l);
        }
        for (auto it = decades.rbegin(); it != decades.rend(); ++it) {
            int to = std::min(it->first + 9, detail_from - 1);
            Line l;
            l.put('5', " " + std::to_string(std::max(it->first, g.founded)) + "-" + std::to_string(to));
            l.put('9', "   " + num(it->second.first, 3) + " releases").put('6', num(it->second.second, 7) + " points");
            p.add(l);
        }
        if (mine.empty()) {
            Line l;
            l.put('3', " No releases on record.");
            p.add(l);
        }
        p.blank();
    }

    p.heading("RELEASES BY YEAR", 'P');
    Line head;
    head.put('P', " YEAR ");
    static const std::map<std::string, std::string> short_name = {
        {"musicdisk", "Musicdisk"}, {"chipmusic", "Chips"}};
    for (const std::string& t : db.types)
        head.put(aged(t, 0), right(short_name.count(t) ? short_name.at(t) : db.type_name.at(t), 9));
    head.put('1', " TOTAL");
    p.add(Line().rule(1));
    p.add(head);
    for (int y = this_year; y >= first_year; --y) {
        std::map<std::string, int> count;
        int total = 0;
        for (const Release& r : db.releases)
            if (r.year == y) count[r.type] += 1, total += 1;
        Line l;
        l.put('2', " " + std::to_string(y) + " ");
        for (const std::string& t : db.types) l.put(aged(t, y >= this_year - 2 ? 1 : 2), num(count[t], 9));
        l.put('1', num(total, 6));
        p.add(l);
    }
    p.blank();
    p.heading("THE YEAR'S 40 HIGHEST SCORING RELEASES", 'J');
    std::vector<const Release*> best;
    for (const Release& r : db.releases)
        if (r.year == this_year) best.push_back(&r);
    std::stable_sort(best.begin(), best.end(), [](const Release* x, const Release* y) { return x->points > y->points; });
    for (size_t i = 0; i < best.size() && i < 40; ++i) {
        const Release* r = best[i];
        Line l;
        l.put('D', " " + num(static_cast<int>(i) + 1, 2) + ". ").put('2', std::string(month_name(r->month)) + "  ");
        l.put(aged(r->type, 0), left(db.type_name.at(r->type), 12)).put('1', left(r->title, 25));
        l.put('H', left(r->group, 24)).put('S', num(r->points, 3));
        p.add(l);
    }
    return p.finish(2115, closing, error, "release listing");
}

static bool write(const std::string& path, const std::string& text)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (f && std::fclose(f) != 0) ok = false;
    return ok;
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: chartgen DATADIR DOCSDIR\n");
        return 2;
    }
    Database db;
    std::string error, out = argv[2];
    if (!load(argv[1], db, error)) {
        std::fprintf(stderr, "chartgen: %s\n", error.c_str());
        return 1;
    }
    Page monthly_page, listing, yearly_page, alltime_page;
    if (!monthly_chart(db, monthly_page, error) || !release_listing(db, listing, error) ||
        !yearly_stats(db, yearly_page, error) || !alltime_stats(db, alltime_page, error)) {
        std::fprintf(stderr, "chartgen: %s\n", error.c_str());
        return 1;
    }
    if (!write(out + "/01-monthly-chart.txt", monthly_page.text()) ||
        !write(out + "/04-release-stats.txt", listing.text()) ||
        !write(out + "/05-yearly-stats.txt", yearly_page.text()) ||
        !write(out + "/08-alltime-stats.txt", alltime_page.text())) {
        std::fprintf(stderr, "chartgen: cannot write into %s\n", out.c_str());
        return 1;
    }
    return 0;
}
