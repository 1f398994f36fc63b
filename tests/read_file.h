// A whole file as the tests compare it: its bytes, empty when it cannot be read.
#pragma once
#include <fstream>
#include <iterator>
#include <string>

template <typename Bytes = std::string> Bytes read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
