#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Threads that run the jobs posted to them; `finish` runs what is queued, then ends them.
class WorkerPool {
public:
    explicit WorkerPool(int count) {
        for (int i = 0; i < count; ++i)
            m_threads.emplace_back([this] { work(); });
    }
    ~WorkerPool() { finish(); }
    void post(std::function<void()> job) {
        {
            std::lock_guard lock(m_mutex);
            m_jobs.push_back(std::move(job));
        }
        m_wanted.notify_one();
    }
    void finish() {
        {
            std::lock_guard lock(m_mutex);
            m_finishing = true;
        }
        m_wanted.notify_all();
        for (auto& t : m_threads)
            if (t.joinable())
                t.join();
    }

private:
    void work() {
        for (;;) {
            std::unique_lock lock(m_mutex);
            m_wanted.wait(lock, [this] { return m_finishing || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;
            auto job = std::move(m_jobs.front());
            m_jobs.pop_front();
            lock.unlock();
            job();
        }
    }
    std::mutex m_mutex;
    std::condition_variable m_wanted;
    std::deque<std::function<void()>> m_jobs;
    bool m_finishing = false;
    std::vector<std::thread> m_threads;
};
