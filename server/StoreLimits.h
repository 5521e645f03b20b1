#pragma once

#include "protocol/Limits.h"

#include <string>
#include <string_view>

// Limits of the texts the site stores, beside the grade limits of the protocol.
// A form post is url-encoded, nine bytes to a Chinese character: 800 characters and the
// contact fit within the 8 KiB the HTTP library admits for such a body.
inline constexpr protocol::Range kFeedbackMessageChars{1, 800};
inline constexpr protocol::Range kFeedbackContactChars{0, 50};
// The notice of the header banner; an empty notice shows none.
inline constexpr protocol::Range kNoticeChars{0, 60};

// A schema text with its limit names filled in, so that the table checks of both stores
// follow the limits above: "{EmpID}" becomes "1 AND 25", "{MaxGradeRows}" becomes "1000".
// The names are EmpID, EmpName, UseTime, Mark, Version, FeedbackContact, FeedbackMessage,
// Notice and MaxGradeRows; any other name in braces throws std::logic_error.
std::string WithLimits(std::string_view schema);

bool IsValidUtf8(std::string_view text);
// Characters of a valid UTF-8 text.
long CharacterCount(std::string_view text);

// Why a text is refused, or an empty text when it is fine: it must be valid UTF-8, hold
// `chars` characters, no control or format character, no line or paragraph separator and no
// noncharacter (line breaks and tabs allowed when `multiline`), and not only blanks.
std::string CheckText(const std::string& what, std::string_view text, protocol::Range chars,
                      bool multiline = false);
// The text without the Unicode blanks around it, as the study program trims what a learner
// types; invalid UTF-8 is returned as it is, for the checks to refuse.
std::string TrimBlanks(std::string_view text);

std::string CheckRange(const std::string& what, long long value, protocol::Range range);
