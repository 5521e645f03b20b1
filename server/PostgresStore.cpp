#include "PostgresStore.h"

#include "BatchRunner.h"
#include "ConnectionPool.h"
#include "StoreLimits.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <libpq-fe.h>
#include <set>
#include <string_view>
#include <thread>

namespace {

constexpr int kSchemaLock = 2112; // advisory lock serialising concurrent migrations

// The schema's version is kept in a table of one row; a store of the first releases has no
// such table and counts as version 0.
constexpr const char* kVersionTable = R"sql(
CREATE TABLE IF NOT EXISTS veltrano_schema (version integer NOT NULL);
INSERT INTO veltrano_schema (version) SELECT 0 WHERE NOT EXISTS (SELECT 1 FROM veltrano_schema);
)sql";

// Version 1. Every statement creates only what is missing or replaces a function, so the text
// brings any store of the first releases up to date; the limits in braces are filled in by
// WithLimits.
constexpr const char* kFirstVersion = R"sql(
CREATE TABLE IF NOT EXISTS grades (
    id bigserial PRIMARY KEY,
    emp_id text NOT NULL CHECK (char_length(emp_id) BETWEEN {EmpID}),
    emp_name text NOT NULL CHECK (char_length(emp_name) BETWEEN {EmpName}),
    use_time integer NOT NULL CHECK (use_time BETWEEN {UseTime}),
    mark integer NOT NULL CHECK (mark BETWEEN {Mark}),
    refer_date timestamptz NOT NULL DEFAULT now()
);
CREATE INDEX IF NOT EXISTS grades_by_emp ON grades (emp_id, refer_date DESC, id DESC);
CREATE TABLE IF NOT EXISTS exe_versions (
    id bigserial PRIMARY KEY,
    info_content text NOT NULL CHECK (char_length(info_content) BETWEEN {Version}),
    set_at timestamptz NOT NULL DEFAULT now()
);
CREATE TABLE IF NOT EXISTS feedback (
    id bigserial PRIMARY KEY,
    contact text NOT NULL CHECK (char_length(contact) BETWEEN {FeedbackContact}),
    message text NOT NULL CHECK (char_length(message) BETWEEN {FeedbackMessage}),
    sender text NOT NULL,
    received_at timestamptz NOT NULL DEFAULT now()
);
CREATE TABLE IF NOT EXISTS site_notices (
    id bigserial PRIMARY KEY,
    content text NOT NULL CHECK (char_length(content) BETWEEN {Notice}),
    set_at timestamptz NOT NULL DEFAULT now()
);

-- A grade sent with a key is stored once, however often it is sent.
ALTER TABLE grades ADD COLUMN IF NOT EXISTS grade_key text;
CREATE UNIQUE INDEX IF NOT EXISTS grades_by_key ON grades (grade_key);
DROP FUNCTION IF EXISTS procInsertGrade(text, text, integer, integer);
CREATE OR REPLACE FUNCTION procInsertGrade(p_emp_id text, p_emp_name text,
                                           p_use_time integer, p_mark integer,
                                           p_grade_key text)
RETURNS integer LANGUAGE plpgsql AS $$
DECLARE
    added integer;
BEGIN
    INSERT INTO grades (emp_id, emp_name, use_time, mark, grade_key)
    VALUES (p_emp_id, p_emp_name, p_use_time, p_mark, NULLIF(p_grade_key, ''))
    ON CONFLICT (grade_key) DO NOTHING;
    GET DIAGNOSTICS added = ROW_COUNT;
    RETURN added;
END
$$;

CREATE OR REPLACE FUNCTION procSelectGrade(p_emp_id text, p_min_mark integer)
RETURNS TABLE ("EmpID" text, "EmpName" text, "UseTime" integer, "ReferDate" text,
               "Mark" integer)
LANGUAGE plpgsql STABLE AS $$
BEGIN
    RETURN QUERY
    SELECT g.emp_id, g.emp_name, g.use_time,
           to_char(g.refer_date AT TIME ZONE 'UTC', 'YYYY-MM-DD"T"HH24:MI:SS"Z"'), g.mark
    FROM grades g
    WHERE g.emp_id = p_emp_id AND g.mark >= p_min_mark
    ORDER BY g.refer_date DESC, g.id DESC
    LIMIT {MaxGradeRows};
END
$$;

CREATE OR REPLACE FUNCTION procSelectExeVersion()
RETURNS TABLE ("InfoContent" text)
LANGUAGE plpgsql STABLE AS $$
BEGIN
    RETURN QUERY SELECT v.info_content FROM exe_versions v ORDER BY v.id DESC LIMIT 1;
