// Arbitrary register traffic and renders on every chip: whatever a replay
// writes, the chips must stay inside their state and the 68000 RAM.
#include <cstdint>
#include <cstring>
#include <vector>

#include "sc68/chips/mfp68901.h"
#include "sc68/chips/paula.h"
#include "sc68/chips/ste_sound.h"
#include "sc68/chips/ym2149.h"

namespace {

// Each record: chip and operation, address low byte, value (4 bytes),
// cycle (2 bytes, scaled).
constexpr size_t RECORD = 8;

uint32_t be32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static std::vector<uint8_t> ram(EMU68_MEMSIZE + EMU68_MEMSPARE);
    static std::vector<uint32_t> buf(4096);
    for (size_t i = 0; i < ram.size(); ++i)
        ram[i] = static_cast<uint8_t>(i * 131);

    paula_init(&paula_chip);
    ym_init(&ym_chip);
    mfp_init(&mfp_chip);
    ste_init(&ste_chip);

    io68_t* chips[4] = {&paula_io, &ym_io, &mfp_io, &ste_io};
    for (size_t at = 0; at + RECORD <= size; at += RECORD) {
        const uint8_t* r = data + at;
        io68_t* io = chips[r[0] & 3];
        const uint32_t addr = (io->addr_lo & 0xFFFF00) | r[1];
        const uint32_t value = be32(r + 2);
        const uint32_t cycle = (static_cast<uint32_t>(r[6]) << 8 | r[7]) * 4;
        switch (r[0] >> 2 & 15) {
        case 0: io->w_byte(addr, value, cycle); break;
        case 1: io->w_word(addr, value, cycle); break;
        case 2: io->w_long(addr, value, cycle); break;
        case 3: io->r_byte(addr, cycle); break;
        case 4: io->r_word(addr, cycle); break;
        case 5: io->r_long(addr, cycle); break;
        case 6: {
            const int32_t next = io->next_interrupt(cycle);
            int68_t irq;
            if (next != IO68_NO_INT)
                io->interrupt(cycle + static_cast<uint32_t>(next < 0 ? 0 : next), &irq);
            break;
        }
        case 7: io->adjust_cycle(cycle); break;
        case 8: paula_render(&paula_chip, buf.data(), ram.data(), static_cast<int>(value % buf.size())); break;
        case 9: {
            const int n = ym_render(&ym_chip, value % 400000);
            const int m = n < static_cast<int>(buf.size()) ? n : static_cast<int>(buf.size());
            std::memcpy(buf.data(), ym_output(&ym_chip), sizeof(uint32_t) * static_cast<size_t>(m));
            ste_render(&ste_chip, buf.data(), ram.data(), m);
            break;
        }
        case 10: {
            const int rate = static_cast<int>(value % 60000);
            paula_sampling_rate(&paula_chip, rate);
            ym_sampling_rate(&ym_chip, rate);
            ste_sampling_rate(&ste_chip, rate);
            break;
        }
        default: io->reset(); break;
        }
    }
    return 0;
}
