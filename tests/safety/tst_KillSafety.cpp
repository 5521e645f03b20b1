// The learner's data under SIGKILL: a copy of this test program runs the study program's
// window on a shared data folder, answers and marks questions and writes settings, and says
// on standard output what the window confirmed; the test kills it at random moments and
// checks what is on disk after each round. VELTRANO_KILL_ROUNDS sets the rounds of each
// kind (200 by default).
#include "app/uMain.h"
#include "data/SqlCipherConnection.h"
#include "data/uLoadDll.h"
#include "settings/AppPaths.h"
#include "settings/Configure.h"
#include "support/ProgramRun.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QToolButton>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <unistd.h>

namespace {

const char* const kPracticeChild = "--practice-child";
const char* const kSettingsChild = "--settings-child";

// One line on standard output, in the pipe before the call returns: what the test sees of
// the child is exactly what the child had said when it was killed.
void Say(const QString& line) {
    const QByteArray bytes = (line + '\n').toUtf8();
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n =
            ::write(STDOUT_FILENO, bytes.constData() + written, size_t(bytes.size() - written));
        if (n <= 0)
            std::_Exit(4);
        written += n;
    }
}

template <typename T> T* Control(QWidget& window, const char* name) {
    T* control = window.findChild<T*>(QString::fromLatin1(name));
    if (!control)
        qFatal("no control %s", name);
    return control;
}

// Sequential practice without end: answers (right or wrong, as chance picks the button),
// 设为错题 and 移除错题. "begin <SubID> <mark>" comes before an action that may write a
// mark; "mark <SubID> <mark>" after the window showed it as written.
int RunPracticeChild(const QString& folder, quint32 seed) {
    ProgramRun run(folder, true);
    LoadLibraries();
    if (!run.Restart())
        return 3;
    TfrmMain& window = run.Window();
    auto* sequence = Control<QToolButton>(window, "grpSubExerciseItems2");
    sequence->click();
    Control<QCheckBox>(window, "cbSoundHint")->setChecked(false);
    auto* setError = Control<QPushButton>(window, "btnSetError");
    auto* next = Control<QPushButton>(window, "btnNext");
    auto* result = Control<QLabel>(window, "lblSubResultMark");
    QList<QPushButton*> answers;
    for (const char* name : {"btnA", "btnB", "btnC", "btnD"})
        answers << Control<QPushButton>(window, name);
    if (window.SubList.size() < 2)
        return 5;
    Say("ready");
    QRandomGenerator random(seed);
    for (;;) {
        const int index = window.SubIndex;
        const int subID = window.SubList[index].SubID;
        const int pick = int(random.bounded(10));
        if (pick < 6) {
            QList<QPushButton*> usable;
            for (QPushButton* button : answers) {
                if (button->isVisible() && button->isEnabled())
                    usable << button;
            }
            if (usable.isEmpty())
                return 6;
            Say(QStringLiteral("begin %1 1").arg(subID));
            usable[int(random.bounded(int(usable.size())))]->click();
            if (result->text() == QStringLiteral("×") && window.SubList[index].WrongMark)
                Say(QStringLiteral("mark %1 1").arg(subID));
        } else if (pick < 9) {
            const bool mark = setError->text() == QStringLiteral("设为错题");
            Say(QStringLiteral("begin %1 %2").arg(subID).arg(int(mark)));
            setError->click();
            if (setError->text() ==
                (mark ? QStringLiteral("移除错题") : QStringLiteral("设为错题")))
                Say(QStringLiteral("mark %1 %2").arg(subID).arg(int(mark)));
        } else if (next->isEnabled()) {
            next->click();
        } else {
            sequence->click();
        }
    }
}

