// The voucher list of a date and branch, and loading the chosen voucher.
#include "support/entryfixture.h"

#include "entry/voucherlistmodel.h"
#include "ui/fields.h"

#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

const QString today = QDate::currentDate().toString("yyyy-MM-dd");

void clickRow(EntryWindow &w, int row)
{
    QTest::mouseClick(w.DBGrid1->viewport(), Qt::LeftButton, {},
                      w.DBGrid1->visualRect(w.list().index(row, 3)).center());
}

} // namespace

class TestVoucherList : public QObject
{
    Q_OBJECT

private slots:
    void choosingAnEntryLoadsItsVoucher()
    {
        QString number;
        EntryFixture f([&](TestDatabase &) {
            number = store::saveNewVoucher(sampleVoucher(today, 0, {"01", "02", "03"})).serialJen;
        });
        EntryWindow &w = f.window();
        QCOMPARE(w.list().rowCount(), 3);
        clickRow(w, 1);
        QCOMPARE(w.mode(), EntryMode::Loaded);
        QCOMPARE(w.edSerial->text(), number);
        for (int n = 1; n <= 3; ++n) {
            QVERIFY(w.panel(n)->isVisible());
            QCOMPARE(w.panel(n)->isEnabled(), n == 2);
            QCOMPARE(w.panel(n)->isHighlighted(), n == 2);
            QCOMPARE(w.field("edCR_Ac_JenName", n)->text(), QString("표본 0%1 차변 계정").arg(n));
            QCOMPARE(hiddenCode(w.field("edCR_Ac_JenName", n)), QString("40401001000"));
            QCOMPARE(w.field("edDR_Ac_JenName", n)->text(), QString("표본 0%1 대변 계정").arg(n));
            QCOMPARE(hiddenCode(w.field("edDR_Kubun_Name", n)), QString("S001"));
            QCOMPARE(w.field("edCR_Cr_Amt", n)->text(), QString(21, ' ') + QString("%1,000").arg(n));
            QCOMPARE(w.field("edDR_Dr_Amt", n)->text(), QString(21, ' ') + QString("%1,000").arg(n));
            QCOMPARE(w.field("edCR_Dr_Amt", n)->text(), QString(27, ' ') + "0");
        }
        QVERIFY(!w.panel(4)->isVisible());
        QVERIFY(!w.InsertBtn->isEnabled());
        for (QPushButton *b : {w.CancelBtn, w.SaveBtn, w.DeleteBtn, w.PrintBtn, w.CloseBtn})
            QVERIFY(b->isEnabled());
    }

    void anEmptyListWarnsAndHidesThePanels()
    {
        EntryFixture f;
        EntryWindow &w = f.window();
        QTest::keyClick(w.DBGrid1, Qt::Key_Down);
        QCOMPARE(f.messages.texts.first(), QString("현재 데이타가 없읍니다...."));
        QCOMPARE(f.messages.kinds.first(), Messages::Kind::Warning);
        QCOMPARE(w.mode(), EntryMode::Loaded);
        for (int n = 1; n <= 4; ++n)
            QVERIFY(!w.panel(n)->isVisible());
    }

    void arrowKeysLoadEachRowsVoucher()
    {
        QStringList numbers;
        EntryFixture f([&](TestDatabase &) {
            for (int i = 0; i < 3; ++i)
                numbers << store::saveNewVoucher(sampleVoucher(today, 0, {"01"})).serialJen;
        });
        EntryWindow &w = f.window();
        QCOMPARE(w.list().rowCount(), 3);
        for (int row = 1; row < 3; ++row) {
            QTest::keyClick(w.DBGrid1, Qt::Key_Down);
            QCOMPARE(w.currentListRow(), row);
            QCOMPARE(w.edSerial->text(), numbers[row]);
        }
    }

