#include "HttpService.h"

#include "Log.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>
#include <httplib.h>
#include <sys/socket.h>

namespace {

constexpr time_t kIoTimeoutSeconds = 5;
// An idle keep-alive connection holds its worker, and a stop waits for it, this long.
constexpr time_t kKeepAliveSeconds = 2;
constexpr size_t kKeepAliveRequests = 1000;
constexpr const char* kJson = "application/json; charset=utf-8";
constexpr std::string_view kFeedbackPath = "/tellme/";

thread_local std::chrono::steady_clock::time_point RequestStart;

void SendReply(httplib::Response& response, const Reply& reply) {
    response.status = reply.Status;
    response.set_content(reply.Body, kJson);
}

void SendSiteAnswer(httplib::Response& response, const SiteAnswer& answer) {
    response.status = answer.Status;
    response.set_header("X-Content-Type-Options", "nosniff");
    if (!answer.Location.empty())
        response.set_header("Location", answer.Location);
    if (answer.File.empty()) {
        // Pages show the notice and the versions of the moment.
        response.set_header("Cache-Control", "no-cache");
        response.set_content(answer.Body, answer.ContentType);
        return;
    }
    auto in = std::make_shared<std::ifstream>(answer.File, std::ios::binary);
    response.set_content_provider(size_t(answer.FileSize), answer.ContentType,
                                  [in](size_t offset, size_t length, httplib::DataSink& sink) {
                                      char buffer[64 * 1024];
                                      in->seekg(std::streamoff(offset));
                                      in->read(buffer,
                                               std::streamsize(std::min(length, sizeof buffer)));
                                      const std::streamsize got = in->gcount();
                                      return got > 0 && sink.write(buffer, size_t(got));
                                  });
}

// Browsers get pages; programs posting commands get JSON.
bool WantsPage(const httplib::Request& request) {
    return request.method == "GET" || request.method == "HEAD" || request.path == kFeedbackPath;
}

// Paths come from the client: only printable ASCII reaches the log, at a bounded length.
std::string Printable(const std::string& text) {
    std::string shown;
    for (char c : text.substr(0, 120))
        shown += (c >= 0x20 && c < 0x7F) ? c : '?';
    return shown;
}

std::string UtcNow() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

void LogRequest(const httplib::Request& request, const httplib::Response& response) {
    const auto elapsed = std::chrono::steady_clock::now() - RequestStart;
    const double ms = std::chrono::duration<double, std::milli>(elapsed).count();
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.1fms", ms);
    const std::string failure = TakeRequestFailure();
    LogLine(UtcNow() + " " + request.remote_addr + " " + Printable(request.method) + " " +
            Printable(request.path) + " " + std::to_string(response.status) + " " +
            std::to_string(response.body.size()) + "B " + duration +
            (failure.empty() ? "" : " " + failure));
}

} // namespace

HttpService::HttpService(Procedures& procedures, Site* site, int threads)
    : Server(std::make_unique<httplib::Server>()) {
    AddRoutes(procedures, site);
    AddLimitsAndLog(threads);
}

HttpService::~HttpService() = default;

void HttpService::AddRoutes(Procedures& procedures, Site* site) {
    Server->Post(R"(/providers/([^/]*))",
                 [&procedures](const httplib::Request& request, httplib::Response& response) {
                     SendReply(response, procedures.Run(request.matches[1].str(), request.body));
                 });
    Server->Get(std::string(protocol::kHealthPath),
                [&procedures](const httplib::Request&, httplib::Response& response) {
                    SendReply(response, procedures.Health());
                });
    if (!site)
        return;
    Server->Post(std::string(kFeedbackPath), [site](const httplib::Request& request,
                                                    httplib::Response& response) {
        SendSiteAnswer(response, site->PostFeedback(request.get_header_value("Content-Type"),
                                                    request.params, request.remote_addr));
    });
    Server->Get(".*", [site](const httplib::Request& request, httplib::Response& response) {
        SendSiteAnswer(response, site->Get(request.path, request.params));
    });
}

void HttpService::AddLimitsAndLog(int threads) {
    Server->new_task_queue = [threads] { return new httplib::ThreadPool(size_t(threads)); };
    // The procedures refuse command bodies over protocol::kMaxRequestBody themselves.
    Server->set_payload_max_length(kMaxFormBody);
    // Headers and body go out in separate writes; Nagle's delay would stall each answer.
    Server->set_tcp_nodelay(true);
    Server->set_read_timeout(kIoTimeoutSeconds);
    Server->set_write_timeout(kIoTimeoutSeconds);
    Server->set_keep_alive_timeout(kKeepAliveSeconds);
    Server->set_keep_alive_max_count(kKeepAliveRequests);
    Server->set_pre_routing_handler([](const httplib::Request&, httplib::Response&) {
        RequestStart = std::chrono::steady_clock::now();
        return httplib::Server::HandlerResponse::Unhandled;
    });
    // Every failure the library answers by itself (no route, oversized body) gets the
    // same JSON shape as the failures of the procedures, or a page for a browser.
    Server->set_error_handler(
        httplib::Server::Handler([](const httplib::Request& request, httplib::Response& response) {
            if (!response.body.empty())
                return;
            const char* reason = response.status == 413   ? "request body too large"
                                 : response.status == 404 ? "no such resource"
                                                          : "bad request";
            if (WantsPage(request))
                response.set_content(MakePage(response.status == 413   ? "内容太长"
                                              : response.status == 404 ? "页面不存在"
                                                                       : "请求有误",
                                              "<p><a href=\"/\">返回首页</a></p>"),
                                     "text/html; charset=utf-8");
            else
                response.set_content(protocol::EncodeError(reason), kJson);
        }));
    Server->set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
            SendReply(response, {500, protocol::EncodeError("internal error")});
        });
    Server->set_logger(LogRequest);
}

int HttpService::Bind(const std::string& host, int port) {
    int listenSocket = -1;
    Server->set_socket_options([&listenSocket](int socket) {
        const int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        listenSocket = socket;
    });
    const int bound =
        port == 0 ? Server->bind_to_any_port(host) : (Server->bind_to_port(host, port) ? port : -1);
    // The library listens with a backlog of 5, which drops the connections of a burst of
    // clients for a second or more; widen it on the same socket.
    if (bound > 0 && listenSocket >= 0)
        ::listen(listenSocket, SOMAXCONN);
    return bound;
}

bool HttpService::Serve() {
    return Server->listen_after_bind();
}

void HttpService::Stop() {
    Server->stop();
}
