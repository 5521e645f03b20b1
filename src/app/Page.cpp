#include "app/Page.h"

TPage::TPage(const QString& name, const QString& caption, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setWindowTitle(caption);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
}
