#pragma once
// The entry window as a clerk meets it, for one test: a fresh SQLite database
// with the sample set, the window created and listed, shown and active, and
// every message recorded instead of shown.
#include "entry/entrywindow.h"
#include "support/recorder.h"
#include "support/testdb.h"

#include <QLineEdit>
#include <functional>
#include <memory>

class EntryFixture
{
public:
    enum class Windows { EntryOnly, WholeSet };
    // EntryOnly: the entry window alone, its name fields without lookups.
    // prepare runs on the fresh database before the window is created.
    explicit EntryFixture(Windows windows = Windows::EntryOnly,
                          const std::function<void(TestDatabase &)> &prepare = {});
    explicit EntryFixture(const std::function<void(TestDatabase &)> &prepare)
        : EntryFixture(Windows::EntryOnly, prepare) {}
    ~EntryFixture();

    EntryWindow &window() { return *m_window; }
    QLineEdit *field(const QString &name) { return m_window->field(name); }
    MessageRecorder messages;
    TestDatabase &database() { return m_database; }

    // Reopens the window so that it lists what the store now holds.
    void relist();
    // Makes the entry window the active window again (after a dialog took it).
    void activate();

private:
    TestDatabase m_database;
    EntryWindow *m_window = nullptr;
    Windows m_windows;
};

// Typing as a clerk does: ASCII by keys, anything else as an input-method commit.
void typeText(QWidget *widget, const QString &text);
void commitText(QWidget *widget, const QString &text);
// Moves the focus as a click on the control would.
void focusOn(QWidget *widget);
// The object name of the focused control.
QString focusedName();
