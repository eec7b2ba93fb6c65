// The search dialogs on a real display: every opening starts in the search
// box, whatever was focused when the dialog was last closed, and windows carry
// their own captions exactly.
#include "support/desk.h"

#include "app/windowset.h"
#include "base/hangul.h"
#include "entry/entrywindow.h"
#include "ui/fields.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

// The title the window manager shows for a window.
QString shownTitle(QWidget *window)
{
    QProcess xdotool;
    xdotool.start("xdotool", {"getwindowname", QString::number(window->winId())});
    xdotool.waitForFinished(5000);
    return QString::fromUtf8(xdotool.readAllStandardOutput()).trimmed();
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_desk = std::make_unique<Desk>(); }
    void cleanup() { m_desk.reset(); }

    void everyOpeningStartsInTheSearchBox()
    {
        EntryWindow &w = m_desk->window();
        QLineEdit *account = w.field("edCR_Ac_JenName_01");
        clerk::click(account);
        clerk::type("hyeon");
        account->setText("원재료");
        clerk::key("Return");
        QWidget *form1 = windowByName("Form1");
        QTRY_VERIFY(form1->isVisible() && form1->isActiveWindow());
        QCOMPARE(clerk::focused(), QString("edSearch"));

        // Closed with its close button by the keyboard: Tab, Tab onto "X 종료".
        clerk::key("Tab");
        clerk::key("Tab");
        QCOMPARE(clerk::focused(), QString("CloseBtn"));
        clerk::key("Return");
        QTRY_VERIFY(!form1->isVisible());
        QTRY_VERIFY(w.isActiveWindow());

        // Opened again: Enter is in the search box, it does not close the dialog.
        clerk::click(account);
        clerk::key("Return");
        QTRY_VERIFY(form1->isVisible() && form1->isActiveWindow());
        QCOMPARE(clerk::focused(), QString("edSearch"));
        clerk::key("Return");
        QVERIFY(form1->isVisible());

        // A pick by the keyboard: Down into the grid, Down, Enter.
        clerk::click(form1->findChild<QLineEdit *>("edSearch"));
        clerk::key("Down");
        QCOMPARE(clerk::focused(), QString("DBGrid1"));
        clerk::key("Return");
        QTRY_VERIFY(!form1->isVisible());
        QVERIFY(!hiddenCode(account).isEmpty());
        const QString picked = hiddenCode(account);

        // Opened again: Enter does not pick the first row at once.
        QTRY_VERIFY(w.isActiveWindow());
        clerk::click(account);
        account->setText("원재료");
        clerk::key("Return");
        QTRY_VERIFY(form1->isVisible() && form1->isActiveWindow());
        QCOMPARE(clerk::focused(), QString("edSearch"));
        clerk::key("Return");
        QVERIFY(form1->isVisible());
        QVERIFY(hiddenCode(account).isEmpty());
        // Esc closes it like its close button; no pick is made.
        clerk::key("Escape");
        QTRY_VERIFY(!form1->isVisible());
        QVERIFY(hiddenCode(account).isEmpty());
        QVERIFY(picked.size() > 0);
        QCOMPARE(m_desk->boxes.texts, QStringList());
    }

    // A clerk who knows only the initials of an account types them, as the
    // input method commits them, and picks from what they find by the keyboard.
    void initialsTypedInAnAccountFieldFindAndPick()
    {
        EntryWindow &w = m_desk->window();
        QLineEdit *account = w.field("edCR_Ac_JenName_01");
        clerk::click(account);
        clerk::type("ㅇㅈㄹ");
        QCOMPARE(account->text(), QString("ㅇㅈㄹ"));
        clerk::key("Return");
        QWidget *form1 = windowByName("Form1");
        QTRY_VERIFY(form1->isVisible() && form1->isActiveWindow());
        QCOMPARE(form1->findChild<QLineEdit *>("edSearch")->text(), QString("ㅇㅈㄹ"));
        QTableView *grid = shownDialogGrid("Form1");
        QTRY_VERIFY(grid->model()->rowCount() >= 2);
        QCOMPARE(grid->model()->index(0, 1).data().toString(), QString("원재료"));
        clerk::screenshot(qEnvironmentVariable("JEONPYO_TEST_TMP", "/tmp") + "/initials-search.png");

        // Down into the grid, Down to the second account, Enter picks it.
        clerk::key("Down");
        QCOMPARE(clerk::focused(), QString("DBGrid1"));
        clerk::key("Down");
        const QString code = grid->model()->index(1, 0).data().toString();
        const QString name = grid->model()->index(1, 1).data().toString();
        clerk::key("Return");
        QTRY_VERIFY(!form1->isVisible());
        QTRY_VERIFY(w.isActiveWindow());
        QCOMPARE(hiddenCode(account), code);
        QCOMPARE(account->text(), name);
        QVERIFY(hangul::matchesInitials(name, "ㅇㅈㄹ"));
        QCOMPARE(m_desk->boxes.texts, QStringList());
    }

    void windowsShowTheirOwnCaptions()
    {
        QCOMPARE(shownTitle(&m_desk->window()), QString("제조원가 투입 및 매출원가 대체 등록 폼입니다."));
        QLineEdit *employee = m_desk->window().field("edCR_Sawon_Name_01");
        clerk::click(employee);
        employee->setText("김");
        clerk::key("Tab");
        QWidget *form3 = windowByName("Form3");
        QTRY_VERIFY(form3->isVisible());
        QTRY_COMPARE(shownTitle(form3), QString("사원이름을 검색하는 창입니다."));
        clerk::screenshot(qEnvironmentVariable("JEONPYO_TEST_TMP", "/tmp") + "/dialog-over-window.png");
    }

private:
    std::unique_ptr<Desk> m_desk;
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
