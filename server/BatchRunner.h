#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <iterator>
#include <mutex>
#include <thread>
#include <vector>

// Jobs queued by any number of callers and run in batches by a few threads of its own: a
// thread starting a batch takes every job queued at that moment, up to a limit when one is
// given, oldest first, so a batch grows with the load instead of with a thread count, and
// no caller's thread waits for it. The batch function answers its jobs itself. Jobs queued
// before destruction still run.
template <typename Job> class BatchRunner {
public:
    using RunBatch = std::function<void(std::vector<Job>&)>;

    // `maxBatch` 0 takes every queued job at once.
    BatchRunner(int threads, size_t maxBatch, RunBatch run)
        : MaxBatch(maxBatch), Run(std::move(run)) {
        for (int t = 0; t < threads; ++t)
            Threads.emplace_back([this] { Work(); });
    }
    ~BatchRunner() {
        {
            std::lock_guard lock(Mutex);
            Stopping = true;
        }
        Ready.notify_all();
        for (auto& thread : Threads)
            thread.join();
    }
    BatchRunner(const BatchRunner&) = delete;
    BatchRunner& operator=(const BatchRunner&) = delete;

    void Submit(Job job) {
        {
            std::lock_guard lock(Mutex);
            Queued.push_back(std::move(job));
        }
        Ready.notify_one();
    }

private:
    void Work() {
        std::vector<Job> batch;
        for (;;) {
            bool more = false; // left for another thread
            {
                std::unique_lock lock(Mutex);
                Ready.wait(lock, [this] { return Stopping || !Queued.empty(); });
                if (Queued.empty())
                    return;
                if (MaxBatch == 0 || Queued.size() <= MaxBatch)
                    batch.swap(Queued);
                else {
                    const auto end = Queued.begin() + std::ptrdiff_t(MaxBatch);
                    batch.assign(std::make_move_iterator(Queued.begin()),
                                 std::make_move_iterator(end));
                    Queued.erase(Queued.begin(), end);
                    more = true;
                }
            }
            if (more)
                Ready.notify_one();
            Run(batch);
            batch.clear();
        }
    }

    const size_t MaxBatch;
    const RunBatch Run;
    std::mutex Mutex;
    std::condition_variable Ready;
    std::vector<Job> Queued;
    bool Stopping = false;
    std::vector<std::thread> Threads; // last: started once everything above exists
};
