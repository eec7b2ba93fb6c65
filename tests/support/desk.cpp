#include "support/desk.h"

#include "app/application.h"
#include "app/windowset.h"
#include "entry/entrywindow.h"
#include "print/fonts.h"
#include "store/demo.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QProcess>
#include <QTableView>
#include <QTest>

namespace {

void xdotool(const QStringList &arguments)
{
    QProcess run;
    run.start(QStringLiteral("xdotool"), arguments);
    if (!run.waitForFinished(10000) || run.exitCode() != 0)
        qWarning("xdotool %s failed: %s", qPrintable(arguments.join(' ')), run.readAllStandardError().constData());
}

} // namespace

BoxAnswerer::BoxAnswerer()
{
    connect(&m_timer, &QTimer::timeout, this, &BoxAnswerer::poll);
    m_timer.start(40);
}

// A box is answered once the window manager has made it the active window, as
// a clerk can only answer it then; one that never becomes active is recorded
// and answered after a while, so that a test fails instead of hanging.
void BoxAnswerer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    auto *box = qobject_cast<QMessageBox *>(modal);
    if (!box) {
        if (modal != m_current && modal->isActiveWindow()) {
            m_current = modal;
            others << modal->windowTitle();
            if (!m_leave.contains(modal->objectName()) && !m_leave.contains(modal->windowTitle()))
                clerk::key(QStringLiteral("Escape"));
        }
        return;
    }
    if (box != m_current) {
        m_current = box;
        m_waited = 0;
        m_tries = 0;
        texts << box->text();
    }
    if (!box->isActiveWindow() && ++m_waited < 100)
        return;
    if (m_waited >= 100 && m_tries == 0)
        neverActive << box->text();
    if (m_tries++ % 25 != 0) // a key every second until the box is gone
        return;
    QString key = QStringLiteral("Return");
    for (auto it = m_keys.cbegin(); it != m_keys.cend(); ++it)
        if (box->text().contains(it.key()))
            key = it.value();
    if (m_tries > 100) {
        neverActive << box->text();
        box->done(0);
        return;
    }
    if (box->isActiveWindow())
        clerk::key(key);
    else
        box->done(0);
}

namespace clerk {

void key(const QString &keys)
{
    xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("20"), keys});
    // A button's Alt+letter clicks it after a short animation.
    settle(keys.startsWith(QLatin1String("alt+")) ? 250 : 60);
}

// Letters, digits and signs go through the X server as keys; Hangul comes the
// way a Korean input method delivers it, as committed text, into whatever has
// the focus (a key per syllable through the X server races the keymap changes
// that typing it would need).
void type(const QString &text)
{
    QString keys;
    auto flush = [&keys] {
        if (keys.isEmpty())
            return;
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), keys});
        keys.clear();
        settle(60);
    };
    for (QChar c : text) {
        if (c.unicode() < 128) {
            keys += c;
            continue;
        }
        flush();
        QInputMethodEvent commit;
        commit.setCommitString(QString(c));
        if (QObject *target = QGuiApplication::focusObject())
            QApplication::sendEvent(target, &commit);
        settle(20);
    }
    flush();
    settle(100);
}

static QPoint globalPoint(QWidget *widget, QPoint at)
{
    if (at.x() < 0)
        at = widget->rect().center();
    return widget->mapToGlobal(at);
}

void click(QWidget *widget, QPoint at, int button)
{
    const QPoint p = globalPoint(widget, at);
    xdotool({QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())});
    settle(30);
    xdotool({QStringLiteral("click"), QString::number(button)});
    settle(100);
}

void doubleClick(QWidget *widget, QPoint at)
{
    const QPoint p = globalPoint(widget, at);
    xdotool({QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())});
    settle(30);
    xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("--delay"),
             QStringLiteral("80"), QStringLiteral("1")});
    settle(150);
}

void settle(int ms)
{
    QTest::qWait(ms);
}

bool waitActive(QWidget *widget, int ms)
{
    return QTest::qWaitFor([widget] { return widget->isActiveWindow(); }, ms);
}

QString focused()
{
    QWidget *w = QApplication::focusWidget();
    return w ? w->objectName() : QString();
}

void screenshot(const QString &file)
{
    QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), file});
}

} // namespace clerk

Desk::Desk(PgServer *server, const std::function<void(TestDatabase &)> &prepare, bool withSample)
    : m_database(server ? std::make_unique<TestDatabase>(*server) : std::make_unique<TestDatabase>())
{
    if (withSample)
        store::fillDemo(store::account());
    if (prepare)
        prepare(*m_database);
    m_window = startWindows();
    if (m_window) {
        m_window->setAttribute(Qt::WA_DeleteOnClose, false);
        if (!clerk::waitActive(m_window))
            qWarning("the entry window did not become active");
        clerk::settle(200);
    }
}

Desk::~Desk()
{
    // Boxes still open belong to the test that failed; they go with the windows.
    deleteWindowSet();
}

QTableView *shownDialogGrid(const QString &objectName)
{
    QWidget *dialog = windowByName(objectName);
    if (!dialog || !dialog->isVisible())
        return nullptr;
    return dialog->findChild<QTableView *>(QStringLiteral("DBGrid1"));
}
