// embed FILE SYMBOL OUT.cpp — writes FILE's bytes as a compiled-in array.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

static bool valid_symbol(const char* s)
{
    if (!*s || (*s >= '0' && *s <= '9')) return false;
    for (; *s; ++s)
        if (!(*s == '_' || (*s >= 'a' && *s <= 'z') || (*s >= 'A' && *s <= 'Z') || (*s >= '0' && *s <= '9')))
            return false;
    return true;
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: embed FILE SYMBOL OUT.cpp\n");
        return 2;
    }
    if (!valid_symbol(argv[2])) {
        std::fprintf(stderr, "embed: '%s' is not a C++ identifier\n", argv[2]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "embed: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    std::string text;
    text.reserve(bytes.size() * 5 + 256);
    text += "// Generated from ";
    text += argv[1];
    text += "\nextern const unsigned char ";
    text += argv[2];
    text += "[];\nextern const unsigned long ";
    text += argv[2];
    text += "_size;\n";
    // One spare zero byte so that an empty file still gives a valid array.
    text += "alignas(16) const unsigned char " + std::string(argv[2]) + "[" + std::to_string(bytes.size() + 1) + "] = {\n";
    char num[8];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(num, sizeof num, "%u,", bytes[i]);
        text += num;
        if (i % 24 == 23) text += '\n';
    }
    text += "0};\nconst unsigned long " + std::string(argv[2]) + "_size = " + std::to_string(bytes.size()) + ";\n";

    std::FILE* out = std::fopen(argv[3], "wb");
    if (!out) {
        std::fprintf(stderr, "embed: cannot write %s\n", argv[3]);
        return 1;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "embed: failed writing %s\n", argv[3]);
        return 1;
    }
    return 0;
}
