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
    // server: a PostgreSQL server to make the database on; SQLite without one.
    explicit EntryFixture(Windows windows = Windows::EntryOnly, const std::function<void(TestDatabase &)> &prepare = {},
                          PgServer *server = nullptr);
    explicit EntryFixture(const std::function<void(TestDatabase &)> &prepare)
        : EntryFixture(Windows::EntryOnly, prepare)
    {
    }
    ~EntryFixture();

    EntryWindow &window() { return *m_window; }
    QLineEdit *field(const QString &name) { return m_window->field(name); }
    MessageRecorder messages;
    TestDatabase &database() { return *m_database; }

    // Reopens the window so that it lists what the store now holds.
    void relist();
    // Makes the entry window the active window again (after a dialog took it).
    void activate();

private:
    std::unique_ptr<TestDatabase> m_database;
    EntryWindow *m_window = nullptr;
    Windows m_windows;
};

// Window tests that run every test function on SQLite and on PostgreSQL (global
// data rows "SQLite" and "PostgreSQL"); server() is null on SQLite.
class BothEnginesTestCase : public QObject
{
    Q_OBJECT

protected:
    PgServer *server();

private slots:
    void initTestCase_data();
    void cleanupTestCase();

private:
    std::unique_ptr<PgServer> m_server;
};

// Typing as a clerk does: ASCII by keys, anything else as an input-method commit.
void typeText(QWidget *widget, const QString &text);
void commitText(QWidget *widget, const QString &text);
// Moves the focus as a click on the control would.
void focusOn(QWidget *widget);
// The object name of the focused control.
QString focusedName();

// The search dialogs as a clerk uses them.
class QTableView;
QWidget *dialogNamed(const QString &objectName);
QTableView *dialogGrid(const QString &objectName);
// The grid row of the dialog that shows `code`; -1 when none does.
int dialogRowOf(const QString &objectName, const QString &code);
// Double-clicks the row showing `code` (the dialog writes it back and hides).
void pickByDoubleClick(const QString &objectName, const QString &code);
