// The pool of store connections under a burst of callers, with connections that are slow to
// open or fail to open.
#include "ConnectionPool.h"

#include <QTest>
#include <atomic>
#include <thread>
#include <vector>

namespace {

struct FakeConnection {};

// Counts how many connections are being opened at the same moment, at most.
struct OpenCounter {
    std::atomic<int> Opening = 0;
    std::atomic<int> MostAtOnce = 0;
    std::atomic<int> Opened = 0;
    std::atomic<int> FailuresLeft = 0;

    std::unique_ptr<FakeConnection> Open() {
        const int now = ++Opening;
        int most = MostAtOnce;
        while (now > most && !MostAtOnce.compare_exchange_weak(most, now)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        --Opening;
        if (FailuresLeft.fetch_sub(1) > 0)
            throw StoreError("connection refused");
        ++Opened;
        return std::make_unique<FakeConnection>();
    }
};

} // namespace

class TestConnectionPool : public QObject {
    Q_OBJECT

private slots:
    // A burst of callers on a fresh pool waits for connections opened one after the other,
    // instead of opening one each at the same moment; each caller still gets a connection.
    void burstOpensOneConnectionAtATime() {
        OpenCounter counter;
        ConnectionPool<FakeConnection> pool(8, [&] { return counter.Open(); });
        std::atomic<int> served = 0;
        std::vector<std::thread> callers;
        for (int i = 0; i < 32; ++i)
            callers.emplace_back([&] {
                auto lease = pool.Acquire();
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                ++served;
            });
        for (auto& caller : callers)
            caller.join();
        QCOMPARE(served.load(), 32);
        QCOMPARE(counter.MostAtOnce.load(), 1);
        QVERIFY(counter.Opened.load() >= 1 && counter.Opened.load() <= 8);
    }

    // A connection that fails to open fails its caller only: it no longer counts against
    // the limit, and the next caller opens another.
    void failedOpenLeavesRoomForTheNext() {
        OpenCounter counter;
        counter.FailuresLeft = 1;
        ConnectionPool<FakeConnection> pool(1, [&] { return counter.Open(); });
        QVERIFY_THROWS_EXCEPTION(StoreError, pool.Acquire());
        {
            auto lease = pool.Acquire();
            lease.Discard();
        }
        auto lease = pool.Acquire();
        QCOMPARE(counter.Opened.load(), 2);
    }
};

QTEST_GUILESS_MAIN(TestConnectionPool)
#include "tst_connection_pool.moc"
