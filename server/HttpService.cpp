// The HTTP front runs on Boost.Beast over Asio: an event loop per processor holds the
// connections, so a client that sends slowly or not at all costs a socket and a timer, never
// a thread, and each request is read under one deadline for headers and body together.
// Refusals and reads of a store whose reads never wait are answered on the loop itself;
// procedures that wait are queued to the store, whose threads hand the answers back to the
// connection's loop; the site runs on a bounded pool of worker threads. Beast was chosen over
// libmicrohttpd because it leaves every limit to this file: a deadline per whole request, bounds
// per address, an orderly stop that closes idle connections at once, and the body bounded after
// chunked decoding by the parser itself.
#include "HttpService.h"

#include "Log.h"

#include <algorithm>
#include <atomic>
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <sys/socket.h>
#include <thread>
#include <unordered_map>
#include <vector>

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kJson = "application/json; charset=utf-8";
constexpr std::string_view kFeedbackPath = "/tellme/";
constexpr std::string_view kFormType = "application/x-www-form-urlencoded";
// An answer under way when the service stops may take this long to go out.
constexpr auto kStopGrace = std::chrono::seconds(3);
// After a refusal the rest of the request is read and dropped, within these bounds, so that
// the client sees the answer instead of a reset connection.
constexpr auto kDrainTime = std::chrono::seconds(2);
constexpr size_t kDrainBytes = 256 * 1024;
// Answers go out within the request time plus one second for each 64 KiB.
constexpr std::uintmax_t kSlowestReaderBytesPerSecond = 64 * 1024;
// Jobs waiting for a worker; more are answered 503.
constexpr size_t kMaxQueuedJobs = 1024;
// Rate buckets kept before full ones are forgotten.
constexpr size_t kMaxRateBuckets = 4096;
constexpr std::string_view kTooManyConnections =
    "HTTP/1.1 503 Service Unavailable\r\nContent-Type: application/json; charset=utf-8\r\n"
    "Content-Length: 33\r\nConnection: close\r\n\r\n{\"error\":\"too many connections\"}\n";

// What the routes answer: a body made in memory or a file sent as it lies.
struct Answer {
    int Status = 200;
    std::string ContentType;
    std::string Body;
    std::filesystem::path File;
    std::vector<std::pair<std::string, std::string>> Headers;
    std::string Failure; // for the log line
};

