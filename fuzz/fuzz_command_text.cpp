// Command texts as a client of the grade service may send them.
#include "FuzzCheck.h"
#include "protocol/CommandText.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

bool FitsInt(long long value) {
    return value >= INT_MIN && value <= INT_MAX;
}

// The text the client writes for an accepted command must parse back to the same command.
void CheckRoundTrip(const protocol::Command& command) {
    if (const auto* insert = std::get_if<protocol::InsertGrade>(&command)) {
        if (!FitsInt(insert->UseTime) || !FitsInt(insert->Mark))
            return;
        const auto again = protocol::ParseCommand(
            protocol::InsertGradeCommand(insert->EmpID, insert->EmpName, int(insert->UseTime),
                                         int(insert->Mark), insert->GradeKey));
        FUZZ_CHECK(again.Ok);
        const auto& parsed = std::get<protocol::InsertGrade>(again.Value);
        FUZZ_CHECK(parsed.EmpID == insert->EmpID && parsed.EmpName == insert->EmpName);
        FUZZ_CHECK(parsed.UseTime == insert->UseTime && parsed.Mark == insert->Mark);
        FUZZ_CHECK(parsed.GradeKey == insert->GradeKey);
    } else if (const auto* select = std::get_if<protocol::SelectGrade>(&command)) {
        if (!FitsInt(select->MinMark))
            return;
        const auto again = protocol::ParseCommand(
            protocol::SelectGradeCommand(select->EmpID, int(select->MinMark)));
        FUZZ_CHECK(again.Ok);
        const auto& parsed = std::get<protocol::SelectGrade>(again.Value);
        FUZZ_CHECK(parsed.EmpID == select->EmpID && parsed.MinMark == select->MinMark);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const protocol::ParsedCommand parsed = protocol::ParseCommand(text);
    if (parsed.Ok)
        CheckRoundTrip(parsed.Value);
    else
        FUZZ_CHECK(!parsed.Error.empty());
    return 0;
}
