#include "Options.h"

#include "ConfigFile.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <utility>

std::string Usage() {
    const Options defaults;
    return "usage: veltrano-server [--config FILE] [--check-config] [--listen HOST[:PORT]]\n"
           "                       [--db FILE|postgresql://...] [--threads N] [--site DIR]\n"
           "                       [--token-file FILE] [--max-connections N] [--max-per-address "
           "N]\n"
           "                       [--rate-limit N] [--request-timeout SECONDS]\n"
           "       veltrano-server set-version VERSION [--db ...]\n"
           "       veltrano-server list-grades ID [--db ...]\n"
           "       veltrano-server set-notice TEXT [--db ...]\n"
           "       veltrano-server list-feedback [--db ...]\n"
           "       veltrano-server backup FILE [--db ...]\n"
           "Serves the grade service and the program's site (default " +
           defaults.Host + ":" + std::to_string(defaults.Port) + " on " + defaults.Database +
           ", the site folder installed with the program), or administers its store.\n"
           "Settings are read from --config FILE, else from " +
           DefaultConfigFile().string() +
           " when it exists: one \"key = value\" a line, the keys named as the flags; "
           "flags win. --check-config checks the settings and exits.\n"
           "Serving a network address needs --token-file: callers of the procedures send the\n"
           "token as a bearer token. --rate-limit is requests a second per address (0: none;\n"
           "default none on loopback, " +
           std::to_string(kNetworkRateLimit) + " on a network).\n";
}

bool IsLoopbackHost(const std::string& host) {
    return host == "localhost" || host.starts_with("127.") || host == "::1" || host == "[::1]";
}

std::optional<std::string> ReadTokenFile(const std::string& file, std::string& error) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line)) {
        error = "cannot read the token file " + file;
        return std::nullopt;
    }
    const auto first = line.find_first_not_of(" \t\r");
    const auto last = line.find_last_not_of(" \t\r");
    const std::string token =
        first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
    const bool printable =
        std::all_of(token.begin(), token.end(), [](char c) { return c > 0x20 && c < 0x7F; });
    if (token.size() < 16 || !printable) {
        error = "the token in " + file + " must be 16 or more printable characters without blanks";
        return std::nullopt;
    }
    return token;
}

namespace {

// Administration commands and whether each takes an argument.
constexpr std::pair<std::string_view, std::pair<Options::Action, bool>> kCommands[] = {
    {"set-version", {Options::Action::SetVersion, true}},
    {"list-grades", {Options::Action::ListGrades, true}},
    {"set-notice", {Options::Action::SetNotice, true}},
    {"list-feedback", {Options::Action::ListFeedback, false}},
    {"backup", {Options::Action::Backup, true}},
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

bool ApplyLimit(std::string_view name, std::string_view value, ServiceLimits& limits) {
    const auto number = ParseNumber(value, name == "--rate-limit" ? 0 : 1, 100000);
    if (!number)
        return false;
    int& limit = name == "--max-connections"   ? limits.MaxConnections
                 : name == "--max-per-address" ? limits.MaxPerAddress
                 : name == "--rate-limit"      ? limits.RateLimit
                                               : limits.RequestSeconds;
    limit = *number;
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
    } else if (name == "--token-file") {
        if (value.empty())
            error = "--token-file wants a file";
        options.TokenFile = std::string(value);
    } else if (name == "--max-connections" || name == "--max-per-address" ||
               name == "--rate-limit" || name == "--request-timeout") {
        if (!ApplyLimit(name, value, options.Limits))
            error = std::string(name) + " wants a number from " +
                    (name == "--rate-limit" ? "0" : "1") + " to 100000";
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