struct RequestLine {
    std::string Method = "-";
    std::string Path = "-";
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// %XX escapes decoded; '+' stands for a blank in query strings and forms. A broken escape
// stays as it is.
std::string DecodeUrl(std::string_view text, bool plusIsBlank) {
    std::string decoded;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
            HexDigit(text[i + 2]) >= 0) {
            decoded += char(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else
            decoded += (plusIsBlank && c == '+') ? ' ' : c;
    }
    return decoded;
}

FormFields ParseForm(std::string_view text) {
    FormFields fields;
    while (!text.empty()) {
        const auto amp = text.find('&');
        const std::string_view pair = text.substr(0, amp);
        text = amp == std::string_view::npos ? std::string_view() : text.substr(amp + 1);
        if (pair.empty())
            continue;
        const auto equals = pair.find('=');
        fields.emplace(DecodeUrl(pair.substr(0, equals), true),
                       equals == std::string_view::npos ? ""
                                                        : DecodeUrl(pair.substr(equals + 1), true));
    }
    return fields;
}

// Browsers get pages; programs posting commands get JSON.
bool WantsPage(std::string_view method, std::string_view path) {
    return method == "GET" || method == "HEAD" || path == kFeedbackPath;
}

Answer ErrorAnswer(int status, const std::string& reason, bool page) {
    Answer answer;
    answer.Status = status;
    answer.Failure = reason;
    if (!page) {
        answer.ContentType = kJson;
        answer.Body = protocol::EncodeError(reason);
        return answer;
    }
    const char* title = status == 404   ? "页面不存在"
                        : status == 413 ? "内容太长"
                        : status == 429 ? "请求太频繁"
                        : status >= 500 ? "服务暂时不可用"
                                        : "请求有误";
    answer.ContentType = "text/html; charset=utf-8";
    answer.Body = MakePage(title, "<p><a href=\"/\">返回首页</a></p>");
    return answer;
}

Answer FromReply(const Reply& reply) {
    Answer answer;
    answer.Status = reply.Status;
    answer.ContentType = kJson;
    answer.Body = reply.Body;
    return answer;
}

Answer FromSite(const SiteAnswer& site) {
    Answer answer;
    answer.Status = site.Status;
    answer.ContentType = site.ContentType;
    answer.Headers.emplace_back("X-Content-Type-Options", "nosniff");
    if (!site.Location.empty())
        answer.Headers.emplace_back("Location", site.Location);
    if (site.File.empty()) {
        // Pages show the notice and the versions of the moment.
        answer.Headers.emplace_back("Cache-Control", "no-cache");
        answer.Body = site.Body;
    } else
        answer.File = site.File;
    return answer;
}

// Paths come from the client: only printable ASCII reaches the log, at a bounded length.
std::string Printable(std::string_view text) {
    std::string shown;
    for (char c : text.substr(0, 120))
        shown += (c >= 0x20 && c < 0x7F) ? c : '?';
    return shown;
}

std::string UtcNow() {
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

void LogRequest(const std::string& address, const RequestLine& line, int status, size_t bytes,
                Clock::time_point start, const std::string& failure) {
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.1fms", ms);
    LogLine(UtcNow() + " " + address + " " + Printable(line.Method) + " " + Printable(line.Path) +
            " " + std::to_string(status) + " " + std::to_string(bytes) + "B " + duration +
            (failure.empty() ? "" : " " + failure));
}

// Compares without stopping at the first difference, so that timing tells nothing.
bool SameSecret(std::string_view given, std::string_view expected) {
    unsigned char difference = given.size() == expected.size() ? 0 : 1;
    for (size_t i = 0; i < given.size(); ++i)
        difference |= (unsigned char)(given[i] ^ expected[i % expected.size()]);
    return difference == 0;
}

// A fixed set of threads with a bounded queue of jobs.
class WorkerPool {
public:
    explicit WorkerPool(int threads) {
        for (int t = 0; t < threads; ++t)
            Threads.emplace_back([this] { Work(); });
    }
    ~WorkerPool() {
        {
            std::lock_guard lock(Mutex);
            Stopping = true;
        }
        Ready.notify_all();
        for (auto& thread : Threads)
            thread.join();
    }

    // False when the queue is full.
    bool Post(std::function<void()> job) {
        {
            std::lock_guard lock(Mutex);
            if (Jobs.size() >= kMaxQueuedJobs)
                return false;
            Jobs.push_back(std::move(job));
        }
        Ready.notify_one();
        return true;
    }

private:
    void Work() {
        for (;;) {
            std::unique_lock lock(Mutex);
            Ready.wait(lock, [this] { return Stopping || !Jobs.empty(); });
            if (Jobs.empty())
                return;
            auto job = std::move(Jobs.front());
            Jobs.pop_front();
            lock.unlock();
            job();
        }
    }

    std::mutex Mutex;
    std::condition_variable Ready;
    std::deque<std::function<void()>> Jobs;
    bool Stopping = false;
    std::vector<std::thread> Threads;
};

// Requests a second per address, with bursts of twice the rate.
class RateLimiter {
public:
    explicit RateLimiter(int perSecond) : Rate(perSecond) {}

    bool Allow(const std::string& address, Clock::time_point now) {
        if (Rate <= 0)
            return true;
        const double burst = 2.0 * Rate;
        if (Buckets.size() >= kMaxRateBuckets)
            std::erase_if(Buckets,
                          [&](const auto& entry) { return Level(entry.second, now) >= burst; });
        auto [bucket, added] = Buckets.try_emplace(address, Bucket{burst, now});
        bucket->second.Tokens = Level(bucket->second, now);
        bucket->second.Updated = now;
        if (bucket->second.Tokens < 1.0)
            return false;
        bucket->second.Tokens -= 1.0;
        return true;
    }

private:
    struct Bucket {
        double Tokens;
        Clock::time_point Updated;
    };
    double Level(const Bucket& bucket, Clock::time_point now) const {
        const double seconds = std::chrono::duration<double>(now - bucket.Updated).count();
        return std::min(2.0 * Rate, bucket.Tokens + seconds * Rate);
    }

    int Rate;
    std::map<std::string, Bucket> Buckets;
};

// The provider a POST /providers/NAME request names, or nothing for any other request.
std::optional<std::string_view> ProviderOf(const RequestLine& line) {
    if (line.Method != "POST" || !line.Path.starts_with(protocol::kProvidersPrefix))
        return std::nullopt;
    const std::string_view provider =
        std::string_view(line.Path).substr(protocol::kProvidersPrefix.size());
    if (provider.find('/') != std::string_view::npos)
        return std::nullopt;
    return provider;
}

// The answer of `route`, with the failure the store noted on this thread for the log line;
// an exception becomes a plain 500.
template <typename Route> Answer Answered(Route&& route) {
    Answer answer;
    try {
        answer = route();
    } catch (const std::exception&) {
        answer = FromReply({500, protocol::EncodeError("internal error")});
        answer.Failure = "internal error";
    }
    if (answer.Failure.empty())
        answer.Failure = TakeRequestFailure();
    return answer;
}

// One event loop a processor: reads answered on the loops use every processor. Each loop is
// run by one thread.
std::deque<net::io_context> MakeLoops() {
    std::deque<net::io_context> loops;
    for (int i = 0; i < HttpService::Loops(); ++i)
        loops.emplace_back(1);
    return loops;
}

class Session;

} // namespace

struct HttpService::Front {
    Front(Procedures& procedures, Site* site, int threads, const ServiceLimits& limits,
          std::string token)
        : Routes{procedures, site}, Limits(limits), Token(std::move(token)), Loops(MakeLoops()),
          Io(Loops.front()), Acceptor(Io), StopTimer(Io), RetryTimer(Io), Rates(limits.RateLimit),
          Pool(threads) {}

