#include "record/ReviewSchedule.h"

#include <algorithm>

namespace ReviewSchedule {

int IntervalDays(int box) {
    static constexpr int Days[Boxes] = {1, 3, 7};
    return Days[std::clamp(box, 1, Boxes) - 1];
}

} // namespace ReviewSchedule

std::optional<TReviewCard> NextReviewCard(const std::optional<TReviewCard>& card, bool right,
                                          const QDate& today) {
    if (!right)
        return TReviewCard{1, today.addDays(ReviewSchedule::IntervalDays(1))};
    if (!card || today < card->Due)
        return card;
    if (card->Box >= ReviewSchedule::Boxes)
        return std::nullopt;
    const int box = card->Box + 1;
    return TReviewCard{box, today.addDays(ReviewSchedule::IntervalDays(box))};
}