// Writes the learner's name and ID number together, numbered from `first` on.
int RunSettingsChild(const QString& folder, int first) {
    TestSupport::UseDataFolder(folder);
    Say("ready");
    for (int value = first;; ++value) {
        Say(QStringLiteral("begin %1").arg(value));
        Configure::WriteStrings(QStringLiteral("DriverInfo"),
                                {{QStringLiteral("Name"), QStringLiteral("学员%1").arg(value)},
                                 {QStringLiteral("ID"), QString::number(value)}});
        Say(QStringLiteral("mark %1").arg(value));
    }
}

struct ChildLine {
    QString Kind; // "begin" or "mark"
    QStringList Values;
};

// Starts a child, kills it after a random time (mostly once it is working, sometimes while
// it still starts) and returns what it had said.
QList<ChildLine> RunAndKill(const QStringList& arguments, QRandomGenerator& random,
                            int maxDelayMs) {
    QProcess child;
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForStarted(10000))
        qFatal("the child did not start");
    QByteArray output;
    const bool whileStarting = random.bounded(100) < 15;
    if (!whileStarting) {
        QElapsedTimer waited;
        waited.start();
        while (!output.contains("ready\n") && waited.elapsed() < 60000 &&
               child.state() == QProcess::Running) {
            child.waitForReadyRead(100);
            output += child.readAllStandardOutput();
        }
    }
    QTest::qWait(int(random.bounded(maxDelayMs + 1)));
    if (child.state() == QProcess::Running)
        ::kill(pid_t(child.processId()), SIGKILL);
    child.waitForFinished(30000);
    output += child.readAllStandardOutput();
    if (child.exitStatus() != QProcess::CrashExit)
        qFatal("the child ended on its own (code %d): %s", child.exitCode(),
               child.readAllStandardError().constData());
    QList<ChildLine> lines;
    for (const QByteArray& line : output.split('\n')) {
        QStringList words = QString::fromUtf8(line).split(' ');
        if (words.size() >= 2)
            lines.append({words.takeFirst(), words});
    }
    return lines;
}

int Rounds() {
    const int rounds = qEnvironmentVariableIntValue("VELTRANO_KILL_ROUNDS");
    return rounds > 0 ? rounds : 200;
}

// Every row's WrongMark by SubID, or nothing when the bank fails its integrity check.
std::optional<QHash<int, bool>> CheckedMarks(const QString& bankFile, QString& problem) {
    SqlCipherConnection bank;
    if (!bank.Open(bankFile)) {
        problem = QStringLiteral("the bank does not open: ") + bank.LastError();
        return std::nullopt;
    }
    TQuery check;
    if (!bank.Exec(QStringLiteral("PRAGMA integrity_check"), &check) || check.Rows.isEmpty() ||
        check.Rows.first().first().toString() != QStringLiteral("ok")) {
        problem = QStringLiteral("integrity check: ") +
                  (check.Rows.isEmpty() ? bank.LastError() : check.Rows.first().first().toString());
        return std::nullopt;
    }
    TQuery rows;
    bank.Exec(QStringLiteral("select SubID, WrongMark from Sub"), &rows);
    QHash<int, bool> marks;
    for (const QVariantList& row : rows.Rows) {
        const int subID = row[0].toInt();
        if (marks.contains(subID) && marks[subID] != row[1].toBool()) {
            problem = QStringLiteral("the rows of question %1 disagree").arg(subID);
            return std::nullopt;
        }
        marks[subID] = row[1].toBool();
    }
    return marks;
}

} // namespace