    void Accept();
    void OnAccepted(const beast::error_code& error, tcp::socket socket);
    void BeginStop();
    // Runs `action` on each open session, on its own loop; false when none is open.
    bool ForEachSession(void (Session::*action)());
    void Opened(const std::shared_ptr<Session>& session, const std::string& address);
    void Closed(Session* session, const std::string& address);
    bool AllowRate(const std::string& address);
    Answer Route(const RequestLine& line, const std::string& query,
                 const http::request<http::string_body>& request, const std::string& address);

    struct {
        Procedures& Calls;
        Site* Pages;
    } Routes;
    const ServiceLimits Limits;
    const std::string Token;
    std::deque<net::io_context> Loops; // the first also accepts and times the stop
    net::io_context& Io;
    size_t NextLoop = 0; // where the next connection goes; first loop only
    tcp::acceptor Acceptor;
    net::steady_timer StopTimer;
    net::steady_timer RetryTimer;
    std::atomic<bool> Stopping = false;
    std::mutex Mutex; // guards the open sessions, the counts per address and the rates
    std::unordered_map<Session*, std::weak_ptr<Session>> Sessions;
    std::map<std::string, int> PerAddress;
    RateLimiter Rates;
    WorkerPool Pool;
};

namespace {

// One client connection, on its loop's thread: waits for a request, reads it under one
// deadline, has a worker answer it, writes the answer, and waits for the next. Requests
// sent ahead (pipelined) wait in the buffer and are answered in order.
class Session : public std::enable_shared_from_this<Session> {
public:
    Session(HttpService::Front& front, tcp::socket socket, std::string address)
        : Front(front), Stream(std::move(socket)), Address(std::move(address)) {}
    ~Session() { Front.Closed(this, Address); }

