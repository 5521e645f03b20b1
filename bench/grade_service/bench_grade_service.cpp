// Measures procSelectGrade under many concurrent keep-alive clients, either through the
// grade service over HTTP (one thread driving every connection with epoll, so that the load
// generator costs the shared processors little) or straight against its SQLite file (a
// thread a connection, each running the real query), so that the two can be compared in
// one run; procInsertGrade under many clients; and one normal client while
// hostile connections (slow senders or idle ones) hold the service.
//   bench-grade-service seed-sqlite FILE GRADES IDS
//   bench-grade-service http PORT CONNECTIONS SECONDS IDS
//   bench-grade-service http-insert PORT CONNECTIONS SECONDS IDS
//   bench-grade-service sqlite FILE CONNECTIONS SECONDS IDS
//   bench-grade-service attacked PORT slow|idle CONNECTIONS SECONDS
#include "SqliteStore.h"
#include "protocol/CommandText.h"
#include "protocol/Wire.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <httplib.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <random>
#include <sqlite3.h>
#include <string>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Tally {
    std::vector<double> LatenciesMs;
    long Failures = 0;
};

// Processor time this process has used so far, in seconds.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// One query of one client: returns false when it failed.
using Query = std::function<bool(const std::string& empId)>;
using QueryFactory = std::function<Query()>;

// Prints throughput, latency percentiles and this process's processor time per request
// since `cpuStart`: on a shared machine the time per request tells more than throughput.
void Report(const char* label, Tally& tally, int seconds, double cpuStart) {
    auto& all = tally.LatenciesMs;
    std::sort(all.begin(), all.end());
    const auto percentile = [&all](double p) {
        return all.empty() ? 0.0 : all[std::min(all.size() - 1, size_t(p * double(all.size())))];
    };
    const double cpuUs = all.empty() ? 0.0 : (CpuSeconds() - cpuStart) * 1e6 / double(all.size());
    std::printf("%s requests=%zu failures=%ld throughput=%.1f/s p50=%.3fms p99=%.3fms "
                "cpu=%.1fus\n",
                label, all.size(), tally.Failures, double(all.size()) / seconds, percentile(0.50),
                percentile(0.99), cpuUs);
}

// Runs `connections` clients for `seconds`, each issuing queries for random IDs back to back,
// and prints throughput and latency percentiles.
void Measure(const char* label, const QueryFactory& makeQuery, int connections, int seconds,
             int ids) {
    const double cpuStart = CpuSeconds();
    std::vector<Tally> tallies(static_cast<size_t>(connections));
    std::atomic<bool> stop = false;
    std::vector<std::thread> clients;
    for (int c = 0; c < connections; ++c)
        clients.emplace_back([&, c] {
            Query query = makeQuery();
            std::mt19937 random(unsigned(c + 1));
            std::uniform_int_distribution<int> pick(1, ids);
            auto& tally = tallies[size_t(c)];
            while (!stop) {
                const auto start = Clock::now();
                const bool ok = query(std::to_string(pick(random)));
                const std::chrono::duration<double, std::milli> took = Clock::now() - start;
                tally.LatenciesMs.push_back(took.count());
                tally.Failures += ok ? 0 : 1;
            }
        });
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    stop = true;
    for (auto& client : clients)
        client.join();
    Tally all;
    for (const auto& tally : tallies) {
        all.LatenciesMs.insert(all.LatenciesMs.end(), tally.LatenciesMs.begin(),
                               tally.LatenciesMs.end());
        all.Failures += tally.Failures;
    }
    Report(label, all, seconds, cpuStart);
}

// The body of the command for one random ID.
std::string CommandBody(const std::string& empId, bool insert) {
    const std::string command = insert ? protocol::InsertGradeCommand(empId, "n", 600, 95)
                                       : protocol::SelectGradeCommand(empId, 90);
    return protocol::EncodeRequest({command, insert ? "Execute" : "Active"});
}

