#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;

// The look shared by the program's windows and pages: its colours, its fonts and the small
// helpers that build coloured panels and placed controls.
namespace Look {

// The window, the navigation column and the upper panel of the practice page.
inline constexpr QColor WindowColour(0xE8, 0xF0, 0xF8);
// The header strip, the frame around the page area and the path bar.
inline constexpr QColor FrameColour(0xC0, 0xDC, 0xFF);
// The lower panel of the practice page.
inline constexpr QColor LowerPanelColour(0xF0, 0xFB, 0xFF);
inline constexpr QColor PageColour(0xFF, 0xFF, 0xFF);

// 宋体 at a pixel height (the design's sizes are pixels, not points).
QFont SongFont(int pixels, bool bold = false);
// The same face sized in points, for texts that follow the screen's resolution.
QFont SongPointFont(int points, bool bold = false);
// Maps 宋体 onto the installed CJK serif face and makes it the application's font at 14 pixels.
void UseSongFace();

// Fills the widget's background, and the base of its text areas, with one colour.
void Paint(QWidget* widget, const QColor& colour);
// A panel of one colour named `name`.
QWidget* ColouredPanel(const QString& name, const QColor& colour, QWidget* parent);

// Names a control after its design name and puts it at `geometry`.
template <typename Control>
Control* Place(Control* control, const char* name, const QRect& geometry) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
}
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry);
// A bold label of one colour, for marks such as the answer letters.
QLabel* MakeMark(QWidget* parent, const char* name, const QRect& geometry, int pixels,
                 const QColor& colour);

} // namespace Look
