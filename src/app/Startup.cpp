#include "app/Startup.h"

#include "app/Look.h"
#include "app/Version.h"
#include "app/uMain.h"
#include "data/MessageBox.h"
#include "data/uDataModule.h"
#include "data/uLoadDll.h"
#include "settings/AppPaths.h"
#include "settings/Configure.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <exception>

namespace {

bool EnvironmentFlag(const char* name) {
    return qEnvironmentVariableIntValue(name) == 1;
}

// Tests read the texts of the boxes that a program run without a screen would show.
class MessagesToStandardError {
public:
    MessagesToStandardError() : Active(EnvironmentFlag("VELTRANO_MESSAGES_TO_STDERR")) {
        if (Active)
            MessageBoxHook::Enable(true);
    }
    ~MessagesToStandardError() {
        if (!Active)
            return;
        for (const QString& text : MessageBoxHook::Recorded())
            std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    }
    MessagesToStandardError(const MessagesToStandardError&) = delete;
    MessagesToStandardError& operator=(const MessagesToStandardError&) = delete;

private:
    bool Active;
};

// The answer-code library is indispensable; a missing picture library only costs pictures,
// so it is named once and the program goes on.
bool CheckLibraries() {
    const QStringList missing = LoadLibraries();
    if (EncryptionLoaded()) {
        if (!missing.isEmpty())
            ShowMessageBox(nullptr,
                           QStringLiteral("缺少程序库：") + missing.join(QStringLiteral("，")) +
                               QStringLiteral("，相关图片和声音将无法显示。"),
                           MsgIcon::Warning);
        return true;
    }
    const QStringList encryption = missing.filter(QStringLiteral("libEncryption"));
    ShowMessageBox(nullptr,
                   QStringLiteral("缺少程序库：") +
                       (encryption.isEmpty() ? QStringLiteral("libEncryption.so")
                                             : encryption.join(QStringLiteral("，"))) +
                       QStringLiteral("，请重新完整安装本系统！"),
                   MsgIcon::Error);
    return false;
}

int RunMainWindow(QApplication& app) {
    TfrmMain window;
    window.show();
    if (EnvironmentFlag("VELTRANO_EXIT_AFTER_SHOW")) {
        QTimer::singleShot(0, &app, [&app] {
            std::printf("main window shown\n");
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    }
    return app.exec();
}

} // namespace

VeltranoApplication::VeltranoApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool VeltranoApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowMessageBox(nullptr, QString::fromUtf8(error.what()), MsgIcon::Error);
        return false;
    }
}

namespace Startup {

QString InstanceLockFile() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(Program::Name() + QStringLiteral(".lock"));
}

std::unique_ptr<QLockFile> TakeInstanceLock() {
    auto lock = std::make_unique<QLockFile>(InstanceLockFile());
    // A lock is stale only when its owner has gone, never because of its age: the first
    // instance may run for days.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0) || lock->error() != QLockFile::LockFailedError)
        return lock;
    return nullptr;
}

void SetUpApplication(QApplication& app) {
    // No display name: on Linux the platform would append it to every window caption.
    app.setApplicationName(Program::Name());
    Look::UseSongFace();
}

int Run(QApplication& app) {
    MessagesToStandardError messages;
    const std::unique_ptr<QLockFile> lock = TakeInstanceLock();
    if (!lock) {
        ShowMessageBox(nullptr, QStringLiteral("程序已在运行中！"), MsgIcon::Information);
        return 0;
    }
    if (!CheckLibraries())
        return 1;
    TdmMain dataModule;
    dmMain = &dataModule;
    dataModule.DataModuleCreate(
        AppPaths::BankFile(),
        Configure::ReadString(QStringLiteral("Server"), QStringLiteral("Token")));
    int code = 1;
    if (dataModule.Connected())
        code = RunMainWindow(app);
    else
        ShowMessageBox(nullptr, QStringLiteral("本地连接失败，请检查文件是否丢失！"),
                       MsgIcon::Error);
    dmMain = nullptr;
    return code;
}

} // namespace Startup
