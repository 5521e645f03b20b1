#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <stdexcept>

// A fault in a bank source or bank, with the place it was found. Line and column count from
// 1; 0 means the whole file or line.
class BankError : public std::runtime_error {
public:
    BankError(const QString& file, int line, int column, const QString& message);
    QString File;
    int Line;
    int Column;
    QString Message;
};

struct CsvRecord {
    int Line = 0;
    QStringList Fields;
};

// One UTF-8 CSV file: its header and its records, each with its line number.
struct CsvFile {
    QString Name;
    int HeaderLine = 1;
    QStringList Header;
    QList<CsvRecord> Records;
};

// Reads `path` (RFC 4180, one record per line, blank lines skipped). Throws BankError for
// text that is not UTF-8, a malformed line, a missing header, or a record whose number of
// fields differs from the header's.
CsvFile ReadCsvFile(const QString& path);
// The same for the bytes of a file named `name`.
CsvFile ParseCsv(const QString& name, const QByteArray& bytes);

// Writes a header and records as CSV, quoting fields that need it; replaces the file only
// once it is complete. Throws BankError when a field holds a line break or the file cannot
// be written.
void WriteCsvFile(const QString& path, const QStringList& header, const QList<QStringList>& rows);
