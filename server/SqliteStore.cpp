#include "SqliteStore.h"

#include "BatchRunner.h"
#include "ConnectionPool.h"
#include "StoreLimits.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kBusyTimeoutMs = 5000;
// A health check waits this long for another process's write lock, then reports it.
constexpr int kProbeBusyTimeoutMs = 250;
// Reads map the file instead of copying its pages through a cache of each connection.
constexpr const char* kMapSize = "PRAGMA mmap_size=268435456";
constexpr int kSchemaVersion = 3;
// The journal's size, in pages, at which a checkpoint starts (SQLite's own default).
constexpr int kCheckpointPages = 1000;

// Every statement creates only what is missing, so the whole text brings any older schema
// up to date; the limits in braces are filled in by WithLimits.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS grades (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    emp_id TEXT NOT NULL CHECK (length(emp_id) BETWEEN {EmpID}),
    emp_name TEXT NOT NULL CHECK (length(emp_name) BETWEEN {EmpName}),
    use_time INTEGER NOT NULL CHECK (use_time BETWEEN {UseTime}),
    mark INTEGER NOT NULL CHECK (mark BETWEEN {Mark}),
    refer_date TEXT NOT NULL,
    grade_key TEXT
);
CREATE UNIQUE INDEX IF NOT EXISTS grades_by_key ON grades (grade_key);
CREATE INDEX IF NOT EXISTS grades_by_emp ON grades (emp_id, refer_date DESC, id DESC);
CREATE TABLE IF NOT EXISTS exe_versions (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    info_content TEXT NOT NULL CHECK (length(info_content) BETWEEN {Version}),
    set_at TEXT NOT NULL
);
CREATE TABLE IF NOT EXISTS feedback (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    contact TEXT NOT NULL CHECK (length(contact) BETWEEN {FeedbackContact}),
    message TEXT NOT NULL CHECK (length(message) BETWEEN {FeedbackMessage}),
    sender TEXT NOT NULL,
    received_at TEXT NOT NULL
);
CREATE TABLE IF NOT EXISTS site_notices (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    content TEXT NOT NULL CHECK (length(content) BETWEEN {Notice}),
    set_at TEXT NOT NULL
);
)sql";

// A grade sent with a key is stored once, however often it is sent; stores of the first
// release gain the column.
constexpr const char* kGradeKeys = R"sql(
ALTER TABLE grades ADD COLUMN grade_key TEXT;
)sql";

// refer_date keeps milliseconds so that "newest first" holds within a second; the wire
// shows whole seconds.
constexpr const char* kInsertGrade =
    "INSERT INTO grades (emp_id, emp_name, use_time, mark, refer_date, grade_key) "
    "VALUES (?1, ?2, ?3, ?4, strftime('%Y-%m-%dT%H:%M:%fZ', 'now'), NULLIF(?5, '')) "
    "ON CONFLICT (grade_key) DO NOTHING";
constexpr const char* kGradeColumns =
    "SELECT emp_id AS EmpID, emp_name AS EmpName, use_time AS UseTime, "
    "substr(refer_date, 1, 19) || 'Z' AS ReferDate, mark AS Mark FROM grades ";
constexpr const char* kSelectGrade = "WHERE emp_id = ?1 AND mark >= ?2 "
                                     "ORDER BY refer_date DESC, id DESC LIMIT ?3";
constexpr const char* kListGrades = "WHERE emp_id = ?1 ORDER BY refer_date DESC, id DESC";
constexpr const char* kSelectExeVersion =
    "SELECT info_content AS InfoContent FROM exe_versions ORDER BY id DESC LIMIT 1";
constexpr const char* kSetExeVersion = "INSERT INTO exe_versions (info_content, set_at) "
                                       "VALUES (?1, strftime('%Y-%m-%dT%H:%M:%fZ', 'now'))";
constexpr const char* kListVersions =
    "SELECT info_content AS InfoContent, substr(set_at, 1, 19) || 'Z' AS SetAt "
    "FROM exe_versions ORDER BY id DESC LIMIT ?1";
constexpr const char* kAddFeedback = "INSERT INTO feedback (contact, message, sender, received_at) "
                                     "VALUES (?1, ?2, ?3, strftime('%Y-%m-%dT%H:%M:%SZ', 'now'))";
constexpr const char* kListFeedback =
    "SELECT received_at AS ReceivedAt, sender AS Sender, contact AS Contact, message AS Message "
    "FROM feedback ORDER BY id";
