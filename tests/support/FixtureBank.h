#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class SqlCipherConnection;

// Questions for tests and benchmarks, written into a bank by the bank tool's own table
// schema and text encoding, so fixtures follow the bank as the tool builds it.
namespace FixtureBank {

struct Question {
    int ID = 0;
    int SubID = 0;
    int ChapterID = 0;
    QString Content;
    QStringList Options; // A–D of a choice question; empty for true/false
    QString Answer;
    QString Analyse = QStringLiteral("解析");
    bool WrongMark = false;
};

// Replaces every question of the open `bank` by `questions`, in one transaction. The form
// follows the options (four: choice, none: true/false); difficulty and type are 1.
bool ReplaceQuestions(SqlCipherConnection& bank, const QList<Question>& questions);

} // namespace FixtureBank
