#include "PrivateTempFolder.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace veltrano {

bool EnsurePrivateFolder(const std::string& path) {
    if (path.empty())
        return false;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

std::string PrivateTempFolder() {
    std::string base;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && EnsurePrivateFolder(std::string(runtime) + "/veltrano")) {
        base = std::string(runtime) + "/veltrano";
    } else {
        const char* tmp = std::getenv("TMPDIR");
        std::string root = (tmp && *tmp) ? tmp : "/tmp";
        base = root + "/veltrano-" + std::to_string(::getuid());
        if (!EnsurePrivateFolder(base))
            return {};
    }
    const std::string folder = base + "/Tavisk";
    return EnsurePrivateFolder(folder) ? folder + "/" : std::string();
}

} // namespace veltrano
