#pragma once

#include "data/uDataModule.h"

#include <QString>
#include <QThread>

// True when `newest` names a later version than `running`. Versions are "V" followed by
// numbers separated by dots, compared number by number (V1.10 is later than V1.4, V1.4.0
// equals V1.4). A text of another form is never later.
bool IsNewerVersion(const QString& running, const QString& newest);

// What the window does with the outcome of a version check.
enum class VersionCheckAnswer {
    Nothing,      // silent
    AskThenQuit,  // ask; on Yes open the download page and end the program
    Ask,          // ask; on Yes open the download page
    Latest,       // "本软件已经是最新版本！"
    OpenDownload, // open the download page without a question
};

// The rule of both modes: 1 at start-up (silent unless there is news), 2 on request (always
// an answer; a failed query sends the learner to the download page). `newest` is the
// version of the answer's first row, or empty when there was none.
VersionCheckAnswer VersionCheckOutcome(int checkMode, bool queryRan, const QString& running,
                                       const QString& newest);

// One version check on its own thread: asks the grade service for the newest version and
// reports what the window has to do. It touches no window; the report reaches receivers on
// other threads queued.
class TGetExeVersionThread : public QThread {
    Q_OBJECT
public:
    // `server` is the grade-service entry to ask, copied so that the thread never reads the
    // data module.
    TGetExeVersionThread(int checkMode, QString runningVersion, TServerInfo server,
                         QObject* parent = nullptr);

    const int CheckMode;

signals:
    void Checked(VersionCheckAnswer answer);

protected:
    void run() override;

private:
    const QString RunningVersion;
    const TServerInfo Server;
};
