// veltrano-server: the grade service of the study program, and its administration.
#include "ConfigFile.h"
#include "HttpService.h"
#include "Log.h"
#include "Options.h"
#include "PostgresStore.h"
#include "SqliteStore.h"
#include "StoreLimits.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <pthread.h>
#include <sys/resource.h>
#include <thread>

namespace {

int SetVersion(GradeStore& store, const std::string& version) {
    if (auto problem = CheckVersionText(version); !problem.empty()) {
        std::cerr << problem << '\n';
        return 2;
    }
    store.SetExeVersion(version);
    std::cout << "newest version: " << version << '\n';
    return 0;
}

int SetNotice(GradeStore& store, const std::string& notice) {
    if (auto problem = CheckText("the notice", notice, kNoticeChars); !problem.empty()) {
        std::cerr << problem << '\n';
        return 2;
    }
    store.SetNotice(notice);
    std::cout << (notice.empty() ? "notice cleared" : "notice: " + notice) << '\n';
    return 0;
}

// A cell on one line of a terminal: stored texts come from strangers, so line breaks, tabs
// and every other control character are written as escapes, never sent as they are.
std::string Cell(const protocol::Value& value) {
    if (const auto* number = std::get_if<long long>(&value))
        return std::to_string(*number);
    const auto* text = std::get_if<std::string>(&value);
    if (!text)
        return "";
    std::string shown;
    for (unsigned char c : *text) {
        if (c == '\\')
            shown += "\\\\";
        else if (c == '\n')
            shown += "\\n";
        else if (c == '\t')
            shown += "\\t";
        else if (c < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            shown += escape;
        } else
            shown += char(c);
    }
    return shown;
}

// Columns and rows, tab-separated, one row a line.
int PrintRows(const protocol::ResultSet& result) {
    for (size_t c = 0; c < result.Columns.size(); ++c)
        std::cout << (c ? "\t" : "") << result.Columns[c];
    std::cout << '\n';
    for (const auto& row : result.Rows) {
        for (size_t c = 0; c < row.size(); ++c)
            std::cout << (c ? "\t" : "") << Cell(row[c]);
        std::cout << '\n';
    }
    return 0;
}

sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    return signals;
}

// Waits for SIGTERM or SIGINT on its own thread (the signals are blocked everywhere else)
// and then stops the service; keeps asking until serving has ended, so that a signal that
// arrives while the service is still starting is not lost.
void WatchStopSignals(HttpService& service, const std::atomic<bool>& served) {
    const sigset_t signals = StopSignals();
    const timespec poll{0, 100'000'000};
    bool stopping = false;
    while (!served) {
        if (!stopping && sigtimedwait(&signals, nullptr, &poll) > 0) {
            LogLine("stopping");
            stopping = true;
        }
        if (stopping) {
            service.Stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
}

// The site folder to serve, or nothing without one; false when --site names no folder.
bool FindSiteFolder(const Options& options, std::filesystem::path& folder) {
    if (options.SiteFolder.empty()) {
        folder = DefaultSiteFolder();
        LogLine(folder.empty() ? "no site folder beside the program: serving the procedures only"
                               : "site from " + folder.string());
        return true;
    }
    folder = options.SiteFolder;
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        LogLine("--site " + options.SiteFolder + " is no folder");
        return false;
    }
    LogLine("site from " + folder.string());
    return true;
}

// The token callers of the procedures must send, or an empty text when none is asked for;
// nothing when the service must not start: a network address is served only with a token.
std::optional<std::string> FindToken(const Options& options) {
    if (options.TokenFile.empty()) {
        if (IsLoopbackHost(options.Host))
            return std::string();
        LogLine("serving the network address " + options.Host +
                " needs --token-file: without a token anyone could read and add grades");
        return std::nullopt;
    }
    std::string error;
    auto token = ReadTokenFile(options.TokenFile, error);
    if (!token)
        LogLine(error);
    return token;
}

// Limits that depend on where the service listens and on the descriptors it may open.
ServiceLimits EffectiveLimits(const Options& options) {
    ServiceLimits limits = options.Limits;
    if (limits.RateLimit < 0)
        limits.RateLimit = IsLoopbackHost(options.Host) ? 0 : kNetworkRateLimit;
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
        getrlimit(RLIMIT_NOFILE, &files);
        // Room for the store's connections, the site's files and the log.
        const rlim_t spare = rlim_t(options.Threads) * 2 + 64;
        const rlim_t room = files.rlim_cur > spare ? files.rlim_cur - spare : 1;
        if (rlim_t(limits.MaxConnections) > room) {
            limits.MaxConnections = int(room);
            LogLine("at most " + std::to_string(room) + " connections: the open file limit");
        }
    }
    return limits;
}

