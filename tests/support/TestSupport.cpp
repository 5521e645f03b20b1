#include "TestSupport.h"
#include "TestEnvironment.h"

#include "data/MessageBox.h"
#include "data/uProc.h"
#include "online/WebView.h"
#include "settings/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace TestSupport {

QString BinDir() {
    return TestEnvironment::RequiredFolder("VELTRANO_BIN_DIR");
}

QString UseFreshDataFolder(bool withSampleBank) {
    // Kept until the test program ends, and removed then.
    static std::vector<std::unique_ptr<QTemporaryDir>> folders;
    QTemporaryDir* folder = folders.emplace_back(std::make_unique<QTemporaryDir>()).get();
    UseDataFolder(folder->path());
    if (withSampleBank)
        QFile::copy(BinDir() + "/DriveDB.db", folder->path() + "/DriveDB.db");
    return folder->path();
}

void UseDataFolder(const QString& folder) {
    AppPaths::SetDataFolder(folder);
    MessageBoxHook::Enable(true);
    MessageBoxHook::Clear();
    SetPauseScale(0);
}

} // namespace TestSupport

namespace {
// Runs before every test program's main, so before the application object exists.
const bool WebEnginePrepared = [] {
    PrepareWebEngine();
    // The checks a window starts on its own must not find a site or service that happens
    // to run on this machine; tests that want one say where it is.
    if (!qEnvironmentVariableIsSet("VELTRANO_SITE"))
        qputenv("VELTRANO_SITE", "127.0.0.1:9");
    if (!qEnvironmentVariableIsSet("VELTRANO_SERVER"))
        qputenv("VELTRANO_SERVER", "127.0.0.1:9");
    return true;
}();
} // namespace
