#include "ui/windowlook.h"

#include <QWidget>

namespace look {

QPalette fixedPalette()
{
    const QColor face(0xF0, 0xF0, 0xF0), white(Qt::white), black(Qt::black), grey(0x80, 0x80, 0x80);
    QPalette p(black, face, white, QColor(0xA0, 0xA0, 0xA0), QColor(0xC0, 0xC0, 0xC0), black, white);
    p.setColor(QPalette::Button, face);
    p.setColor(QPalette::ButtonText, black);
    p.setColor(QPalette::AlternateBase, QColor(0xF5, 0xF5, 0xF5));
    p.setColor(QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xE1));
    p.setColor(QPalette::ToolTipText, black);
    p.setColor(QPalette::PlaceholderText, grey);
    p.setColor(QPalette::Highlight, QColor(0x00, 0x78, 0xD7));
    p.setColor(QPalette::HighlightedText, white);
    p.setColor(QPalette::Link, QColor(0x00, 0x00, 0xFF));
    p.setColor(QPalette::BrightText, white);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, grey);
    p.setColor(QPalette::Disabled, QPalette::Base, face);
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0xC0, 0xC0, 0xC0));
    return p;
}

void fixColours(QWidget *window)
{
    const QPalette fixed = fixedPalette();
    window->setPalette(fixed);
    // Under a style sheet of its own a control takes the application's
    // palette, not its window's: it gets the fixed one (its own colours are in
    // the style sheet). The others follow their window.
    for (QWidget *child : window->findChildren<QWidget *>())
        if (!child->styleSheet().isEmpty())
            child->setPalette(fixed);
}

void setTextColour(QWidget *control, const QColor &text, const QColor &background)
{
    QPalette p = control->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            p.setColor(group, role, text);
        if (background.isValid())
            p.setColor(group, QPalette::Base, background);
    }
    control->setPalette(p);
}

} // namespace look
