#pragma once
// The help of every key and command of the program's windows: F1 in any of
// them (the entry window, the search dialogs, the voucher finder) opens one
// Korean help window over it; Esc or "닫기" closes it and the window it came
// from has the focus again.
#include <QString>

class QWidget;

namespace help {

// The help as the window shows it (HTML).
QString keysText();
// Shows the help window over `from` (front, active); the same window each time.
void show(QWidget *from);
// F1 opens the help from every window of the program (an application-wide
// key filter); installed once by the window set.
void installKey();
// The help window while it exists (for tests), else nullptr.
QWidget *window();

} // namespace help