    // Counted at once, served on the connection's own loop.
    void Run() {
        Front.Opened(shared_from_this(), Address);
        Post([self = shared_from_this()] { self->WaitForRequest(); });
    }

    // Runs `work` on this connection's loop.
    template <typename Work> void Post(Work&& work) {
        net::post(Stream.get_executor(), std::forward<Work>(work));
    }

    // On stop: a connection without an answer under way closes now.
    void StopIdle() {
        if (!Busy)
            Close();
    }
    void Close() {
        beast::error_code ignored;
        Stream.socket().shutdown(tcp::socket::shutdown_both, ignored);
        Stream.socket().close(ignored);
    }

private:
    void WaitForRequest() {
        if (Front.Stopping)
            return Close();
        if (Buffer.size() > 0)
            return ReadHeader();
        // Idle: no thread waits, only the socket and this deadline.
        Stream.expires_after(std::chrono::seconds(Front.Limits.IdleSeconds));
        Stream.async_read_some(Buffer.prepare(4096),
                               [self = shared_from_this()](beast::error_code error, size_t got) {
                                   self->Buffer.commit(got);
                                   if (error || self->Front.Stopping)
                                       return self->Close();
                                   self->ReadHeader();
                               });
    }

    void ReadHeader() {
        Begun = Clock::now();
        Line = {};
        Parser.emplace();
        Parser->header_limit(std::uint32_t(kMaxHeaderBytes));
        // The body's bound applies once the headers are in, so that the refusal knows
        // whom it answers (a page or JSON).
        Parser->body_limit(boost::none);
        // One deadline for headers and body together.
        Stream.expires_after(std::chrono::seconds(Front.Limits.RequestSeconds));
        http::async_read_header(Stream, Buffer, *Parser,
                                [self = shared_from_this()](beast::error_code error, size_t) {
                                    self->OnHeader(error);
                                });
    }

    void OnHeader(const beast::error_code& error) {
        if (Parser->is_header_done()) {
            const auto& request = Parser->get();
            const std::string_view target = request.target();
            Line.Method = std::string(request.method_string());
            Line.Path = DecodeUrl(target.substr(0, target.find('?')), false);
            const auto question = target.find('?');
            Query =
                question == std::string_view::npos ? "" : std::string(target.substr(question + 1));
        }
        if (error)
            return ReadFailed(error);
        const auto& request = Parser->get();
        const bool page = WantsPage(Line.Method, Line.Path);
        if (size_t(std::distance(request.begin(), request.end())) > kMaxHeaderFields)
            return Refuse(ErrorAnswer(431, "too many header fields", page));
        const std::string_view encoding = request[http::field::content_encoding];
        if (!encoding.empty() && !beast::iequals(encoding, "identity"))
            return Refuse(ErrorAnswer(415, "compressed bodies are not accepted", page));
        const auto transfer = request[http::field::transfer_encoding];
        if (!transfer.empty() && !beast::iequals(transfer, "chunked"))
            return Refuse(ErrorAnswer(501, "transfer coding not supported", page));
        if (!Front.AllowRate(Address)) {
            auto answer = ErrorAnswer(429, "too many requests", page);
            answer.Headers.emplace_back("Retry-After", "1");
            return Refuse(std::move(answer));
        }
        if (!Front.Token.empty() && Line.Path.starts_with(protocol::kProvidersPrefix)) {
            const std::string_view given = request[http::field::authorization];
            if (!given.starts_with("Bearer ") || !SameSecret(given.substr(7), Front.Token)) {
                auto answer = ErrorAnswer(401, "a valid token is required", false);
                answer.Headers.emplace_back("WWW-Authenticate", "Bearer");
                return Refuse(std::move(answer));
            }
        }
        Parser->body_limit(kMaxFormBody);
        http::async_read(Stream, Buffer, *Parser,
                         [self = shared_from_this()](beast::error_code error, size_t) {
                             if (error)
                                 return self->ReadFailed(error);
                             self->Dispatch();
                         });
    }

