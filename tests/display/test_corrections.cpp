// Corrections of stored entries, as the clerk makes them on a real display, on
// both engines, in Korea's time zone (and once in UTC): a line saved by this
// program and one stamped by the engine's own clock (to the second on SQLite,
// to the microsecond on PostgreSQL) can both be corrected, and End_Day is
// written in the clerk's local time.
#include "support/desk.h"
#include "support/entryfixture.h"

#include "entry/entrywindow.h"
#include "store/sqlrun.h"

#include <QDate>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

namespace {

const QString today = QDate::currentDate().toString("yyyy-MM-dd");

void storeVoucher(TestDatabase &db)
{
    for (const QString side : {"01", "02"})
        db.insertRaw(sampleLine(today, today + "-00000001", "01", side));
}

} // namespace

class TestCorrections : public BothEnginesTestCase
{
    Q_OBJECT

private slots:
    void aLoadedEntryIsCorrected_data()
    {
        QTest::addColumn<QString>("writtenBy");
        QTest::newRow("this program") << "program";
        QTest::newRow("the engine's clock") << "engine";
    }
    void aLoadedEntryIsCorrected()
    {
        QFETCH(QString, writtenBy);
        const bool pg = server() != nullptr;
        Desk desk(server(), [&](TestDatabase &db) {
            storeVoucher(db);
            if (writtenBy == "engine")
                store::exec(store::account(), pg ? "UPDATE Account_Jen_AA SET End_Day = clock_timestamp()"
                                                 : "UPDATE Account_Jen_AA SET End_Day = datetime('now', 'localtime')");
        });
        EntryWindow &w = desk.window();
        QCOMPARE(w.list().rowCount(), 1);
        for (int round = 1; round <= 2; ++round) { // and once more after the reload
            clerk::click(w.DBGrid1->viewport(), w.DBGrid1->visualRect(w.DBGrid1->model()->index(0, 1)).center());
            QTRY_COMPARE(w.mode(), EntryMode::Loaded);
            QLineEdit *text = w.field("edCR_Ac_Text_01");
            clerk::click(text);
            clerk::key("End");
            clerk::type(QString(" fix%1").arg(round));
            clerk::key("alt+s");
            QTRY_VERIFY(desk.database().allLines().at(0).Ac_Text.endsWith(QString("fix%1").arg(round)));
            QCOMPARE(desk.boxes.texts, QStringList());
        }
        // Written in the clerk's own time, whatever the server's zone.
        const QDateTime written = desk.database().allLines().at(0).End_Day;
        QVERIFY2(qAbs(written.secsTo(QDateTime::currentDateTime())) < 300,
                 qPrintable(desk.database().allLines().at(0).End_Day_Text));
    }
};

QTEST_MAIN(TestCorrections)
#include "test_corrections.moc"
