// The books' guard as the clerk meets it in the entry window: a save, a
// correction and a delete on a locked day are refused with the lock date
// named, nothing is written and what was typed stays; and the listed day's
// sheets printed at once with Ctrl+P (shown in the grid's menu). Every test
// runs on SQLite and on PostgreSQL.
#include "support/entryfixture.h"

#include "base/text.h"
#include "print/voucherprint.h"
#include "store/ledgerbook.h"

#include <QAction>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

const QString today = QDate::currentDate().toString("yyyy-MM-dd");

void pick(EntryFixture &f, const QString &fieldName, const QString &typed, const QString &dialog, const QString &code)
{
    QLineEdit *edit = f.field(fieldName);
    focusOn(edit);
    edit->clear();
    commitText(edit, typed);
    QTest::keyClick(edit, Qt::Key_Return);
    pickByDoubleClick(dialog, code);
    f.activate();
}

void chooseRow(EntryWindow &w, int row)
{
    QTest::mouseClick(w.DBGrid1->viewport(), Qt::LeftButton, {},
                      w.DBGrid1->visualRect(w.list().index(row, 3)).center());
}

QString lockNamed()
{
    return today + "까지는 마감되어";
}

} // namespace

class TestLockedDay : public BothEnginesTestCase
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        print::setPreviewHook({});
        for (QWidget *w : QApplication::topLevelWidgets())
            w->hide();
    }

    void aNewVoucherOnALockedDayIsRefusedAndKeptOnScreen()
    {
        EntryFixture f(
            EntryFixture::Windows::WholeSet, [](TestDatabase &) { store::setLockDate(today); }, server());
        QTest::mouseClick(f.window().InsertBtn, Qt::LeftButton);
        pick(f, "edCR_Ac_JenName_01", "원재료비", "Form1", "40401001000");
        QLineEdit *amount = f.field("edCR_Cr_Amt_01");
        focusOn(amount);
        typeText(amount, "1000");
        focusOn(f.field("edDR_Ac_Text_01"));
        pick(f, "edDR_Ac_JenName_01", "원재료", "Form7", "10102005000");
        QTest::mouseClick(f.window().SaveBtn, Qt::LeftButton);

        QCOMPARE(f.messages.texts.size(), 1);
        QVERIFY2(f.messages.texts[0].contains(lockNamed()), qPrintable(f.messages.texts[0]));
        QVERIFY(f.database().allLines().empty());
        QCOMPARE(f.field("edCR_Ac_JenName_01")->text(), QString("원재료비"));
        QCOMPARE(f.field("edDR_Ac_JenName_01")->text(), QString("원재료"));
        QCOMPARE(Str_DelSpace(amount->text()), QString("1,000"));
        QCOMPARE(f.window().mode(), EntryMode::New);
    }

    void aCorrectionAndADeleteOnALockedDayAreRefused()
    {
        EntryFixture f(
            EntryFixture::Windows::WholeSet,
            [](TestDatabase &) {
                store::saveNewVoucher(sampleVoucher(today, 0, {"01", "02"}, "마감"));
                store::setLockDate(today);
            },
            server());
        EntryWindow &w = f.window();
        const std::vector<store::StoredLine> stored = f.database().allLines();
        chooseRow(w, 0);
        QLineEdit *text = f.field("edCR_Ac_Text_01");
        focusOn(text);
        text->clear();
        commitText(text, "고친 적요");
        QTest::mouseClick(w.SaveBtn, Qt::LeftButton);
        QCOMPARE(f.messages.texts.size(), 1);
        QVERIFY2(f.messages.texts[0].contains(lockNamed()), qPrintable(f.messages.texts[0]));
        QCOMPARE(text->text(), QString("고친 적요"));
        QVERIFY(w.panel(1)->isEnabled());

        f.messages.clear();
        QTest::mouseClick(w.DeleteBtn, Qt::LeftButton);
        QCOMPARE(f.messages.texts.size(), 1);
        QVERIFY2(f.messages.texts[0].contains(lockNamed()), qPrintable(f.messages.texts[0]));
        QVERIFY(w.panel(1)->isVisible());
        const std::vector<store::StoredLine> after = f.database().allLines();
        QCOMPARE(after.size(), stored.size());
        for (size_t i = 0; i < after.size(); ++i)
            QCOMPARE(after[i].Ac_Text, stored[i].Ac_Text);
    }

    void ctrlPPrintsTheListedDayInNumberOrder()
    {
        QStringList numbers;
        EntryFixture f(
            EntryFixture::Windows::WholeSet,
            [&](TestDatabase &) {
                for (int i = 0; i < 3; ++i)
                    numbers << store::saveNewVoucher(sampleVoucher(today, 0, {"01"}, "하루")).serialJen;
                store::saveNewVoucher(sampleVoucher(today, 1, {"01"}, "다른 지점"));
            },
            server());
        EntryWindow &w = f.window();
        QCOMPARE(w.PrintDayAction->shortcut(), QKeySequence("Ctrl+P"));
        QVERIFY(w.DBGrid1->actions().contains(w.PrintDayAction));
        QCOMPARE(w.DBGrid1->contextMenuPolicy(), Qt::ActionsContextMenu);
        std::vector<print::SheetData> shown;
        print::setPreviewHook([&](const print::SheetData &sheet) { shown.push_back(sheet); });
        chooseRow(w, 1);
        const QString loaded = w.edSerial->text();
        QTest::keyClick(w.DBGrid1, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(shown.size(), size_t(3));
        for (size_t i = 0; i < shown.size(); ++i) {
            QCOMPARE(shown[i].qlJen, "전표번호 :" + numbers[int(i)]);
            QCOMPARE(shown[i].qlKubun, QString("구    분 :본사/서울"));
            QCOMPARE(shown[i].qlReprint, QString());
        }
        QCOMPARE(f.messages.texts, QStringList());
        QCOMPARE(w.edSerial->text(), loaded);
        // Printed again: each sheet says so.
        w.PrintDayAction->trigger();
        QCOMPARE(shown.size(), size_t(6));
        QCOMPARE(shown[3].qlReprint, QString("재발행 (2회째 출력)"));
    }

    void anEmptyDayHasNothingToPrint()
    {
        EntryFixture f(EntryFixture::Windows::WholeSet, {}, server());
        bool shown = false;
        print::setPreviewHook([&](const print::SheetData &) { shown = true; });
        f.window().PrintDayAction->trigger();
        QVERIFY(!shown);
        QCOMPARE(f.messages.texts, QStringList({"현재 데이타가 없읍니다...."}));
    }
};

QTEST_MAIN(TestLockedDay)
#include "test_lockedday.moc"
