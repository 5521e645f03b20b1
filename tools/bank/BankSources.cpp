#include "BankContent.h"

#include "BankCsv.h"
#include "data/GbkCodeCall.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace {

// One checked source record: where it stands and its typed values.
struct SourceRow {
    const CsvFile* File;
    int Line;
    QVariantList Values;

    BankError Fault(int column, const QString& message) const {
        return BankError(File->Name, Line, column + 1, message);
    }
    qlonglong Int(int column) const { return Values[column].toLongLong(); }
    QString Text(int column) const { return Values[column].toString(); }
};

using SourceRows = QList<SourceRow>;

QVariant ParseField(const SourceRow& row, int column, const QString& text, ColumnKind kind) {
    static const QRegularExpression wholeNumber(QStringLiteral("^-?[0-9]{1,9}$"));
    switch (kind) {
    case ColumnKind::Text:
        return text;
    case ColumnKind::Code:
        if (!FitsGbk(text))
            throw row.Fault(column,
                            QStringLiteral("the text holds a character without a GBK code"));
        return text;
    case ColumnKind::Flag:
        if (text != "0" && text != "1")
            throw row.Fault(column, QStringLiteral("\"%1\" is not 0 or 1").arg(text));
        return qlonglong(text.toInt());
    case ColumnKind::Count:
        if (text.isEmpty())
            return {};
        if (!wholeNumber.match(text).hasMatch() || text.startsWith('-'))
            throw row.Fault(column, QStringLiteral("\"%1\" is not a count (0, 1, 2 …)").arg(text));
        return text.toLongLong();
    case ColumnKind::Number:
    case ColumnKind::Integer:
        break;
    }
    if (!wholeNumber.match(text).hasMatch())
        throw row.Fault(column, QStringLiteral("\"%1\" is not a whole number").arg(text));
    return text.toLongLong();
}

void CheckHeader(const CsvFile& file, const QList<ColumnSpec>& columns) {
    for (int i = 0; i < qMax(file.Header.size(), columns.size()); ++i) {
        const QString found = i < file.Header.size() ? file.Header[i] : QString();
        const QString wanted = i < columns.size() ? columns[i].Name : QString();
        if (found == wanted)
            continue;
        const QString message =
            wanted.isEmpty() ? QStringLiteral("unexpected column \"%1\"").arg(found)
            : found.isEmpty()
                ? QStringLiteral("the column \"%1\" is missing").arg(wanted)
                : QStringLiteral("column \"%1\" where \"%2\" belongs").arg(found, wanted);
        throw BankError(file.Name, file.HeaderLine, i + 1, message);
    }
}

SourceRows ParseFile(const CsvFile& file, const QList<ColumnSpec>& columns) {
    CheckHeader(file, columns);
    SourceRows rows;
    for (const CsvRecord& record : file.Records) {
        SourceRow row{&file, record.Line, {}};
        for (int column = 0; column < columns.size(); ++column)
            row.Values.append(ParseField(row, column, record.Fields[column], columns[column].Kind));
        if (columns[0].Kind == ColumnKind::Number && row.Int(0) != rows.size() + 1)
            throw row.Fault(0, QStringLiteral("numbered %1 where %2 belongs: rows are numbered "
                                              "1, 2, 3 … without gaps")
                                   .arg(row.Int(0))
                                   .arg(rows.size() + 1));
        rows.append(row);
    }
    return rows;
}

void CheckUnique(const SourceRows& rows, int column, const QString& what) {
    QHash<qlonglong, const SourceRow*> seen;
    for (const SourceRow& row : rows) {
        if (const SourceRow* first = seen.value(row.Int(column))) {
            throw row.Fault(column, QStringLiteral("duplicate %1 %2 (first in %3, line %4)")
                                        .arg(what)
                                        .arg(row.Int(column))
                                        .arg(first->File->Name)
                                        .arg(first->Line));
        }
        seen.insert(row.Int(column), &row);
    }
}

QSet<qlonglong> ColumnValues(const SourceRows& rows, int column) {
    QSet<qlonglong> values;
    for (const SourceRow& row : rows)
        values.insert(row.Int(column));
    return values;
}

QSet<qlonglong> KeysOf(const SourceRows& rows) {
    return ColumnValues(rows, 0);
}

void CheckMember(const SourceRow& row, int column, const QSet<qlonglong>& known,
                 const QString& what, bool allowNone = false) {
    if (known.contains(row.Int(column)) || (allowNone && row.Int(column) == -1))
        return;
    throw row.Fault(column, QStringLiteral("unknown %1 %2").arg(what).arg(row.Int(column)));
}

