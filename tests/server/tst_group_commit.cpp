// Writes queued by many callers and committed in batches: every job runs once, a batch takes
// what queued while the last one ran, and one refused write of a batch fails alone.
#include "BatchRunner.h"
#include "GradeStore.h"
#include "SubmitAll.h"

#include <QTemporaryDir>
#include <QTest>
#include <future>
#include <memory>

namespace {

// A runner of one thread whose first batch waits until the test lets it go, recording the
// jobs of each batch.
struct HeldRunner {
    explicit HeldRunner(size_t maxBatch)
        : Runner(std::make_unique<BatchRunner<int>>(1, maxBatch, [this](std::vector<int>& jobs) {
              if (Batches.empty()) {
                  Started.set_value();
                  Release.get_future().wait();
              }
              Batches.push_back(jobs);
          })) {}

    // Queues job 0, waits until its batch runs, queues `more` jobs behind it and lets the
    // first batch end; returns the batches once every job ran.
    std::vector<std::vector<int>> Run(int more) {
        Runner->Submit(0);
        Started.get_future().wait();
        for (int job = 1; job <= more; ++job)
            Runner->Submit(job);
        Release.set_value();
        Runner.reset();
        return Batches;
    }

    std::promise<void> Started;
    std::promise<void> Release;
    std::vector<std::vector<int>> Batches;
    std::unique_ptr<BatchRunner<int>> Runner;
};

std::vector<int> Range(int first, int last) {
    std::vector<int> jobs;
    for (int job = first; job <= last; ++job)
        jobs.push_back(job);
    return jobs;
}

} // namespace

class TestGroupCommit : public QObject {
    Q_OBJECT

private slots:
    // However many jobs queued during a batch, the next batch takes them all, and the
    // runner's end still runs them.
    void nextBatchTakesEverythingQueued() {
        HeldRunner held(0);
        const auto batches = held.Run(50);
        QCOMPARE(int(batches.size()), 2);
        QCOMPARE(batches[0], std::vector<int>{0});
        QCOMPARE(batches[1], Range(1, 50));
    }

    void limitedBatchesTakeTheOldestFirst() {
        HeldRunner held(8);
        const auto batches = held.Run(20);
        QCOMPARE(int(batches.size()), 4);
        QCOMPARE(batches[1], Range(1, 8));
        QCOMPARE(batches[2], Range(9, 16));
        QCOMPARE(batches[3], Range(17, 20));
    }

    // Grades submitted together share commits; those the table refuses fail alone, a key
    // sent twice is stored once, and every other grade is stored exactly once.
    void refusedWriteOfABatchFailsAlone() {
        QTemporaryDir folder;
        auto store = OpenGradeStore(folder.filePath("grades.db").toStdString(), 2);
        std::vector<protocol::Command> commands;
        for (int n = 0; n < 60; ++n) {
            const bool refused = n % 6 == 5;
            const int useTime = refused ? protocol::kUseTimeSeconds.High + 1 : n;
            commands.push_back(protocol::InsertGrade{"batch", "n", useTime, 95,
                                                     n == 10 || n == 20 ? "key-1" : ""});
        }
        const auto outcomes = SubmitAll(*store, commands);
        int stored = 0;
        for (int n = 0; n < 60; ++n) {
            const auto& outcome = outcomes[size_t(n)];
            if (n % 6 == 5) {
                QVERIFY(outcome.Failure);
                QVERIFY_THROWS_EXCEPTION(StoreError, std::rethrow_exception(outcome.Failure));
                continue;
            }
            QVERIFY2(!outcome.Failure, qPrintable(QString::number(n)));
            QCOMPARE(outcome.Added, n == 20 ? 0LL : 1LL);
            stored += int(outcome.Added);
        }
        QCOMPARE(stored, 49);
        QCOMPARE(int(store->ListGrades("batch").Rows.size()), stored);
        // The writer goes on after the refusals.
        QCOMPARE(store->InsertGrade({"batch", "n", 1, 95, {}}), 1LL);
    }
};

QTEST_GUILESS_MAIN(TestGroupCommit)
#include "tst_group_commit.moc"
