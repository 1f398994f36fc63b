#include "platform/keys.h"

KeyState keys;

int16_t key_query(KeyState& state, int vk)
{
    if (vk < 0 || vk >= KEY_COUNT) return 0;
    int value = (state.down[vk] ? 0x8000 : 0) | (state.pressed[vk] ? 1 : 0);
    state.pressed[vk] = false;
    return static_cast<int16_t>(value);
}

int16_t key_query(int vk) { return key_query(keys, vk); }

void key_event(KeyState& state, int vk, bool is_down)
{
    if (vk < 0 || vk >= KEY_COUNT) return;
    // Auto-repeat sends further downs while held; only a real transition is a press.
    if (is_down && !state.down[vk]) state.pressed[vk] = true;
    state.down[vk] = is_down;
}

void key_event(int vk, bool is_down) { key_event(keys, vk, is_down); }