    void ReadFailed(const beast::error_code& error) {
        const bool page = WantsPage(Line.Method, Line.Path);
        if (error == http::error::header_limit)
            return Refuse(ErrorAnswer(431, "request headers too large", page));
        if (error == http::error::body_limit)
            return Refuse(ErrorAnswer(413, "request body too large", page));
        // A closed connection between requests is no request at all.
        if (error == http::error::end_of_stream || error == net::error::eof ||
            error == net::error::operation_aborted || !Parser->got_some())
            return Close();
        if (error == beast::error::timeout) {
            LogRequest(Address, Line, 408, 0, Begun,
                       "request not read within " + std::to_string(Front.Limits.RequestSeconds) +
                           " s");
            return Close();
        }
        if (error.category() == http::make_error_code(http::error::bad_target).category())
            return Refuse(ErrorAnswer(400, "bad request", page));
        Close();
    }

    // The request is whole. A command goes to the store, which answers a refusal or a read
    // of a mapped file at once and anything else later from a thread of its own; the site
    // and the health check run on a worker. The loop writes the answer.
    void Dispatch() {
        Busy = true;
        Stream.expires_never();
        auto self = shared_from_this();
        auto guard = net::make_work_guard(Stream.get_executor());
        if (const auto provider = ProviderOf(Line)) {
            auto& calls = Front.Routes.Calls;
            return calls.Execute(calls.Prepare(*provider, Parser->get().body()),
                                 [self, guard](const Reply& reply) {
                                     self->Deliver(Answered([&] { return FromReply(reply); }));
                                 });
        }
        const bool queued = Front.Pool.Post([self, guard] {
            self->Deliver(Answered([&] {
                return self->Front.Route(self->Line, self->Query, self->Parser->get(),
                                         self->Address);
            }));
        });
        if (!queued)
            Send(ErrorAnswer(503, "service busy", WantsPage(Line.Method, Line.Path)), true);
    }

    // Sends an answer made on any thread from the connection's loop.
    void Deliver(Answer answer) {
        // The executor is kept: target() points into it, not into the stream.
        const auto executor = Stream.get_executor();
        const auto* loop = executor.target<net::io_context::executor_type>();
        if (loop && loop->running_in_this_thread())
            return Send(std::move(answer), false);
        Post([self = shared_from_this(), answer = std::move(answer)]() mutable {
            self->Send(std::move(answer), false);
        });
    }

    // Writes the answer; `refused` closes the connection after it, reading and dropping
    // what the client still sends.
    void Send(Answer answer, bool refused) {
        Busy = true;
        const auto& request = Parser->get();
        const bool keepAlive = !refused && !Front.Stopping && request.keep_alive();
        const bool head = request.method() == http::verb::head;
        std::optional<http::message_generator> message;
        std::uintmax_t size = 0;
        if (!answer.File.empty()) {
            http::file_body::value_type file;
            beast::error_code error;
            file.open(answer.File.c_str(), beast::file_mode::scan, error);
            if (error)
                answer = ErrorAnswer(404, "no such resource", true);
            else {
                size = file.size();
                http::response<http::file_body> response{http::status(answer.Status),
                                                         request.version(), std::move(file)};
                message.emplace(Finish(std::move(response), answer, keepAlive, head, size));
            }
        }
        if (!message) {
            size = answer.Body.size();
            http::response<http::string_body> response{http::status(answer.Status),
                                                       request.version(), std::move(answer.Body)};
            message.emplace(Finish(std::move(response), answer, keepAlive, head, size));
        }
        Stream.expires_after(std::chrono::seconds(Front.Limits.RequestSeconds) +
                             std::chrono::seconds(size / kSlowestReaderBytesPerSecond));
        beast::async_write(Stream, std::move(*message),
                           [self = shared_from_this(), keepAlive, refused, size,
                            failure = std::move(answer.Failure),
                            status = answer.Status](beast::error_code error, size_t) {
                               LogRequest(self->Address, self->Line, status, error ? 0 : size,
                                          self->Begun, failure);
                               self->Busy = false;
                               if (error)
                                   return self->Close();
                               if (refused)
                                   return self->Drain();
                               if (!keepAlive)
                                   return self->Close();
                               self->WaitForRequest();
                           });
    }