constexpr const char* kSetNotice = "INSERT INTO site_notices (content, set_at) "
                                   "VALUES (?1, strftime('%Y-%m-%dT%H:%M:%fZ', 'now'))";
constexpr const char* kNotice = "SELECT content FROM site_notices ORDER BY id DESC LIMIT 1";

class SqliteConnection {
public:
    // Never creates the file: a file that vanished while the service runs must not come back
    // empty behind its back.
    explicit SqliteConnection(const std::string& file) {
        const int rc = sqlite3_open_v2(file.c_str(), &Db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) {
            const std::string message = Db ? sqlite3_errmsg(Db) : sqlite3_errstr(rc);
            sqlite3_close(Db);
            throw StoreError("cannot open " + file + ": " + message);
        }
        sqlite3_busy_timeout(Db, kBusyTimeoutMs);
        Exec("PRAGMA journal_mode=WAL");
        Exec("PRAGMA synchronous=FULL");
        Exec(kMapSize);
    }
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;
    ~SqliteConnection() {
        for (auto& [sql, statement] : Statements)
            sqlite3_finalize(statement);
        sqlite3_close(Db);
    }

    void Exec(const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(Db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = error ? error : "unknown error";
            sqlite3_free(error);
            throw StoreError("sqlite: " + message);
        }
    }

    void Rollback() { sqlite3_exec(Db, "ROLLBACK", nullptr, nullptr, nullptr); }

    void BusyTimeout(int ms) { sqlite3_busy_timeout(Db, ms); }

    bool InTransaction() { return sqlite3_get_autocommit(Db) == 0; }

    // Runs a cached statement with its arguments bound in order and returns its rows.
    protocol::ResultSet Run(const std::string& sql, const std::vector<protocol::Value>& args,
                            long long* changes = nullptr) {
        sqlite3_stmt* statement = Prepared(sql);
        Bind(statement, args);
        protocol::ResultSet result;
        const int columns = sqlite3_column_count(statement);
        for (int i = 0; i < columns; ++i)
            result.Columns.emplace_back(sqlite3_column_name(statement, i));
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
            result.Rows.push_back(ReadRow(statement, columns));
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        if (rc != SQLITE_DONE)
            throw StoreError(std::string("sqlite: ") + sqlite3_errmsg(Db));
        if (changes)
            *changes = sqlite3_changes(Db);
        return result;
    }

    int SchemaVersion() {
        const auto result = Run("PRAGMA user_version", {});
        return int(std::get<long long>(result.Rows.at(0).at(0)));
    }

    sqlite3* Handle() { return Db; }

    // Copies what it can of the journal into the database file without waiting for anyone.
    void Checkpoint() {
        const int rc =
            sqlite3_wal_checkpoint_v2(Db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        if (rc != SQLITE_OK && rc != SQLITE_BUSY)
            throw StoreError(std::string("sqlite checkpoint: ") + sqlite3_errmsg(Db));
    }

private:
    sqlite3_stmt* Prepared(const std::string& sql) {
        auto found = Statements.find(sql);
        if (found != Statements.end())
            return found->second;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(Db, sql.c_str(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
            throw StoreError(std::string("sqlite: ") + sqlite3_errmsg(Db));
        Statements.emplace(sql, statement);
        return statement;
    }

    void Bind(sqlite3_stmt* statement, const std::vector<protocol::Value>& args) {
        for (size_t i = 0; i < args.size(); ++i) {
            const int index = int(i) + 1;
            int rc;
            if (const auto* number = std::get_if<long long>(&args[i]))
                rc = sqlite3_bind_int64(statement, index, *number);
            else if (const auto* text = std::get_if<std::string>(&args[i]))
                rc = sqlite3_bind_text(statement, index, text->data(), int(text->size()),
                                       SQLITE_TRANSIENT);
            else
                rc = sqlite3_bind_null(statement, index);
            if (rc != SQLITE_OK)
                throw StoreError(std::string("sqlite: ") + sqlite3_errmsg(Db));
        }
    }

    static std::vector<protocol::Value> ReadRow(sqlite3_stmt* statement, int columns) {
        std::vector<protocol::Value> row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i) {
            switch (sqlite3_column_type(statement, i)) {
            case SQLITE_INTEGER:
                row.emplace_back(static_cast<long long>(sqlite3_column_int64(statement, i)));
                break;
            case SQLITE_NULL:
                row.emplace_back(std::monostate{});
                break;
            default:
                row.emplace_back(
                    std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, i)),
                                size_t(sqlite3_column_bytes(statement, i))));
            }
        }
        return row;
    }

    sqlite3* Db = nullptr;
    std::map<std::string, sqlite3_stmt*> Statements;
};