int Serve(GradeStore& store, const Options& options) {
    std::filesystem::path siteFolder;
    if (!FindSiteFolder(options, siteFolder))
        return 2;
    const auto token = FindToken(options);
    if (!token)
        return 2;
    Procedures procedures(store);
    std::optional<Site> site;
    if (!siteFolder.empty())
        site.emplace(siteFolder, store);
    HttpService service(procedures, site ? &*site : nullptr, options.Threads,
                        EffectiveLimits(options), *token);
    const int port = service.Bind(options.Host, options.Port);
    if (port < 0) {
        LogLine("cannot listen on " + options.Host + ":" + std::to_string(options.Port));
        return 1;
    }
    LogLine("listening on " + options.Host + ":" + std::to_string(port));
    std::atomic<bool> served = false;
    std::thread watcher(WatchStopSignals, std::ref(service), std::cref(served));
    const bool ok = service.Serve();
    served = true;
    watcher.join();
    LogLine("stopped");
    return ok ? 0 : 1;
}

// A SQLite store is copied online; PostgreSQL has its own tool for that.
int Backup(const Options& options) {
    if (options.Argument.empty()) {
        std::cerr << "backup wants a file to write\n";
        return 2;
    }
    if (IsPostgresUrl(options.Database)) {
        std::cerr << "a PostgreSQL store is backed up with pg_dump:\n"
                     "  pg_dump --format=custom --file=" +
                         options.Argument + " DATABASE_URL\n";
        return 2;
    }
    BackupSqliteStore(options.Database, options.Argument);
    std::cout << "backup of " << options.Database << " written to " << options.Argument << '\n';
    return 0;
}

// --check-config: the settings in effect, and whether the service could start with them.
int CheckConfig(const Options& options) {
    std::cout << "settings file: " << (options.ConfigFile.empty() ? "(none)" : options.ConfigFile)
              << '\n'
              << "listen = " << options.Host << ':' << options.Port << '\n'
              << "db = " << ShownDatabase(options.Database) << '\n'
              << "threads = " << options.Threads << '\n'
              << "site = "
              << (options.SiteFolder.empty() ? DefaultSiteFolder().string() : options.SiteFolder)
              << '\n'
              << "token-file = " << (options.TokenFile.empty() ? "(none)" : options.TokenFile)
              << '\n';
    auto problems = CheckSettings(options.Database, options.SiteFolder);
    // A network address without a readable token is refused at start; its reason is logged.
    if (!FindToken(options))
        problems.push_back("token-file: the service would refuse to start");
    for (const std::string& problem : problems)
        std::cerr << problem << '\n';
    std::cout << (problems.empty() ? "settings ok" : "settings have problems") << '\n';
    return problems.empty() ? 0 : 2;
}

int Run(const Options& options) {
    if (options.Run == Options::Action::Backup)
        return Backup(options);
    // Every worker and every event loop may hold a store connection at once.
    const int connections =
        options.Run == Options::Action::Serve ? options.Threads + HttpService::Loops() : 1;
    auto store = OpenGradeStore(options.Database, connections);
    switch (options.Run) {
    case Options::Action::SetVersion:
        return SetVersion(*store, options.Argument);
    case Options::Action::ListGrades:
        return PrintRows(store->ListGrades(options.Argument));
    case Options::Action::SetNotice:
        return SetNotice(*store, options.Argument);
    case Options::Action::ListFeedback:
        return PrintRows(store->ListFeedback());
    default:
        return Serve(*store, options);
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = ParseOptions(argc, argv, error);
    if (!options) {
        std::cerr << error << '\n' << Usage();
        return 2;
    }
    if (options->Run == Options::Action::Help) {
        std::cout << Usage();
        return 0;
    }
    if (options->Run == Options::Action::CheckConfig)
        return CheckConfig(*options);
    // Blocked before any thread starts, so that only the watcher receives them.
    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    try {
        return Run(*options);
    } catch (const StoreError& failure) {
        LogLine(std::string("store error: ") + failure.what());
        return 1;
    }
}
