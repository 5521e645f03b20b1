#pragma once

#include "GradeStore.h"

#include <condition_variable>
#include <mutex>
#include <vector>

// Submits every command to the store without waiting between them, as many clients at once
// would, then waits for all of their outcomes, in the order of the commands.
inline std::vector<Outcome> SubmitAll(GradeStore& store,
                                      const std::vector<protocol::Command>& commands) {
    std::vector<Outcome> outcomes(commands.size());
    std::mutex mutex;
    std::condition_variable ended;
    size_t left = commands.size();
    for (size_t i = 0; i < commands.size(); ++i)
        store.Submit(commands[i], [&, i](Outcome outcome) {
            std::lock_guard lock(mutex);
            outcomes[i] = std::move(outcome);
            if (--left == 0)
                ended.notify_one();
        });
    std::unique_lock lock(mutex);
    ended.wait(lock, [&] { return left == 0; });
    return outcomes;
}
