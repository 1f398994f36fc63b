// Periodic work behind the platform: a worker runs a step function again and again, about
// once per period, until it is stopped. Callers write their work as such a step (poll, do a
// bounded piece of work, return) instead of a loop of their own, so that every platform can
// run it in its own way.
//
// The contract every implementation keeps:
//  - step(user) is never run twice at the same time, and none starts after worker_stop
//    has returned; worker_stop waits for a step that is running.
//  - A step may run on another thread than the caller's; it shares data with the caller only
//    through atomics or through what was written before worker_start.
//  - A step must return within a bounded time; it never sleeps or waits for the caller.
//
// This build: a thread of the worker's own, at the priority asked for, sleeping the period
// between steps. In fixed-step runs (platform/clock) the steps run instead on the main thread
// once per presented frame, so that what they do depends on fixed time only. A build without
// threads (a web page) runs the steps from its event loop on a timer of the period and grants
// no priority.
#pragma once

enum worker_priority : int {
    WORKER_NORMAL,
    WORKER_TIME_CRITICAL,   // audio: the highest the system grants without asking the user
};

// What the system granted a time-critical worker; normal workers always get WORKER_GOT_NORMAL.
enum worker_grant : int {
    WORKER_GOT_NORMAL,     // refused: the worker runs at normal priority
    WORKER_GOT_NICE,       // a lower nice value than the process's
    WORKER_GOT_REALTIME,   // a real-time round-robin policy
    WORKER_GOT_FRAMES,     // fixed-step run: steps follow the presented frames
};

struct worker;
using worker_step_fn = void (*)(void* user);

// Null when no thread could be created.
worker* worker_start(worker_step_fn step, void* user, int period_ms, worker_priority priority);
// Waits for a running step to end, then releases the worker. Null is ignored.
void worker_stop(worker* w);
worker_grant worker_granted(const worker* w);