END
$$;
)sql";

// Version 2: texts are counted in characters whatever the database's encoding. char_length
// counts bytes in a SQL_ASCII database, where a name of seven Chinese characters would
// pass the service's checks and fail the table's.
constexpr const char* kCharacterCounts = R"sql(
CREATE OR REPLACE FUNCTION veltrano_chars(t text) RETURNS integer
LANGUAGE sql IMMUTABLE STRICT AS $$
    SELECT count(*)::integer FROM generate_series(0, octet_length(convert_to(t, 'UTF8')) - 1) i
    WHERE get_byte(convert_to(t, 'UTF8'), i) & 192 <> 128
$$;
ALTER TABLE grades DROP CONSTRAINT IF EXISTS grades_emp_id_check,
    DROP CONSTRAINT IF EXISTS grades_emp_name_check,
    ADD CONSTRAINT grades_emp_id_check CHECK (veltrano_chars(emp_id) BETWEEN {EmpID}),
    ADD CONSTRAINT grades_emp_name_check CHECK (veltrano_chars(emp_name) BETWEEN {EmpName});
ALTER TABLE exe_versions DROP CONSTRAINT IF EXISTS exe_versions_info_content_check,
    ADD CONSTRAINT exe_versions_info_content_check
        CHECK (veltrano_chars(info_content) BETWEEN {Version});
ALTER TABLE feedback DROP CONSTRAINT IF EXISTS feedback_contact_check,
    DROP CONSTRAINT IF EXISTS feedback_message_check,
    ADD CONSTRAINT feedback_contact_check CHECK (veltrano_chars(contact) BETWEEN {FeedbackContact}),
    ADD CONSTRAINT feedback_message_check CHECK (veltrano_chars(message) BETWEEN {FeedbackMessage});
ALTER TABLE site_notices DROP CONSTRAINT IF EXISTS site_notices_content_check,
    ADD CONSTRAINT site_notices_content_check CHECK (veltrano_chars(content) BETWEEN {Notice});
)sql";

// The upgrade steps in order: step i brings a store of version i to version i + 1.
constexpr const char* kUpgradeSteps[] = {kFirstVersion, kCharacterCounts};
constexpr int kSchemaVersion = int(std::size(kUpgradeSteps));

// Server encodings that hold every character of a Chinese name: SQL_ASCII keeps the UTF-8
// bytes as they are; EUC_CN holds the characters of GB 2312, and a name beyond them is
// refused as a value the store cannot keep.
constexpr std::string_view kNameEncodings[] = {"UTF8", "SQL_ASCII", "EUC_CN"};

struct Statement {
    const char* Name;
    std::string Sql;
};

constexpr const char* kGradeColumns =
    "SELECT emp_id AS \"EmpID\", emp_name AS \"EmpName\", use_time AS \"UseTime\", "
    "to_char(refer_date AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS\"Z\"') AS \"ReferDate\", "
    "mark AS \"Mark\" FROM grades ";

// What procInsertGrade does, without a function call for each row; the second form stores
// many grades with one statement, from arrays of their columns in order, and returns the
// keys of those it stored.
const Statement kInsertGrade{
    "insert_grade", "INSERT INTO grades (emp_id, emp_name, use_time, mark, grade_key) "
                    "VALUES ($1, $2, $3, $4, NULLIF($5, '')) ON CONFLICT (grade_key) DO NOTHING"};
const Statement kInsertGrades{
    "insert_grades",
    "INSERT INTO grades (emp_id, emp_name, use_time, mark, grade_key) "
    "SELECT e, n, u, m, NULLIF(k, '') FROM unnest($1::text[], $2::text[], $3::integer[], "
    "$4::integer[], $5::text[]) WITH ORDINALITY AS t (e, n, u, m, k, i) ORDER BY i "
    "ON CONFLICT (grade_key) DO NOTHING RETURNING grade_key"};
constexpr size_t kGradeColumnCount = 5;
// Reads a pipeline carries at most: every read of a batch waits for the last one, so a few
// shorter batches side by side answer sooner than one long one.
constexpr size_t kReadBatch = 4;
// What procSelectGrade returns, without a function call: $3 is the row limit.
const Statement kSelectGrade{"select_grade", std::string(kGradeColumns) +
                                                 "WHERE emp_id = $1 AND mark >= $2 "
                                                 "ORDER BY refer_date DESC, id DESC LIMIT $3"};
