#include "exam/PaperRules.h"

#include "data/TQuery.h"

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

QString FormDraw(int draw, const QString& chapter, int form) {
    return QStringLiteral("select * from (select top ") + QString::number(draw) +
           QStringLiteral(" s.* ") +
           QStringLiteral("from Sub s inner join (select min(Sub.ID) as SelID,Sub.SubID ") +
           QStringLiteral("from Sub inner join Chapter on Sub.ChapterID=Chapter.ChapterID ") +
           QStringLiteral("where Chapter.ChapterID=") + chapter +
           (form == 1 ? QStringLiteral(" ") + QStringLiteral("and SubFormatID=1 group by "
                                                             "Sub.SubID) p on s.ID=p.SelID ")
                      : QStringLiteral(" and SubFormatID=2 group by Sub.SubID) p on "
                                       "s.ID=p.SelID ")) +
           QStringLiteral("order by rnd(s.SubID)) a") + QString::number(form) + QStringLiteral(" ");
}

} // namespace

QString PaperSQL(const QList<TChapterCount>& entries) {
    QString sql = QStringLiteral("select * from (");
    for (qsizetype k = 0; k < entries.size(); ++k) {
        const QString chapter = QString::number(entries[k].ChapterID);
        if (k > 0)
            sql += QStringLiteral("union all\n");
        sql += FormDraw(FormOneDraw(entries[k].Count), chapter, 1) + QStringLiteral("\n") +
               QStringLiteral("union all ") + QStringLiteral("\n");
        sql += FormDraw(FormTwoDraw(entries[k].Count), chapter, 2) + QStringLiteral("\n");
    }
    return sql + QStringLiteral(") ls order by SubFormatID desc,rnd(SubID)");
}
