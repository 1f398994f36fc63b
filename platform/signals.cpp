#include "platform/signals.h"

#include <atomic>
#include <signal.h>

namespace {

// Written from a signal handler: only a lock-free atomic may be touched there.
std::atomic<bool> termination_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

constexpr int TERMINATION_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

void record_termination(int) { termination_requested.store(true, std::memory_order_relaxed); }

}  // namespace

void signals_catch_termination()
{
    struct sigaction action {};
    action.sa_handler = record_termination;
    sigemptyset(&action.sa_mask);
    // Sleeps and reads go on after the handler; the loops look at the flag every pass.
    action.sa_flags = SA_RESTART;
    for (int s : TERMINATION_SIGNALS) sigaction(s, &action, nullptr);
}

bool signals_termination_requested() { return termination_requested.load(std::memory_order_relaxed); }
