// The header and its keys on a real display: the branch list opens when the
// clerk moves into the branch combo and lets go once a branch is chosen, a
// failed header check opens no search dialog, and command keys in the date and
// amount fields are commands, not refused characters.
#include "support/desk.h"

#include "entry/entrywindow.h"
#include "ui/fields.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

class TestHeader : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_desk = std::make_unique<Desk>(); }
    void cleanup() { m_desk.reset(); }

    void aBranchIsPickedWithTheKeyboardAndTheListLetsGo()
    {
        EntryWindow &w = m_desk->window();
        clerk::click(w.edDate);
        QCOMPARE(clerk::focused(), QString("edDate"));
        clerk::key("Return"); // on to the branch combo: its list opens
        QTRY_VERIFY(w.cbKubun->view()->isVisible());
        clerk::key("Down");
        clerk::key("Return");
        clerk::settle(300);
        QVERIFY2(!w.cbKubun->view()->isVisible(), "the branch list opened again after the pick");
        QCOMPARE(w.cbKubun->currentIndex(), 1);
        QCOMPARE(clerk::focused(), QString("cbKubun"));
        clerk::key("Return"); // and on, out of the combo
        QVERIFY(!w.cbKubun->view()->isVisible());
        QCOMPARE(clerk::focused(), QString("edCR_Ac_JenName_01"));
        QVERIFY(m_desk->boxes.texts.isEmpty());
    }

    void aBranchIsPickedWithTheMouseAndEscapeClosesTheList()
    {
        EntryWindow &w = m_desk->window();
        clerk::click(w.cbKubun);
        QTRY_VERIFY(w.cbKubun->view()->isVisible());
        QAbstractItemView *list = w.cbKubun->view();
        clerk::click(list->viewport(), list->visualRect(list->model()->index(1, 0)).center());
        clerk::settle(300);
        QVERIFY2(!list->isVisible(), "the branch list opened again after the click");
        QCOMPARE(w.cbKubun->currentIndex(), 1);

        clerk::click(w.edDate);
        clerk::key("Tab");
        QTRY_VERIFY(list->isVisible());
        clerk::key("Escape");
        clerk::settle(300);
        QVERIFY(!list->isVisible());
        clerk::key("Tab");
        QCOMPARE(clerk::focused(), QString("edCR_Ac_JenName_01"));
        // Closing works from there as it always must.
        clerk::click(w.CloseBtn);
        QTRY_VERIFY(!w.isVisible());
    }

    void aFailedHeaderCheckOpensNoDialog_data()
    {
        QTest::addColumn<bool>("clearBranch");
        QTest::addColumn<QStringList>("warnings");
        QTest::addColumn<QString>("focusEndsIn");
        QTest::newRow("a date of nine characters") << false << QStringList{"기준일자를 선택하세요."} << "edDate";
        QTest::newRow("no branch") << true << QStringList{"본지점 구분을 선택하세요."} << "cbKubun";
    }
    void aFailedHeaderCheckOpensNoDialog()
    {
        QFETCH(bool, clearBranch);
        QFETCH(QStringList, warnings);
        QFETCH(QString, focusEndsIn);
        EntryWindow &w = m_desk->window();
        if (clearBranch) {
            clerk::click(w.cbKubun);
            clerk::key("Escape");
            clerk::key("ctrl+a");
            clerk::key("BackSpace");
        }
        QLineEdit *account = w.field("edCR_Ac_JenName_01");
        clerk::click(account);
        if (!clearBranch)
            w.edDate->setText(w.edDate->text().left(9));
        m_desk->boxes.texts.clear();
        setHiddenCode(account, "10101001000");
        account->setText("현금");
        clerk::key("Tab"); // forward, towards the customer field: the header is checked
        QTRY_COMPARE(m_desk->boxes.texts.join(" / "), warnings.join(" / "));
        clerk::settle(500);
        QCOMPARE(m_desk->boxes.texts.join(" / "), warnings.join(" / "));
        QCOMPARE(clerk::focused(), focusEndsIn);
        for (const char *name : {"Form1", "Form2", "Form7"})
            QVERIFY2(!shownDialogGrid(name), name);
        QCOMPARE(hiddenCode(account), QString("10101001000"));
        QCOMPARE(w.mode(), EntryMode::New);
    }

    void commandKeysAreNotRefusedCharacters_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("keys");
        QTest::newRow("Alt+S of a disabled save button in the date") << "edDate"
                                                                     << "alt+s";
        QTest::newRow("Alt+D in the date") << "edDate"
                                           << "alt+d";
        QTest::newRow("Ctrl+A in the date") << "edDate"
                                            << "ctrl+a";
        QTest::newRow("Ctrl+C in an amount") << "edCR_Cr_Amt_01"
                                             << "ctrl+c";
        QTest::newRow("Ctrl+Z in an amount") << "edCR_Cr_Amt_01"
                                             << "ctrl+z";
    }
    void commandKeysAreNotRefusedCharacters()
    {
        QFETCH(QString, field);
        QFETCH(QString, keys);
        EntryWindow &w = m_desk->window();
        QLineEdit *edit = field == "edDate" ? w.edDate : w.field(field);
        clerk::click(edit);
        const QString before = edit->text();
        m_desk->boxes.texts.clear();
        clerk::key(keys);
        clerk::settle(300);
        QCOMPARE(m_desk->boxes.texts.join(" / "), QString());
        QCOMPARE(edit->text(), before);
        clerk::type("x"); // a typed letter is still refused
        QTRY_COMPARE(m_desk->boxes.texts, QStringList{"잘못 입력하셨습니다"});
    }

private:
    std::unique_ptr<Desk> m_desk;
};

QTEST_MAIN(TestHeader)
#include "test_header.moc"
