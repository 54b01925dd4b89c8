// Work a job hands off its own thread (thumbnails, digests, exports): one
// worker per core and a bounded backlog, so that memory stays bounded however
// fast the phone delivers files.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tarvell {

class WorkQueue {
public:
    // workers <= 0: one per core. A task waits in the backlog until a worker
    // is free; post() blocks while the backlog holds more than maxWaiting
    // tasks or their weights add up to more than maxWeight.
    explicit WorkQueue(int workers = 0, int maxWaiting = 4096, int64_t maxWeight = 256 << 20);
    // Drops the tasks not begun and waits for the running ones.
    ~WorkQueue();
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    // weight: what the task holds on to while it waits (the bytes of the file
    // it reads). A task heavier than maxWeight is taken when the backlog is
    // empty.
    void post(std::function<void()> task, int64_t weight = 0);
    // Waits until every task posted so far has run.
    void join();
    // Drops the tasks not begun and waits for the running ones.
    void drain();
    int workers() const { return int(m_Threads.size()); }

private:
    struct Task {
        std::function<void()> run;
        int64_t weight;
    };
    void work();

    const int m_MaxWaiting;
    const int64_t m_MaxWeight;
    std::mutex m_Lock;
    std::condition_variable m_Posted; // a task or the end for the workers
    std::condition_variable m_Room;   // the backlog shrank
    std::condition_variable m_Idle;   // a task ended or was dropped
    std::deque<Task> m_Waiting;
    int64_t m_WaitingWeight = 0;
    int m_Running = 0;
    bool m_Ending = false;
    std::vector<std::thread> m_Threads;
};

} // namespace tarvell
