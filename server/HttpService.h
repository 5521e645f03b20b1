#pragma once

#include "Procedures.h"
#include "ServiceLimits.h"
#include "Site.h"

#include <memory>
#include <string>

// The HTTP front of the service: routes, limits (request size and time, connections in all
// and per address, request rate per address), an optional token for the procedures, and
// one log line per request on stderr. The procedures answer POST /providers/...; the site,
// when there is one, answers every GET and the posts of its feedback form.
class HttpService {
public:
    // `threads` workers run the site and the health checks (the store queues the procedures that
    // wait to threads of its own);
    // an empty `token` admits every caller of the procedures, any other only callers that send it
    // as a bearer token.
    HttpService(Procedures& procedures, Site* site, int threads, const ServiceLimits& limits,
                std::string token);
    ~HttpService();
    HttpService(const HttpService&) = delete;
    HttpService& operator=(const HttpService&) = delete;

    // The event loops that serve connections, one a processor; each may read the store.
    static int Loops();

    // Binds the listening socket; port 0 picks a free port. Returns the port, or -1.
    int Bind(const std::string& host, int port);
    // Serves until Stop(); returns false when serving could not start.
    bool Serve();
    // Safe from any thread, and more than once. Idle and half-read connections close at
    // once; answers under way get a few seconds to go out, then every connection closes.
    void Stop();

    struct Front;

private:
    std::unique_ptr<Front> Impl;
};
