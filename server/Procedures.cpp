#include "Procedures.h"

#include "Log.h"
#include "StoreLimits.h"

#include <cctype>
#include <nlohmann/json.hpp>

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

// procInsertGrade runs without rows ("Execute"); the two selects fetch theirs ("Active" or
// "Open"). Any other mode, or a mode that does not fit the procedure, is refused rather than
// guessed at.
std::string CheckMode(const protocol::Command& command, std::string_view mode) {
    const bool execute = protocol::IsExecuteMode(mode);
    const bool fetch =
        protocol::EqualsIgnoringCase(mode, "active") || protocol::EqualsIgnoringCase(mode, "open");
    if (!execute && !fetch)
        return "the mode must be Execute, Active or Open";
    if (std::holds_alternative<protocol::InsertGrade>(command) != execute)
        return execute ? "a select is fetched with mode Active or Open"
                       : "procInsertGrade is run with mode Execute";
    return {};
}

// The ID as the study program sends it, trimmed of blanks, so that " 123 " and "123" are
// one learner.
void TrimIds(protocol::Command& command) {
    if (auto* grade = std::get_if<protocol::InsertGrade>(&command))
        grade->EmpID = TrimBlanks(grade->EmpID);
    else if (auto* query = std::get_if<protocol::SelectGrade>(&command))
        query->EmpID = TrimBlanks(query->EmpID);
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

// The reply to a procedure the store ran.
Reply Answer(bool insert, const Outcome& outcome) {
    try {
        if (outcome.Failure)
            std::rethrow_exception(outcome.Failure);
    } catch (const StoreRefusal& refusal) {
        return ErrorReply(400, refusal.what());
    } catch (const StoreError& error) {
        return StoreFailure(error);
    } catch (...) {
        return ErrorReply(500, "internal error");
    }
    return {200, insert ? protocol::EncodeRowsAffected(outcome.Added)
                        : protocol::EncodeResultSet(outcome.Rows)};
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

Procedures::Call Procedures::Prepare(std::string_view provider, std::string_view body) const {
    if (!protocol::IsKnownProvider(provider))
        return {ErrorReply(404, "unknown provider"), {}};
    // The HTTP layer admits the larger bodies of the site's forms; commands stay small.
    if (body.size() > protocol::kMaxRequestBody)
        return {ErrorReply(413, "request body too large"), {}};
    const auto request = protocol::DecodeRequest(body);
    if (!request.Ok)
        return {ErrorReply(400, request.Error), {}};
    auto parsed = protocol::ParseCommand(request.Value.Command);
    if (!parsed.Ok)
        return {ErrorReply(400, parsed.Error), {}};
    TrimIds(parsed.Value);
    if (auto problem = FirstProblem(
            {CheckMode(parsed.Value, request.Value.Mode), CheckArguments(parsed.Value)});
        !problem.empty())
        return {ErrorReply(400, problem), {}};
    return {std::nullopt, std::move(parsed.Value)};
}

void Procedures::Execute(const Call& call, std::function<void(const Reply&)> done) {
    if (call.Refused)
        return done(*call.Refused);
    const bool insert = std::holds_alternative<protocol::InsertGrade>(call.Command);
    Store.Submit(call.Command, [insert, done = std::move(done)](Outcome outcome) {
        done(Answer(insert, outcome));
    });
}

Reply Procedures::Health() {
    try {
        Store.CheckWritable();
        return {200, R"({"status":"ok"})"};
    } catch (const StoreError& error) {
        NoteRequestFailure(std::string("store cannot write: ") + error.what());
        return {503, nlohmann::json{{"status", "unavailable"}, {"reason", error.what()}}.dump()};
    }
}
