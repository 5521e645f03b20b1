#include "Options.h"

#include "ConfigFile.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iterator>
#include <string_view>
#include <utility>

std::string Usage() {
    const Options defaults;
    return "usage: veltrano-server [--config FILE] [--check-config] [--listen HOST[:PORT]]\n"
           "                       [--db FILE|postgresql://...] [--threads N] [--site DIR]\n"
           "       veltrano-server set-version VERSION [--db ...]\n"
           "       veltrano-server list-grades ID [--db ...]\n"
           "       veltrano-server set-notice TEXT [--db ...]\n"
           "       veltrano-server list-feedback [--db ...]\n"
           "Serves the grade service and the program's site (default " +
           defaults.Host + ":" + std::to_string(defaults.Port) + " on " + defaults.Database +
           ", the site folder installed with the program), or administers its store.\n"
           "Settings are read from --config FILE, else from " +
           DefaultConfigFile().string() +
           " when it exists: one \"key = value\" a line, the keys named as the flags; "
           "flags win. --check-config checks the settings and exits.\n";
}

namespace {

// Administration commands and whether each takes an argument.
constexpr std::pair<std::string_view, std::pair<Options::Action, bool>> kCommands[] = {
    {"set-version", {Options::Action::SetVersion, true}},
    {"list-grades", {Options::Action::ListGrades, true}},
    {"set-notice", {Options::Action::SetNotice, true}},
    {"list-feedback", {Options::Action::ListFeedback, false}},
};

std::optional<int> ParseNumber(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low ||
        value > high)
        return std::nullopt;
    return value;
}

// HOST:PORT, or HOST alone for the default port.
bool ParseListen(std::string_view text, Options& options) {
    const auto colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        options.Host = std::string(text);
        return !text.empty();
    }
    if (colon == 0)
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
            error = "--listen wants HOST or HOST:PORT";
    } else if (name == "--db") {
        if (value.empty())
            error = "--db wants a file or a postgresql:// URL";
        options.Database = std::string(value);
    } else if (name == "--threads") {
        const auto threads = ParseNumber(value, 1, 1024);
        if (!threads)
            error = "--threads wants a number from 1 to 1024";
        options.Threads = threads.value_or(options.Threads);
    } else if (name == "--site") {
        if (value.empty())
            error = "--site wants a folder";
        options.SiteFolder = std::string(value);
    } else {
        error = "unknown option " + std::string(name);
    }
    return error.empty();
}

// The settings file named on the command line, else the installed one when it exists;
// false when --config names nothing.
bool FindConfigFile(int argc, char** argv, std::filesystem::path& file, std::string& error) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string_view(argv[i]) == "--config") {
            file = argv[i + 1];
            if (file.empty())
                error = "--config wants a file";
            return !file.empty();
        }
    }
    std::error_code failure;
    file = DefaultConfigFile();
    if (!std::filesystem::exists(file, failure))
        file.clear();
    return true;
}

bool ApplyConfigFile(const std::filesystem::path& file, Options& options, std::string& error) {
    const auto settings = ReadConfigFile(file, error);
    if (!settings)
        return false;
    for (const ConfigSetting& setting : *settings) {
        if (!ApplyOption(setting.Flag, setting.Value, options, error)) {
            error = file.string() + ":" + std::to_string(setting.Line) + ": " + error;
            return false;
        }
    }
    options.ConfigFile = file.string();
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
    }
    std::filesystem::path configFile;
    if (!FindConfigFile(argc, argv, configFile, error))
        return std::nullopt;
    if (!configFile.empty() && !ApplyConfigFile(configFile, options, error))
        return std::nullopt;
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--check-config") {
            if (options.Run != Options::Action::Serve) {
                error = "one administration command at a time";
                return std::nullopt;
            }
            options.Run = Options::Action::CheckConfig;
        } else if (word.starts_with("--")) {
            if (i + 1 >= argc) {
                error = std::string(word) + " wants a value";
                return std::nullopt;
            }
            const std::string_view value = argv[++i];
            // --config was read before every other setting.
            if (word != "--config" && !ApplyOption(word, value, options, error))
                return std::nullopt;
        } else {
            const auto* command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                               [word](const auto& c) { return c.first == word; });
            if (command == std::end(kCommands)) {
                error = "unexpected argument " + std::string(word);
                return std::nullopt;
            }
            if (options.Run != Options::Action::Serve) {
                error = "one administration command at a time";
                return std::nullopt;
            }
            const auto [action, takesArgument] = command->second;
            if (takesArgument && i + 1 >= argc) {
                error = std::string(word) + " wants a value";
                return std::nullopt;
            }
            options.Run = action;
            if (takesArgument)
                options.Argument = argv[++i];
        }
    }
    return options;
}
