// sc68pack REPLAY.bin SCORE OUT.sc68: packs the intro replay and its tune into an SC68 file.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tools/composer/score.h"
#include "tools/sc68pack/pack.h"

namespace {

// The intro's credits as the file carries them.
const sc68pack::Credits intro_credits = {"Kelvarin 30 intro", "Drift", "Drift, replay by Ferrox"};

bool read_file(const char* path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: sc68pack REPLAY.bin SCORE OUT.sc68\n");
        return 2;
    }
    std::string replay, score;
    if (!read_file(argv[1], replay) || !read_file(argv[2], score)) {
        std::fprintf(stderr, "sc68pack: cannot read %s\n", read_file(argv[1], replay) ? argv[2] : argv[1]);
        return 1;
    }
    std::vector<uint8_t> file;
    try {
        composer::XmModule module = composer::compile_score(score);
        file = sc68pack::write_sc68(std::vector<uint8_t>(replay.begin(), replay.end()), module, intro_credits);
    } catch (const composer::ScoreError& e) {
        std::fprintf(stderr, "%s:%d: %s\n", argv[2], e.line, e.what());
        return 1;
    } catch (const sc68pack::PackError& e) {
        std::fprintf(stderr, "sc68pack: %s\n", e.what());
        return 1;
    }
    std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "sc68pack: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
