#pragma once
// The windows whose layout fixes their colours (green, teal and purple texts,
// aqua and lime fields) fix their backgrounds too: the light button-face and
// white of their design, so that they read the same under a dark desktop theme.
#include <QPalette>

class QWidget;

namespace look {

// Button face, white fields, black text, grey disabled text, a blue selection.
QPalette fixedPalette();

// Gives a window and every control in it the fixed palette; call it once the
// controls are made.
void fixColours(QWidget *window);

// A control's own text colour, the same whether it can be typed into or not;
// with a background, the field's own too. Set on the control's palette, so
// that the rest of it follows its window.
void setTextColour(QWidget *control, const QColor &text, const QColor &background = QColor());

} // namespace look
