#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/thread.h"

namespace {

struct Steps {
    std::atomic<int> count{0};
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    std::atomic<int> policy{-1};
    std::atomic<int> nice{100};
    std::thread::id thread;
};

void count_step(void* user)
{
    auto* s = static_cast<Steps*>(user);
    if (s->running.fetch_add(1) != 0) s->overlapped = true;
    sched_param param{};
    int policy = -1;
    pthread_getschedparam(pthread_self(), &policy, &param);
    s->policy = policy;
    s->nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    s->thread = std::this_thread::get_id();
    s->count.fetch_add(1);
    s->running.fetch_sub(1);
}

bool wait_for_steps(const Steps& s, int n)
{
    for (int i = 0; i < 600 && s.count.load() < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return s.count.load() >= n;
}

}  // namespace

TEST(Worker, StepsRunAtTheGrantedPriorityAndNeverAfterStop)
{
    int process_nice = getpriority(PRIO_PROCESS, 0);
    for (worker_priority asked : {WORKER_NORMAL, WORKER_TIME_CRITICAL}) {
        Steps s;
        worker* w = worker_start(count_step, &s, 1, asked);
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(wait_for_steps(s, 5));
        worker_grant got = worker_granted(w);
        worker_stop(w);
        int after = s.count.load();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(s.count.load(), after);
        EXPECT_FALSE(s.overlapped);
        EXPECT_NE(s.thread, std::this_thread::get_id());
        // Whatever the system granted (it may refuse), the steps ran with exactly that.
        if (asked == WORKER_NORMAL) {
            EXPECT_EQ(got, WORKER_GOT_NORMAL);
        }
        EXPECT_EQ(s.policy.load(), got == WORKER_GOT_REALTIME ? SCHED_RR : SCHED_OTHER) << got;
        if (got == WORKER_GOT_NICE) {
            EXPECT_LT(s.nice.load(), process_nice);
        } else {
            EXPECT_EQ(s.nice.load(), process_nice);
        }
    }
}

TEST(Worker, FixedStepRunsTheStepOncePerPresentedFrameAfterEarlierFrameSteps)
{
    clock_set_fixed_step(20);
    std::vector<int> order;
    auto mark = [](void* user) { static_cast<std::vector<int>*>(user)->push_back(1); };
    clock_add_frame_step(mark, &order);
    Steps s;
    worker* w = worker_start(count_step, &s, 5, WORKER_TIME_CRITICAL);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(worker_granted(w), WORKER_GOT_FRAMES);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(s.count.load(), 0) << "no step between frames";
    for (int i = 0; i < 3; ++i) {
        clock_frame_presented();
        order.push_back(2 + s.count.load());
    }
    EXPECT_EQ(order, (std::vector<int>{1, 3, 1, 4, 1, 5}));
    EXPECT_EQ(s.thread, std::this_thread::get_id());
    worker_stop(w);
    clock_remove_frame_step(mark, &order);
    clock_frame_presented();
    EXPECT_EQ(s.count.load(), 3);
    EXPECT_EQ(order.size(), 6u);
    clock_set_fixed_step(0);
}
