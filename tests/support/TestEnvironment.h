#pragma once

#include <QFileInfo>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace TestEnvironment {

// The folder that CTest names in `variable` (VELTRANO_BIN_DIR, VELTRANO_SOURCE_DIR …). A test
// program started by hand without it stops at once and says which variable is missing,
// instead of failing later on paths below the root folder.
inline QString RequiredFolder(const char* variable) {
    const QString folder = qEnvironmentVariable(variable);
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return folder;
    std::fprintf(stderr,
                 "%s must name an existing folder (it is %s); run the tests with ctest, which "
                 "sets it, or set it by hand.\n",
                 variable, folder.isEmpty() ? "not set" : qPrintable("\"" + folder + "\""));
    std::exit(2);
}

} // namespace TestEnvironment
