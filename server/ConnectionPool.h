#pragma once

#include "GradeStore.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// Hands each caller a connection of its own, opening new ones up to a limit; a caller that
// finds every connection busy waits a bounded time and then fails with StoreError.
// Connections are opened one at a time: a burst of callers on a fresh pool waits for the
// connections already open instead of opening dozens at once, which a store server on a
// busy machine answers so slowly that the connections time out.
template <typename Connection> class ConnectionPool {
public:
    using Factory = std::function<std::unique_ptr<Connection>()>;

    ConnectionPool(int maxConnections, Factory open)
        : MaxConnections(maxConnections), Open(std::move(open)) {}

    class Lease {
    public:
        Lease(ConnectionPool& pool, std::unique_ptr<Connection> connection)
            : Pool(pool), Held(std::move(connection)) {}
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        ~Lease() { Pool.Return(std::move(Held)); }
        Connection& operator*() { return *Held; }
        Connection* operator->() { return Held.get(); }
        // A connection in an unknown state is closed instead of being handed out again.
        void Discard() { Held.reset(); }

    private:
        ConnectionPool& Pool;
        std::unique_ptr<Connection> Held;
    };

    Lease Acquire() {
        std::unique_lock lock(Mutex);
        if (!Changed.wait_for(lock, std::chrono::seconds(5), [this] {
                return !Idle.empty() || (Opened < MaxConnections && !Opening);
            }))
            throw StoreError("every store connection stayed busy");
        if (!Idle.empty()) {
            auto connection = std::move(Idle.back());
            Idle.pop_back();
            return Lease(*this, std::move(connection));
        }
        ++Opened;
        Opening = true;
        lock.unlock();
        std::unique_ptr<Connection> opened;
        try {
            opened = Open();
        } catch (...) {
            OpenFinished(false);
            throw;
        }
        OpenFinished(true);
        return Lease(*this, std::move(opened));
    }

private:
    // The connection being opened is ready, or failed and no longer counts.
    void OpenFinished(bool ready) {
        {
            std::lock_guard lock(Mutex);
            Opening = false;
            if (!ready)
                --Opened;
        }
        Changed.notify_all();
    }

    void Return(std::unique_ptr<Connection> connection) {
        {
            std::lock_guard lock(Mutex);
            if (connection)
                Idle.push_back(std::move(connection));
            else
                --Opened;
        }
        Changed.notify_one();
    }

    const int MaxConnections;
    const Factory Open;
    std::mutex Mutex;
    std::condition_variable Changed;
    std::vector<std::unique_ptr<Connection>> Idle;
    int Opened = 0;
    bool Opening = false; // a connection is being opened
};
