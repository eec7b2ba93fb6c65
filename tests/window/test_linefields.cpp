// Leaving a line's name field: the header check of the account fields, which
// search opens with what text, when none opens, and where the focus goes.
#include "support/entryfixture.h"

#include "ui/fields.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>

class TestLineFields : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        // Every test leaves the windows hidden again.
        for (QWidget *w : QApplication::topLevelWidgets())
            w->hide();
    }

    void leavingAnEmptyAccountForwardStartsANewVoucher()
    {
        EntryFixture f(EntryFixture::Windows::WholeSet);
        EntryWindow &w = f.window();
        QTest::mouseClick(w.InsertBtn, Qt::LeftButton);
        QTest::keyClick(f.field("edCR_Ac_JenName_01"), Qt::Key_Return);
        QCOMPARE(w.mode(), EntryMode::New);
        QVERIFY(!w.InsertBtn->isEnabled() && w.SaveBtn->isEnabled() && w.CancelBtn->isEnabled());
        QWidget *form1 = dialogNamed("Form1");
        QVERIFY(form1->isVisible());
        QVERIFY(dialogGrid("Form1")->model()->rowCount() > 5);
        QVERIFY(f.messages.texts.isEmpty());
    }

    void aPickWritesTheCodeAndNameIntoItsEntry()
    {
        EntryFixture f(EntryFixture::Windows::WholeSet);
        QLineEdit *account = f.field("edCR_Ac_JenName_02");
        focusOn(account);
        commitText(account, "원재료 ");
        QTest::keyClick(account, Qt::Key_Return);
        QVERIFY(dialogNamed("Form1")->isVisible());
        QCOMPARE(dialogNamed("Form1")->findChild<QLineEdit *>("edSearch")->text(), QString("원재료 "));
        QVERIFY(hiddenCode(account).isEmpty());
        pickByDoubleClick("Form1", "40401001000");
        QVERIFY(!dialogNamed("Form1")->isVisible());
        QCOMPARE(hiddenCode(account), QString("40401001000"));
        QCOMPARE(account->text(), QString("원재료비"));
        QCOMPARE(f.field("edCR_Ac_JenName_01")->text(), QString());
    }

    void theHeaderIsCheckedBeforeAnySearch()
    {
        EntryFixture f(EntryFixture::Windows::WholeSet);
        EntryWindow &w = f.window();
        focusOn(f.field("edCR_Ac_JenName_01"));
        w.edDate->setText("2001-05-3");
        w.cbKubun->setCurrentIndex(-1);
        QTest::keyClick(f.field("edCR_Ac_JenName_01"), Qt::Key_Return);
        QCOMPARE(f.messages.texts, QStringList({"본지점 구분을 선택하세요.", "기준일자를 선택하세요."}));
        QCOMPARE(focusedName(), QString("edDate"));
        QCOMPARE(w.mode(), EntryMode::New);
        QVERIFY(!dialogNamed("Form1")->isVisible());
    }

    void guardedTargetsOpenNothing_data()
    {
        QTest::addColumn<QString>("target");
        for (const char *name : {"edDate", "cbKubun", "DBGrid1", "CloseBtn"})
            QTest::newRow(name) << QString(name);
    }
    void guardedTargetsOpenNothing()
    {
        QFETCH(QString, target);
        EntryFixture f(EntryFixture::Windows::WholeSet);
        QLineEdit *account = f.field("edDR_Ac_JenName_03");
        focusOn(account);
        setHiddenCode(account, "kept");
        focusOn(f.window().findChild<QWidget *>(target));
        QCOMPARE(hiddenCode(account), QString("kept"));
        QVERIFY(!dialogNamed("Form7")->isVisible());
    }

    void aNameOfBlanksOpensNoSearchButForgetsItsCode()
    {
        EntryFixture f(EntryFixture::Windows::WholeSet);
        QLineEdit *customer = f.field("edCR_Kubun_Name_03");
        focusOn(customer);
        customer->setText("   ");
        setHiddenCode(customer, "C0001");
        setHiddenCode(f.field("edDR_Kubun_Name_03"), "C0001");
        focusOn(f.field("edCR_Sawon_Name_03"));
        QVERIFY(!dialogNamed("Form2")->isVisible());
        QCOMPARE(hiddenCode(customer), QString());
        QCOMPARE(customer->text(), QString("   "));
        QCOMPARE(hiddenCode(f.field("edDR_Kubun_Name_03")), QString("C0001"));
    }

    void aCustomerPickFillsBothLines()
    {
        EntryFixture f(EntryFixture::Windows::WholeSet);
        QLineEdit *customer = f.field("edCR_Kubun_Name_04");
        focusOn(customer);
        commitText(customer, "제조");
        focusOn(f.field("edCR_Sawon_Name_04"));
        QVERIFY(dialogNamed("Form2")->isVisible());
        pickByDoubleClick("Form2", "C0003");
        for (const char *name : {"edCR_Kubun_Name_04", "edDR_Kubun_Name_04"}) {
            QCOMPARE(hiddenCode(f.field(name)), QString("C0003"));
            QCOMPARE(f.field(name)->text(), QString("삼일제조공업"));
        }
    }

    void theDebitDescriptionIsCopiedToTheCreditLine()
    {
        EntryFixture f(EntryFixture::Windows::WholeSet);
        f.field("edDR_Ac_Text_02")->setText("typed by hand");
        focusOn(f.field("edCR_Ac_Text_02"));
        commitText(f.field("edCR_Ac_Text_02"), "원재료 투입");
        focusOn(f.field("edCR_Item_Name_02"));
        QCOMPARE(f.field("edDR_Ac_Text_02")->text(), QString("원재료 투입"));
    }

    void theLastFieldOfTheLastEntryLeadsToSave()
    {
        EntryFixture f(EntryFixture::Windows::WholeSet);
        focusOn(f.field("edDR_Item_Name_04"));
        f.window().setMode(EntryMode::New);
        f.window().pEnabledBtn();
        QTest::keyClick(f.field("edDR_Item_Name_04"), Qt::Key_Tab);
        QCOMPARE(focusedName(), QString("SaveBtn"));
        focusOn(f.field("edDR_Item_Name_01"));
        QTest::keyClick(f.field("edDR_Item_Name_01"), Qt::Key_Tab);
        QCOMPARE(focusedName(), QString("edCR_Ac_JenName_02"));
    }
};

QTEST_MAIN(TestLineFields)
#include "test_linefields.moc"
