// doccompile docs MANIFEST OUT.cpp          the twenty documents as line tables
// doccompile strings WELCOME TUNES OUT.cpp  title, tune credits and intro welcome text
// Faults in the sources are reported as FILE:LINE: message and fail the build.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/doccompile/compile.h"

static int write(const char* path, const std::string& text)
{
    FILE* f = std::fopen(path, "wb");
    bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) {
        std::fprintf(stderr, "doccompile: cannot write %s\n", path);
        return 1;
    }
    return 0;
}

int main(int argc, char** argv)
{
    std::string mode = argc > 1 ? argv[1] : "", error;
    if (mode == "docs" && argc == 4) {
        std::vector<doccompile::Document> docs;
        if (!doccompile::compile_manifest(argv[2], docs, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        return write(argv[3], doccompile::documents_cpp(docs));
    }
    if (mode == "strings" && argc == 5) {
        std::string welcome, tunes;
        std::vector<std::string> segments, credits;
        if (!doccompile::read_text(argv[2], welcome)) error = std::string(argv[2]) + ": cannot read";
        else if (!doccompile::read_text(argv[3], tunes)) error = std::string(argv[3]) + ": cannot read";
        else if (doccompile::compile_welcome(argv[2], welcome, segments, error) &&
                 doccompile::compile_tunes(argv[3], tunes, credits, error))
            return write(argv[4], doccompile::strings_cpp(segments, credits));
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::fprintf(stderr, "usage: doccompile docs MANIFEST OUT.cpp | strings WELCOME TUNES OUT.cpp\n");
    return 2;
}
