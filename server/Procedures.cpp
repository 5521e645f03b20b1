#include "Procedures.h"

#include "Log.h"

#include <cctype>

namespace {

// Number of UTF-8 characters, or -1 when the text holds a control character. The texts
// come out of a JSON body that was checked to be valid UTF-8.
long CountCharacters(std::string_view text) {
    long count = 0;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F)
            return -1;
        if ((c & 0xC0) != 0x80)
            ++count;
    }
    return count;
}

std::string CheckText(const std::string& what, std::string_view text, long maxCharacters) {
    const long count = CountCharacters(text);
    if (count < 0)
        return what + " holds a control character";
    if (count < 1 || count > maxCharacters)
        return what + " must have 1 to " + std::to_string(maxCharacters) + " characters";
    return {};
}

std::string CheckRange(const std::string& what, long long value, long long low, long long high) {
    if (value < low || value > high)
        return what + " must lie between " + std::to_string(low) + " and " + std::to_string(high);
    return {};
}

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
        return FirstProblem(
            {CheckText("EmpID", grade->EmpID, 25), CheckText("EmpName", grade->EmpName, 20),
             CheckRange("UseTime", grade->UseTime, 0, 2700),
             CheckRange("Mark", grade->Mark, 0, 100), CheckGradeKey(grade->GradeKey)});
    if (const auto* query = std::get_if<protocol::SelectGrade>(&command))
        return FirstProblem({CheckText("EmpID", query->EmpID, 25),
                             CheckRange("minimum mark", query->MinMark, 0, 100)});
    return {};
}

std::string CheckVersionText(std::string_view version) {
    return CheckText("the version", version, 20);
}

Reply Procedures::Run(std::string_view provider, std::string_view body) {
    if (!protocol::IsKnownProvider(provider))
        return ErrorReply(404, "unknown provider");
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
