#include "app/AppIcons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

QIcon NavigationIcon(const QString& glyph, const QColor& colour) {
    QPixmap tile(40, 40);
    tile.fill(Qt::transparent);
    QPainter painter(&tile);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient shade(0, 0, 0, 40);
    shade.setColorAt(0, colour.lighter(140));
    shade.setColorAt(1, colour);
    painter.setBrush(shade);
    painter.setPen(QPen(colour.darker(130), 1));
    painter.drawRoundedRect(QRectF(1.5, 1.5, 37, 37), 8, 8);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(22);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(tile.rect(), Qt::AlignCenter, glyph);
    return QIcon(tile);
}

QIcon ApplicationIcon() {
    return NavigationIcon(QStringLiteral("V"), QColor(0x2E, 0x6C, 0xC0));
}
