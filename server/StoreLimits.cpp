#include "StoreLimits.h"

#include <cstdio>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <utility>

namespace {

std::string Between(protocol::Range range) {
    return std::to_string(range.Low) + " AND " + std::to_string(range.High);
}

std::string LimitText(std::string_view name) {
    static const std::pair<std::string_view, std::string> kLimits[] = {
        {"EmpID", Between(protocol::kEmpIdChars)},
        {"EmpName", Between(protocol::kEmpNameChars)},
        {"UseTime", Between(protocol::kUseTimeSeconds)},
        {"Mark", Between(protocol::kMark)},
        {"Version", Between(protocol::kVersionChars)},
        {"FeedbackContact", Between(kFeedbackContactChars)},
        {"FeedbackMessage", Between(kFeedbackMessageChars)},
        {"Notice", Between(kNoticeChars)},
        {"MaxGradeRows", std::to_string(protocol::kMaxGradeRows)},
    };
    for (const auto& [known, text] : kLimits)
        if (known == name)
            return text;
    throw std::logic_error("unknown limit {" + std::string(name) + "} in a schema");
}

// Decodes the code point at `i` of a valid UTF-8 text and moves `i` past it.
char32_t NextCodePoint(std::string_view text, size_t& i) {
    const unsigned char lead = text[i];
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k)
        code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += length;
    return code;
}

struct CodeRange {
    char32_t First;
    char32_t Last;
};

bool InRanges(char32_t code, std::initializer_list<CodeRange> ranges) {
    for (const auto& range : ranges)
        if (code >= range.First && code <= range.Last)
            return true;
    return false;
}

// Controls (C0, DEL, C1), format characters (invisible marks and the bidirectional
// overrides that reorder what a reader sees), the line and paragraph separators, and the
// noncharacters: none of them belongs in an ID, a name or a line of the log.
bool IsRefusedCharacter(char32_t code) {
    if (code < 0x20 || (code >= 0x7F && code <= 0x9F))
        return true;
    if ((code & 0xFFFE) == 0xFFFE || (code >= 0xFDD0 && code <= 0xFDEF))
        return true;
    return InRanges(code,
                    {{0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
                     {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
                     {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
                     {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
                     {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
                     {0xE0020, 0xE007F}});
}

// The blanks the study program trims from what a learner types (Unicode white space).
bool IsBlank(char32_t code) {
    return code == 0x20 || (code >= 0x09 && code <= 0x0D) || code == 0x85 || code == 0xA0 ||
           code == 0x1680 || (code >= 0x2000 && code <= 0x200A) || code == 0x2028 ||
           code == 0x2029 || code == 0x202F || code == 0x205F || code == 0x3000;
}

// The first refused character of a valid UTF-8 text; line breaks and tabs pass when
// `multiline`. Returns nothing when there is none.
std::optional<char32_t> FirstRefusedCharacter(std::string_view text, bool multiline) {
    for (size_t i = 0; i < text.size();) {
        const char32_t code = NextCodePoint(text, i);
        const bool lineBreak = code == '\n' || code == '\t';
        if (IsRefusedCharacter(code) && !(multiline && lineBreak))
            return code;
    }
    return std::nullopt;
}

bool IsAllBlank(std::string_view text) {
    for (size_t i = 0; i < text.size();)
        if (!IsBlank(NextCodePoint(text, i)))
            return false;
    return true;
}

std::string CodePointName(char32_t code) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
    return name;
}

} // namespace

std::string WithLimits(std::string_view schema) {
    std::string filled;
    size_t at = 0;
    while (at < schema.size()) {
        const size_t open = schema.find('{', at);
        const size_t close = open == std::string_view::npos ? open : schema.find('}', open);
        if (close == std::string_view::npos) {
            filled += schema.substr(at);
            break;
        }
        filled += schema.substr(at, open - at);
        filled += LimitText(schema.substr(open + 1, close - open - 1));
        at = close + 1;
    }
    return filled;
}

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = text[i];
        int length = lead < 0x80           ? 1
                     : (lead >> 5) == 0x6  ? 2
                     : (lead >> 4) == 0xE  ? 3
                     : (lead >> 3) == 0x1E ? 4
                                           : 0;
        if (length == 0 || i + length > text.size())
            return false;
        unsigned long code = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const unsigned char next = text[i + k];
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr unsigned long kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

long CharacterCount(std::string_view text) {
    long count = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            ++count;
    return count;
}

std::string CheckText(const std::string& what, std::string_view text, protocol::Range chars,
                      bool multiline) {
    if (!IsValidUtf8(text))
        return what + " is not valid UTF-8";
    if (const auto refused = FirstRefusedCharacter(text, multiline))
        return what + " holds the control or format character " + CodePointName(*refused);
    if (!chars.Holds(CharacterCount(text)))
        return what + " must have " + std::to_string(chars.Low) + " to " +
               std::to_string(chars.High) + " characters";
    if (!text.empty() && IsAllBlank(text))
        return what + " holds only blanks";
    return {};
}

std::string TrimBlanks(std::string_view text) {
    if (!IsValidUtf8(text))
        return std::string(text);
    size_t first = 0;
    size_t end = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t at = i;
        if (!IsBlank(NextCodePoint(text, i))) {
            if (end == 0)
                first = at;
            end = i;
        }
    }
    return std::string(text.substr(first, end - first));
}

std::string CheckRange(const std::string& what, long long value, protocol::Range range) {
    if (!range.Holds(value))
        return what + " must lie between " + std::to_string(range.Low) + " and " +
               std::to_string(range.High);
    return {};
}
