#include "platform/thread.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <future>
#include <system_error>
#include <thread>

#include "platform/clock.h"

namespace {

// Sound servers give their own threads about this real-time level; asking for the maximum
// would put a busy mixer above the system's own interrupt threads.
constexpr int REALTIME_LEVEL = 20;
constexpr int HIGHEST_NICE = -20;

}  // namespace

struct worker {
    worker_step_fn step = nullptr;
    void* user = nullptr;
    int period_ms = 0;
    worker_grant granted = WORKER_GOT_NORMAL;
    std::atomic<bool> stop{false};
    std::thread thread;   // not started in fixed-step runs
};

namespace {

// Raises the calling thread as far as the system allows without asking: real-time round
// robin where the limits (or the user's rights) allow it, else the lowest nice value the
// limits allow. Anything refused leaves the thread as it was.
worker_grant raise_this_thread()
{
    rlimit limit{};
    int level = REALTIME_LEVEL;
    if (geteuid() != 0 && getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        limit.rlim_cur < static_cast<rlim_t>(level))
        level = static_cast<int>(limit.rlim_cur);
    if (level > 0) {
        sched_param param{};
        param.sched_priority = level;
        if (pthread_setschedparam(pthread_self(), SCHED_RR, &param) == 0) return WORKER_GOT_REALTIME;
    }
    // Linux keeps nice values per thread; the limit allows values down to 20 - rlim_cur.
    int nice = HIGHEST_NICE;
    if (geteuid() != 0 && getrlimit(RLIMIT_NICE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        nice = 20 - static_cast<int>(limit.rlim_cur);
    errno = 0;
    int current = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    if (errno == 0 && nice < current && setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice) == 0)
        return WORKER_GOT_NICE;
    return WORKER_GOT_NORMAL;
}

void run_thread(worker* w, worker_priority priority, std::promise<worker_grant> granted)
{
    granted.set_value(priority == WORKER_TIME_CRITICAL ? raise_this_thread() : WORKER_GOT_NORMAL);
    while (!w->stop.load(std::memory_order_acquire)) {
        w->step(w->user);
        std::this_thread::sleep_for(std::chrono::milliseconds(w->period_ms));
    }
}

void run_frame_step(void* user)
{
    worker* w = static_cast<worker*>(user);
    w->step(w->user);
}

}  // namespace

worker* worker_start(worker_step_fn step, void* user, int period_ms, worker_priority priority)
{
    if (!step) return nullptr;
    worker* w = new worker;
    w->step = step;
    w->user = user;
    w->period_ms = period_ms > 0 ? period_ms : 1;
    if (clock_fixed_step()) {
        w->granted = WORKER_GOT_FRAMES;
        clock_add_frame_step(run_frame_step, w);
        return w;
    }
    std::promise<worker_grant> granted;
    std::future<worker_grant> answer = granted.get_future();
    try {
        w->thread = std::thread(run_thread, w, priority, std::move(granted));
    } catch (const std::system_error&) {
        delete w;
        return nullptr;
    }
    w->granted = answer.get();
    return w;
}

void worker_stop(worker* w)
{
    if (!w) return;
    if (w->thread.joinable()) {
        w->stop.store(true, std::memory_order_release);
        w->thread.join();
    } else {
        clock_remove_frame_step(run_frame_step, w);
    }
    delete w;
}

worker_grant worker_granted(const worker* w) { return w ? w->granted : WORKER_GOT_NORMAL; }
