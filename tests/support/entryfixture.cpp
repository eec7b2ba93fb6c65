#include "support/entryfixture.h"

#include "app/windowset.h"
#include "print/fonts.h"
#include "store/demo.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QTableView>
#include <QTest>

EntryFixture::EntryFixture(Windows windows, const std::function<void(TestDatabase &)> &prepare, PgServer *server)
    : m_database(server ? std::make_unique<TestDatabase>(*server) : std::make_unique<TestDatabase>()),
      m_windows(windows)
{
    print::installKoreanFonts();
    store::fillDemo(store::account());
    if (prepare)
        prepare(*m_database);
    if (windows == Windows::WholeSet) {
        m_window = createWindowSet();
    } else {
        m_window = new EntryWindow;
        m_window->FormCreate();
    }
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_window->show();
    activate();
}

EntryFixture::~EntryFixture()
{
    if (m_windows == Windows::WholeSet)
        deleteWindowSet();
    else
        delete m_window;
}

void EntryFixture::relist()
{
    m_window->pQuery();
}

void EntryFixture::activate()
{
    QApplication::setActiveWindow(m_window);
    m_window->activateWindow();
    if (!QTest::qWaitForWindowActive(m_window))
        qWarning("the entry window did not become active");
}

void typeText(QWidget *widget, const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClicks(widget, QString(c));
        else
            commitText(widget, QString(c));
    }
}

void commitText(QWidget *widget, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

void focusOn(QWidget *widget)
{
    widget->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
}

QString focusedName()
{
    QWidget *w = QApplication::focusWidget();
    return w ? w->objectName() : QString();
}

void BothEnginesTestCase::initTestCase_data()
{
    QTest::addColumn<store::Engine>("engine");
    QTest::newRow("SQLite") << store::Engine::SQLite;
    QTest::newRow("PostgreSQL") << store::Engine::PostgreSQL;
}

PgServer *BothEnginesTestCase::server()
{
    QFETCH_GLOBAL(store::Engine, engine);
    if (engine == store::Engine::SQLite)
        return nullptr;
    if (!m_server) {
        m_server = std::make_unique<PgServer>();
        m_server->start();
    }
    return m_server.get();
}

void BothEnginesTestCase::cleanupTestCase()
{
    m_server.reset();
}

QWidget *dialogNamed(const QString &objectName)
{
    return windowByName(objectName);
}

QTableView *dialogGrid(const QString &objectName)
{
    QWidget *dialog = dialogNamed(objectName);
    return dialog ? dialog->findChild<QTableView *>(QStringLiteral("DBGrid1")) : nullptr;
}

int dialogRowOf(const QString &objectName, const QString &code)
{
    QTableView *grid = dialogGrid(objectName);
    if (!grid)
        return -1;
    const QAbstractItemModel *model = grid->model();
    for (int row = 0; row < model->rowCount(); ++row)
        for (int column = 0; column < model->columnCount(); ++column)
            if (model->index(row, column).data().toString().trimmed() == code)
                return row;
    return -1;
}

void pickByDoubleClick(const QString &objectName, const QString &code)
{
    QTableView *grid = dialogGrid(objectName);
    const int row = dialogRowOf(objectName, code);
    if (row < 0) {
        qWarning("%s lists no row with the code %s", qPrintable(objectName), qPrintable(code));
        return;
    }
    grid->scrollTo(grid->model()->index(row, 0));
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    // What the window system sends for a double click: the second press comes
    // as the double-click event.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, cell.center());
}