    template <class Body>
    http::message_generator Finish(http::response<Body> response, const Answer& answer,
                                   bool keepAlive, bool head, std::uintmax_t size) {
        if (!answer.ContentType.empty())
            response.set(http::field::content_type, answer.ContentType);
        for (const auto& [field, value] : answer.Headers)
            response.set(field, value);
        response.keep_alive(keepAlive);
        response.content_length(size);
        if (head) {
            http::response<http::empty_body> header{std::move(response.base())};
            return header;
        }
        return response;
    }

    void Refuse(Answer answer) {
        if (!Parser->is_header_done() || Parser->get().version() == 0)
            Parser->get().version(11);
        Send(std::move(answer), true);
    }

    // Reads and drops what the client still sends, within bounds, after our half-close.
    void Drain() {
        beast::error_code ignored;
        Stream.socket().shutdown(tcp::socket::shutdown_send, ignored);
        Stream.expires_after(kDrainTime);
        Buffer.clear();
        Stream.async_read_some(Buffer.prepare(16 * 1024),
                               [self = shared_from_this()](beast::error_code error, size_t got) {
                                   self->Drained += got;
                                   if (error || self->Drained > kDrainBytes)
                                       return self->Close();
                                   self->Drain();
                               });
    }

    HttpService::Front& Front;
    beast::tcp_stream Stream;
    beast::flat_buffer Buffer;
    std::optional<http::request_parser<http::string_body>> Parser;
    const std::string Address;
    RequestLine Line;
    std::string Query;
    Clock::time_point Begun = Clock::now();
    bool Busy = false;
    size_t Drained = 0;
};

} // namespace

void HttpService::Front::Opened(const std::shared_ptr<Session>& session,
                                const std::string& address) {
    std::lock_guard lock(Mutex);
    Sessions.emplace(session.get(), session);
    ++PerAddress[address];
}

void HttpService::Front::Closed(Session* session, const std::string& address) {
    std::lock_guard lock(Mutex);
    Sessions.erase(session);
    if (--PerAddress[address] <= 0)
        PerAddress.erase(address);
    if (Stopping && Sessions.empty())
        net::post(Io, [this] { StopTimer.cancel(); });
}

bool HttpService::Front::AllowRate(const std::string& address) {
    std::lock_guard lock(Mutex);
    return Rates.Allow(address, Clock::now());
}

// Connections are spread over the loops in turn.
void HttpService::Front::Accept() {
    net::io_context& loop = Loops[NextLoop];
    NextLoop = (NextLoop + 1) % Loops.size();
    Acceptor.async_accept(loop, [this](beast::error_code error, tcp::socket socket) {
        OnAccepted(error, std::move(socket));
    });
}

void HttpService::Front::OnAccepted(const beast::error_code& error, tcp::socket socket) {
    if (Stopping || !Acceptor.is_open())
        return;
    if (error) {
        // Out of descriptors, most likely: try again shortly rather than spin.
        RetryTimer.expires_after(std::chrono::milliseconds(100));
        RetryTimer.async_wait([this](beast::error_code waited) {
            if (!waited)
                Accept();
        });
        return;
    }
    beast::error_code ignored;
    const auto peer = socket.remote_endpoint(ignored);
    const std::string address = peer.address().to_string();
    bool full;
    {
        std::lock_guard lock(Mutex);
        const auto held = PerAddress.find(address);
        full = int(Sessions.size()) >= Limits.MaxConnections ||
               (held != PerAddress.end() && held->second >= Limits.MaxPerAddress);
    }
    if (full) {
        // Told plainly, without a thread or a buffer: the answer fits the socket's buffer.
        ::send(socket.native_handle(), kTooManyConnections.data(), kTooManyConnections.size(),
               MSG_NOSIGNAL | MSG_DONTWAIT);
        socket.close(ignored);
    } else {
        socket.set_option(tcp::no_delay(true), ignored);
        std::make_shared<Session>(*this, std::move(socket), address)->Run();
    }
    Accept();
}

void HttpService::Front::BeginStop() {
    if (Stopping)
        return;
    Stopping = true;
    beast::error_code ignored;
    Acceptor.close(ignored);
    RetryTimer.cancel();
    if (!ForEachSession(&Session::StopIdle))
        return;
    StopTimer.expires_after(kStopGrace);
    StopTimer.async_wait([this](beast::error_code) { ForEachSession(&Session::Close); });
}

bool HttpService::Front::ForEachSession(void (Session::*action)()) {
    std::vector<std::shared_ptr<Session>> open;
    {
        std::lock_guard lock(Mutex);
        for (const auto& [session, held] : Sessions)
            if (auto alive = held.lock())
                open.push_back(std::move(alive));
    }
    for (auto& session : open)
        session->Post([session, action] { (*session.*action)(); });
    return !open.empty();
}

Answer HttpService::Front::Route(const RequestLine& line, const std::string& query,
                                 const http::request<http::string_body>& request,
                                 const std::string& address) {
    const bool get = line.Method == "GET" || line.Method == "HEAD";
    const bool page = WantsPage(line.Method, line.Path);
    if (get && line.Path == protocol::kHealthPath)
        return FromReply(Routes.Calls.Health());
    if (!get && line.Method != "POST") {
        auto answer = ErrorAnswer(405, "method not allowed", page);
        answer.Headers.emplace_back("Allow", "GET, HEAD, POST");
        return answer;
    }
    if (!Routes.Pages)
        return ErrorAnswer(404, "no such resource", page);
    if (line.Method == "POST" && line.Path == kFeedbackPath) {
        const std::string type(request[http::field::content_type]);
        const FormFields form =
            type.starts_with(kFormType) ? ParseForm(request.body()) : FormFields{};
        return FromSite(Routes.Pages->PostFeedback(type, form, address));
    }
    if (get)
        return FromSite(Routes.Pages->Get(line.Path, ParseForm(query)));
    return ErrorAnswer(404, "no such resource", page);
}

HttpService::HttpService(Procedures& procedures, Site* site, int threads,
                         const ServiceLimits& limits, std::string token)
    : Impl(std::make_unique<Front>(procedures, site, threads, limits, std::move(token))) {}

HttpService::~HttpService() = default;

int HttpService::Loops() {
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
}

int HttpService::Bind(const std::string& host, int port) {
    beast::error_code error;
    tcp::resolver resolver(Impl->Io);
    const auto found = resolver.resolve(
        host, std::to_string(port), tcp::resolver::numeric_service | tcp::resolver::passive, error);
    if (error || found.empty())
        return -1;
    const tcp::endpoint endpoint = *found.begin();
    auto& acceptor = Impl->Acceptor;
    acceptor.open(endpoint.protocol(), error);
    if (!error)
        acceptor.set_option(net::socket_base::reuse_address(true), error);
    if (!error)
        acceptor.bind(endpoint, error);
    if (!error)
        acceptor.listen(net::socket_base::max_listen_connections, error);
    if (error) {
        acceptor.close(error);
        return -1;
    }
    return acceptor.local_endpoint().port();
}

// The first loop runs on the calling thread until the stop is done; the others, kept busy
// until then, end once their last connection has closed.
bool HttpService::Serve() {
    if (!Impl->Acceptor.is_open())
        return false;
    Impl->Accept();
    std::vector<net::executor_work_guard<net::io_context::executor_type>> guards;
    std::vector<std::thread> threads;
    for (size_t i = 1; i < Impl->Loops.size(); ++i) {
        guards.push_back(net::make_work_guard(Impl->Loops[i]));
        threads.emplace_back([loop = &Impl->Loops[i]] { loop->run(); });
    }
    Impl->Io.run();
    guards.clear();
    for (auto& thread : threads)
        thread.join();
    return true;
}

void HttpService::Stop() {
    net::post(Impl->Io, [front = Impl.get()] { front->BeginStop(); });
}
