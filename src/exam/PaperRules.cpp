#include "exam/PaperRules.h"

#include "data/TQuery.h"

#include <QSet>

#include <algorithm>

QString PaperCountSQL(int carTypeID, int areaID) {
    const QString c = QString::number(carTypeID);
    return QStringLiteral("select ChapterID,CardTypeIDCount") + c +
           QStringLiteral(" as CardTypeIDCount from Chapter where (CarTypeSubID = -1 and "
                          "AreaSubID = -1) ") +
           QStringLiteral("or (CarTypeSubID = ") + c + QStringLiteral(")") +
           QStringLiteral("or (AreaSubID = ") + QString::number(areaID) +
           QStringLiteral(") order by ChapterID");
}

QList<TChapterCount> ChapterCounts(const TQuery& counts, int areaID) {
    const int chapterColumn = counts.FieldIndex(QStringLiteral("ChapterID"));
    const int countColumn = counts.FieldIndex(QStringLiteral("CardTypeIDCount"));
    QList<TChapterCount> entries;
    if (chapterColumn < 0 || countColumn < 0)
        return entries;
    for (const QVariantList& row : counts.Rows) {
        TChapterCount entry{row.value(chapterColumn).toInt(), row.value(countColumn).toInt()};
        if (areaID == 1 && entry.ChapterID == 1)
            entry.Count += 5;
        entries.append(entry);
    }
    return entries;
}

int FormOneDraw(int count) {
    return count > 0 ? count * 3 / 5 : 0;
}

int FormTwoDraw(int count) {
    return count > 0 ? count * 2 / 5 : 0;
}

namespace {

QString FormDraw(const QString& chapter, int form) {
    return QStringLiteral("select s.* from Sub s inner join (select min(ID) as SelID,SubID "
                          "from Sub where ChapterID=") +
           chapter + QStringLiteral(" and SubFormatID=") + QString::number(form) +
           QStringLiteral(" group by SubID) p on s.ID=p.SelID\n");
}

} // namespace

QString PaperSQL(const QList<TChapterCount>& entries) {
    QStringList draws;
    for (const TChapterCount& entry : entries)
        for (int form : {1, 2})
            draws.append(FormDraw(QString::number(entry.ChapterID), form));
    return QStringLiteral("select * from (") + draws.join(QStringLiteral("union all\n")) +
           QStringLiteral(") ls order by SubFormatID desc,rnd(SubID)");
}

QString RelatedGroupsSQL() {
    return QStringLiteral("select SubID,RelatedGroup from SubRelated");
}

TRelatedGroups RelatedGroups(const TQuery& rows) {
    TRelatedGroups groups;
    const int subColumn = rows.FieldIndex(QStringLiteral("SubID"));
    const int groupColumn = rows.FieldIndex(QStringLiteral("RelatedGroup"));
    if (subColumn < 0 || groupColumn < 0)
        return groups;
    for (const QVariantList& row : rows.Rows)
        groups.insert(row.value(subColumn).toLongLong(), row.value(groupColumn).toString());
    return groups;
}

void PickPaper(TQuery& candidates, const QList<TChapterCount>& entries,
               const TRelatedGroups& groups) {
    const int subColumn = candidates.FieldIndex(QStringLiteral("SubID"));
    const int chapterColumn = candidates.FieldIndex(QStringLiteral("ChapterID"));
    const int formColumn = candidates.FieldIndex(QStringLiteral("SubFormatID"));
    if (subColumn < 0 || chapterColumn < 0 || formColumn < 0) {
        candidates.Rows.clear();
        return;
    }
    QHash<std::pair<int, int>, int> left; // per chapter and form: questions still to draw
    for (const TChapterCount& entry : entries) {
        left[{entry.ChapterID, 1}] += FormOneDraw(entry.Count);
        left[{entry.ChapterID, 2}] += FormTwoDraw(entry.Count);
    }
    QSet<qlonglong> taken;
    QSet<QString> takenGroups;
    QList<QVariantList> paper;
    for (const QVariantList& row : std::as_const(candidates.Rows)) {
        const qlonglong subId = row.value(subColumn).toLongLong();
        int& wanted = left[{row.value(chapterColumn).toInt(), row.value(formColumn).toInt()}];
        const QList<QString> related = groups.values(subId);
        const bool clash = std::any_of(related.begin(), related.end(),
                                       [&](const QString& g) { return takenGroups.contains(g); });
        if (wanted <= 0 || taken.contains(subId) || clash)
            continue;
        --wanted;
        taken.insert(subId);
        for (const QString& group : related)
            takenGroups.insert(group);
        paper.append(row);
    }
    candidates.Rows = paper;
    candidates.First();
}
