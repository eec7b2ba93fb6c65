// A clerk's day, with the keyboard wherever a clerk would use it, on a real
// display and on both engines: a branch picked from the list, two vouchers
// entered with Korean names resolved through the search dialogs, one
// corrected, an entry deleted, a sheet previewed, a voucher begun and
// cancelled, and the program closed with a search dialog still open.
#include "support/desk.h"
#include "support/entryfixture.h"

#include "app/windowset.h"
#include "entry/entrywindow.h"
#include "ui/fields.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

void keys(const QStringList &names)
{
    for (const QString &name : names)
        clerk::key(name);
}

// Enter n times: on through fields left empty.
void enters(int n)
{
    for (int i = 0; i < n; ++i)
        clerk::key("Return");
}

bool dialogActive(const char *name)
{
    QWidget *dialog = windowByName(name);
    return dialog && dialog->isVisible() && dialog->isActiveWindow();
}

// In a search dialog that has just opened: down into the list, down `rows`
// more, Enter picks and closes it.
void pickInDialog(const char *name, int rows = 0)
{
    if (!QTest::qWaitFor([name] { return dialogActive(name); }, 5000))
        clerk::screenshot(qEnvironmentVariable("JEONPYO_TEST_TMP", "/tmp") + QString("/no-%1.png").arg(name));
    QVERIFY2(dialogActive(name), qPrintable(QString("%1 is not open; the focus is on %2").arg(name, clerk::focused())));
    QCOMPARE(clerk::focused(), QString("edSearch"));
    clerk::key("Down");
    for (int i = 0; i < rows; ++i)
        clerk::key("Down");
    clerk::key("Return");
    QVERIFY2(QTest::qWaitFor([name] { return !windowByName(name)->isVisible(); }, 5000), name);
    clerk::settle(300);
}

// One entry typed from its debit account on: account by name, description,
// amount, credit account by name; the customer (when given) through its dialog.
void typeEntry(const QString &debitAccount, const QString &customer, const QString &description, const QString &amount,
               const QString &creditAccount)
{
    clerk::type(debitAccount);
    clerk::key("Return");
    pickInDialog("Form1");
    if (!customer.isEmpty()) {
        clerk::type(customer);
        clerk::key("Return");
        pickInDialog("Form2");
    } else {
        enters(1);
    }
    enters(3); // employee, department, project
    clerk::type(description);
    enters(2); // on past the item to the amount
    clerk::type(amount);
    clerk::key("Return");
    clerk::type(creditAccount);
    clerk::key("Return");
    pickInDialog("Form7");
    enters(6); // through the credit line's copies to its last field and out
}

} // namespace

