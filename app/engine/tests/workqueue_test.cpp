// The job's workers: every task runs before join() returns, the backlog stays
// within its bounds, and a drain drops what has not begun.
#include "workqueue.h"

#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>

namespace tarvell {
namespace {

using namespace std::chrono_literals;

TEST(WorkQueue, JoinWaitsForEveryTaskAndTheBacklogStaysBounded) {
    struct Case {
        const char* name;
        int maxWaiting;
        int64_t maxWeight;
        int64_t weight;
        int mostWaiting; // what the backlog may hold at most
    };
    const Case cases[] = {
        {"by count", 3, 1000, 1, 3},
        {"by weight", 100, 10, 4, 2},
        {"heavier than the bound: one at a time", 100, 10, 50, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkQueue queue(1, c.maxWaiting, c.maxWeight);
        std::atomic<int> posted{0};
        std::atomic<int> ran{0};
        std::atomic<int> mostWaiting{0};
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        // The one worker is held, so the backlog fills up to its bound and
        // the next post blocks.
        queue.post([&, released] {
            released.wait();
            ++ran;
        });
        std::thread poster([&] {
            for (int i = 0; i < 20; ++i) {
                queue.post(
                    [&] {
                        const int waiting = posted.load() - ran.load() - 1;
                        int most = mostWaiting.load();
                        while (waiting > most &&
                               !mostWaiting.compare_exchange_weak(most, waiting)) {
                        }
                        ++ran;
                    },
                    c.weight);
                ++posted;
            }
        });
        while (posted.load() < c.mostWaiting) {
            std::this_thread::yield();
        }
        std::this_thread::sleep_for(20ms); // a post beyond the bound would show here
        EXPECT_EQ(posted.load(), c.mostWaiting);
        release.set_value();
        poster.join();
        queue.join();
        EXPECT_EQ(ran.load(), 21);
        EXPECT_LE(mostWaiting.load(), c.mostWaiting);
    }
}

TEST(WorkQueue, DrainDropsWaitingTasksAndWaitsForRunningOnes) {
    for (const bool byDestructor : {false, true}) {
        SCOPED_TRACE(byDestructor ? "destructor" : "drain");
        std::atomic<int> ran{0};
        std::atomic<bool> runningEnded{false};
        std::promise<void> started;
        {
            WorkQueue queue(1);
            queue.post([&] {
                started.set_value();
                std::this_thread::sleep_for(30ms);
                runningEnded = true;
            });
            for (int i = 0; i < 100; ++i) {
                queue.post([&] { ++ran; });
            }
            started.get_future().wait();
            if (!byDestructor) {
                queue.drain();
                EXPECT_TRUE(runningEnded.load());
                // Still usable afterwards.
                queue.post([&] { ran += 1000; });
                queue.join();
                EXPECT_EQ(ran.load(), 1000);
            }
        }
        EXPECT_TRUE(runningEnded.load());
        EXPECT_EQ(ran.load() % 1000, 0); // none of the waiting tasks ran
    }
}

} // namespace
} // namespace tarvell