const Statement kSelectExeVersion{"select_version", "SELECT * FROM procSelectExeVersion()"};
const Statement kSetExeVersion{"set_version",
                               "INSERT INTO exe_versions (info_content) VALUES ($1)"};
const Statement kListGrades{"list_grades",
                            std::string(kGradeColumns) +
                                "WHERE emp_id = $1 ORDER BY refer_date DESC, id DESC"};
const Statement kListVersions{
    "list_versions",
    "SELECT info_content AS \"InfoContent\", "
    "to_char(set_at AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS\"Z\"') AS \"SetAt\" "
    "FROM exe_versions ORDER BY id DESC LIMIT $1"};
const Statement kAddFeedback{"add_feedback",
                             "INSERT INTO feedback (contact, message, sender) VALUES ($1, $2, $3)"};
const Statement kListFeedback{
    "list_feedback",
    "SELECT to_char(received_at AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS\"Z\"') AS "
    "\"ReceivedAt\", sender AS \"Sender\", contact AS \"Contact\", message AS \"Message\" "
    "FROM feedback ORDER BY id"};
const Statement kSetNotice{"set_notice", "INSERT INTO site_notices (content) VALUES ($1)"};
const Statement kNotice{"notice", "SELECT content FROM site_notices ORDER BY id DESC LIMIT 1"};
// Refused by a read-only transaction, a standby or a missing privilege, like any write, yet
// it touches no row and takes no lock.
const Statement kCheckWritable{"check_writable",
                               "UPDATE veltrano_schema SET version = version WHERE false"};

// Type identifiers of int2, int4 and int8.
bool IsIntegerType(Oid type) {
    return type == 20 || type == 21 || type == 23;
}

class Result {
public:
    explicit Result(PGresult* result) : Held(result) {}
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
    ~Result() { PQclear(Held); }
    PGresult* get() const { return Held; }

private:
    PGresult* Held;
};

// Arguments as the texts libpq sends, and pointers to them.
struct Parameters {
    explicit Parameters(const std::vector<protocol::Value>& args) {
        for (const auto& arg : args) {
            const auto* number = std::get_if<long long>(&arg);
            Texts.push_back(number ? std::to_string(*number) : std::get<std::string>(arg));
        }
        for (const auto& text : Texts)
            Pointers.push_back(text.c_str());
    }
    int Count() const { return int(Pointers.size()); }

    std::vector<std::string> Texts;
    std::vector<const char*> Pointers;
};

// One statement waiting to be sent with others: its statement and arguments, how it ended,
// and who is told.
struct QueuedCall {
    const Statement* Query;
    std::vector<protocol::Value> Args;
    OutcomeHandler Done;
    Outcome Result;
};

// The array literal of one argument column of `calls`, every element quoted.
std::string ArrayLiteral(const std::vector<QueuedCall*>& calls, size_t column) {
    std::string literal = "{";
    for (const QueuedCall* call : calls) {
        const auto& value = call->Args.at(column);
        const auto* number = std::get_if<long long>(&value);
        const std::string text = number ? std::to_string(*number) : std::get<std::string>(value);
        literal += literal.size() > 1 ? ",\"" : "\"";
        for (const char c : text) {
            if (c == '"' || c == '\\')
                literal += '\\';
            literal += c;
        }
        literal += '"';
    }
    return literal + "}";
}

class PgConnection {
public:
    explicit PgConnection(const std::string& url) {
        const char* keys[] = {"dbname", "connect_timeout", "application_name", nullptr};
        const char* values[] = {url.c_str(), "5", "veltrano-server", nullptr};
        Conn = PQconnectdbParams(keys, values, 1);
        if (PQstatus(Conn) != CONNECTION_OK) {
            const std::string message = PQerrorMessage(Conn);
            PQfinish(Conn);
            throw StoreError("postgresql: " + message);
        }
        // Texts travel as UTF-8 whatever the database keeps them in.
        Exec("SET client_encoding = 'UTF8'");
        Exec("SET statement_timeout = 5000");
        Exec("SET client_min_messages = warning");
    }
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;
    ~PgConnection() { PQfinish(Conn); }

    bool Broken() const { return PQstatus(Conn) != CONNECTION_OK; }

    void Exec(const std::string& sql) {
        Result result(PQexec(Conn, sql.c_str()));
        if (PQresultStatus(result.get()) != PGRES_TUPLES_OK)
            Check(result, PGRES_COMMAND_OK);
    }

