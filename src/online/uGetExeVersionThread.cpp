#include "online/uGetExeVersionThread.h"

#include "data/uProc.h"

#include <QRegularExpression>
#include <algorithm>
#include <optional>

namespace {

// The numbers of "V1.2.3" without leading zeros, or nothing when the text has another form.
std::optional<QStringList> VersionNumbers(const QString& version) {
    static const QRegularExpression form(QStringLiteral("^V(\\d+(?:\\.\\d+)*)$"));
    const QRegularExpressionMatch match = form.match(version.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    QStringList numbers = match.captured(1).split(QLatin1Char('.'));
    for (QString& number : numbers) {
        while (number.size() > 1 && number.startsWith(QLatin1Char('0')))
            number.remove(0, 1);
    }
    while (numbers.size() > 1 && numbers.last() == QLatin1String("0"))
        numbers.removeLast();
    return numbers;
}

// Compares numbers of any length as digit strings: the longer is larger, else the text.
int CompareNumbers(const QString& a, const QString& b) {
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return QString::compare(a, b);
}

} // namespace

bool IsNewerVersion(const QString& running, const QString& newest) {
    const auto mine = VersionNumbers(running);
    const auto theirs = VersionNumbers(newest);
    if (!mine || !theirs)
        return false;
    for (qsizetype i = 0; i < std::max(mine->size(), theirs->size()); ++i) {
        const QString a = i < mine->size() ? mine->at(i) : QStringLiteral("0");
        const QString b = i < theirs->size() ? theirs->at(i) : QStringLiteral("0");
        if (const int order = CompareNumbers(a, b); order != 0)
            return order < 0;
    }
    return false;
}

VersionCheckAnswer VersionCheckOutcome(int checkMode, bool queryRan, const QString& running,
                                       const QString& newest) {
    const bool onRequest = checkMode == 2;
    if (!queryRan)
        return onRequest ? VersionCheckAnswer::OpenDownload : VersionCheckAnswer::Nothing;
    if (IsNewerVersion(running, newest))
        return onRequest ? VersionCheckAnswer::Ask : VersionCheckAnswer::AskThenQuit;
    return onRequest ? VersionCheckAnswer::Latest : VersionCheckAnswer::Nothing;
}

TGetExeVersionThread::TGetExeVersionThread(int checkMode, QString runningVersion,
                                           TServerInfo server, QObject* parent)
    : QThread(parent), CheckMode(checkMode), RunningVersion(std::move(runningVersion)),
      Server(std::move(server)) {}

void TGetExeVersionThread::run() {
    TQuery dataset;
    const bool ran = ExecRemoteSQL(Server, dataset, QStringLiteral("exec procSelectExeVersion "),
                                   QStringLiteral("Active"), false);
    const QString newest = ran && dataset.RecordCount() > 0
                               ? dataset.FieldByName("InfoContent").toString()
                               : QString();
    const VersionCheckAnswer answer = VersionCheckOutcome(CheckMode, ran, RunningVersion, newest);
    // The start-up question comes a moment after the window, not with it.
    if (answer == VersionCheckAnswer::AskThenQuit)
        msleep(100);
    emit Checked(answer);
}
