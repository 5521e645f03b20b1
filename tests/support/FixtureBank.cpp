#include "FixtureBank.h"

#include "BankContent.h"
#include "data/SqlCipherConnection.h"

#include <QVariantMap>

namespace FixtureBank {

namespace {

// The row of `question` in the column order of the bank tool's Sub table.
QVariantList PlainRow(const TableSpec& sub, const Question& question) {
    const bool choice = !question.Options.isEmpty();
    QVariantMap values{{"ID", question.ID},
                       {"SubID", question.SubID},
                       {"ChapterID", question.ChapterID},
                       {"SubContent", question.Content},
                       {"SubAnswer", question.Answer},
                       {"SubAnalyse", question.Analyse},
                       {"WrongMark", question.WrongMark ? 1 : 0},
                       {"SubFormatID", choice ? 2 : 1},
                       {"SubHardEasyID", 1},
                       {"SubTypeID", 1}};
    const char* const options[] = {"AAnswer", "BAnswer", "CAnswer", "DAnswer"};
    for (int i = 0; i < 4; ++i)
        values.insert(options[i], question.Options.value(i));
    QVariantList row;
    for (const ColumnSpec& column : sub.Columns)
        row.append(values.value(column.Name, QString()));
    return row;
}

} // namespace

bool ReplaceQuestions(SqlCipherConnection& bank, const QList<Question>& questions) {
    const TableSpec& sub = BankTable(QStringLiteral("Sub"));
    QStringList columns;
    for (const ColumnSpec& column : sub.Columns)
        columns.append(column.Name);
    const QString insert = InsertStatement(sub.Table, columns);
    bool ok = bank.Exec(QStringLiteral("begin")) && bank.Exec(QStringLiteral("delete from Sub"));
    for (const Question& question : questions)
        ok = ok && bank.Exec(insert, nullptr, StoredRow(sub, PlainRow(sub, question)));
    if (!ok) {
        bank.Exec(QStringLiteral("rollback"));
        return false;
    }
    return bank.Exec(QStringLiteral("commit"));
}

} // namespace FixtureBank