    // A day of more vouchers than a screen holds: the grid reads further
    // screens as the clerk goes down, and every entry comes in its place.
    void aBusyDayIsWalkedThroughToItsLastEntry()
    {
        QStringList numbers;
        EntryFixture f([&](TestDatabase &) {
            for (int i = 0; i < 2 * store::screenVouchers + 3; ++i)
                numbers << store::saveNewVoucher(sampleVoucher(today, 0, {"01", "02"})).serialJen;
        });
        EntryWindow &w = f.window();
        const int entries = 2 * int(numbers.size());
        QVERIFY2(w.list().rowCount() < entries, "the first screen is not the whole day");
        for (int row = 1; row < entries; ++row) {
            QTest::keyClick(w.DBGrid1, Qt::Key_Down);
            QCOMPARE(w.currentListRow(), row);
            QCOMPARE(w.edSerial->text(), numbers[row / 2]);
        }
        QCOMPARE(w.list().rowCount(), entries);
        QTest::keyClick(w.DBGrid1, Qt::Key_Down);
        QCOMPARE(w.currentListRow(), entries - 1);
        const auto whole = store::listVouchers(today, store::branchCode(0));
        for (int row = 0; row < entries; ++row)
            QCOMPARE(w.list().row(row).serial_ttt, whole[size_t(row)].serial_ttt);
    }

    // Ctrl+End reaches the day's last entry at once, from the first screen.
    void theEndKeyReachesTheDaysLastEntry()
    {
        QStringList numbers;
        EntryFixture f([&](TestDatabase &) {
            for (int i = 0; i < 3 * store::screenVouchers; ++i)
                numbers << store::saveNewVoucher(sampleVoucher(today, 0, {"01"})).serialJen;
        });
        EntryWindow &w = f.window();
        QVERIFY(w.list().rowCount() < int(numbers.size()));
        QTest::keyClick(w.DBGrid1, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(w.currentListRow(), int(numbers.size()) - 1);
        QCOMPARE(w.edSerial->text(), numbers.last());
    }

    // After a save the new voucher's row is made current: it is found in a
    // screen not read yet.
    void aRowBeyondTheFirstScreenIsFound()
    {
        QStringList numbers;
        EntryFixture f([&](TestDatabase &) {
            for (int i = 0; i < 3 * store::screenVouchers; ++i)
                numbers << store::saveNewVoucher(sampleVoucher(today, 0, {"01"})).serialJen;
        });
        VoucherListModel model;
        model.setScreens([](const QString &after) { return store::listVoucherScreen(today, "00000", after); });
        QCOMPARE(model.rowCount(), store::screenVouchers);
        QCOMPARE(model.locate(numbers.last() + "01"), int(numbers.size()) - 1);
        QCOMPARE(model.locate("no such entry"), -1);
        QCOMPARE(model.rowCount(), int(numbers.size()));
    }

    void storedFractionsAreShownRoundedAndOtherBranchesAreNotListed()
    {
        EntryFixture f([&](TestDatabase &) {
            store::NewVoucher v = sampleVoucher(today, 0, {"01"});
            v.entries[0].debit.crAmt = 1234.5;
            v.entries[0].credit.drAmt = 1234.5;
            store::saveNewVoucher(v);
            store::saveNewVoucher(sampleVoucher(today, 2, {"01"}));
        });
        EntryWindow &w = f.window();
        QCOMPARE(w.list().rowCount(), 1);
        QCOMPARE(w.DBGrid1->model()->index(0, 5).data().toString(), QString("1,235"));
        clickRow(w, 0);
        QCOMPARE(w.field("edCR_Cr_Amt_01")->text(), QString(21, ' ') + "1,235");
    }

    void anEntryNumberThatIsNoNumberStopsTheLoad()
    {
        EntryFixture f([&](TestDatabase &db) {
            db.insertRaw(sampleLine(today, today + "-00000001", "x1", "01"));
            db.insertRaw(sampleLine(today, today + "-00000001", "x1", "02"));
        });
        EntryWindow &w = f.window();
        clickRow(w, 0);
        QVERIFY(f.messages.texts.contains("'x1' is not a valid integer value"));
        QCOMPARE(w.field("edCR_Ac_JenName_01")->text(), QString());
    }
};

QTEST_MAIN(TestVoucherList)
#include "test_voucherlist.moc"
