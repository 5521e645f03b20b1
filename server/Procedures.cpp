#include "Procedures.h"

#include "Log.h"
#include "StoreLimits.h"

#include <cctype>

namespace {

// A grade key, when sent, is 1 to 64 letters, digits and hyphens (a UUID fits).
std::string CheckGradeKey(std::string_view key) {
    if (key.size() > 64)
        return "the grade key must have at most 64 characters";
    for (const char c : key)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-')
            return "the grade key may hold only letters, digits and hyphens";
    return {};
}

std::string FirstProblem(std::initializer_list<std::string> problems) {
    for (const auto& problem : problems)
        if (!problem.empty())
            return problem;
    return {};
}

Reply ErrorReply(int status, std::string_view reason) {
    NoteRequestFailure(std::string(reason));
    return {status, protocol::EncodeError(reason)};
}

// Clients learn only that the store failed; the log line of the request tells why.
Reply StoreFailure(const StoreError& error) {
    const Reply reply = ErrorReply(503, "store error");
    NoteRequestFailure(std::string("store error: ") + error.what());
    return reply;
}

} // namespace

std::string CheckArguments(const protocol::Command& command) {
    if (const auto* grade = std::get_if<protocol::InsertGrade>(&command))
        return FirstProblem({CheckText("EmpID", grade->EmpID, protocol::kEmpIdChars),
                             CheckText("EmpName", grade->EmpName, protocol::kEmpNameChars),
                             CheckRange("UseTime", grade->UseTime, protocol::kUseTimeSeconds),
                             CheckRange("Mark", grade->Mark, protocol::kMark),
                             CheckGradeKey(grade->GradeKey)});
    if (const auto* query = std::get_if<protocol::SelectGrade>(&command))
        return FirstProblem({CheckText("EmpID", query->EmpID, protocol::kEmpIdChars),
                             CheckRange("minimum mark", query->MinMark, protocol::kMark)});
    return {};
}

std::string CheckVersionText(std::string_view version) {
    return CheckText("the version", version, protocol::kVersionChars);
}

Reply Procedures::Run(std::string_view provider, std::string_view body) {
    if (!protocol::IsKnownProvider(provider))
        return ErrorReply(404, "unknown provider");
    // The HTTP layer admits the larger bodies of the site's forms; commands stay small.
    if (body.size() > protocol::kMaxRequestBody)
        return ErrorReply(413, "request body too large");
    const auto request = protocol::DecodeRequest(body);
    if (!request.Ok)
        return ErrorReply(400, request.Error);
    const auto parsed = protocol::ParseCommand(request.Value.Command);
    if (!parsed.Ok)
        return ErrorReply(400, parsed.Error);
    if (auto problem = CheckArguments(parsed.Value); !problem.empty())
        return ErrorReply(400, problem);

    const bool execute = protocol::IsExecuteMode(request.Value.Mode);
    try {
        if (const auto* grade = std::get_if<protocol::InsertGrade>(&parsed.Value)) {
            const long long added = Store.InsertGrade(*grade);
            return {200,
                    execute ? protocol::EncodeRowsAffected(added) : protocol::EncodeResultSet({})};
        }
        const auto result = std::holds_alternative<protocol::SelectGrade>(parsed.Value)
                                ? Store.SelectGrade(std::get<protocol::SelectGrade>(parsed.Value))
                                : Store.SelectExeVersion();
        return {200, execute ? protocol::EncodeRowsAffected(0) : protocol::EncodeResultSet(result)};
    } catch (const StoreError& error) {
        return StoreFailure(error);
    }
}

Reply Procedures::Health() {
    try {
        Store.Ping();
        return {200, R"({"status":"ok"})"};
    } catch (const StoreError& error) {
        return StoreFailure(error);
    }
}