    void Rollback() { PQclear(PQexec(Conn, "ROLLBACK")); }

    // The first cell of a query run once, as a text or as a number.
    std::string FirstCell(const std::string& sql) {
        Result result(PQexec(Conn, sql.c_str()));
        Check(result, PGRES_TUPLES_OK);
        if (PQntuples(result.get()) < 1)
            throw StoreError("postgresql: no row from " + sql);
        return PQgetvalue(result.get(), 0, 0);
    }
    int Number(const std::string& sql) { return std::stoi(FirstCell(sql)); }

    // Runs a statement prepared once per connection, its arguments bound as parameters.
    protocol::ResultSet Run(const Statement& statement, const std::vector<protocol::Value>& args) {
        Prepare(statement, args);
        const Parameters params(args);
        Result result(PQexecPrepared(Conn, statement.Name, params.Count(), params.Pointers.data(),
                                     nullptr, nullptr, 0));
        if (PQresultStatus(result.get()) == PGRES_COMMAND_OK)
            return {};
        Check(result, PGRES_TUPLES_OK);
        return Read(result.get());
    }

    // Sends the statements of `jobs` at once in pipeline mode and takes their answers in
    // order: one round trip, one wake-up of the server and one transaction for all of them
    // (the server commits at the sync that ends the pipeline). A statement that fails fails
    // alone: those after it, which the server skips, are sent again, and so are those before
    // it, which its failure rolled back. Throws StoreError when the connection failed; it is
    // then in an unknown state and nothing of the round was committed.
    void RunPipelined(const std::vector<QueuedCall*>& jobs) {
        for (const QueuedCall* job : jobs)
            Prepare(*job->Query, job->Args);
        if (!PQenterPipelineMode(Conn))
            throw StoreError(std::string("postgresql: ") + PQerrorMessage(Conn));
        for (const QueuedCall* job : jobs) {
            const Parameters params(job->Args);
            if (!PQsendQueryPrepared(Conn, job->Query->Name, params.Count(), params.Pointers.data(),
                                     nullptr, nullptr, 0))
                throw StoreError(std::string("postgresql: ") + PQerrorMessage(Conn));
        }
        if (!PQpipelineSync(Conn))
            throw StoreError(std::string("postgresql: ") + PQerrorMessage(Conn));
        std::vector<QueuedCall*> again;
        bool failed = false;
        for (QueuedCall* job : jobs) {
            Result result(PQgetResult(Conn));
            if (!result.get())
                throw StoreError(std::string("postgresql: ") + PQerrorMessage(Conn));
            const ExecStatusType status = PQresultStatus(result.get());
            if (status == PGRES_PIPELINE_ABORTED)
                again.push_back(job);
            else if (status == PGRES_COMMAND_OK) {
                job->Result.Added = std::atoll(PQcmdTuples(result.get()));
                again.push_back(job);
            } else {
                try {
                    Check(result, PGRES_TUPLES_OK);
                    job->Result.Rows = Read(result.get());
                    again.push_back(job);
                } catch (const StoreError&) {
                    job->Result.Failure = std::current_exception();
                    failed = true;
                }
            }
            // Each answer ends with an empty result.
            Result end(PQgetResult(Conn));
        }
        Result sync(PQgetResult(Conn));
        if (PQresultStatus(sync.get()) != PGRES_PIPELINE_SYNC || !PQexitPipelineMode(Conn))
            throw StoreError(std::string("postgresql: ") + PQerrorMessage(Conn));
        // Each round ends at least the statement that failed.
        if (failed)
            RunPipelined(again);
    }

    // Stores the grades of `inserts` with one statement, in one transaction. Two grades of
    // one key count as sent twice: the first is stored. Returns false, having stored
    // nothing, when the statement was refused (a value the database cannot keep): the
    // grades must then go one by one. Throws StoreError when the connection failed.
    bool InsertAll(const std::vector<QueuedCall*>& inserts) {
        std::vector<protocol::Value> columns;
        for (size_t column = 0; column < kGradeColumnCount; ++column)
            columns.emplace_back(ArrayLiteral(inserts, column));
        protocol::ResultSet stored;
        try {
            stored = Run(kInsertGrades, columns);
        } catch (const StoreError&) {
            if (Broken())
                throw;
            return false;
        }
        std::multiset<std::string> keys;
        for (const auto& row : stored.Rows)
            if (const auto* key = std::get_if<std::string>(&row.at(0)))
                keys.insert(*key);
        for (QueuedCall* insert : inserts) {
            const auto& key = std::get<std::string>(insert->Args.at(kGradeColumnCount - 1));
            const auto found = keys.find(key);
            insert->Result.Added = key.empty() || found != keys.end() ? 1 : 0;
            if (found != keys.end())
                keys.erase(found);
        }
        return true;
    }

private:
    void Prepare(const Statement& statement, const std::vector<protocol::Value>& args) {
        if (Prepared.contains(statement.Name))
            return;
        Result prepared(
            PQprepare(Conn, statement.Name, statement.Sql.c_str(), int(args.size()), nullptr));
        Check(prepared, PGRES_COMMAND_OK);
        Prepared.insert(statement.Name);
    }