// The file a store was opened on: the same device and inode for as long as it runs.
struct FileIdentity {
    dev_t Device = 0;
    ino_t Inode = 0;
};

// Creates a missing database file readable by its owner only; SQLite gives its journal
// files the same permissions.
void CreateIfMissing(const std::string& file) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
    else if (errno != EEXIST)
        throw StoreError("cannot create " + file + ": " + std::strerror(errno));
}

// Throws unless `file` is still the file the store was opened on and may be written. A file
// without any write permission counts as read-only even for root, who could write it anyway:
// that is how an operator stops the writes.
FileIdentity CheckFile(const std::string& file, const FileIdentity* expected) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        if (errno == ENOENT)
            throw StoreError("the database file is gone");
        throw StoreError("cannot check " + file + ": " + std::strerror(errno));
    }
    if (expected && (status.st_dev != expected->Device || status.st_ino != expected->Inode))
        throw StoreError("the database file was replaced");
    if ((status.st_mode & 0222) == 0 || ::access(file.c_str(), W_OK) != 0)
        throw StoreError("the database file is read-only");
    return {status.st_dev, status.st_ino};
}

// Copies the journal's pages into the database file on a thread of its own, with a
// connection of its own, so that no commit waits for that copy and its syncs: the writer's
// connection never checkpoints itself and asks for one when its journal has grown.
class Checkpointer {
public:
    explicit Checkpointer(std::string file) : File(std::move(file)) {}
    ~Checkpointer() {
        {
            std::lock_guard lock(Mutex);
            Stopping = true;
        }
        Wake.notify_one();
        Thread.join();
    }
    Checkpointer(const Checkpointer&) = delete;
    Checkpointer& operator=(const Checkpointer&) = delete;

    // Makes `writer` ask for a checkpoint after each commit that leaves kCheckpointPages
    // pages or more in the journal.
    void Watch(SqliteConnection& writer) {
        sqlite3_wal_hook(
            writer.Handle(),
            [](void* self, sqlite3*, const char*, int pages) {
                if (pages >= kCheckpointPages)
                    static_cast<Checkpointer*>(self)->Request();
                return SQLITE_OK;
            },
            this);
    }

private:
    void Request() {
        {
            std::lock_guard lock(Mutex);
            Requested = true;
        }
        Wake.notify_one();
    }

    // A failed checkpoint (a vanished file) is tried again, on a fresh connection, when the
    // writer next asks; the writer's own checks report the file's trouble.
    void Work() {
        std::unique_ptr<SqliteConnection> connection;
        for (;;) {
            {
                std::unique_lock lock(Mutex);
                Wake.wait(lock, [this] { return Stopping || Requested; });
                if (Stopping)
                    return;
                Requested = false;
            }
            try {
                if (!connection)
                    connection = std::make_unique<SqliteConnection>(File);
                connection->Checkpoint();
            } catch (const StoreError&) {
                connection.reset();
            }
        }
    }

    const std::string File;
    std::mutex Mutex;
    std::condition_variable Wake;
    bool Requested = false;
    bool Stopping = false;
    std::thread Thread{[this] { Work(); }}; // last: starts once everything above exists
};

// One write waiting for the writer: its work, one statement that returns the rows it changed,
// and who is told how it ended.
struct WriteJob {
    std::function<long long(SqliteConnection&)> Work;
    std::function<void(long long changes, std::exception_ptr failure)> Done;
    bool Probe = false; // a health check: writes nothing, need not wait long for the lock
};

class SqliteStore : public GradeStore {
public:
    SqliteStore(const std::string& file, int maxConnections)
        : File(file), Identity((CreateIfMissing(file), CheckFile(file, nullptr))),
          Pool(maxConnections, [file] { return std::make_unique<SqliteConnection>(file); }) {
        Migrate(Writer());
    }

