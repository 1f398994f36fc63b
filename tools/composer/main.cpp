// composer SCORE OUT.xm: compiles a text score into an XM module.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tools/composer/score.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: composer SCORE OUT.xm\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "composer: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::vector<uint8_t> bytes;
    try {
        bytes = composer::xm_write(composer::compile_score(text.str()));
    } catch (const composer::ScoreError& e) {
        std::fprintf(stderr, "%s:%d: %s\n", argv[1], e.line, e.what());
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "composer: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