    // The error's code and first line; the detail lines are left out, since they quote the
    // rows (an ID, a name), and so is the first line of a data exception, which may quote
    // the bytes of a value. A value the database's encoding cannot hold is the client's.
    void Check(const Result& result, ExecStatusType wanted) {
        if (PQresultStatus(result.get()) == wanted)
            return;
        const char* code = PQresultErrorField(result.get(), PG_DIAG_SQLSTATE);
        const char* primary = PQresultErrorField(result.get(), PG_DIAG_MESSAGE_PRIMARY);
        if (!code || !primary)
            throw StoreError(std::string("postgresql: ") + PQerrorMessage(Conn));
        const std::string state = code;
        if (state == "22P05")
            throw StoreRefusal("a text holds a character the database's encoding cannot keep");
        throw StoreError("postgresql: " + state + " " +
                         (state.starts_with("22") ? std::string("data exception") : primary));
    }

    static protocol::ResultSet Read(PGresult* result) {
        protocol::ResultSet set;
        const int columns = PQnfields(result);
        for (int c = 0; c < columns; ++c)
            set.Columns.emplace_back(PQfname(result, c));
        for (int r = 0; r < PQntuples(result); ++r) {
            std::vector<protocol::Value> row;
            for (int c = 0; c < columns; ++c) {
                if (PQgetisnull(result, r, c))
                    row.emplace_back(std::monostate{});
                else if (IsIntegerType(PQftype(result, c)))
                    row.emplace_back(std::stoll(PQgetvalue(result, r, c)));
                else
                    row.emplace_back(
                        std::string(PQgetvalue(result, r, c), size_t(PQgetlength(result, r, c))));
            }
            set.Rows.push_back(std::move(row));
        }
        return set;
    }

    PGconn* Conn = nullptr;
    std::set<std::string> Prepared;
};

class PostgresStore : public GradeStore {
public:
    PostgresStore(const std::string& url, int maxConnections)
        : Pool(maxConnections + ReaderCount + 1,
               [url] { return std::make_unique<PgConnection>(url); }) {
        auto connection = Pool.Acquire();
        Migrate(*connection);
    }

    // Inserts queue for one writer, which sends everything queued in one pipeline and one
    // transaction; reads queue for a few readers, which send theirs likewise. Under load a
    // few connections carry every call, with one round trip for each batch instead of one
    // for each call, and a write transaction's commit serves the whole batch.
    void Submit(const protocol::Command& command, OutcomeHandler done) override {
        if (const auto* grade = std::get_if<protocol::InsertGrade>(&command))
            Writes.Submit(
                {&kInsertGrade,
                 {grade->EmpID, grade->EmpName, grade->UseTime, grade->Mark, grade->GradeKey},
                 std::move(done),
                 {}});
        else if (const auto* query = std::get_if<protocol::SelectGrade>(&command))
            Reads.Submit(
                {&kSelectGrade,
                 {query->EmpID, query->MinMark, static_cast<long long>(protocol::kMaxGradeRows)},
                 std::move(done),
                 {}});
        else
            Reads.Submit({&kSelectExeVersion, {}, std::move(done), {}});
    }

    long long InsertGrade(const protocol::InsertGrade& grade) override {
        return SubmitAndWait(grade).Added;
    }

    protocol::ResultSet SelectGrade(const protocol::SelectGrade& query) override {
        return SubmitAndWait(query).Rows;
    }

    protocol::ResultSet SelectExeVersion() override {
        return SubmitAndWait(protocol::SelectExeVersion{}).Rows;
    }

    void SetExeVersion(const std::string& version) override { Run(kSetExeVersion, {version}); }

    protocol::ResultSet ListVersions(int limit) override {
        return Run(kListVersions, {static_cast<long long>(limit)});
    }

