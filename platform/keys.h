// Keyboard state as an asynchronous query: the value says whether a key is down now and
// whether it went down since the previous query of that key.
#pragma once
#include <cstdint>

enum : int {
    VK_RETURN = 13,
    VK_ESCAPE = 27,
    VK_PAGE_UP = 33,
    VK_PAGE_DOWN = 34,
    VK_END = 35,
    VK_HOME = 36,
    VK_UP = 38,
    VK_DOWN = 40,
    VK_F4 = 115,
    VK_F11 = 122,
};

constexpr int KEY_COUNT = 256;

struct KeyState {
    bool down[KEY_COUNT];
    bool pressed[KEY_COUNT];   // went down since the last query of this key
};

extern KeyState keys;

// Bit 15 set while the key is down, bit 0 set when it went down since the previous
// query: -32767 means "down and newly pressed", -32768 "held", 1 "tapped and released".
int16_t key_query(KeyState& state, int vk);
int16_t key_query(int vk);

// Fed by the event pump (and by scripted input).
void key_event(KeyState& state, int vk, bool is_down);
void key_event(int vk, bool is_down);
