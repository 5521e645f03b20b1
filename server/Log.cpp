#include "Log.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace {

thread_local std::string RequestFailure;

std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        const bool blank = c == '\n' || c == '\r' || c == '\t';
        if (!blank)
            line += c;
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

} // namespace

void LogLine(const std::string& line) {
    static std::mutex mutex;
    const std::string text = OneLine(line) + '\n';
    std::lock_guard lock(mutex);
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

void NoteRequestFailure(const std::string& detail) {
    RequestFailure = detail;
}

std::string TakeRequestFailure() {
    return std::exchange(RequestFailure, {});
}