int ConnectTo(int port) {
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(uint16_t(port));
    remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int one = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (::connect(socket, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0 &&
        errno != EINPROGRESS) {
        ::close(socket);
        return -1;
    }
    return socket;
}

// The length of the first whole answer in `in` and whether its status is 200, or 0 while
// it is incomplete.
size_t WholeAnswer(const std::string& in, bool& ok) {
    const size_t end = in.find("\r\n\r\n");
    if (end == std::string::npos)
        return 0;
    std::string head = in.substr(0, end);
    std::transform(head.begin(), head.end(), head.begin(), ::tolower);
    const size_t length = head.find("content-length:");
    const size_t body = length == std::string::npos ? 0 : std::stoul(head.substr(length + 15));
    if (in.size() < end + 4 + body)
        return 0;
    ok = head.starts_with("http/1.1 200");
    return end + 4 + body;
}

// `connections` keep-alive connections to the service, each sending its next command as
// soon as the answer to the last is whole, all driven by this one thread.
void MeasureHttp(const char* label, int port, bool insert, int connections, int seconds, int ids) {
    struct Connection {
        int Socket = -1;
        std::string Out, In;
        size_t Sent = 0;
        Clock::time_point Start;
    };
    const double cpuStart = CpuSeconds();
    std::vector<Connection> clients(static_cast<size_t>(connections));
    const int poll = ::epoll_create1(0);
    std::mt19937 random(1);
    std::uniform_int_distribution<int> pick(1, ids);
    Tally tally;
    const auto next = [&](size_t n) {
        Connection& c = clients[n];
        if (c.Socket < 0) {
            c.Socket = ConnectTo(port);
            c.In.clear();
            epoll_event event{EPOLLIN | EPOLLOUT | EPOLLET, {.u64 = n}};
            ::epoll_ctl(poll, EPOLL_CTL_ADD, c.Socket, &event);
        }
        const std::string body = CommandBody(std::to_string(pick(random)), insert);
        c.Out = "POST /providers/dspClient1 HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                "Content-Type: application/json\r\nContent-Length: " +
                std::to_string(body.size()) + "\r\n\r\n" + body;
        c.Sent = 0;
        c.Start = Clock::now();
    };
    const auto flush = [&](Connection& c) {
        while (c.Sent < c.Out.size()) {
            const ssize_t sent =
                ::send(c.Socket, c.Out.data() + c.Sent, c.Out.size() - c.Sent, MSG_NOSIGNAL);
            if (sent <= 0)
                return;
            c.Sent += size_t(sent);
        }
    };
    const auto fail = [&](size_t n) {
        ::close(clients[n].Socket);
        clients[n].Socket = -1;
        ++tally.Failures;
        next(n);
        flush(clients[n]);
    };
    for (size_t n = 0; n < clients.size(); ++n)
        next(n);
    const auto until = Clock::now() + std::chrono::seconds(seconds);
    std::vector<epoll_event> events(clients.size());
    while (Clock::now() < until) {
        const int ready = ::epoll_wait(poll, events.data(), int(events.size()), 100);
        for (int e = 0; e < ready; ++e) {
            const size_t n = events[size_t(e)].data.u64;
            Connection& c = clients[n];
            flush(c);
            char buffer[16384];
            ssize_t got;
            while ((got = ::recv(c.Socket, buffer, sizeof buffer, 0)) > 0)
                c.In.append(buffer, size_t(got));
            if (got == 0 || (got < 0 && errno != EAGAIN)) {
                fail(n);
                continue;
            }
            bool ok = false;
            if (const size_t whole = WholeAnswer(c.In, ok)) {
                const std::chrono::duration<double, std::milli> took = Clock::now() - c.Start;
                tally.LatenciesMs.push_back(took.count());
                tally.Failures += ok ? 0 : 1;
                c.In.erase(0, whole);
                next(n);
                flush(c);
            }
        }
    }
    for (const auto& c : clients)
        ::close(c.Socket);
    ::close(poll);
    Report(label, tally, seconds, cpuStart);
}

// A connection from 127.0.0.(2 + n / 50): attackers come from many addresses, as in a
// distributed attack, so that a limit per address alone does not turn them away.
int ConnectFrom(int port, int n) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(0x7F000002u + unsigned(n / 50));
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(uint16_t(port));
    remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(socket, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::connect(socket, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
        ::close(socket);
        return -1;
    }
    ::fcntl(socket, F_SETFL, O_NONBLOCK);
    return socket;
}

// Holds `count` hostile connections until `stop`: idle ones send nothing; slow ones send a
// request header a byte a second and never finish it. A connection the service closes is
// opened again.
void Attack(int port, bool slow, int count, const std::atomic<bool>& stop) {
    std::vector<int> sockets(size_t(count), -1);
    const std::string start = "POST /providers/dspClient1 HTTP/1.1\r\nHost: x\r\nX-Slow: ";
    while (!stop) {
        for (int n = 0; n < count; ++n) {
            int& socket = sockets[size_t(n)];
            if (socket < 0 && (socket = ConnectFrom(port, n)) >= 0 && slow)
                ::send(socket, start.data(), start.size(), MSG_NOSIGNAL);
            char drain[256];
            const bool closed = socket >= 0 && ::recv(socket, drain, sizeof drain, 0) == 0;
            const bool failed = socket >= 0 && slow && ::send(socket, "a", 1, MSG_NOSIGNAL) != 1;
            if (closed || failed) {
                ::close(socket);
                socket = -1;
            }
        }
        for (int i = 0; i < 10 && !stop; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    for (int socket : sockets)
        if (socket >= 0)
            ::close(socket);
}

// One normal client's selections while the attack goes on; started after the attackers
// have had two seconds to connect.
void MeasureAttacked(int port, bool slow, int count, int seconds) {
    std::atomic<bool> stop = false;
    std::thread attacker(Attack, port, slow, count, std::cref(stop));
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const std::string label = std::string("normal client during ") + std::to_string(count) +
                              (slow ? " slow" : " idle") + " connections";
    const QueryFactory oneAtATime = [port] {
        return [port](const std::string& empId) {
            httplib::Client client("127.0.0.1", port);
            client.set_connection_timeout(5);
            client.set_read_timeout(5);
            const std::string body = CommandBody(empId, false);
            const auto result = client.Post("/providers/dspClient1", body, "application/json");
            return result && result->status == 200;
        };
    };
    Measure(label.c_str(), oneAtATime, 1, seconds, 10000);
    stop = true;
    attacker.join();
}

QueryFactory SqliteQueries(const std::string& file) {
    return [file] {
        sqlite3* db = nullptr;
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        sqlite3_busy_timeout(db, 5000);
        sqlite3_stmt* statement = nullptr;
        const std::string sql = SqliteSelectGradeSql();
        sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
        // Shared by the copies of the query function; closed with the last of them.
        std::shared_ptr<sqlite3_stmt> held(statement, [db](sqlite3_stmt* s) {
            sqlite3_finalize(s);
            sqlite3_close(db);
        });
        return [held](const std::string& empId) {
            sqlite3_stmt* s = held.get();
            sqlite3_bind_text(s, 1, empId.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(s, 2, 90);
            sqlite3_bind_int(s, 3, 1000);
            int rc;
            long bytes = 0;
            while ((rc = sqlite3_step(s)) == SQLITE_ROW)
                for (int c = 0; c < sqlite3_column_count(s); ++c)
                    bytes += sqlite3_column_bytes(s, c);
            sqlite3_reset(s);
            return rc == SQLITE_DONE && bytes >= 0;
        };
    };
}

// Fills an SQLite store (schema already made by the service) with `grades` grades spread
// over `ids` ID numbers, marks 90-100, in one transaction.
int SeedSqlite(const std::string& file, int grades, int ids) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return 1;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO grades (emp_id, emp_name, use_time, mark, refer_date) "
                       "VALUES (?1, 'n', ?2, ?3, strftime('%Y-%m-%dT%H:%M:%fZ', 'now', ?4))",
                       -1, &insert, nullptr);
    for (int g = 1; g <= grades; ++g) {
        const std::string id = std::to_string(g % ids + 1);
        const std::string age = "-" + std::to_string(g) + " seconds";
        sqlite3_bind_text(insert, 1, id.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 2, g % 2700);
        sqlite3_bind_int(insert, 3, 90 + g % 11);
        sqlite3_bind_text(insert, 4, age.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    const int rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc == SQLITE_OK ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "seed-sqlite")
        return SeedSqlite(args[1], std::stoi(args[2]), std::stoi(args[3]));
    if (args.size() == 5 && args[0] == "http") {
        MeasureHttp("service", std::stoi(args[1]), false, std::stoi(args[2]), std::stoi(args[3]),
                    std::stoi(args[4]));
        return 0;
    }
    if (args.size() == 5 && args[0] == "http-insert") {
        MeasureHttp("service insert", std::stoi(args[1]), true, std::stoi(args[2]),
                    std::stoi(args[3]), std::stoi(args[4]));
        return 0;
    }
    if (args.size() == 5 && args[0] == "attacked" && (args[2] == "slow" || args[2] == "idle")) {
        MeasureAttacked(std::stoi(args[1]), args[2] == "slow", std::stoi(args[3]),
                        std::stoi(args[4]));
        return 0;
    }
    if (args.size() == 5 && args[0] == "sqlite") {
        Measure("store", SqliteQueries(args[1]), std::stoi(args[2]), std::stoi(args[3]),
                std::stoi(args[4]));
        return 0;
    }
    std::fputs("usage: bench-grade-service seed-sqlite FILE GRADES IDS\n"
               "       bench-grade-service http PORT CONNECTIONS SECONDS IDS\n"
               "       bench-grade-service http-insert PORT CONNECTIONS SECONDS IDS\n"
               "       bench-grade-service sqlite FILE CONNECTIONS SECONDS IDS\n"
               "       bench-grade-service attacked PORT slow|idle CONNECTIONS SECONDS\n",
               stderr);
    return 2;
}
