#pragma once
// Where windows open: the entry window on the screen it starts on, the dialogs
// centred over the entry window on its screen, and the preview at a size that
// fits. A window that fits its screen lies wholly on it; one that does not keeps
// its title bar and the buttons at its top right corner on the screen.
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace placement {

// The top-left corner of a frame of `frame` size centred on `over`, moved onto
// `area`: wholly inside when it fits, else top edge and right edge inside.
QPoint centredWithin(const QRect &over, const QSize &frame, const QRect &area);

// The frame the window system puts around a window: the real one once shown,
// else an estimate of a title bar and borders.
QMargins frameMargins(const QWidget *window);

// The available area of the screen `window` is on (or will open on).
QRect availableArea(const QWidget *window);

// Centres a top-level window on the available area of its screen.
void placeOnScreen(QWidget *window);
// Centres a window over `owner` (its frame) on the owner's screen; on its own
// screen when there is no owner.
void placeOver(QWidget *window, const QWidget *owner);
// The wanted size, made smaller where it would not fit on the screen of `window`
// with its frame.
QSize fittingSize(const QWidget *window, const QSize &wanted);

} // namespace placement
