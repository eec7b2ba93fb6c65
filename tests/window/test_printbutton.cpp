// The print button: its two warnings, the sheet's headings as the window shows
// them, and the voucher number emptied once the preview is closed.
#include "support/entryfixture.h"

#include "print/voucherprint.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>

class TestPrintButton : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { print::setPreviewHook({}); }

    void printsTheChosenVoucherOnce()
    {
        const QString today = QDate::currentDate().toString("yyyy-MM-dd");
        QString number;
        EntryFixture f(EntryFixture::Windows::WholeSet, [&](TestDatabase &) {
            number = store::saveNewVoucher(sampleVoucher(today, 0, {"01", "02"})).serialJen;
        });
        std::vector<print::SheetData> shown;
        print::setPreviewHook([&](const print::SheetData &sheet) { shown.push_back(sheet); });
        EntryWindow &w = f.window();
        QTest::mouseClick(w.DBGrid1->viewport(), Qt::LeftButton, {},
                          w.DBGrid1->visualRect(w.list().index(0, 3)).center());
        QTest::mouseClick(w.PrintBtn, Qt::LeftButton);
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].qlKubun, QString("구    분 :본사/서울"));
        QCOMPARE(shown[0].qlJen, "전표번호 :" + number);
        QCOMPARE(shown[0].qlDate, "기준일자 : " + today);
        QCOMPARE(shown[0].rows.size(), size_t(10));
        QCOMPARE(w.edSerial->text(), QString());

        QTest::mouseClick(w.PrintBtn, Qt::LeftButton);
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(f.messages.texts, QStringList({"그리드의 레코드를 선택하세요...."}));
        QCOMPARE(w.mode(), EntryMode::Loaded);
    }

    void anEmptyListHasNothingToPrint()
    {
        EntryFixture f(EntryFixture::Windows::WholeSet);
        bool shown = false;
        print::setPreviewHook([&](const print::SheetData &) { shown = true; });
        f.window().PrintBtnClick();
        QVERIFY(!shown);
        QCOMPARE(f.messages.texts, QStringList({"현재 데이타가 없읍니다...."}));
        QCOMPARE(focusedName(), QString("Panel7"));
    }
};

QTEST_MAIN(TestPrintButton)
#include "test_printbutton.moc"
