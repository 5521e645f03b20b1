#include "protocol/CommandText.h"

#include <array>
#include <charconv>
#include <optional>
#include <vector>

namespace protocol {

std::string QuoteText(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c;
        if (c == '\'')
            quoted += '\'';
    }
    quoted += '\'';
    return quoted;
}

std::string InsertGradeCommand(std::string_view empId, std::string_view empName, int useTime,
                               int mark, std::string_view gradeKey) {
    std::string command = "exec procInsertGrade " + QuoteText(empId) + "," + QuoteText(empName) +
                          "," + std::to_string(useTime) + "," + std::to_string(mark);
    if (!gradeKey.empty())
        command += "," + QuoteText(gradeKey);
    return command;
}

std::string SelectGradeCommand(std::string_view empId, int minMark) {
    return "exec procSelectGrade " + QuoteText(empId) + "," + std::to_string(minMark);
}

std::string SelectExeVersionCommand() {
    return "exec procSelectExeVersion ";
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

namespace {

enum class ArgKind { Text, Integer };

struct Argument {
    ArgKind Kind;
    std::string Text;
    long long Integer = 0;
};

// Reads the text left to right; every Read* either consumes what it read or fails.
class Scanner {
public:
    explicit Scanner(std::string_view text) : Text(text) {}

    bool AtEnd() const { return Pos >= Text.size(); }
    char Peek() const { return AtEnd() ? '\0' : Text[Pos]; }

    // Returns whether at least one blank was skipped.
    bool SkipBlanks() {
        const size_t start = Pos;
        while (!AtEnd() && (Text[Pos] == ' ' || Text[Pos] == '\t'))
            ++Pos;
        return Pos > start;
    }

    std::string_view ReadWord() {
        const size_t start = Pos;
        const auto isWordChar = [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                   c == '_';
        };
        while (!AtEnd() && isWordChar(Text[Pos]))
            ++Pos;
        return Text.substr(start, Pos - start);
    }

    bool Consume(char c) {
        if (Peek() != c || AtEnd())
            return false;
        ++Pos;
        return true;
    }

    std::optional<Argument> ReadArgument(std::string& error) {
        if (Peek() == '\'')
            return ReadQuoted(error);
        return ReadInteger(error);
    }

private:
    std::optional<Argument> ReadQuoted(std::string& error) {
        Argument arg{ArgKind::Text, {}, 0};
        ++Pos;
        while (!AtEnd()) {
            const char c = Text[Pos++];
            if (c != '\'') {
                arg.Text += c;
            } else if (Peek() == '\'') {
                arg.Text += '\'';
                ++Pos;
            } else {
                return arg;
            }
        }
        error = "unterminated quoted text";
        return std::nullopt;
    }

    std::optional<Argument> ReadInteger(std::string& error) {
        const size_t start = Pos;
        if (Peek() == '-')
            ++Pos;
        while (!AtEnd() && Text[Pos] >= '0' && Text[Pos] <= '9')
            ++Pos;
        const std::string_view digits = Text.substr(start, Pos - start);
        Argument arg{ArgKind::Integer, {}, 0};
        const auto [end, ec] =
            std::from_chars(digits.data(), digits.data() + digits.size(), arg.Integer);
        if (digits.empty() || digits == "-" || ec != std::errc() ||
            end != digits.data() + digits.size()) {
            error = ec == std::errc::result_out_of_range ? "integer argument too large"
                                                         : "expected a quoted text or an integer";
            return std::nullopt;
        }
        return arg;
    }

    std::string_view Text;
    size_t Pos = 0;
};

struct ProcedureShape {
    std::string_view Name;
    std::vector<ArgKind> Args;
};

const std::array<ProcedureShape, 4>& Procedures() {
    static const std::array<ProcedureShape, 4> shapes{{
        {"procInsertGrade", {ArgKind::Text, ArgKind::Text, ArgKind::Integer, ArgKind::Integer}},
        {"procInsertGrade",
         {ArgKind::Text, ArgKind::Text, ArgKind::Integer, ArgKind::Integer, ArgKind::Text}},
        {"procSelectGrade", {ArgKind::Text, ArgKind::Integer}},
        {"procSelectExeVersion", {}},
    }};
    return shapes;
}

ParsedCommand Refuse(std::string error) {
    ParsedCommand parsed;
    parsed.Error = std::move(error);
    return parsed;
}

ParsedCommand Accept(Command command) {
    ParsedCommand parsed;
    parsed.Ok = true;
    parsed.Value = std::move(command);
    return parsed;
}

// Arguments after the procedure name, up to the end of the text.
std::optional<std::vector<Argument>> ReadArguments(Scanner& scanner, std::string& error) {
    std::vector<Argument> args;
    while (!scanner.AtEnd()) {
        if (!args.empty() && !scanner.Consume(',')) {
            error = "expected a comma between arguments";
            return std::nullopt;
        }
        scanner.SkipBlanks();
        auto arg = scanner.ReadArgument(error);
        if (!arg)
            return std::nullopt;
        args.push_back(std::move(*arg));
        scanner.SkipBlanks();
    }
    return args;
}

bool MatchesShape(const std::vector<Argument>& args, const ProcedureShape& shape) {
    if (args.size() != shape.Args.size())
        return false;
    for (size_t i = 0; i < args.size(); ++i)
        if (args[i].Kind != shape.Args[i])
            return false;
    return true;
}

Command BuildCommand(std::string_view procedure, std::vector<Argument>& args) {
    if (procedure == "procInsertGrade")
        return InsertGrade{std::move(args[0].Text), std::move(args[1].Text), args[2].Integer,
                           args[3].Integer, args.size() > 4 ? std::move(args[4].Text) : ""};
    if (procedure == "procSelectGrade")
        return SelectGrade{std::move(args[0].Text), args[1].Integer};
    return SelectExeVersion{};
}

} // namespace

ParsedCommand ParseCommand(std::string_view text) {
    Scanner scanner(text);
    scanner.SkipBlanks();
    if (!EqualsIgnoringCase(scanner.ReadWord(), "exec") || !scanner.SkipBlanks())
        return Refuse("a command begins with exec and a blank");
    const std::string_view name = scanner.ReadWord();
    std::string_view procedure;
    for (const auto& candidate : Procedures())
        if (EqualsIgnoringCase(name, candidate.Name))
            procedure = candidate.Name;
    if (procedure.empty())
        return Refuse("unknown procedure");
    if (!scanner.SkipBlanks() && !scanner.AtEnd())
        return Refuse("expected a blank after the procedure name");
    std::string error;
    auto args = ReadArguments(scanner, error);
    if (!args)
        return Refuse(error);
    // A procedure may have more than one shape (an optional last argument).
    for (const auto& candidate : Procedures())
        if (candidate.Name == procedure && MatchesShape(*args, candidate))
            return Accept(BuildCommand(procedure, *args));
    return Refuse("wrong arguments for " + std::string(procedure));
}

} // namespace protocol
