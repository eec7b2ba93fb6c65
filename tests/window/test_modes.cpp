// The window's modes: the date and branch fields, Enter moving through the
// panels, and the buttons each mode enables.
#include "support/entryfixture.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {
const QString dateWarning = QStringLiteral(" : 유효하지 않은 날짜 형식입니다.");
}

class TestModes : public QObject
{
    Q_OBJECT

private slots:
    void theDateFieldTakesDigitsAndHyphensOnly()
    {
        EntryFixture f;
        QLineEdit *date = f.window().edDate;
        focusOn(date);
        date->clear();
        typeText(date, "2001-0a5");
        QCOMPARE(date->text(), QString("2001-05"));
        QCOMPARE(f.messages.texts, QStringList({"잘못 입력하셨습니다"}));
        commitText(date, "/30");
        QCOMPARE(date->text(), QString("2001-0530"));
        QCOMPARE(f.messages.texts.size(), 2);
    }

    void enterInTheDateMovesToTheBranch()
    {
        EntryFixture f;
        focusOn(f.window().edDate);
        QTest::keyClick(f.window().edDate, Qt::Key_Return);
        QCOMPARE(focusedName(), QString("cbKubun"));
        QTRY_VERIFY(f.window().cbKubun->view()->isVisible());
        f.window().cbKubun->hidePopup();
    }

