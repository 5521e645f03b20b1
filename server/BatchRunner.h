#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Jobs queued by any number of callers and run in batches by a few threads of its own: a
// thread starting a batch takes every job queued at that moment, however many, so a batch
// grows with the load instead of with a thread count, and no caller's thread waits for it.
// The batch function answers its jobs itself. Jobs queued before destruction still run.
template <typename Job> class BatchRunner {
public:
    using RunBatch = std::function<void(std::vector<Job>&)>;

    BatchRunner(int threads, RunBatch run) : Run(std::move(run)) {
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
            {
                std::unique_lock lock(Mutex);
                Ready.wait(lock, [this] { return Stopping || !Queued.empty(); });
                if (Queued.empty())
                    return;
                batch.swap(Queued);
            }
            Run(batch);
            batch.clear();
        }
    }

    const RunBatch Run;
    std::mutex Mutex;
    std::condition_variable Ready;
    std::vector<Job> Queued;
    bool Stopping = false;
    std::vector<std::thread> Threads; // last: started once everything above exists
};
