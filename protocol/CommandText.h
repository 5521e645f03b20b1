#pragma once

#include <string>
#include <string_view>
#include <variant>

// Command texts of the grade service: stored-procedure calls written as text, e.g.
//   exec procInsertGrade '123','a''b',1800,95
// The builders write them exactly as the study program sends them; the parser accepts
// exactly this grammar and nothing else.
namespace protocol {

// A text in single quotes with every single quote inside doubled: a'b -> 'a''b'.
std::string QuoteText(std::string_view text);

// With a grade key the command carries it as a fifth text; the service stores a grade of a
// known key only once, so a client may send the same grade again until it is acknowledged.
std::string InsertGradeCommand(std::string_view empId, std::string_view empName, int useTime,
                               int mark, std::string_view gradeKey = {});
std::string SelectGradeCommand(std::string_view empId, int minMark);
// "exec procSelectExeVersion " with its trailing blank and no arguments.
std::string SelectExeVersionCommand();

// Compares ASCII letters without regard to case, every other byte exactly.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

struct InsertGrade {
    std::string EmpID;
    std::string EmpName;
    long long UseTime = 0;
    long long Mark = 0;
    std::string GradeKey; // empty when the client sent none
};
struct SelectGrade {
    std::string EmpID;
    long long MinMark = 0;
};
struct SelectExeVersion {};

using Command = std::variant<InsertGrade, SelectGrade, SelectExeVersion>;

struct ParsedCommand {
    bool Ok = false;
    Command Value;
    std::string Error; // why the text was refused, when !Ok
};

// Grammar: blanks? "exec" blanks procedure (blanks args)? blanks?, keyword and procedure
// name without regard to case; args are quoted texts and decimal integers (optional minus
// sign) separated by commas, blanks allowed around them. The argument kinds and their
// number must match the procedure. Values are not range-checked here.
ParsedCommand ParseCommand(std::string_view text);

} // namespace protocol
