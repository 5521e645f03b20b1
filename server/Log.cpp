#include "Log.h"

#include <cstdio>
#include <mutex>

void LogLine(const std::string& line) {
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    std::fputs(line.c_str(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}
