#include "workqueue.h"

#include <algorithm>

namespace tarvell {

WorkQueue::WorkQueue(int workers, int maxWaiting, int64_t maxWeight)
    : m_MaxWaiting(std::max(maxWaiting, 1)), m_MaxWeight(std::max<int64_t>(maxWeight, 0)) {
    if (workers <= 0) {
        workers = int(std::max(std::thread::hardware_concurrency(), 1U));
    }
    m_Threads.reserve(size_t(workers));
    for (int i = 0; i < workers; ++i) {
        m_Threads.emplace_back([this] { work(); });
    }
}

WorkQueue::~WorkQueue() {
    drain();
    {
        std::lock_guard lock(m_Lock);
        m_Ending = true;
    }
    m_Posted.notify_all();
    for (std::thread& thread : m_Threads) {
        thread.join();
    }
}

void WorkQueue::post(std::function<void()> task, int64_t weight) {
    std::unique_lock lock(m_Lock);
    m_Room.wait(lock, [&] {
        return m_Waiting.empty() ||
               (int(m_Waiting.size()) < m_MaxWaiting && m_WaitingWeight + weight <= m_MaxWeight);
    });
    m_Waiting.push_back({std::move(task), weight});
    m_WaitingWeight += weight;
    lock.unlock();
    m_Posted.notify_one();
}

void WorkQueue::join() {
    std::unique_lock lock(m_Lock);
    m_Idle.wait(lock, [&] { return m_Waiting.empty() && m_Running == 0; });
}

void WorkQueue::drain() {
    std::unique_lock lock(m_Lock);
    m_Waiting.clear();
    m_WaitingWeight = 0;
    m_Room.notify_all();
    m_Idle.wait(lock, [&] { return m_Running == 0; });
}

void WorkQueue::work() {
    std::unique_lock lock(m_Lock);
    for (;;) {
        m_Posted.wait(lock, [&] { return m_Ending || !m_Waiting.empty(); });
        if (m_Waiting.empty()) {
            return; // ending
        }
        Task task = std::move(m_Waiting.front());
        m_Waiting.pop_front();
        m_WaitingWeight -= task.weight;
        ++m_Running;
        lock.unlock();
        m_Room.notify_one();
        task.run();
        task.run = nullptr; // what it held goes before the count says it ended
        lock.lock();
        --m_Running;
        if (m_Running == 0 && m_Waiting.empty()) {
            m_Idle.notify_all();
        }
    }
}

} // namespace tarvell
