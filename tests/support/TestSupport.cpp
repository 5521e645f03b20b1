#include "TestSupport.h"
#include "TestEnvironment.h"

#include "data/MessageBox.h"
#include "data/uProc.h"
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
    AppPaths::SetDataFolder(folder->path());
    MessageBoxHook::Enable(true);
    MessageBoxHook::Clear();
    SetPauseScale(0);
    if (withSampleBank)
        QFile::copy(BinDir() + "/DriveDB.db", folder->path() + "/DriveDB.db");
    return folder->path();
}

} // namespace TestSupport
