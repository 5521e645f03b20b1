#pragma once

#include <array>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The grade service on the wire: HTTP/1.1 with JSON bodies.
//   POST /providers/{provider}  {"command": "<command text>", "mode": "<mode>"}
//     fetching modes -> 200 {"columns": [...], "rows": [[...], ...]}
//     "execute" mode -> 200 {"rowsAffected": n}
//     a failed command -> non-2xx {"error": "<reason>"}
//   GET /health -> 200 while the service and its store work.
namespace protocol {

inline constexpr int kDefaultPort = 2112;
inline constexpr std::string_view kHealthPath = "/health";
inline constexpr std::string_view kProvidersPrefix = "/providers/";

inline constexpr const char* kCommandKey = "command";
inline constexpr const char* kModeKey = "mode";
inline constexpr const char* kColumnsKey = "columns";
inline constexpr const char* kRowsKey = "rows";
inline constexpr const char* kRowsAffectedKey = "rowsAffected";
inline constexpr const char* kErrorKey = "error";

// Upper bound of a request body; command texts are a few hundred bytes at most.
inline constexpr size_t kMaxRequestBody = 4096;

const std::array<std::string_view, 3>& ProviderNames();
bool IsKnownProvider(std::string_view provider);
std::string ProviderPath(std::string_view provider);

// "execute" in any case runs a command without rows; every other mode fetches rows.
bool IsExecuteMode(std::string_view mode);

// Columns whose text is a date and time in ISO 8601, UTC, e.g. "2026-12-09T05:51:37Z".
bool IsDateTimeColumn(std::string_view column);

struct CommandRequest {
    std::string Command;
    std::string Mode;
};

struct DecodedRequest {
    bool Ok = false;
    CommandRequest Value;
    std::string Error;
};

std::string EncodeRequest(const CommandRequest& request);
// Accepts only an object holding the two texts "command" and "mode" in valid UTF-8.
DecodedRequest DecodeRequest(std::string_view body);

using Value = std::variant<std::monostate, long long, std::string>;

struct ResultSet {
    std::vector<std::string> Columns;
    std::vector<std::vector<Value>> Rows;
};

std::string EncodeResultSet(const ResultSet& result);
std::string EncodeRowsAffected(long long count);
std::string EncodeError(std::string_view reason);

} // namespace protocol