    protocol::ResultSet ListGrades(const std::string& empId) override {
        return Run(kListGrades, {empId});
    }

    void AddFeedback(const Feedback& feedback) override {
        Run(kAddFeedback, {feedback.Contact, feedback.Message, feedback.Sender});
    }

    protocol::ResultSet ListFeedback() override { return Run(kListFeedback, {}); }

    void SetNotice(const std::string& notice) override { Run(kSetNotice, {notice}); }

    std::string Notice() override {
        const auto result = Run(kNotice, {});
        return result.Rows.empty() ? std::string() : std::get<std::string>(result.Rows[0][0]);
    }

    void CheckWritable() override { Run(kCheckWritable, {}); }

private:
    protocol::ResultSet Run(const Statement& statement, const std::vector<protocol::Value>& args) {
        auto connection = Pool.Acquire();
        try {
            return connection->Run(statement, args);
        } catch (const StoreError&) {
            if (connection->Broken())
                connection.Discard();
            throw;
        }
    }

    // Runs a batch on one connection and tells each caller how its call ended: reads in one
    // pipeline, inserts with one statement, or in one pipeline when that was refused.
    void RunBatch(std::vector<QueuedCall>& batch, bool inserts) {
        std::vector<QueuedCall*> calls;
        for (auto& call : batch)
            calls.push_back(&call);
        try {
            auto connection = Pool.Acquire();
            try {
                if (!inserts || !connection->InsertAll(calls))
                    connection->RunPipelined(calls);
            } catch (const StoreError&) {
                connection.Discard();
                throw;
            }
        } catch (...) {
            for (auto& call : batch)
                if (!call.Result.Failure)
                    call.Result.Failure = std::current_exception();
        }
        for (auto& call : batch)
            call.Done(std::move(call.Result));
    }

    static void Migrate(PgConnection& connection) {
        CheckEncoding(connection);
        // A store already up to date is not written to, so that a service can start on a
        // read-only database and report it through its health check.
        if (connection.FirstCell("SELECT to_regclass('veltrano_schema') IS NOT NULL") == "t" &&
            connection.Number("SELECT version FROM veltrano_schema") == kSchemaVersion)
            return;
        connection.Exec("BEGIN");
        try {
            connection.Exec("SELECT pg_advisory_xact_lock(" + std::to_string(kSchemaLock) + ")");
            connection.Exec(kVersionTable);
            const int version = connection.Number("SELECT version FROM veltrano_schema");
            if (version > kSchemaVersion)
                throw StoreError("the database has schema version " + std::to_string(version) +
                                 ", newer than this program's " + std::to_string(kSchemaVersion) +
                                 ": run a newer veltrano-server");
            for (int step = version; step < kSchemaVersion; ++step)
                connection.Exec(WithLimits(kUpgradeSteps[step]));
            connection.Exec("UPDATE veltrano_schema SET version = " +
                            std::to_string(kSchemaVersion));
            connection.Exec("COMMIT");
        } catch (...) {
            connection.Rollback();
            throw;
        }
    }

    static void CheckEncoding(PgConnection& connection) {
        const std::string encoding = connection.FirstCell("SHOW server_encoding");
        if (std::find(std::begin(kNameEncodings), std::end(kNameEncodings), encoding) ==
            std::end(kNameEncodings))
            throw StoreError("the database's encoding " + encoding +
                             " cannot store Chinese names: create the database with "
                             "ENCODING 'UTF8' (createdb -E UTF8 -T template0 NAME)");
    }

    // Two readers a processor keep a server on the same machine busy.
    const int ReaderCount = int(2 * std::max(1u, std::thread::hardware_concurrency()));
    ConnectionPool<PgConnection> Pool; // for the callers, the readers and the writer
    // Last: their threads stop, after the calls still queued, before the pool goes. One
    // writer keeps the inserts in as few transactions as the load allows.
    BatchRunner<QueuedCall> Reads{ReaderCount, kReadBatch, [this](std::vector<QueuedCall>& batch) {
                                      RunBatch(batch, false);
                                  }};
    BatchRunner<QueuedCall> Writes{
        1, 0, [this](std::vector<QueuedCall>& batch) { RunBatch(batch, true); }};
};

} // namespace

bool IsPostgresUrl(const std::string& target) {
    return target.starts_with("postgresql://") || target.starts_with("postgres://");
}

std::unique_ptr<GradeStore> OpenPostgresStore(const std::string& url, int maxConnections) {
    return std::make_unique<PostgresStore>(url, maxConnections);
}
