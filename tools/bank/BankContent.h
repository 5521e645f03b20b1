#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantList>

// How a column is read from a source and stored in the bank.
enum class ColumnKind {
    Number,  // a lookup table's row number: 1, 2, 3 … in order
    Integer, // a whole number
    Count,   // a whole number ≥ 0, or empty (stored as null)
    Text,    // plain text
    Code,    // text stored encoded by libEncryption
    Flag     // 0 or 1
};

struct ColumnSpec {
    QString Name;
    ColumnKind Kind;
};

struct TableSpec {
    QString Table;
    QList<ColumnSpec> Columns;
    bool Optional = false; // the source file may be missing; the table is then empty
    bool Keyed = true;     // the first column is the table's unique key
};

// The tables of a bank in the order they are read and written. Chapter's count columns
// (CardTypeIDCount1 …, one per car type) are not listed: they follow the car types.
const QList<TableSpec>& BankTables();
const TableSpec& BankTable(const QString& table);
// Chapter's count column for a car type: "CardTypeIDCount" and the car type's number.
QString CountColumn(int carType);

// A bank's data in plain text: per table its columns and rows (integers as qlonglong, empty
// counts as null, texts decoded).
struct BankContent {
    QMap<QString, QStringList> Columns;
    QMap<QString, QList<QVariantList>> Rows;
};

// Reads and checks the CSV sources of `folder`. Throws BankError naming file, line and
// column of the first fault.
BankContent ReadBankSources(const QString& folder);

// The statement that inserts one row of `columns` into `table`, values bound in order.
QString InsertStatement(const QString& table, const QStringList& columns);
// A row of plain values as the bank stores it: the Code columns encoded.
QVariantList StoredRow(const TableSpec& spec, QVariantList row);

// The content version stored in a bank written from `content`: a hash of its data and of
// the way the tool writes it.
QString BankContentHash(const BankContent& content);

// Writes the bank into `file` encrypted with `key`: into a temporary file beside it first,
// renamed over `file` only when complete. Throws BankError.
void WriteBank(const BankContent& content, const QString& file, const QByteArray& key);

// Reads a whole bank back, decoding the encoded texts. Throws BankError.
BankContent ReadBank(const QString& file, const QByteArray& key);

// Writes `content` as CSV sources into `folder`, which must hold no CSV file yet. The
// questions go to one file per chapter. Throws BankError.
void WriteBankSources(const BankContent& content, const QString& folder);
