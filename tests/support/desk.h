#pragma once
// The program's windows on a real X display, driven the way a clerk drives
// them: keys and clicks go through the X server (xdotool), the window manager
// decides focus and activation, and every message box is a real QMessageBox
// answered by a key press once it is the active window. Used by the tests of
// tests/display, which tests/display/on-display.sh starts on a display of their
// own.
#include "support/testdb.h"

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

class EntryWindow;
class QMessageBox;
class QTableView;

// Answers every message box that becomes the active window by a key press
// (Return unless told otherwise for a text), and keeps what each said. Any
// other modal window (the print preview) is closed with Esc once active, and
// its title kept.
class BoxAnswerer : public QObject
{
    Q_OBJECT

public:
    BoxAnswerer();
    // The key (xdotool's name) that answers a box whose text contains `part`.
    void answerWith(const QString &part, const QString &key) { m_keys.insert(part, key); }
    // A modal window of this object name or title is noted in `others` but left open
    // (to close by itself, or for the test to type into).
    void leaveOpen(const QString &nameOrTitle) { m_leave << nameOrTitle; }

    QStringList texts;       // every box's text, in the order shown
    QStringList others;      // the titles of other modal windows closed
    QStringList neverActive; // boxes that never became active (answered anyway)

private:
    void poll();
    QTimer m_timer;
    QHash<QString, QString> m_keys;
    QStringList m_leave;
    QPointer<QWidget> m_current;
    int m_waited = 0;
    int m_tries = 0;
};

// Keys, typing and clicks through the X server.
namespace clerk {
// A key or chord as xdotool names it: "Return", "Tab", "alt+s", "Down".
void key(const QString &keys);
// Text typed key by key; Hangul as an input method commits it.
void type(const QString &text);
// A click with the real pointer at a point of a widget (its centre by default).
void click(QWidget *widget, QPoint at = QPoint(-1, -1), int button = 1);
void doubleClick(QWidget *widget, QPoint at = QPoint(-1, -1));
// Lets the program handle what the X server delivered.
void settle(int ms = 150);
// Waits until the widget's window is the active window.
bool waitActive(QWidget *widget, int ms = 5000);
// The object name of the focused control ("" when none).
QString focused();
// A screenshot of the whole display (import -window root) into `file`.
void screenshot(const QString &file);
} // namespace clerk

// The whole window set on a fresh database, started as the program starts it
// (first-start preparation of the database included), shown and active.
class Desk
{
public:
    // prepare runs on the fresh database before the windows are created;
    // server: PostgreSQL; SQLite without one. withSample: fill the code tables
    // first (without it the program's own first start sees them empty).
    explicit Desk(PgServer *server = nullptr, const std::function<void(TestDatabase &)> &prepare = {},
                  bool withSample = true);
    ~Desk();

    EntryWindow &window() { return *m_window; }
    TestDatabase &database() { return *m_database; }
    BoxAnswerer boxes;

private:
    std::unique_ptr<TestDatabase> m_database;
    QPointer<EntryWindow> m_window;
};

// The grid of a shown search dialog, and the cell where a code stands.
QTableView *shownDialogGrid(const QString &objectName);
