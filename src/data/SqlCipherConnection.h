#pragma once

#include "data/TQuery.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QVariantList>

struct sqlite3;

// One connection to an SQLCipher database file, keyed at opening (an empty key opens a
// plain SQLite file). Statements run to the end
// and every row they return is fetched into a TQuery. A statement that runs longer than the
// command time-out is interrupted, and a locked file is waited for as long. The SQL function
// rnd(x) gives each row its own random number in [0, 1).
class SqlCipherConnection {
public:
    static constexpr const char* BankKey = "QK/7305";
    static constexpr int TimeoutMs = 5000;
    // Key derivation rounds of the banks the tool writes. The key is no secret (it ships in
    // the program), so the 64,000 rounds of SQLCipher's default only slowed every start.
    static constexpr int KdfIterations = 1;
    static constexpr int LegacyKdfIterations = 64000;

    explicit SqlCipherConnection(const QByteArray& key = BankKey);
    ~SqlCipherConnection();
    SqlCipherConnection(const SqlCipherConnection&) = delete;
    SqlCipherConnection& operator=(const SqlCipherConnection&) = delete;

    // Opens an existing file (or creates one when `create`) and proves the key by reading
    // the schema. A new file gets KdfIterations; an existing one is tried with them first,
    // then with the legacy rounds of older banks. Returns false, with the connection
    // closed, when the file is missing, not a database or encrypted with another key.
    bool Open(const QString& file, bool create = false);
    void Close();
    bool IsOpen() const { return Db != nullptr; }

    // Runs every statement of `sql` with `params` bound to its ? placeholders. When `result`
    // is given, it receives the columns and rows of the last statement that returned
    // columns, and the number of rows the last statement changed. On failure returns false
    // and LastError() tells why; `result` is then closed.
    bool Exec(const QString& sql, TQuery* result = nullptr, const QVariantList& params = {});
    bool TableExists(const QString& table);
    QString LastError() const { return Error; }

private:
    bool OpenWith(const QString& file, int flags, int kdfIterations);
    bool Fail(const QString& what);
    QString DbMessage() const;
    bool RunStatement(struct sqlite3_stmt* statement, const QVariantList& params, TQuery* result);
    static int CheckTimeout(void* self);

    QByteArray Key;
    sqlite3* Db = nullptr;
    QString Error;
    QElapsedTimer Running;
};
