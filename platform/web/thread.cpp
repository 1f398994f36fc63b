// Periodic workers in a page, which has one thread: a step runs from the page's own event
// loop on an interval timer, whenever the program sleeps, and no priority is granted. In
// fixed-step runs the steps follow the presented frames, as on the desktop.
#include "platform/thread.h"

#include <emscripten/eventloop.h>

#include "platform/clock.h"

struct worker {
    worker_step_fn step = nullptr;
    void* user = nullptr;
    long interval = 0;   // the page's timer; 0 when the steps follow the frames
    worker_grant granted = WORKER_GOT_NORMAL;
};

namespace {

void run_step(void* user)
{
    worker* w = static_cast<worker*>(user);
    w->step(w->user);
}

}  // namespace

worker* worker_start(worker_step_fn step, void* user, int period_ms, worker_priority)
{
    if (!step) return nullptr;
    worker* w = new worker;
    w->step = step;
    w->user = user;
    if (clock_fixed_step()) {
        w->granted = WORKER_GOT_FRAMES;
        clock_add_frame_step(run_step, w);
    } else {
        w->interval = emscripten_set_interval(run_step, period_ms > 0 ? period_ms : 1, w);
    }
    return w;
}

void worker_stop(worker* w)
{
    if (!w) return;
    // Steps only run while the program sleeps, so none is running now.
    if (w->interval)
        emscripten_clear_interval(w->interval);
    else
        clock_remove_frame_step(run_step, w);
    delete w;
}

worker_grant worker_granted(const worker* w) { return w ? w->granted : WORKER_GOT_NORMAL; }
