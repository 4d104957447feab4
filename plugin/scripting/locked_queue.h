// FB::LockedQueue: a first-in, first-out queue that any thread may fill and that never waits to empty.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>

namespace FB {

/// A mutex-guarded FIFO of T held by value; not copyable.
template <typename T> class LockedQueue {
public:
    LockedQueue() = default;
    LockedQueue(const LockedQueue&) = delete;
    LockedQueue& operator=(const LockedQueue&) = delete;

    /// Appends a copy of \p element at the back.
    void push(const T& element) {
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            m_queue.push_back(element);
        }
        m_condition.notify_one();
    }

    /// Assigns the front element to \p out and answers true; answers false, leaving \p out
    /// unchanged, when the queue is empty. Never waits.
    bool tryPop(T& out) {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (m_queue.empty())
            return false;
        out = m_queue.front();
        m_queue.pop_front();
        return true;
    }

private:
    std::deque<T> m_queue;
    std::mutex m_mutex;
    std::condition_variable m_condition;
};

} // namespace FB