    // Inserts queue for the writer and are answered from its thread; reads are answered at
    // once, since a read of the mapped file never waits for the writer.
    void Submit(const protocol::Command& command, OutcomeHandler done) override {
        const auto* grade = std::get_if<protocol::InsertGrade>(&command);
        if (!grade)
            return done(RunNow(command));
        Writes.Submit(
            {[grade = *grade](SqliteConnection& writer) {
                 long long changes = 0;
                 writer.Run(kInsertGrade,
                            {grade.EmpID, grade.EmpName, grade.UseTime, grade.Mark, grade.GradeKey},
                            &changes);
                 return changes;
             },
             [done = std::move(done)](long long changes, std::exception_ptr failure) {
                 done({{}, changes, failure});
             }});
    }

    long long InsertGrade(const protocol::InsertGrade& grade) override {
        return SubmitAndWait(grade).Added;
    }

    protocol::ResultSet SelectGrade(const protocol::SelectGrade& query) override {
        return Read(SqliteSelectGradeSql(),
                    {query.EmpID, query.MinMark, static_cast<long long>(protocol::kMaxGradeRows)});
    }

    protocol::ResultSet SelectExeVersion() override { return Read(kSelectExeVersion, {}); }

    void SetExeVersion(const std::string& version) override { WriteOne(kSetExeVersion, {version}); }

    protocol::ResultSet ListVersions(int limit) override {
        return Read(kListVersions, {static_cast<long long>(limit)});
    }

    protocol::ResultSet ListGrades(const std::string& empId) override {
        return Read(std::string(kGradeColumns) + kListGrades, {empId});
    }

    void AddFeedback(const Feedback& feedback) override {
        WriteOne(kAddFeedback, {feedback.Contact, feedback.Message, feedback.Sender});
    }

    protocol::ResultSet ListFeedback() override { return Read(kListFeedback, {}); }

    void SetNotice(const std::string& notice) override { WriteOne(kSetNotice, {notice}); }

    std::string Notice() override {
        const auto result = Read(kNotice, {});
        return result.Rows.empty() ? std::string() : std::get<std::string>(result.Rows[0][0]);
    }

    // An empty write: the file checks and the write lock, with nothing to commit. Another
    // process holding the lock makes it fail within a fraction of a second.
    void CheckWritable() override {
        Write([](SqliteConnection&) {}, true);
    }

private:
    // Reads run on pooled connections side by side (WAL lets them pass the writer); a
    // connection that failed is closed, so the next read opens a fresh one.
    protocol::ResultSet Read(const std::string& sql, const std::vector<protocol::Value>& args) {
        auto connection = Pool.Acquire();
        try {
            return connection->Run(sql, args);
        } catch (const StoreError&) {
            connection.Discard();
            throw;
        }
    }

    void WriteOne(const std::string& sql, const std::vector<protocol::Value>& args) {
        Write([&](SqliteConnection& writer) { writer.Run(sql, args); });
    }

    // Queues a write for the writer and waits until it is committed or failed.
    void Write(const std::function<void(SqliteConnection&)>& work, bool probe = false) {
        std::promise<std::exception_ptr> finished;
        Writes.Submit(
            {[&work](SqliteConnection& writer) {
                 work(writer);
                 return 0LL;
             },
             [&finished](long long, std::exception_ptr failure) { finished.set_value(failure); },
             probe});
        if (const auto failure = finished.get_future().get())
            std::rethrow_exception(failure);
    }

    // Group commit on the writer's thread: everything queued when a commit starts goes into
    // one transaction, one sync for all of it; each write is one statement, which SQLite
    // undoes alone when it is refused, so one refused write fails alone. A write is acknowledged
    // only when it was committed to the file the store was opened on, checked before and after: one
    // written to a deleted or replaced file is refused.
    void Commit(std::vector<WriteJob>& batch) {
        std::vector<long long> changes(batch.size());
        std::vector<std::exception_ptr> failures(batch.size());
        try {
            CheckFile(File, &Identity);
            SqliteConnection& writer = Writer();
            const bool probesOnly = std::all_of(batch.begin(), batch.end(),
                                                [](const WriteJob& job) { return job.Probe; });
            writer.BusyTimeout(probesOnly ? kProbeBusyTimeoutMs : kBusyTimeoutMs);
            writer.Run("BEGIN IMMEDIATE", {});
            for (size_t i = 0; i < batch.size(); ++i) {
                try {
                    changes[i] = batch[i].Work(writer);
                } catch (const StoreError&) {
                    // A refused statement (a table check) is undone alone; a failure that
                    // ended the transaction (a full disk, an I/O error) fails the batch.
                    if (!writer.InTransaction())
                        throw;
                    failures[i] = std::current_exception();
                }
            }
            writer.Run("COMMIT", {});
            CheckFile(File, &Identity);
        } catch (...) {
            // The writer may hold a broken handle (a read-only file, a vanished one): it is
            // closed and opened afresh by the next write.
            if (WriterConnection)
                WriterConnection->Rollback();
            WriterConnection.reset();
            for (auto& failure : failures)
                if (!failure)
                    failure = std::current_exception();
        }
        for (size_t i = 0; i < batch.size(); ++i)
            batch[i].Done(failures[i] ? 0 : changes[i], failures[i]);
    }

