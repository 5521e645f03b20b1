#pragma once

#include "protocol/CommandText.h"
#include "protocol/Limits.h"
#include "protocol/Wire.h"

#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// A message posted on the site's feedback page.
struct Feedback {
    std::string Contact; // how to answer the sender; may be empty
    std::string Message;
    std::string Sender; // the address the post came from
};

// How a procedure run by Submit ended: the rows of a select, the rows an insert added, or
// its failure (StoreError or StoreRefusal).
struct Outcome {
    protocol::ResultSet Rows;
    long long Added = 0;
    std::exception_ptr Failure;
};
using OutcomeHandler = std::function<void(Outcome)>;

// Where grades, program versions, the site's feedback and its notice are kept. Arguments reach the
// store already validated and are always bound as parameters, never pasted into SQL text. Every
// method may be called from many threads at once.
class GradeStore {
public:
    virtual ~GradeStore() = default;

    // Runs one of the three procedures and hands its outcome to `done`, an insert's only once
    // the grade is durable. The caller's thread never waits for a lock or a round trip: what
    // would wait is queued and `done` called later from a thread of the store; what would
    // not (a read of a mapped file) may be answered at once on the caller's thread. `done`
    // must not throw.
    virtual void Submit(const protocol::Command& command, OutcomeHandler done) = 0;

    // Stores one grade stamped with the store's current time; returns the rows added.
    virtual long long InsertGrade(const protocol::InsertGrade& grade) = 0;
    // EmpID, EmpName, UseTime, ReferDate, Mark of the ID with Mark >= MinMark, newest first,
    // at most protocol::kMaxGradeRows rows.
    virtual protocol::ResultSet SelectGrade(const protocol::SelectGrade& query) = 0;
    // InfoContent of the newest version, or no row when none was set.
    virtual protocol::ResultSet SelectExeVersion() = 0;
    virtual void SetExeVersion(const std::string& version) = 0;
    // InfoContent and SetAt of the versions set so far, newest first, at most `limit`.
    virtual protocol::ResultSet ListVersions(int limit) = 0;
    // Every grade of an ID, newest first, for the administrator.
    virtual protocol::ResultSet ListGrades(const std::string& empId) = 0;

    // Stores one feedback message stamped with the store's current time.
    virtual void AddFeedback(const Feedback& feedback) = 0;
    // ReceivedAt, Sender, Contact, Message of every feedback message, oldest first.
    virtual protocol::ResultSet ListFeedback() = 0;
    // The notice of the site's header; an empty text clears it.
    virtual void SetNotice(const std::string& notice) = 0;
    virtual std::string Notice() = 0;
    // Throws StoreError, with a short reason, unless the store can take a write now. Cheap
    // enough for a health check called every few seconds: nothing is committed.
    virtual void CheckWritable() = 0;

protected:
    // Runs the procedure on the calling thread with the methods above.
    Outcome RunNow(const protocol::Command& command);
    // Submits the procedure and waits for its outcome; rethrows its failure.
    Outcome SubmitAndWait(const protocol::Command& command);
};

// A store failure: its text is for the service's log, not for clients.
class StoreError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A value the store cannot keep although it passed the service's checks (a character
// beyond the database's encoding): the client's request fails, the store is fine. Its
// text holds no personal data.
class StoreRefusal : public StoreError {
    using StoreError::StoreError;
};

// Opens the store named by `target` and brings its schema up to date: a file name for
// SQLite, a postgresql:// or postgres:// URL for PostgreSQL. At most `maxConnections`
// connections are opened for callers, lazily, beside those of the store's own threads.
// Throws StoreError.
std::unique_ptr<GradeStore> OpenGradeStore(const std::string& target, int maxConnections);
