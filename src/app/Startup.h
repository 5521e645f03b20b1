#pragma once

#include <QApplication>
#include <QString>
#include <memory>

class QLockFile;

// The application object of the program: an exception that escapes an event handler ends
// only that handler's work and is shown in a message box; the program keeps running.
class VeltranoApplication : public QApplication {
public:
    VeltranoApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

namespace Startup {

// The per-user lock that keeps a second copy of the program from starting.
QString InstanceLockFile();
// Takes the lock; null when another running instance holds it. When the lock cannot be
// taken for another reason (no runtime folder), the program runs without it.
std::unique_ptr<QLockFile> TakeInstanceLock();

// Application names and font (宋体 14 px, drawn with Noto Serif CJK SC when 宋体
// is not installed).
void SetUpApplication(QApplication& app);

// From the single-instance guard to the end of the message loop; returns the exit code.
// With VELTRANO_MESSAGES_TO_STDERR=1 (tests only) message boxes are not shown but
// written to standard error; with VELTRANO_EXIT_AFTER_SHOW=1 (start-up timing only) the
// program prints "main window shown" and ends once the main window is on screen.
int Run(QApplication& app);

} // namespace Startup