    void aBadDateIsWarnedAndTheWindowReturnsToReady_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<int>("warnings");
        QTest::newRow("month 13 and day 45") << "2001-13-45" << 1;
        QTest::newRow("a short but real date") << "2001-5-30" << 1;
        QTest::newRow("neither a date nor ten characters") << "2001-13-4" << 2;
    }
    void aBadDateIsWarnedAndTheWindowReturnsToReady()
    {
        QFETCH(QString, date);
        QFETCH(int, warnings);
        const QString today = QDate::currentDate().toString("yyyy-MM-dd");
        EntryFixture f([&](TestDatabase &) { store::saveNewVoucher(sampleVoucher(today, 0, {"01"})); });
        EntryWindow &w = f.window();
        QCOMPARE(w.list().rowCount(), 1);
        typeText(f.field("edCR_Ac_Text_01"), "typed");
        focusOn(w.edDate);
        w.edDate->setText(date);
        focusOn(f.field("edCR_Ac_JenName_01"));
        QCOMPARE(f.messages.texts, QStringList(warnings, date + dateWarning));
        QCOMPARE(focusedName(), QString("edDate"));
        QCOMPARE(w.list().rowCount(), 0);
        QCOMPARE(w.mode(), EntryMode::Ready);
        QCOMPARE(f.field("edCR_Ac_Text_01")->text(), QString());
    }

    void passingThroughTheHeaderReturnsToReady()
    {
        const QString today = QDate::currentDate().toString("yyyy-MM-dd");
        EntryFixture f([&](TestDatabase &) { store::saveNewVoucher(sampleVoucher(today, 0, {"01"})); });
        EntryWindow &w = f.window();
        QTest::mouseClick(w.DBGrid1->viewport(), Qt::LeftButton, {},
                          w.DBGrid1->visualRect(w.list().index(0, 3)).center());
        QCOMPARE(w.mode(), EntryMode::Loaded);
        for (QWidget *header : {static_cast<QWidget *>(w.cbKubun), static_cast<QWidget *>(w.edDate)}) {
            focusOn(header);
            focusOn(f.field("edCR_Ac_JenName_01"));
            QCOMPARE(w.mode(), EntryMode::Ready);
            QVERIFY(w.InsertBtn->isEnabled());
            QVERIFY(!w.SaveBtn->isEnabled());
            for (int n = 1; n <= 4; ++n)
                QVERIFY(w.panel(n)->isVisible() && w.panel(n)->isEnabled() && !w.panel(n)->isHighlighted());
            QCOMPARE(f.field("edCR_Ac_JenName_01")->text(), QString());
            QCOMPARE(w.list().rowCount(), 1);
            QTest::mouseClick(w.DBGrid1->viewport(), Qt::LeftButton, {},
                              w.DBGrid1->visualRect(w.list().index(0, 3)).center());
        }
        QVERIFY(f.messages.texts.isEmpty());
    }

    void leavingTheHeaderForTheGridOnlySetsModeThree()
    {
        EntryFixture f;
        EntryWindow &w = f.window();
        focusOn(w.edDate);
        w.edDate->setText("bad");
        focusOn(w.DBGrid1);
        QCOMPARE(w.mode(), EntryMode::New);
        QVERIFY(f.messages.texts.isEmpty());
        QVERIFY(w.InsertBtn->isEnabled()); // the buttons keep their state
    }

    void choosingAnotherBranchRelistsAndClears()
    {
        const QString today = QDate::currentDate().toString("yyyy-MM-dd");
        EntryFixture f([&](TestDatabase &) { store::saveNewVoucher(sampleVoucher(today, 1, {"01", "02"})); });
        EntryWindow &w = f.window();
        QCOMPARE(w.list().rowCount(), 0);
        typeText(f.field("edCR_Ac_Text_03"), "typed");
        w.setMode(EntryMode::New);
        w.cbKubun->setCurrentIndex(1);
        emit w.cbKubun->activated(1);
        QCOMPARE(w.list().rowCount(), 2);
        QCOMPARE(w.mode(), EntryMode::Ready);
        QCOMPARE(f.field("edCR_Ac_Text_03")->text(), QString());
        QCOMPARE(w.branchCode(), QString("00001"));
    }

    void enterFollowsTheTabOrderSkippingWhatCannotTakeTheFocus()
    {
        EntryFixture f;
        EntryWindow &w = f.window();
        // Leaving the date field (where the focus starts) shows every panel again.
        focusOn(f.field("edCR_Ac_JenName_02"));
        w.panel(3)->hide();
        const QStringList expected = {
            "edCR_Kubun_Name_02", "edCR_Sawon_Name_02", "edCR_Buser_Name_02", "edCR_Project_Name_02",
            "edCR_Ac_Text_02",    "edCR_Item_Name_02",  "edCR_Cr_Amt_02",     "edDR_Ac_JenName_02",
            "edDR_Kubun_Name_02", "edDR_Sawon_Name_02", "edDR_Buser_Name_02", "edDR_Project_Name_02",
            "edDR_Ac_Text_02",    "edDR_Item_Name_02",  "edCR_Ac_JenName_04",
        };
        focusOn(f.field("edCR_Ac_JenName_02"));
        for (const QString &next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(focusedName(), next);
        }
        focusOn(f.field("edDR_Item_Name_04"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(focusedName(), QString("DBGrid1"));
    }

    void cancelEmptiesAndResetsButKeepsTheList()
    {
        const QString today = QDate::currentDate().toString("yyyy-MM-dd");
        EntryFixture f([&](TestDatabase &) { store::saveNewVoucher(sampleVoucher(today, 0, {"01", "02"})); });
        EntryWindow &w = f.window();
        focusOn(w.DBGrid1);
        w.setCurrentListRow(1);
        QTest::keyClick(w.DBGrid1, Qt::Key_Right);
        QCOMPARE(w.mode(), EntryMode::Loaded);
        QVERIFY(!w.panel(3)->isVisible());
        QTest::mouseClick(w.CancelBtn, Qt::LeftButton);
        QCOMPARE(w.mode(), EntryMode::Ready);
        QCOMPARE(w.edSerial->text(), QString());
        for (int n = 1; n <= 4; ++n)
            QVERIFY(w.panel(n)->isVisible() && w.panel(n)->isEnabled() && !w.panel(n)->isHighlighted());
        QCOMPARE(f.field("edCR_Ac_JenName_02")->text(), QString());
        QVERIFY(w.InsertBtn->isEnabled() && w.CloseBtn->isEnabled());
        QVERIFY(!w.CancelBtn->isEnabled() && !w.SaveBtn->isEnabled());
        QCOMPARE(w.currentListRow(), 1);
    }

    void insertGoesToTheFirstAccount()
    {
        EntryFixture f;
        QTest::mouseClick(f.window().InsertBtn, Qt::LeftButton);
        QCOMPARE(focusedName(), QString("edCR_Ac_JenName_01"));
        QCOMPARE(f.window().mode(), EntryMode::Ready);
    }
};

QTEST_MAIN(TestModes)
#include "test_modes.moc"
