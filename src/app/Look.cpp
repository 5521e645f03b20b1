#include "app/Look.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

namespace Look {

QFont SongFont(int pixels, bool bold) {
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont SongPointFont(int points, bool bold) {
    QFont font(QStringLiteral("宋体"));
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

void UseSongFace() {
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC"));
    QApplication::setFont(SongFont(14));
}

void Paint(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QWidget* ColouredPanel(const QString& name, const QColor& colour, QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    Paint(panel, colour);
    return panel;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    return Place(new QLabel(text, parent), name, geometry);
}

QLabel* MakeMark(QWidget* parent, const char* name, const QRect& geometry, int pixels,
                 const QColor& colour) {
    QLabel* label = MakeLabel(parent, name, QString(), geometry);
    label->setFont(SongFont(pixels, true));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    return label;
}

} // namespace Look
