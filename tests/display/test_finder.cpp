// The voucher finder on a real display, on both engines: F3 opens it over the
// entry window, Enter walks the criteria and searches from the last one, the
// arrow keys and Enter pick a result, and the entry window shows that voucher
// as if the clerk had listed its day and clicked its row (mode "2", the row
// current); criteria that cannot be searched are told; Ctrl+F opens it too and
// Esc closes it; the results exported from it read back as they were shown.
#include "support/desk.h"
#include "support/entryfixture.h"
#include "support/workbook.h"

#include "app/windowset.h"
#include "entry/entrywindow.h"
#include "store/csvimport.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Three vouchers: two of the head office (one of two entries) and one of the
// second branch, on days other than today.
void storeVouchers(TestDatabase &)
{
    store::saveNewVoucher(sampleVoucher("2001-05-29", 0, {"01"}, "다른"));
    store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01", "02"}, "찾을"));
    store::saveNewVoucher(sampleVoucher("2001-05-31", 1, {"01"}, "찾을"));
}

QWidget *shownFinder()
{
    QWidget *finder = windowByName("VoucherFinder");
    return finder && finder->isVisible() ? finder : nullptr;
}

template <typename T> T *in(QWidget *finder, const char *name)
{
    return finder->findChild<T *>(QString::fromLatin1(name));
}

// Opens the finder with F3 and types the criteria the clerk's way: each field
// followed by Enter (an empty string leaves a field as it is), the last Enter
// searching.
QWidget *searchByKeys(const QStringList &typed)
{
    clerk::key("F3");
    QWidget *finder = nullptr;
    if (!QTest::qWaitFor([&] { return (finder = shownFinder()) && finder->isActiveWindow(); }, 5000))
        return nullptr;
    for (const QString &text : typed) {
        if (!text.isEmpty()) {
            clerk::key("ctrl+a");
            clerk::type(text);
        }
        clerk::key("Return");
    }
    return finder;
}

// Dates, branch, number, account, customer, employee, department, project,
// item, amounts, description: thirteen fields.
QStringList criteria(const QString &from, const QString &to, const QString &account)
{
    QStringList typed{from, to, "", "", account};
    while (typed.size() < 13)
        typed << "";
    return typed;
}

} // namespace

class TestFinder : public BothEnginesTestCase
{
    Q_OBJECT

private slots:
    void aPickedEntryIsLoadedAsIfItsRowWereClicked()
    {
        Desk desk(server(), storeVouchers);
        EntryWindow &w = desk.window();
        QWidget *finder = searchByKeys(criteria("2001-05-01", "2001-05-31", "찾을"));
        QVERIFY(finder);
        auto *grid = in<QTableView>(finder, "FinderGrid");
        QTRY_COMPARE(grid->model()->rowCount(), 3);
        QCOMPARE(in<QLabel>(finder, "FinderStatus")->text(), QString("찾은 항목 3건"));
        QCOMPARE(clerk::focused(), QString("FinderGrid"));
        QCOMPARE(grid->model()->index(1, 2).data().toString(), QString("2001-05-30-00000001"));
        QCOMPARE(grid->model()->index(1, 6).data().toString(), QString("2,000"));

        // The second entry of the second voucher, then the other branch's voucher.
        clerk::key("Down");
        clerk::key("Return");
        QTRY_VERIFY(!shownFinder());
        QVERIFY(clerk::waitActive(&w));
        QCOMPARE(w.edDate->text(), QString("2001-05-30"));
        QCOMPARE(w.cbKubun->currentIndex(), 0);
        QCOMPARE(w.edSerial->text(), QString("2001-05-30-00000001"));
        QCOMPARE(w.mode(), EntryMode::Loaded);
        QCOMPARE(w.list().rowCount(), 2);
        QCOMPARE(w.currentListRow(), 1);
        QCOMPARE(w.field("edCR_Ac_Text_02")->text(), QString("찾을 02 차변 적요"));
        QVERIFY(w.panel(2)->isEnabled());
        QVERIFY(!w.panel(1)->isEnabled());
        QTRY_COMPARE(clerk::focused(), QString("DBGrid1"));

        // F3 again: the finder as it was left; a double click loads.
        clerk::key("F3");
        QTRY_VERIFY(shownFinder() && finder->isActiveWindow());
        QCOMPARE(grid->model()->rowCount(), 3);
        clerk::doubleClick(grid->viewport(), grid->visualRect(grid->model()->index(2, 2)).center());
        QTRY_VERIFY(!shownFinder());
        QTRY_COMPARE(w.edSerial->text(), QString("2001-05-31-00000001"));
        QCOMPARE(w.cbKubun->currentIndex(), 1);
        QCOMPARE(w.mode(), EntryMode::Loaded);
        QCOMPARE(w.currentListRow(), 0);
        QCOMPARE(desk.boxes.texts, QStringList());
    }