class TestClerksDay : public BothEnginesTestCase
{
    Q_OBJECT

private slots:
    void aDay()
    {
        Desk desk(server());
        EntryWindow &w = desk.window();

        // The branch, picked from the list with the keyboard.
        clerk::click(w.edDate);
        clerk::key("Return");
        QTRY_VERIFY(w.cbKubun->view()->isVisible());
        keys({"Down", "Return"});
        clerk::settle(300);
        QVERIFY(!w.cbKubun->view()->isVisible());
        QCOMPARE(w.cbKubun->currentIndex(), 1);
        clerk::key("Return");
        QVERIFY(!w.cbKubun->view()->isVisible());
        clerk::key("alt+i");
        QCOMPARE(clerk::focused(), QString("edCR_Ac_JenName_01"));

        // Two vouchers, by the keyboard.
        typeEntry("원재료", "", "원재료 대체", "150000", "원재료");
        QCOMPARE(clerk::focused(), QString("edCR_Ac_JenName_02"));
        QCOMPARE(w.mode(), EntryMode::New);
        clerk::key("alt+s");
        QTRY_VERIFY2(w.list().rowCount() == 1, qPrintable(desk.boxes.texts.join(" / ")));
        QTRY_COMPARE(clerk::focused(), QString("InsertBtn"));
        clerk::key("alt+i");
        QCOMPARE(clerk::focused(), QString("edCR_Ac_JenName_01"));
        typeEntry("제품", "상사", "제품 매출원가", "2500", "상품");
        typeEntry("부재료", "", "부재료 대체", "700", "원재료");
        clerk::key("alt+s");
        QTRY_COMPARE(w.list().rowCount(), 3);
        QCOMPARE(desk.boxes.texts.join(" / "), QString());
        const auto lines = desk.database().allLines();
        QCOMPARE(lines.size(), size_t(6));
        for (const auto &line : lines) {
            QCOMPARE(line.Kubun_Bon, QString("00001"));
            QVERIFY2(!line.Ac_JenCode.isEmpty(), qPrintable(line.Ac_JenName));
        }
        QCOMPARE(lines.at(0).Ac_JenName, QString("원재료"));
        QCOMPARE(lines.at(0).Cr_Amt, 150000.0);
        QCOMPARE(lines.at(1).Dr_Amt, 150000.0);
        QVERIFY(!lines.at(2).Kubun_Code.isEmpty());
        QCOMPARE(lines.at(3).Kubun_Code, lines.at(2).Kubun_Code);

        // The first voucher corrected: its description.
        clerk::click(w.DBGrid1->viewport(), w.DBGrid1->visualRect(w.DBGrid1->model()->index(0, 1)).center());
        QTRY_COMPARE(w.mode(), EntryMode::Loaded);
        clerk::click(w.field("edCR_Ac_Text_01"));
        clerk::key("End");
        clerk::type(" 고침");
        clerk::key("alt+s");
        QTRY_COMPARE(desk.database().allLines().at(0).Ac_Text, QString("원재료 대체 고침"));

        // The second voucher's second entry deleted.
        clerk::click(w.DBGrid1->viewport(), w.DBGrid1->visualRect(w.DBGrid1->model()->index(2, 1)).center());
        QTRY_COMPARE(w.mode(), EntryMode::Loaded);
        clerk::click(w.DeleteBtn);
        QTRY_COMPARE(desk.database().allLines().size(), size_t(4));

        // The sheet previewed and closed.
        clerk::click(w.DBGrid1->viewport(), w.DBGrid1->visualRect(w.DBGrid1->model()->index(0, 1)).center());
        QTRY_COMPARE(w.mode(), EntryMode::Loaded);
        clerk::click(w.PrintBtn);
        QTRY_COMPARE(desk.boxes.others.size(), 1);
        QTRY_VERIFY(w.isActiveWindow());

        // A voucher begun and cancelled.
        clerk::key("alt+c");
        QTRY_COMPARE(clerk::focused(), QString("InsertBtn"));
        clerk::key("alt+i");
        clerk::type("원재료");
        clerk::key("Return");
        QTRY_VERIFY(dialogActive("Form1"));
        clerk::key("Escape");
        QTRY_VERIFY(w.isActiveWindow());
        clerk::type("상사");
        QCOMPARE(w.mode(), EntryMode::New);
        clerk::key("alt+c");
        QTRY_COMPARE(clerk::focused(), QString("InsertBtn"));
        QVERIFY(!windowByName("Form2")->isVisible());
        QCOMPARE(w.field("edCR_Ac_JenName_01")->text(), QString());

        // Closed with a search dialog open.
        clerk::key("alt+i");
        clerk::type("현금");
        clerk::key("Return");
        QTRY_VERIFY(dialogActive("Form1"));
        clerk::click(w.CloseBtn);
        QTRY_VERIFY(!w.isVisible());
        QTRY_VERIFY(!windowByName("Form1")->isVisible());
        QCOMPARE(desk.boxes.texts, QStringList());
        QCOMPARE(desk.database().allLines().size(), size_t(4));
    }
};

QTEST_MAIN(TestClerksDay)
#include "test_clerksday.moc"
