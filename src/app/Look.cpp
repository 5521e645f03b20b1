#include "app/Look.h"

#include <QFontDatabase>
#include <QLabel>
#include <QWidget>

namespace Look {

const QString& SongFamily() {
    // Resolved once: a font of a family the database lacks makes every new size and
    // weight miss, then search fontconfig for an alias and for fallbacks.
    static const QString family = [] {
        const QString song = QStringLiteral("宋体");
        const QString noto = QStringLiteral("Noto Serif CJK SC");
        return QFontDatabase::hasFamily(song) || !QFontDatabase::hasFamily(noto) ? song : noto;
    }();
    return family;
}

QFont SongFont(int pixels, bool bold) {
    QFont font(SongFamily());
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont SongPointFont(int points, bool bold) {
    QFont font(SongFamily());
    font.setPointSize(points);
    font.setBold(bold);
    return font;
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
