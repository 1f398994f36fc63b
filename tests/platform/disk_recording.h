// Points SDL's disk audio driver at a file for the devices opened while it lives: the file
// then holds exactly what the devices handed to the sound card, taken about twenty times
// faster than real time.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

struct DiskRecording {
    std::string path;
    explicit DiskRecording(const std::string& name) : path(name + "_" + std::to_string(::getpid()) + ".raw")
    {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "1", 1);
    }
    ~DiskRecording()
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::remove(path.c_str());
    }
    // Stereo frames as recorded, silence included.
    std::vector<uint32_t> frames() const
    {
        std::ifstream in(path, std::ios::binary);
        std::vector<uint32_t> out;
        uint32_t f;
        while (in.read(reinterpret_cast<char*>(&f), sizeof f)) out.push_back(f);
        return out;
    }
};

// The frames that are not silent, in order.
inline std::vector<uint32_t> sounding(const std::vector<uint32_t>& frames)
{
    std::vector<uint32_t> out;
    for (uint32_t f : frames)
        if (f) out.push_back(f);
    return out;
}