    void criteriaThatCannotBeSearchedAreTold_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("focus");
        QTest::newRow("a range given backwards") << criteria("2001-05-31", "2001-05-29", "")
                                                 << "기간이 거꾸로입니다: 시작일자 2001-05-31이(가) 끝일자 "
                                                    "2001-05-29보다 늦습니다."
                                                 << "edFindFrom";
        QTest::newRow("no criterion over two years")
            << criteria("1999-01-01", "2001-05-31", "") << "다른 조건 없이는 366일까지의 기간만 찾을 수 있습니다."
            << "edFindFrom";
        QStringList letters = criteria("2001-05-01", "2001-05-31", "");
        letters[10] = "만원";
        QTest::newRow("an amount in words") << letters << "금액은 숫자로 15자리까지 입력하세요: 만원"
                                            << "edFindAmountFrom";
    }
    void criteriaThatCannotBeSearchedAreTold()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, said);
        QFETCH(QString, focus);
        Desk desk(server(), storeVouchers);
        QWidget *finder = searchByKeys(typed);
        QVERIFY(finder);
        QTRY_COMPARE(desk.boxes.texts.size(), 1);
        QVERIFY2(desk.boxes.texts[0].startsWith(said), qPrintable(desk.boxes.texts[0]));
        QVERIFY(clerk::waitActive(finder));
        QTRY_COMPARE(clerk::focused(), focus);
        QCOMPARE(in<QTableView>(finder, "FinderGrid")->model()->rowCount(), 0);
        QCOMPARE(desk.window().mode(), EntryMode::Ready);
    }

    void ctrlFOpensItEscClosesItAndTheKeysAreShown()
    {
        Desk desk(server(), storeVouchers);
        EntryWindow &w = desk.window();
        QVERIFY(w.DBGrid1->actions().contains(w.FindAction));
        QCOMPARE(w.FindAction->shortcut().toString(), QString("F3"));
        QVERIFY(w.FindAction->toolTip().contains("F3") && w.FindAction->toolTip().contains("Ctrl+F"));
        clerk::key("ctrl+f");
        QWidget *finder = nullptr;
        QTRY_VERIFY((finder = shownFinder()) && finder->isActiveWindow());
        QCOMPARE(clerk::focused(), QString("edFindFrom"));
        // Both dates start at the header's date.
        QCOMPARE(in<QLineEdit>(finder, "edFindFrom")->text(), w.edDate->text());
        QCOMPARE(in<QLineEdit>(finder, "edFindTo")->text(), w.edDate->text());
        QVERIFY(in<QPushButton>(finder, "FindBtn")->toolTip().contains("Alt+F"));
        QVERIFY(in<QPushButton>(finder, "ExportBtn")->toolTip().contains("Alt+E"));
        QVERIFY(in<QPushButton>(finder, "CloseFinderBtn")->toolTip().contains("Esc"));
        // Alt+F searches from any field: today has no voucher.
        clerk::key("alt+f");
        QTRY_COMPARE(in<QLabel>(finder, "FinderStatus")->text(), QString("찾은 항목이 없습니다."));
        // Enter on a button presses it.
        in<QLabel>(finder, "FinderStatus")->clear();
        in<QPushButton>(finder, "FindBtn")->setFocus();
        clerk::key("Return");
        QTRY_COMPARE(in<QLabel>(finder, "FinderStatus")->text(), QString("찾은 항목이 없습니다."));
        clerk::key("Escape");
        QTRY_VERIFY(!shownFinder());
        QVERIFY(clerk::waitActive(&w));
        QCOMPARE(desk.boxes.texts, QStringList());
    }

    void aNewVoucherBeingTypedIsNotReplaced()
    {
        Desk desk(server(), storeVouchers);
        EntryWindow &w = desk.window();
        clerk::click(w.field("edCR_Ac_Text_01"));
        clerk::type("쓰는 중");
        w.setMode(EntryMode::New);
        QWidget *finder = searchByKeys(criteria("2001-05-01", "2001-05-31", "찾을"));
        QVERIFY(finder);
        QTRY_COMPARE(in<QTableView>(finder, "FinderGrid")->model()->rowCount(), 3);
        clerk::key("Return");
        QTRY_COMPARE(desk.boxes.texts.size(), 1);
        QVERIFY(desk.boxes.texts[0].startsWith("입력 중인 새 전표가 있습니다."));
        QCOMPARE(w.field("edCR_Ac_Text_01")->text(), QString("쓰는 중"));
        QCOMPARE(w.mode(), EntryMode::New);
    }

    void theResultsExportAsTheyAreShown_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("a workbook") << "found.xlsx";
        QTest::newRow("a CSV file") << "found.csv";
    }
    void theResultsExportAsTheyAreShown()
    {
        QFETCH(QString, file);
        Desk desk(server(), storeVouchers);
        QWidget *finder = searchByKeys(criteria("2001-05-01", "2001-05-31", "찾을"));
        QVERIFY(finder);
        QTRY_COMPARE(in<QTableView>(finder, "FinderGrid")->model()->rowCount(), 3);
        QTemporaryDir folder;
        const QString path = folder.filePath(file);
        // The file dialog runs its own loop: the clerk's answer comes from a
        // timer, once it is the active window: the name typed into its name
        // field, and Enter.
        desk.boxes.leaveOpen("찾은 항목 내보내기");
        bool answered = false;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (answered || !dialog || !dialog->isActiveWindow())
                return;
            answered = true;
            clerk::settle(200);
            clerk::key("ctrl+a");
            clerk::type(path);
            clerk::key("Return");
        });
        answer.start(50);
        clerk::key("alt+e");
        QTRY_VERIFY(QFile::exists(path));
        QVERIFY(answered);
        QTRY_VERIFY(in<QLabel>(finder, "FinderStatus")->text().startsWith("3건을"));
        if (file.endsWith(".xlsx")) {
            const QMap<QString, QString> cells = workbookCells(path);
            QVERIFY(cells.contains("frozen"));
            QCOMPARE(cells.value("A1"), QString("s|일자|"));
            QCOMPARE(cells.value("A2"), QString("n|37041|yyyy-mm-dd")); // 2001-05-30
            QCOMPARE(cells.value("C3"), QString("s|2001-05-30-00000001|"));
            QCOMPARE(cells.value("D3"), QString("s|02|"));
            QCOMPARE(cells.value("I3"), QString("n|2000|#,##0"));
            QCOMPARE(cells.value("B4"), QString("s|") + desk.window().cbKubun->itemText(1) + "|");
            QVERIFY(!cells.contains("A5"));
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const store::DecodedText decoded = store::decodeCsvBytes(f.readAll());
            QCOMPARE(decoded.encoding, QString("UTF-8 (BOM)"));
            const store::CsvText parsed = store::parseCsv(decoded.text);
            QCOMPARE(parsed.records.size(), 4);
            QCOMPARE(parsed.records[0].fields.value(0), QString("일자"));
            QCOMPARE(parsed.records[2].fields.mid(0, 4),
                     QStringList({"2001-05-30", desk.window().cbKubun->itemText(0), "2001-05-30-00000001", "02"}));
            QCOMPARE(parsed.records[2].fields.value(8), QString("2000"));
            QCOMPARE(parsed.records[2].fields.value(9), QString("찾을 02 차변 적요"));
        }
        QCOMPARE(desk.boxes.texts, QStringList());
    }
};

QTEST_MAIN(TestFinder)
#include "test_finder.moc"
