#pragma once

#include <QDate>
#include <optional>

// The review schedule of wrongly answered questions: Leitner boxes. A wrong answer puts the
// question into box 1, due the next day. A right answer on or after the due day moves it one
// box up, due again after that box's interval; a right answer in the last box lets it leave
// the set. So a question leaves after being answered right on three days at least 1, 3 and 7
// days apart. A right answer before the due day changes nothing: spacing is the point.
struct TReviewCard {
    int Box = 1;
    QDate Due;
};

namespace ReviewSchedule {
constexpr int Boxes = 3;
// Days until a card of `box` (1 … Boxes) is due again.
int IntervalDays(int box);
} // namespace ReviewSchedule

// The card after an answer given `today`; nullopt when the question is (or stays) out of
// the set. `card` is nullopt for a question not in the set.
std::optional<TReviewCard> NextReviewCard(const std::optional<TReviewCard>& card, bool right,
                                          const QDate& today);
