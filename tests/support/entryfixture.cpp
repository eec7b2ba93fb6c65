#include "support/entryfixture.h"

#include "app/windowset.h"
#include "print/fonts.h"
#include "store/demo.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>

EntryFixture::EntryFixture(Windows windows, const std::function<void(TestDatabase &)> &prepare)
    : m_windows(windows)
{
    print::installKoreanFonts();
    store::fillDemo(store::account());
    if (prepare)
        prepare(m_database);
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