    SqliteConnection& Writer() {
        if (!WriterConnection) {
            WriterConnection = std::make_unique<SqliteConnection>(File);
            Checkpoints.Watch(*WriterConnection);
        }
        return *WriterConnection;
    }

    // Several processes may open the same file at once (the service and an administrator):
    // an immediate transaction lets exactly one of them create the schema.
    static void Migrate(SqliteConnection& connection) {
        connection.Exec("BEGIN IMMEDIATE");
        try {
            const int version = connection.SchemaVersion();
            if (version > kSchemaVersion)
                throw StoreError("the database has schema version " + std::to_string(version) +
                                 ", newer than this program's " + std::to_string(kSchemaVersion) +
                                 ": run a newer veltrano-server");
            if (version < kSchemaVersion) {
                // Grades of the first release gain their key column; the schema text then
                // creates whatever else is missing.
                if (version == 1)
                    connection.Exec(kGradeKeys);
                connection.Exec(WithLimits(kSchema));
                connection.Exec("PRAGMA user_version=" + std::to_string(kSchemaVersion));
            }
            connection.Exec("COMMIT");
        } catch (...) {
            connection.Rollback();
            throw;
        }
    }

    const std::string File;
    const FileIdentity Identity;
    ConnectionPool<SqliteConnection> Pool;
    Checkpointer Checkpoints{File};
    std::unique_ptr<SqliteConnection> WriterConnection; // the writer's thread only, once serving
    // Last: its thread stops, after the writes still queued, before the rest goes.
    BatchRunner<WriteJob> Writes{1, 0, [this](std::vector<WriteJob>& batch) { Commit(batch); }};
};

} // namespace

std::string SqliteSelectGradeSql() {
    return std::string(kGradeColumns) + kSelectGrade;
}

std::unique_ptr<GradeStore> OpenSqliteStore(const std::string& file, int maxConnections) {
    return std::make_unique<SqliteStore>(file, maxConnections);
}

void BackupSqliteStore(const std::string& database, const std::string& destination) {
    CheckFile(database, nullptr);
    std::error_code error;
    if (std::filesystem::equivalent(database, destination, error))
        throw StoreError("the backup must go to another file than " + database);
    SqliteConnection source(database);
    const std::string part = destination + ".part";
    std::remove(part.c_str());
    CreateIfMissing(part);
    try {
        {
            SqliteConnection copy(part);
            sqlite3_backup* backup =
                sqlite3_backup_init(copy.Handle(), "main", source.Handle(), "main");
            if (!backup)
                throw StoreError(std::string("sqlite: ") + sqlite3_errmsg(copy.Handle()));
            // One step copies every page within one read transaction of the source: a
            // consistent snapshot, while the service goes on writing beside it (WAL).
            int rc;
            while ((rc = sqlite3_backup_step(backup, -1)) == SQLITE_BUSY || rc == SQLITE_LOCKED)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            sqlite3_backup_finish(backup);
            if (rc != SQLITE_DONE)
                throw StoreError(std::string("sqlite backup: ") + sqlite3_errstr(rc));
            // The copy stands alone: its pages leave the journal for the file itself.
            copy.Exec("PRAGMA journal_mode=DELETE");
            const auto check = copy.Run("PRAGMA integrity_check", {});
            if (check.Rows.empty() || check.Rows[0][0] != protocol::Value(std::string("ok")))
                throw StoreError("the copy failed its integrity check");
        }
        if (std::rename(part.c_str(), destination.c_str()) != 0)
            throw StoreError("cannot write " + destination + ": " + std::strerror(errno));
    } catch (...) {
        std::remove(part.c_str());
        throw;
    }
}