class KillSafetyTest : public QObject {
    Q_OBJECT
private slots:
    void wrongMarksSurviveKillsWhileAnswering() {
        const QString folder = TestSupport::UseFreshDataFolder(true);
        const QString bankFile = AppPaths::BankFile();
        QString problem;
        auto before = CheckedMarks(bankFile, problem);
        QVERIFY2(before, qPrintable(problem));
        QHash<int, bool> expected = *before;
        QRandomGenerator random(QRandomGenerator::global()->generate());
        int confirmed = 0;
        for (int round = 1; round <= Rounds(); ++round) {
            const quint32 seed = random.generate();
            const QList<ChildLine> lines =
                RunAndKill({kPracticeChild, folder, QString::number(seed)}, random, 1200);
            // The action under way when the child died may or may not have been written.
            QHash<int, bool> pending;
            for (const ChildLine& line : lines) {
                const int subID = line.Values.value(0).toInt();
                const bool mark = line.Values.value(1) == QStringLiteral("1");
                pending.clear();
                if (line.Kind == QStringLiteral("begin"))
                    pending[subID] = mark;
                else if (line.Kind == QStringLiteral("mark")) {
                    expected[subID] = mark;
                    ++confirmed;
                }
            }
            const auto marks = CheckedMarks(bankFile, problem);
            QVERIFY2(marks, qPrintable(QStringLiteral("round %1: %2").arg(round).arg(problem)));
            for (auto it = expected.begin(); it != expected.end(); ++it) {
                const bool stored = marks->value(it.key());
                const bool allowed = stored == it.value() ||
                                     (pending.contains(it.key()) && pending[it.key()] == stored);
                QVERIFY2(allowed, qPrintable(QStringLiteral("round %1: question %2 has the "
                                                            "mark %3 where the window showed %4")
                                                 .arg(round)
                                                 .arg(it.key())
                                                 .arg(stored)
                                                 .arg(it.value())));
                it.value() = stored;
            }
        }
        // The rounds did work: marks were written and confirmed, not only starts killed.
        QVERIFY2(confirmed >= Rounds() / 2, qPrintable(QString::number(confirmed)));
        qInfo("%d rounds, %d marks confirmed by the window", Rounds(), confirmed);
    }

    void settingsSurviveKillsWhileWriting() {
        const QString folder = TestSupport::UseFreshDataFolder(false);
        QRandomGenerator random(QRandomGenerator::global()->generate());
        int last = 0; // the value on disk after the previous round; 0 before any write
        int written = 0;
        for (int round = 1; round <= Rounds(); ++round) {
            const QList<ChildLine> lines =
                RunAndKill({kSettingsChild, folder, QString::number(last + 1)}, random, 60);
            int confirmed = last;
            int begun = last;
            for (const ChildLine& line : lines) {
                const int value = line.Values.value(0).toInt();
                if (line.Kind == QStringLiteral("begin"))
                    begun = value;
                else if (line.Kind == QStringLiteral("mark"))
                    confirmed = value;
            }
            written += confirmed - last;
            const QString id =
                Configure::ReadString(QStringLiteral("DriverInfo"), QStringLiteral("ID"));
            const int stored = id.isEmpty() ? 0 : id.toInt();
            QVERIFY2(stored == confirmed || stored == begun,
                     qPrintable(QStringLiteral("round %1: ID %2 where %3 was written")
                                    .arg(round)
                                    .arg(id)
                                    .arg(confirmed)));
            // Both keys of one write are there together, never one without the other.
            if (stored > 0)
                QCOMPARE(
                    Configure::ReadString(QStringLiteral("DriverInfo"), QStringLiteral("Name")),
                    QStringLiteral("学员%1").arg(stored));
            last = stored;
        }
        QVERIFY2(written >= Rounds() / 2, qPrintable(QString::number(written)));
        const QStringList leftovers =
            QDir(folder).entryList({QStringLiteral("Configure.ini.*")}, QDir::Files);
        QVERIFY2(leftovers.size() <= 1, qPrintable(leftovers.join(' ')));
        qInfo("%d rounds, %d writes confirmed", Rounds(), written);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 4 && arguments[1] == QLatin1String(kPracticeChild))
        return RunPracticeChild(arguments[2], arguments[3].toUInt());
    if (arguments.size() == 4 && arguments[1] == QLatin1String(kSettingsChild))
        return RunSettingsChild(arguments[2], arguments[3].toInt());
    // Each test function runs hundreds of program starts, far beyond Qt Test's 5 minutes.
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", "1500000");
    KillSafetyTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_KillSafety.moc"
