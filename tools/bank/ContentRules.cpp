#include "ContentRules.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <functional>

namespace {

constexpr double SimilarStemShare = 0.75; // shared character pairs of two stems
constexpr int ShortestComparedStem = 10;

int LetterIndex(const QString& answer) {
    return answer.size() == 1 ? answer[0].unicode() - u'A' : -1;
}

// Compares the key's length with every other option's; false unless the key is one of them.
template <typename Longer> bool KeyBeatsOthers(const ContentQuestion& q, Longer longer) {
    const int key = LetterIndex(q.Answer);
    if (!q.Choice || key < 0 || key >= q.Options.size())
        return false;
    const qsizetype keyLength = q.Options[key].trimmed().size();
    for (int i = 0; i < q.Options.size(); ++i)
        if (i != key && !longer(keyLength, q.Options[i].trimmed().size()))
            return false;
    return true;
}

QString Squeezed(const QString& text) {
    QString squeezed;
    for (QChar c : text)
        if (!c.isSpace() && !c.isPunct())
            squeezed.append(c);
    return squeezed;
}

QSet<QString> CharacterPairs(const QString& text) {
    QSet<QString> pairs;
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        pairs.insert(text.mid(i, 2));
    return pairs;
}

QList<QList<qlonglong>> GroupsOf(const QList<ContentQuestion>& questions,
                                 const std::function<QString(const ContentQuestion&)>& key) {
    QMap<QString, QList<qlonglong>> byKey;
    for (const ContentQuestion& q : questions) {
        const QString k = key(q);
        if (!k.isEmpty() && !byKey[k].contains(q.SubId))
            byKey[k].append(q.SubId);
    }
    QList<QList<qlonglong>> groups;
    for (const QList<qlonglong>& group : byKey)
        if (group.size() > 1)
            groups.append(group);
    return groups;
}

QString DuplicateKey(const ContentQuestion& q) {
    return QString::number(q.Chapter) + u'\n' + Squeezed(q.Stem) + u'\n' + q.Picture;
}

} // namespace

bool KeyIsLongest(const ContentQuestion& q) {
    return KeyBeatsOthers(q, [](qsizetype key, qsizetype other) { return key > other; });
}

bool KeyOverTwice(const ContentQuestion& q) {
    return KeyBeatsOthers(q, [](qsizetype key, qsizetype other) { return key > 2 * other; });
}

ContentFigures MeasureContent(const QList<ContentQuestion>& questions) {
    ContentFigures figures;
    for (const ContentQuestion& q : questions) {
        if (q.Choice) {
            ++figures.Choices;
            ++figures.Letters[q.Answer];
            figures.KeyLongest += KeyIsLongest(q);
            figures.KeyOverTwice += KeyOverTwice(q);
        } else {
            ++figures.TrueFalse;
            figures.True += q.Answer == QStringLiteral("对");
        }
    }
    return figures;
}

QList<QList<qlonglong>> DuplicateStems(const QList<ContentQuestion>& questions) {
    return GroupsOf(questions, DuplicateKey);
}

QList<std::pair<qlonglong, qlonglong>>
UngroupedRepeats(const QList<ContentQuestion>& questions,
                 const std::function<bool(qlonglong, qlonglong)>& SharePaper,
                 const QHash<qlonglong, QString>& Groups) {
    QHash<QString, QList<const ContentQuestion*>> byStem;
    for (const ContentQuestion& q : questions)
        byStem[Squeezed(q.Stem) + u'\n' + q.Picture].append(&q);
    QList<std::pair<qlonglong, qlonglong>> repeats;
    for (const auto& same : std::as_const(byStem))
        for (qsizetype i = 0; i < same.size(); ++i)
            for (qsizetype j = i + 1; j < same.size(); ++j) {
                const ContentQuestion& a = *same[i];
                const ContentQuestion& b = *same[j];
                const QString group = Groups.value(a.SubId);
                if (a.SubId == b.SubId || a.Chapter == b.Chapter ||
                    !SharePaper(a.Chapter, b.Chapter) ||
                    (!group.isEmpty() && group == Groups.value(b.SubId)))
                    continue;
                repeats.append(std::minmax(a.SubId, b.SubId));
            }
    std::sort(repeats.begin(), repeats.end());
    repeats.erase(std::unique(repeats.begin(), repeats.end()), repeats.end());
    return repeats;
}

QList<QList<qlonglong>> SamePicture(const QList<ContentQuestion>& questions) {
    return GroupsOf(questions, [](const ContentQuestion& q) {
        return q.Picture.isEmpty() ? QString() : QString::number(q.Chapter) + u'\n' + q.Picture;
    });
}

QList<std::pair<qlonglong, qlonglong>> SimilarStems(const QList<ContentQuestion>& questions) {
    QHash<qlonglong, QList<std::pair<const ContentQuestion*, QSet<QString>>>> byChapter;
    for (const ContentQuestion& q : questions) {
        const QString stem = Squeezed(q.Stem);
        if (stem.size() >= ShortestComparedStem)
            byChapter[q.Chapter].append({&q, CharacterPairs(stem)});
    }
    QList<std::pair<qlonglong, qlonglong>> similar;
    for (const auto& chapter : std::as_const(byChapter))
        for (qsizetype i = 0; i < chapter.size(); ++i)
            for (qsizetype j = i + 1; j < chapter.size(); ++j) {
                const auto& [a, pairsA] = chapter[i];
                const auto& [b, pairsB] = chapter[j];
                if (a->SubId == b->SubId || DuplicateKey(*a) == DuplicateKey(*b) ||
                    a->Picture != b->Picture)
                    continue;
                const qsizetype shared = QSet<QString>(pairsA).intersect(pairsB).size();
                const qsizetype all = pairsA.size() + pairsB.size() - shared;
                if (all > 0 && shared >= SimilarStemShare * all)
                    similar.append({a->SubId, b->SubId});
            }
    std::sort(similar.begin(), similar.end());
    return similar;
}

bool HasSourceDate(const QString& source) {
    static const QRegularExpression date(
        QStringLiteral("(?<!\\d)(19|20)\\d\\d-[01]\\d-[0-3]\\d(?!\\d)"));
    return date.match(source).hasMatch();
}

bool NamesPolicy(const QString& source) {
    static const QRegularExpression policy(QStringLiteral("条例|办法|规定|通告|通知|决定|法|令"));
    return policy.match(source).hasMatch();
}
