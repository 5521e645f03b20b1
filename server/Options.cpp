#include "Options.h"

#include <charconv>
#include <string_view>

const char* const kUsage =
    "usage: veltrano-server [--listen HOST:PORT] [--db FILE|postgresql://...] [--threads N]\n"
    "       veltrano-server set-version VERSION [--db ...]\n"
    "       veltrano-server list-grades ID [--db ...]\n"
    "Serves the grade service (default 0.0.0.0:2112 on grades.db), or administers its store.\n";

namespace {

std::optional<int> ParseNumber(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low ||
        value > high)
        return std::nullopt;
    return value;
}

bool ParseListen(std::string_view text, Options& options) {
    const auto colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0)
        return false;
    const auto port = ParseNumber(text.substr(colon + 1), 0, 65535);
    if (!port)
        return false;
    options.Host = std::string(text.substr(0, colon));
    options.Port = *port;
    return true;
}

bool ApplyOption(std::string_view name, std::string_view value, Options& options,
                 std::string& error) {
    if (name == "--listen") {
        if (!ParseListen(value, options))
            error = "--listen wants HOST:PORT";
    } else if (name == "--db") {
        if (value.empty())
            error = "--db wants a file or a postgresql:// URL";
        options.Database = std::string(value);
    } else if (name == "--threads") {
        const auto threads = ParseNumber(value, 1, 1024);
        if (!threads)
            error = "--threads wants a number from 1 to 1024";
        options.Threads = threads.value_or(options.Threads);
    } else {
        error = "unknown option " + std::string(name);
    }
    return error.empty();
}

bool SetAction(std::string_view word, Options& options, std::string& error) {
    if (options.Run != Options::Action::Serve) {
        error = "one administration command at a time";
        return false;
    }
    options.Run = word == "set-version" ? Options::Action::SetVersion : Options::Action::ListGrades;
    return true;
}

} // namespace

std::optional<Options> ParseOptions(int argc, char** argv, std::string& error) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--help" || word == "-h") {
            options.Run = Options::Action::Help;
            return options;
        }
        if (word.starts_with("--")) {
            if (i + 1 >= argc) {
                error = std::string(word) + " wants a value";
                return std::nullopt;
            }
            if (!ApplyOption(word, argv[++i], options, error))
                return std::nullopt;
        } else if (word == "set-version" || word == "list-grades") {
            if (!SetAction(word, options, error))
                return std::nullopt;
            if (i + 1 >= argc) {
                error = std::string(word) + " wants a value";
                return std::nullopt;
            }
            options.Argument = argv[++i];
        } else {
            error = "unexpected argument " + std::string(word);
            return std::nullopt;
        }
    }
    return options;
}
