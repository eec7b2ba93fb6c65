#include "ui/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace placement {

namespace {

// Integer halves as the window has always been centred, then clamped so that the
// top edge comes before the bottom edge and the right edge before the left one.
int clampedStart(int centred, int size, int areaStart, int areaSize, bool keepEnd)
{
    if (size <= areaSize)
        return std::clamp(centred, areaStart, areaStart + areaSize - size);
    return keepEnd ? areaStart + areaSize - size : areaStart;
}

QSize frameSize(const QWidget *window, const QMargins &margins)
{
    return window->isVisible() ? window->frameGeometry().size() : window->size().grownBy(margins);
}

QScreen *screenOf(const QWidget *window)
{
    if (window) {
        if (QScreen *screen = window->screen())
            return screen;
    }
    return QGuiApplication::primaryScreen();
}

} // namespace

QPoint centredWithin(const QRect &over, const QSize &frame, const QRect &area)
{
    const int x = over.x() + (over.width() - frame.width()) / 2;
    const int y = over.y() + (over.height() - frame.height()) / 2;
    return {clampedStart(x, frame.width(), area.x(), area.width(), true),
            clampedStart(y, frame.height(), area.y(), area.height(), false)};
}

QMargins frameMargins(const QWidget *window)
{
    if (QWindow *handle = window->windowHandle()) {
        const QMargins margins = handle->frameMargins();
        if (!margins.isNull())
            return margins;
    }
    // Before the first show the window system has not said: a title bar of the
    // style's height and thin borders, in the window's own (scaled) pixels.
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    return {4, title + 4, 4, 4};
}

QRect availableArea(const QWidget *window)
{
    QScreen *screen = screenOf(window);
    return screen ? screen->availableGeometry() : QRect();
}

void placeOnScreen(QWidget *window)
{
    const QRect area = availableArea(window);
    if (area.isEmpty())
        return;
    window->move(centredWithin(area, frameSize(window, frameMargins(window)), area));
}

void placeOver(QWidget *window, const QWidget *owner)
{
    if (!owner) {
        placeOnScreen(window);
        return;
    }
    const QRect area = availableArea(owner);
    if (area.isEmpty())
        return;
    if (window->screen() != owner->screen())
        window->setScreen(owner->screen());
    // A dialog not yet shown will get the frame its owner has.
    const QMargins margins = window->isVisible() || !owner->isVisible() ? frameMargins(window) : frameMargins(owner);
    const QRect over(owner->pos(), frameSize(owner, frameMargins(owner)));
    window->move(centredWithin(over, frameSize(window, margins), area));
}

QSize fittingSize(const QWidget *window, const QSize &wanted)
{
    const QRect area = availableArea(window);
    if (area.isEmpty())
        return wanted;
    const QMargins margins = frameMargins(window);
    return wanted.boundedTo(area.size().shrunkBy(margins));
}

} // namespace placement
