#include "BankContent.h"

#include "BankCsv.h"
#include "Encryption.h"
#include "data/BankUpdate.h"
#include "data/GbkCodeCall.h"
#include "data/SqlCipherConnection.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>

namespace {

// Indexes for the practice and paper queries (rows of a chapter and form grouped by SubID),
// the wrong-mark updates (by SubID) and the teaching lists.
const char* const BankIndexes[] = {
    "create index SubByChapter on Sub(ChapterID, SubFormatID, SubID, ID)",
    "create index SubBySubID on Sub(SubID)",
    "create index SubRelatedBySubID on SubRelated(SubID)",
    "create index DriveTeachListByTeach on DriveTeachList(DriveTeachID)",
};

QStringList ColumnNames(const TableSpec& spec) {
    QStringList names;
    for (const ColumnSpec& column : spec.Columns)
        names.append(column.Name);
    return names;
}

QString CreateStatement(const TableSpec& spec, const QStringList& columns) {
    QStringList definitions;
    for (int i = 0; i < columns.size(); ++i) {
        const ColumnKind kind = i < spec.Columns.size() ? spec.Columns[i].Kind : ColumnKind::Count;
        const bool text = kind == ColumnKind::Text || kind == ColumnKind::Code;
        QString definition = columns[i] + (text ? " text" : " integer");
        if (i == 0 && spec.Keyed)
            definition += " primary key";
        if (kind == ColumnKind::Flag)
            definition += " not null default 0";
        definitions.append(definition);
    }
    return QStringLiteral("create table %1 (%2)").arg(spec.Table, definitions.join(", "));
}

ColumnKind KindOf(const TableSpec& spec, int column) {
    return column < spec.Columns.size() ? spec.Columns[column].Kind : ColumnKind::Count;
}

void Run(SqlCipherConnection& db, const QString& file, const QString& sql,
         const QVariantList& params = {}, TQuery* result = nullptr) {
    if (!db.Exec(sql, result, params))
        throw BankError(QFileInfo(file).fileName(), 0, 0, db.LastError());
}

void WriteTables(SqlCipherConnection& db, const QString& file, const BankContent& content) {
    Run(db, file, QStringLiteral("begin"));
    for (const TableSpec& spec : BankTables()) {
        // Content made before a table existed holds none of it: the table is written empty.
        const QStringList columns = content.Columns.value(spec.Table, ColumnNames(spec));
        Run(db, file, CreateStatement(spec, columns));
        const QString insert = InsertStatement(spec.Table, columns);
        for (const QVariantList& row : content.Rows.value(spec.Table))
            Run(db, file, insert, StoredRow(spec, row));
    }
    for (const char* index : BankIndexes)
        Run(db, file, QLatin1String(index));
    WriteBankContentHash(db, BankContentHash(content));
    Run(db, file, QStringLiteral("commit"));
}

// Chapter's count columns as the bank holds them, in car-type order.
QStringList CountColumnsOf(SqlCipherConnection& db, const QString& file) {
    TQuery info;
    Run(db, file, QStringLiteral("pragma table_info(Chapter)"), {}, &info);
    QStringList counts;
    for (int carType = 1; carType <= info.RecordCount(); ++carType)
        for (const QVariantList& column : info.Rows)
            if (column[1].toString() == CountColumn(carType))
                counts.append(CountColumn(carType));
    return counts;
}

QVariant ReadValue(const QVariant& stored, ColumnKind kind, const QString& where) {
    switch (kind) {
    case ColumnKind::Text:
        return stored.toString();
    case ColumnKind::Code: {
        const auto plain = CallCodeFunction(&::CodeToStr, stored.toString());
        if (!plain)
            throw BankError(where, 0, 0, QStringLiteral("the text is not a valid code"));
        return *plain;
    }
    default:
        return stored.isNull() ? QVariant() : QVariant(stored.toLongLong());
    }
}

} // namespace

QString InsertStatement(const QString& table, const QStringList& columns) {
    QStringList marks;
    marks.fill(QStringLiteral("?"), columns.size());
    return QStringLiteral("insert into %1 (%2) values (%3)")
        .arg(table, columns.join(", "), marks.join(", "));
}

QVariantList StoredRow(const TableSpec& spec, QVariantList row) {
    for (int column = 0; column < row.size(); ++column)
        if (KindOf(spec, column) == ColumnKind::Code)
            row[column] = CallCodeFunction(&::StrToCode, row[column].toString()).value();
    return row;
}

QString BankContentHash(const BankContent& content) {
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    // The file's layout counts too: a bank written another way reaches the learner.
    stream << QStringLiteral("bank layout 2, kdf_iter %1").arg(SqlCipherConnection::KdfIterations);
    for (const TableSpec& spec : BankTables())
        stream << spec.Table << content.Columns.value(spec.Table) << content.Rows.value(spec.Table);
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

void WriteBank(const BankContent& content, const QString& file, const QByteArray& key) {
    const QFileInfo target(file);
    QTemporaryFile temporary(target.absoluteFilePath() + QStringLiteral(".XXXXXX"));
    if (!temporary.open())
        throw BankError(target.fileName(), 0, 0,
                        QStringLiteral("cannot create a file beside it: ") +
                            temporary.errorString());
    temporary.close(); // SQLite opens the file itself; no second descriptor may stay open
    temporary.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                             QFile::ReadOther);
    {
        SqlCipherConnection db(key);
        if (!db.Open(temporary.fileName(), true))
            throw BankError(target.fileName(), 0, 0, db.LastError());
        WriteTables(db, temporary.fileName(), content);
    }
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        throw BankError(target.fileName(), 0, 0, QStringLiteral("cannot replace the file"));
}

BankContent ReadBank(const QString& file, const QByteArray& key) {
    const QString name = QFileInfo(file).fileName();
    SqlCipherConnection db(key);
    if (!db.Open(file))
        throw BankError(name, 0, 0, db.LastError());
    BankContent content;
    for (const TableSpec& spec : BankTables()) {
        const bool present = db.TableExists(spec.Table);
        if (!present && spec.Optional) { // an older bank: the table is empty
            content.Columns[spec.Table] = ColumnNames(spec);
            content.Rows[spec.Table];
            continue;
        }
        if (!present)
            throw BankError(name, 0, 0, QStringLiteral("the bank has no table %1").arg(spec.Table));
        QStringList columns = ColumnNames(spec);
        if (spec.Table == "Chapter")
            columns += CountColumnsOf(db, file);
        TQuery rows;
        Run(db, file,
            QStringLiteral("select %1 from %2 order by rowid").arg(columns.join(", "), spec.Table),
            {}, &rows);
        content.Columns[spec.Table] = columns;
        QList<QVariantList>& target = content.Rows[spec.Table];
        for (const QVariantList& stored : rows.Rows) {
            QVariantList row;
            for (int column = 0; column < columns.size(); ++column)
                row.append(ReadValue(stored[column], KindOf(spec, column),
                                     QStringLiteral("%1, table %2, row %3, column %4")
                                         .arg(name, spec.Table)
                                         .arg(target.size() + 1)
                                         .arg(columns[column])));
            target.append(row);
        }
    }
    return content;
}
