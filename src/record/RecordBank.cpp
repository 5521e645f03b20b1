#include "record/RecordBank.h"

#include "app/Look.h"
#include "data/TQuery.h"
#include "data/uProc.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

QHash<int, QString> ChapterNames() {
    TQuery chapters;
    QHash<int, QString> names;
    if (!ExecLocalSQL(chapters,
                      QStringLiteral("select ChapterID, ChapterMark, ChapterName from Chapter"),
                      QStringLiteral("open"), false))
        return names;
    for (const QVariantList& row : chapters.Rows)
        names.insert(row.value(0).toInt(),
                     row.value(1).toString() + QStringLiteral(".") + row.value(2).toString());
    return names;
}

QString ChapterNameOf(const QHash<int, QString>& names, int chapterID) {
    return names.value(chapterID, QStringLiteral("第%1章").arg(chapterID));
}

QHash<int, int> ChapterWeights(const TDriverInfo& driver) {
    TQuery counts;
    QHash<int, int> weights;
    const QString sql =
        QStringLiteral("select Chapter.ChapterID, count(distinct Sub.SubID) from Sub inner join "
                       "Chapter on Sub.ChapterID=Chapter.ChapterID where (CarTypeSubID = -1 and "
                       "AreaSubID = -1) or (CarTypeSubID = %1) or (AreaSubID = %2) group by "
                       "Chapter.ChapterID")
            .arg(driver.SubCarTypeID)
            .arg(driver.SubAreaID);
    if (!ExecLocalSQL(counts, sql, QStringLiteral("open"), false))
        return weights;
    for (const QVariantList& row : counts.Rows)
        weights.insert(row.value(0).toInt(), row.value(1).toInt());
    return weights;
}

QString SubSetExtra(const QList<int>& subIDs) {
    QStringList ids;
    for (int id : subIDs)
        ids.append(QString::number(id));
    // An empty set must select nothing, not everything.
    return QStringLiteral("and Sub.SubID in (") +
           (ids.isEmpty() ? QStringLiteral("-1") : ids.join(',')) + QStringLiteral(")");
}

QTableWidget* MakeRecordTable(QWidget* parent, const char* name, const QStringList& captions) {
    auto* table = new QTableWidget(0, int(captions.size()), parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setHorizontalHeaderLabels(captions);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setFont(Look::SongFont(14));
    return table;
}

void AddRecordRow(QTableWidget* table, const QStringList& texts) {
    const int row = table->rowCount();
    table->insertRow(row);
    for (int column = 0; column < texts.size(); ++column)
        table->setItem(row, column, new QTableWidgetItem(texts[column]));
}

QLabel* MakeRecordHeading(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(Look::SongFont(18, true));
    label->setWordWrap(true);
    return label;
}