// The table a source file holds: the file's name, or for the tables that may be split over
// several files ("Sub-ch01-laws.csv", "SubRelated-signs.csv", "DriveTeachList-signs.csv")
// the name before the "-".
QString TableOfFile(const QString& name) {
    const QString table = name.chopped(4);
    for (const QLatin1String split :
         {QLatin1String("Sub"), QLatin1String("SubRelated"), QLatin1String("DriveTeachList")})
        if (table.startsWith(split + u'-'))
            return split;
    return table;
}

// The source files of a folder, by table; a CSV file that is no table of the bank is a
// fault, since its rows would otherwise be left out unnoticed.
QMap<QString, QList<CsvFile>> ReadFolder(const QString& folder) {
    const QDir dir(folder);
    if (!dir.exists())
        throw BankError(folder, 0, 0, QStringLiteral("no such folder"));
    QMap<QString, QList<CsvFile>> files;
    for (const QString& name : dir.entryList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name)) {
        const QString table = TableOfFile(name);
        const bool known = std::any_of(BankTables().begin(), BankTables().end(),
                                       [&](const TableSpec& spec) { return spec.Table == table; });
        if (!known)
            throw BankError(name, 0, 0,
                            QStringLiteral("the file is no table of the question bank"));
        files[table].append(ReadCsvFile(dir.filePath(name)));
    }
    for (const TableSpec& spec : BankTables())
        if (!spec.Optional && spec.Table != "Sub" && !files.contains(spec.Table))
            throw BankError(spec.Table + ".csv", 0, 0, QStringLiteral("the file is missing"));
    return files;
}

class SourceReader {
public:
    explicit SourceReader(const QString& folder) : Files(ReadFolder(folder)) {}

    BankContent Read() {
        for (const char* lookup : {"Area", "CarType", "SubFormat", "SubHardEasy", "SubType"})
            ReadTable(QLatin1String(lookup), BankTable(QLatin1String(lookup)).Columns);
        ReadChapters();
        ReadQuestions();
        ReadRelatedGroups();
        ReadTable(QStringLiteral("DriveTeach"), BankTable(QStringLiteral("DriveTeach")).Columns);
        CheckUnique(Rows["DriveTeach"], 0, QStringLiteral("DriveTeachID"));
        ReadTable(QStringLiteral("DriveTeachList"),
                  BankTable(QStringLiteral("DriveTeachList")).Columns);
        const QSet<qlonglong> teaching = KeysOf(Rows["DriveTeach"]);
        for (const SourceRow& row : Rows["DriveTeachList"])
            CheckMember(row, 0, teaching, QStringLiteral("DriveTeachID"));
        return Content();
    }

private:
    void ReadTable(const QString& table, const QList<ColumnSpec>& columns) {
        Content_.Columns[table].clear();
        for (const ColumnSpec& column : columns)
            Content_.Columns[table].append(column.Name);
        const auto files = Files.constFind(table);
        if (files == Files.cend())
            return;
        // The rows point at their files: iterate the stored list itself, never a copy.
        for (const CsvFile& file : files.value())
            Rows[table] += ParseFile(file, columns);
    }

    void ReadChapters() {
        QList<ColumnSpec> columns = BankTable(QStringLiteral("Chapter")).Columns;
        const int carTypes = int(Rows["CarType"].size());
        for (int carType = 1; carType <= carTypes; ++carType)
            columns.append({CountColumn(carType), ColumnKind::Count});
        ReadTable(QStringLiteral("Chapter"), columns);
        const SourceRows& chapters = Rows["Chapter"];
        CheckUnique(chapters, 0, QStringLiteral("ChapterID"));
        const QSet<qlonglong> carTypeIds = KeysOf(Rows["CarType"]);
        const QSet<qlonglong> areaIds = KeysOf(Rows["Area"]);
        for (const SourceRow& row : chapters) {
            CheckMember(row, 4, carTypeIds, QStringLiteral("car type"), true);
            CheckMember(row, 5, areaIds, QStringLiteral("area"), true);
        }
    }

    void ReadQuestions() {
        ReadTable(QStringLiteral("Sub"), BankTable(QStringLiteral("Sub")).Columns);
        SourceRows& questions = Rows["Sub"];
        CheckUnique(questions, 0, QStringLiteral("ID"));
        const QSet<qlonglong> chapters = KeysOf(Rows["Chapter"]);
        const QSet<qlonglong> forms = KeysOf(Rows["SubFormat"]);
        const QSet<qlonglong> levels = KeysOf(Rows["SubHardEasy"]);
        const QSet<qlonglong> types = KeysOf(Rows["SubType"]);
        for (const SourceRow& row : questions) {
            if (row.Int(1) < 1)
                throw row.Fault(1, QStringLiteral("a SubID is a number from 1 up"));
            CheckMember(row, 2, chapters, QStringLiteral("chapter"));
            CheckMember(row, 16, forms, QStringLiteral("question form"));
            CheckMember(row, 17, levels, QStringLiteral("difficulty"));
            CheckMember(row, 18, types, QStringLiteral("question type"));
            CheckAnswer(row);
        }
        std::sort(questions.begin(), questions.end(),
                  [](const SourceRow& a, const SourceRow& b) { return a.Int(0) < b.Int(0); });
    }

