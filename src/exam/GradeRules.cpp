#include "exam/GradeRules.h"

#include <QDateTime>

int GradePageCount(int rows) {
    return rows <= 0 ? 0 : (rows + GradePageRows - 1) / GradePageRows;
}

int GradePageFirstRow(int page) {
    return (page - 1) * GradePageRows + 1;
}

int GradePageLastRow(int page, int rows) {
    return qMin(page * GradePageRows, rows);
}

QStringList GradePageItems(int pages) {
    QStringList items;
    for (int p = 1; p <= pages; ++p)
        items.append(QString::number(p) + QStringLiteral("/") + QString::number(pages));
    return items;
}

int GradePageOfItem(const QString& item) {
    return item.section(QLatin1Char('/'), 0, 0).toInt();
}

TPageButtons GradePageButtons(int page, int pages) {
    if (pages <= 1)
        return {false, false};
    return {page > 1, page < pages};
}

QString UseTimeText(int seconds) {
    return QString::number(seconds / 60) + QStringLiteral("分") + QString::number(seconds % 60) +
           QStringLiteral("秒");
}

QString ReferDateText(const QString& stored) {
    const QDateTime at = QDateTime::fromString(stored, Qt::ISODate);
    if (!at.isValid())
        return stored;
    return at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString RecordCountText(int rows) {
    return QStringLiteral("共") + QString::number(rows) + QStringLiteral("条记录，每页17条记录");
}
