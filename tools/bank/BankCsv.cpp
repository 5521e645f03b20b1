#include "BankCsv.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

BankError::BankError(const QString& file, int line, int column, const QString& message)
    : std::runtime_error(QStringLiteral("%1:%2:%3: %4")
                             .arg(file)
                             .arg(line)
                             .arg(column)
                             .arg(message)
                             .toStdString()),
      File(file), Line(line), Column(column), Message(message) {}

namespace {

// Splits one line into fields; throws at the first malformed field.
QStringList ParseLine(const QString& file, int lineNumber, const QString& line) {
    QStringList fields;
    qsizetype i = 0;
    while (true) {
        const int column = int(fields.size()) + 1;
        QString field;
        if (i < line.size() && line[i] == '"') {
            ++i;
            while (true) {
                if (i >= line.size())
                    throw BankError(file, lineNumber, column,
                                    QStringLiteral("unterminated quoted field"));
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
            if (i < line.size() && line[i] != ',')
                throw BankError(file, lineNumber, column,
                                QStringLiteral("text after the closing quote of a field"));
        } else {
            while (i < line.size() && line[i] != ',') {
                if (line[i] == '"')
                    throw BankError(file, lineNumber, column,
                                    QStringLiteral("quote inside an unquoted field"));
                field += line[i++];
            }
        }
        fields.append(field);
        if (i >= line.size())
            return fields;
        ++i; // the comma
    }
}

QString QuoteField(const QString& field) {
    if (!field.contains(',') && !field.contains('"'))
        return field;
    QString quoted = field;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return '"' + quoted + '"';
}

} // namespace

CsvFile ReadCsvFile(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw BankError(name, 0, 0, QStringLiteral("cannot read the file: ") + file.errorString());
    return ParseCsv(name, file.readAll());
}

CsvFile ParseCsv(const QString& name, const QByteArray& bytes) {
    CsvFile csv;
    csv.Name = name;
    const QList<QByteArray> lines = bytes.split('\n');
    for (int index = 0; index < lines.size(); ++index) {
        QStringDecoder fromUtf8(QStringDecoder::Utf8);
        QString line = fromUtf8(lines[index]);
        if (fromUtf8.hasError())
            throw BankError(csv.Name, index + 1, 0, QStringLiteral("the line is not UTF-8 text"));
        if (line.endsWith('\r'))
            line.chop(1);
        if (index == 0 && line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        if (line.trimmed().isEmpty())
            continue;
        const QStringList fields = ParseLine(csv.Name, index + 1, line);
        if (csv.Header.isEmpty()) {
            csv.Header = fields;
            csv.HeaderLine = index + 1;
            continue;
        }
        if (fields.size() != csv.Header.size())
            throw BankError(csv.Name, index + 1, int(qMin(fields.size(), csv.Header.size())) + 1,
                            QStringLiteral("%1 fields where the header names %2")
                                .arg(fields.size())
                                .arg(csv.Header.size()));
        csv.Records.append({index + 1, fields});
    }
    if (csv.Header.isEmpty())
        throw BankError(csv.Name, 1, 0, QStringLiteral("the file has no header line"));
    return csv;
}

void WriteCsvFile(const QString& path, const QStringList& header, const QList<QStringList>& rows) {
    const QString name = QFileInfo(path).fileName();
    QString text;
    QList<QStringList> lines = rows;
    lines.prepend(header);
    for (int index = 0; index < lines.size(); ++index) {
        QStringList quoted;
        for (int column = 0; column < lines[index].size(); ++column) {
            const QString& field = lines[index][column];
            if (field.contains('\n') || field.contains('\r'))
                throw BankError(name, index + 1, column + 1,
                                QStringLiteral("a line break cannot be written into a field"));
            quoted.append(QuoteField(field));
        }
        text += quoted.join(',') + '\n';
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        throw BankError(name, 0, 0, QStringLiteral("cannot write the file: ") + file.errorString());
}
