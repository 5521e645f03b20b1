#pragma once

#include <cstddef>

// What one client, and all clients together, may take of the service. The defaults suit a
// service on the internet behind a reverse proxy as well as one on a learner's machine.
struct ServiceLimits {
    // Open connections in all, and from one address; more are answered 503 and closed.
    int MaxConnections = 2048;
    int MaxPerAddress = 64;
    // Requests a second from one address (bursts of twice as many); 0: no limit. Negative:
    // decided by where the service listens (none on loopback, kNetworkRateLimit on a network).
    int RateLimit = -1;
    // A request, headers and body, must arrive whole within this time.
    int RequestSeconds = 10;
    // A keep-alive connection may wait this long for its next request.
    int IdleSeconds = 5;
};

inline constexpr int kNetworkRateLimit = 20;
// Request headers: their bytes in all, and their number.
inline constexpr std::size_t kMaxHeaderBytes = 8 * 1024;
inline constexpr std::size_t kMaxHeaderFields = 64;