    void ReadRelatedGroups() {
        ReadTable(QStringLiteral("SubRelated"), BankTable(QStringLiteral("SubRelated")).Columns);
        const QSet<qlonglong> questions = ColumnValues(Rows["Sub"], 1);
        for (const SourceRow& row : Rows["SubRelated"]) {
            if (row.Text(0).trimmed().isEmpty())
                throw row.Fault(0, QStringLiteral("a related group needs a name"));
            CheckMember(row, 1, questions, QStringLiteral("question SubID"));
        }
    }

    // Form 1 is a true/false question (no options, answered 对 or 错), form 2 a choice
    // question (four options, answered A to D); another form follows its answer.
    static void CheckAnswer(const SourceRow& row) {
        constexpr int FirstOption = 7, Answer = 11, Form = 16;
        static const QStringList Letters = {"A", "B", "C", "D"};
        static const QStringList Judgements = {QStringLiteral("对"), QStringLiteral("错")};
        const QString answer = row.Text(Answer);
        if (!Letters.contains(answer) && !Judgements.contains(answer))
            throw row.Fault(
                Answer,
                QStringLiteral("the answer \"%1\" is not A, B, C, D, 对 or 错").arg(answer));
        const bool choice = row.Int(Form) == 2 || (row.Int(Form) != 1 && Letters.contains(answer));
        if (choice && !Letters.contains(answer))
            throw row.Fault(Answer, QStringLiteral("a choice question is answered A, B, C or D"));
        if (!choice && Letters.contains(answer))
            throw row.Fault(Answer, QStringLiteral("a true/false question is answered 对 or 错"));
        for (int option = FirstOption; option < FirstOption + 4; ++option) {
            if (choice && row.Text(option).isEmpty())
                throw row.Fault(option, QStringLiteral("a choice question needs four options"));
            if (!choice && !row.Text(option).isEmpty())
                throw row.Fault(option, QStringLiteral("a true/false question has no options"));
        }
    }

    BankContent Content() {
        for (auto table = Rows.begin(); table != Rows.end(); ++table)
            for (const SourceRow& row : table.value())
                Content_.Rows[table.key()].append(row.Values);
        for (const QString& table : Content_.Columns.keys())
            Content_.Rows[table]; // a table without rows is still a table
        return Content_;
    }

    QMap<QString, QList<CsvFile>> Files;
    QMap<QString, SourceRows> Rows;
    BankContent Content_;
};

QString FieldText(const QVariant& value) {
    return value.isNull() ? QString() : value.toString();
}

} // namespace

BankContent ReadBankSources(const QString& folder) {
    return SourceReader(folder).Read();
}

void WriteBankSources(const BankContent& content, const QString& folder) {
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral(".")))
        throw BankError(folder, 0, 0, QStringLiteral("cannot create the folder"));
    if (!dir.entryList({QStringLiteral("*.csv")}, QDir::Files).isEmpty())
        throw BankError(
            folder, 0, 0,
            QStringLiteral("the folder already holds CSV files; export into an empty one"));
    QMap<QString, QList<QStringList>> files;
    for (auto table = content.Rows.begin(); table != content.Rows.end(); ++table) {
        const int chapterColumn = table.key() == "Sub" ? 2 : -1;
        QString file = table.key() + ".csv";
        if (chapterColumn < 0)
            files[file]; // a table gets its file even without rows
        for (const QVariantList& row : table.value()) {
            if (chapterColumn >= 0)
                file = QStringLiteral("Sub-chapter%1.csv")
                           .arg(row[chapterColumn].toLongLong(), 2, 10, QLatin1Char('0'));
            QStringList fields;
            for (const QVariant& value : row)
                fields.append(FieldText(value));
            files[file].append(fields);
        }
    }
    for (auto file = files.begin(); file != files.end(); ++file) {
        const QString table = file.key().startsWith(QLatin1String("Sub-")) ? QStringLiteral("Sub")
                                                                           : file.key().chopped(4);
        WriteCsvFile(dir.filePath(file.key()), content.Columns.value(table), file.value());
    }
}
