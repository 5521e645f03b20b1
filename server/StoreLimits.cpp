#include "StoreLimits.h"

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

// C0 controls and DEL, and the C1 controls U+0080-U+009F (C2 80 - C2 9F in UTF-8), which
// some terminals obey as escapes.
bool HoldsControlCharacter(std::string_view text, bool multiline) {
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = text[i];
        const bool lineBreak = c == '\n' || c == '\t';
        if ((c < 0x20 || c == 0x7F) && !(multiline && lineBreak))
            return true;
        if (c == 0xC2 && i + 1 < text.size() && (unsigned char)text[i + 1] < 0xA0)
            return true;
    }
    return false;
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
    if (HoldsControlCharacter(text, multiline))
        return what + " holds a control character";
    if (!chars.Holds(CharacterCount(text)))
        return what + " must have " + std::to_string(chars.Low) + " to " +
               std::to_string(chars.High) + " characters";
    return {};
}

std::string CheckRange(const std::string& what, long long value, protocol::Range range) {
    if (!range.Holds(value))
        return what + " must lie between " + std::to_string(range.Low) + " and " +
               std::to_string(range.High);
    return {};
}
