// Kelvarin: the program's entry. Without options it behaves as the magazine always did;
// the options add windowed, scripted and captured runs.
#include <cstdio>
#include <string>

#include "app/capture.h"
#include "app/options.h"
#include "app/listing.h"
#include "app/run.h"
#include "gfx/window.h"
#include "platform/clock.h"
#include "platform/keys.h"
#include "platform/signals.h"

namespace {

Options options;
size_t next_event = 0;

void deliver_script(int frame)
{
    while (next_event < options.script.size() && options.script[next_event].frame <= frame) {
        const ScriptEvent& e = options.script[next_event++];
        switch (e.action) {
        case ScriptAction::KeyDown: key_event(e.a, true); break;
        case ScriptAction::KeyUp: key_event(e.a, false); break;
        case ScriptAction::Move: window_handle_event(window_pointer_event(e.a, e.b)); break;
        case ScriptAction::Press: window_on_button(1, 1); break;
        case ScriptAction::Release: window_on_button(1, 0); break;
        case ScriptAction::RightPress: window_on_button(0, 1); break;
        case ScriptAction::RightRelease: window_on_button(0, 0); break;
        case ScriptAction::Wheel:
            for (int i = 0; i < (e.a < 0 ? -e.a : e.a); ++i) window_on_wheel(e.a);
            break;
        case ScriptAction::Close: window_handle_event(DisplayEvent{DisplayEventKind::Close}); break;
        }
    }
}

void after_frame(int frame, const uint32_t* pixels, int width, int height)
{
    for (const Capture& c : options.captures) {
        if (c.frame != frame) continue;
        std::string error;
        if (!write_png(c.path, pixels, width, height, error)) std::fprintf(stderr, "kelvarin: %s\n", error.c_str());
    }
    if (options.frames > 0 && frame + 1 >= options.frames) shutdown_now();
}

}  // namespace

int main(int argc, char** argv)
{
    std::string error;
    if (!parse_options(argc, argv, options, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(usage_text, stdout);
        return 0;
    }
    if (options.list_documents) return list_documents() ? 0 : 1;
    signals_catch_termination();
    if (options.fixed_step_ms > 0.0) clock_set_fixed_step(options.fixed_step_ms);
    window_force_windowed(options.windowed);
    window_set_hooks({deliver_script, after_frame});
    return run_kelvarin();
}
