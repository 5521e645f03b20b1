#pragma once

#include "Procedures.h"
#include "Site.h"

#include <memory>
#include <string>

namespace httplib {
class Server;
}

// The HTTP front of the service: routes, limits (body size, read and write time,
// keep-alive), a pool of worker threads and one log line per request on stderr. The
// procedures answer POST /providers/...; the site, when there is one, answers every GET
// and the posts of its feedback form.
class HttpService {
public:
    HttpService(Procedures& procedures, Site* site, int threads);
    ~HttpService();
    HttpService(const HttpService&) = delete;
    HttpService& operator=(const HttpService&) = delete;

    // Binds the listening socket; port 0 picks a free port. Returns the port, or -1.
    int Bind(const std::string& host, int port);
    // Serves until Stop(); returns false when serving could not start.
    bool Serve();
    // Safe from any thread; Serve() returns once the running requests are answered.
    void Stop();

private:
    void AddRoutes(Procedures& procedures, Site* site);
    void AddLimitsAndLog(int threads);

    std::unique_ptr<httplib::Server> Server;
};
