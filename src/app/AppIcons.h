#pragma once

#include <QColor>
#include <QIcon>

// The program's own icons, drawn in code: a coloured tile with one character on it.
QIcon NavigationIcon(const QString& glyph, const QColor& colour);
QIcon ApplicationIcon();
