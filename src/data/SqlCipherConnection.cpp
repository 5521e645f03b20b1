#include "data/SqlCipherConnection.h"

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

#include <QFile>
#include <QRandomGenerator>

namespace {

void RandomPerRow(sqlite3_context* context, int, sqlite3_value**) {
    sqlite3_result_double(context, QRandomGenerator::global()->generateDouble());
}

QVariant ColumnValue(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement, column);
    case SQLITE_TEXT:
        return QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
            sqlite3_column_bytes(statement, column));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                          sqlite3_column_bytes(statement, column));
    default:
        return {};
    }
}

int BindValue(sqlite3_stmt* statement, int index, const QVariant& value) {
    if (value.isNull())
        return sqlite3_bind_null(statement, index);
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
        return sqlite3_bind_int64(statement, index, value.toLongLong());
    case QMetaType::Double:
        return sqlite3_bind_double(statement, index, value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return sqlite3_bind_blob(statement, index, bytes.constData(), int(bytes.size()),
                                 SQLITE_TRANSIENT);
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        return sqlite3_bind_text(statement, index, text.constData(), int(text.size()),
                                 SQLITE_TRANSIENT);
    }
    }
}

} // namespace

SqlCipherConnection::SqlCipherConnection(const QByteArray& key) : Key(key) {}

SqlCipherConnection::~SqlCipherConnection() {
    Close();
}

bool SqlCipherConnection::Open(const QString& file, bool create) {
    Close();
    Error.clear();
    if (!create && !QFile::exists(file))
        return Fail(QStringLiteral("no such file: %1").arg(file));
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    if (OpenWith(file, flags, KdfIterations))
        return true;
    const QString firstError = Error;
    if (OpenWith(file, SQLITE_OPEN_READWRITE, LegacyKdfIterations))
        return true;
    return Fail(firstError);
}

bool SqlCipherConnection::OpenWith(const QString& file, int flags, int kdfIterations) {
    Close();
    // Without a key the file is a plain SQLite database.
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &Db, flags, nullptr) != SQLITE_OK ||
        (!Key.isEmpty() && (sqlite3_key(Db, Key.constData(), int(Key.size())) != SQLITE_OK ||
                            !Exec(QStringLiteral("pragma kdf_iter = %1").arg(kdfIterations)))))
        return Fail(QStringLiteral("cannot open %1: %2").arg(file, DbMessage()));
    sqlite3_busy_timeout(Db, TimeoutMs);
    sqlite3_progress_handler(Db, 1000, &SqlCipherConnection::CheckTimeout, this);
    sqlite3_create_function(Db, "rnd", 1, SQLITE_UTF8, nullptr, &RandomPerRow, nullptr, nullptr);
    // The key is only tried when a page is read: reading the schema proves it.
    if (!Exec(QStringLiteral("select count(*) from sqlite_master")))
        return Fail(QStringLiteral("cannot read %1: %2").arg(file, Error));
    return true;
}

void SqlCipherConnection::Close() {
    if (Db != nullptr)
        sqlite3_close_v2(Db);
    Db = nullptr;
}

bool SqlCipherConnection::Fail(const QString& what) {
    Error = what;
    Close();
    return false;
}

QString SqlCipherConnection::DbMessage() const {
    return Db == nullptr ? QStringLiteral("out of memory") : QString::fromUtf8(sqlite3_errmsg(Db));
}

int SqlCipherConnection::CheckTimeout(void* self) {
    return static_cast<SqlCipherConnection*>(self)->Running.hasExpired(TimeoutMs) ? 1 : 0;
}

bool SqlCipherConnection::TableExists(const QString& table) {
    TQuery query;
    return Exec(QStringLiteral("select 1 from sqlite_master where type='table' and name=?"), &query,
                {table}) &&
           query.RecordCount() > 0;
}

bool SqlCipherConnection::Exec(const QString& sql, TQuery* result, const QVariantList& params) {
    if (result != nullptr)
        result->Close();
    if (Db == nullptr) {
        Error = QStringLiteral("the database is not open");
        return false;
    }
    const QByteArray text = sql.toUtf8();
    const char* next = text.constData();
    const char* end = next + text.size();
    Running.start();
    while (next < end) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(Db, next, int(end - next), &statement, &next) != SQLITE_OK) {
            Error = DbMessage();
            return false;
        }
        if (statement == nullptr) // only white space or a comment was left
            continue;
        const bool ok = RunStatement(statement, params, result);
        sqlite3_finalize(statement);
        if (!ok) {
            if (result != nullptr)
                result->Close();
            return false;
        }
    }
    if (result != nullptr)
        result->Active = true;
    return true;
}

bool SqlCipherConnection::RunStatement(sqlite3_stmt* statement, const QVariantList& params,
                                       TQuery* result) {
    const int placeholders = sqlite3_bind_parameter_count(statement);
    for (int i = 0; i < placeholders && i < params.size(); ++i)
        if (BindValue(statement, i + 1, params[i]) != SQLITE_OK) {
            Error = DbMessage();
            return false;
        }
    const int columns = sqlite3_column_count(statement);
    TQuery rows;
    for (int column = 0; column < columns; ++column)
        rows.Fields.append(QString::fromUtf8(sqlite3_column_name(statement, column)));
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        QVariantList row;
        row.reserve(columns);
        for (int column = 0; column < columns; ++column)
            row.append(ColumnValue(statement, column));
        rows.Rows.append(row);
    }
    if (step != SQLITE_DONE) {
        Error =
            step == SQLITE_INTERRUPT ? QStringLiteral("the statement took too long") : DbMessage();
        return false;
    }
    if (result != nullptr) {
        if (columns > 0) {
            result->Fields = rows.Fields;
            result->Rows = rows.Rows;
        }
        result->RowsAffected = sqlite3_changes(Db);
    }
    return true;
}
