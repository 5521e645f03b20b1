#include "record/FavouritePage.h"

#include "record/LearnerRecord.h"

#include "record/RecordBank.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TFavouritePage::TFavouritePage(QWidget* parent)
    : TPage(QStringLiteral("tsFavourite"), QStringLiteral("我的收藏"), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    lblFavouriteCount = MakeRecordHeading(this, "lblFavouriteCount");
    sgFavourites =
        MakeRecordTable(this, "sgFavourites", {QStringLiteral("题号"), QStringLiteral("章节")});
    btnPractiseFavourites = new QPushButton(QStringLiteral("练习收藏"), this);
    btnPractiseFavourites->setObjectName(QStringLiteral("btnPractiseFavourites"));
    btnPractiseFavourites->setFixedSize(120, 33);
    layout->addWidget(lblFavouriteCount);
    layout->addWidget(sgFavourites, 1);
    layout->addWidget(btnPractiseFavourites, 0, Qt::AlignRight);
    connect(btnPractiseFavourites, &QPushButton::clicked, this,
            [this] { emit FavouritesStarted(SubIDs); });
}

void TFavouritePage::Reload() {
    const QList<TFavouriteEntry> favourites = LearnerRecord().Favourites();
    const QHash<int, QString> names = ChapterNames();
    SubIDs.clear();
    sgFavourites->setRowCount(0);
    for (const TFavouriteEntry& entry : favourites) {
        SubIDs.append(entry.SubID);
        AddRecordRow(sgFavourites,
                     {QString::number(entry.SubID), ChapterNameOf(names, entry.ChapterID)});
    }
    lblFavouriteCount->setText(
        favourites.isEmpty()
            ? QStringLiteral("还没有收藏的题：在试题练习页点“☆收藏”即可收藏当前题。")
            : QStringLiteral("已收藏 %1 题").arg(favourites.size()));
    btnPractiseFavourites->setEnabled(!favourites.isEmpty());
}
