#pragma once

// The limits of a grade, shared by the study program, the service's argument checks and the
// table checks of both stores, so that a value one side accepts the others accept too.
namespace protocol {

struct Range {
    long long Low;
    long long High;
    constexpr bool Holds(long long value) const { return value >= Low && value <= High; }
};

// Characters (not bytes) of the ID number and of the name of a grade.
inline constexpr Range kEmpIdChars{1, 25};
inline constexpr Range kEmpNameChars{1, 20};
// Seconds used: the 45 minutes of a mock exam at most.
inline constexpr Range kUseTimeSeconds{0, 45 * 60};
// A mark, and the minimum mark of a grade query.
inline constexpr Range kMark{0, 100};
// Characters of a program version text such as "V1.4".
inline constexpr Range kVersionChars{1, 20};
// Rows a grade query returns at most.
inline constexpr int kMaxGradeRows = 1000;

} // namespace protocol
