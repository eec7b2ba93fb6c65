// Two clerks, one entry: a correction is written only while the entry's lines
// still carry the End_Day they were loaded with. What another clerk saved in
// between is never overwritten unseen; the clerk is told and sees it. Every
// test runs on SQLite and on PostgreSQL.
//
// The stored lines start with an End_Day of 2001-05-30 09:00 (written
// directly), so that any save through the program gives a different one, at
// whatever speed the test runs.
#include "support/entryfixture.h"

#include "base/error.h"

#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

const QString today = QDate::currentDate().toString("yyyy-MM-dd");
const QString number = today + "-00000001";
const QString changedElsewhere = "이 항목은 불러온 뒤에 다른 사용자가 먼저 수정하여 저장하지 않았습니다.\n"
                                 "지금 저장되어 있는 내용을 다시 읽었습니다. 확인한 뒤 다시 고쳐 저장하세요....";

// A voucher of entries 01 and 02 written as the lines of another program would
// be; `padding` follows the date, number and side, as a fixed-width column
// leaves them (a padded entry number is a conversion error of its own).
void storeVoucher(TestDatabase &db, const QString &padding = {})
{
    for (const char *bun : {"01", "02"})
        for (const char *side : {"01", "02"})
            db.insertRaw(sampleLine(today + padding, number + padding, bun, side + padding));
}

void chooseRow(EntryWindow &w, int row)
{
    QTest::mouseClick(w.DBGrid1->viewport(), Qt::LeftButton, {},
                      w.DBGrid1->visualRect(w.list().index(row, 3)).center());
}

// What another clerk saves to an entry from a window of their own.
void otherClerkSaves(const QString &serialBun, const QString &text)
{
    store::EntryLines entry = sampleEntry(serialBun, 7000, "다른 사원");
    entry.debit.acText = text;
    QVERIFY(store::updateEntry(today, number, entry));
}

QStringList texts(TestDatabase &db)
{
    QStringList all;
    for (const store::StoredLine &line : db.allLines())
        all << line.Serial_Bun.trimmed() + line.Serial_CrDr.trimmed() + " " + line.Ac_Text;
    return all;
}

} // namespace

class TestTwoClerks : public BothEnginesTestCase
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->hide();
    }

    void aCorrectionAfterAnotherClerksSaveIsRefusedAndShowsTheirs()
    {
        EntryFixture f(
            EntryFixture::Windows::EntryOnly, [](TestDatabase &db) { storeVoucher(db); }, server());
        EntryWindow &w = f.window();
        chooseRow(w, 1);
        QCOMPARE(w.edSerial->text(), number);
        otherClerkSaves("02", "다른 사원이 고친 적요");
        const QStringList theirs = texts(f.database());

        f.field("edCR_Ac_Text_02")->setText("내가 고친 적요");
        QTest::mouseClick(w.SaveBtn, Qt::LeftButton);

        QCOMPARE(f.messages.texts, QStringList{changedElsewhere});
        QCOMPARE(f.messages.kinds.value(0), Messages::Kind::Warning);
        QCOMPARE(texts(f.database()), theirs);
        QCOMPARE(f.field("edCR_Ac_Text_02")->text(), QString("다른 사원이 고친 적요"));
        QCOMPARE(f.field("edCR_Cr_Amt_02")->text().trimmed(), QString("7,000"));
        QCOMPARE(w.mode(), EntryMode::Loaded);
        QCOMPARE(w.edSerial->text(), number);
        QCOMPARE(w.list().row(w.currentListRow()).serial_ttt, number + "02");
        QVERIFY(w.panel(2)->isEnabled() && w.panel(2)->isHighlighted());

        // Having seen their lines, the clerk's next correction goes through.
        f.messages.clear();
        f.field("edCR_Ac_Text_02")->setText("확인하고 고친 적요");
        QTest::mouseClick(w.SaveBtn, Qt::LeftButton);
        QCOMPARE(f.messages.texts, QStringList());
        QCOMPARE(f.database().allLines().at(2).Ac_Text, QString("확인하고 고친 적요"));
    }

    void aChangeToTheCreditLineAloneIsSeenToo()
    {
        EntryFixture f(
            EntryFixture::Windows::EntryOnly, [](TestDatabase &db) { storeVoucher(db); }, server());
        EntryWindow &w = f.window();
        chooseRow(w, 0);
        // Another program rewrote the credit line of entry 01 only.
        const std::vector<store::StoredLine> lines = f.database().allLines();
        store::StoredLine credit = lines.at(1);
        credit.End_Day = credit.End_Day.addSecs(1);
        credit.Ac_Text = "다른 사원의 대변 적요";
        store::deleteEntry(number + "01");
        f.database().insertRaw(lines.at(0));
        f.database().insertRaw(credit);

        f.field("edCR_Ac_Text_01")->setText("내가 고친 적요");
        QTest::mouseClick(w.SaveBtn, Qt::LeftButton);
        QCOMPARE(f.messages.texts, QStringList{changedElsewhere});
        const std::vector<store::StoredLine> after = f.database().allLines();
        QCOMPARE(after.at(0).Ac_Text, QString("표본 적요"));
        QCOMPARE(after.at(0).End_Day, lines.at(0).End_Day);
        QCOMPARE(after.at(1).Ac_Text, QString("다른 사원의 대변 적요"));
        QCOMPARE(f.field("edCR_Ac_Text_01")->text(), QString("표본 적요"));
        QCOMPARE(f.field("edDR_Ac_Text_01")->text(), QString("다른 사원의 대변 적요"));
    }

    void anotherEntryOfTheSameVoucherDoesNotStopTheCorrection_data()
    {
        QTest::addColumn<QString>("padding");
        QTest::newRow("lines stored as written") << QString();
        QTest::newRow("lines stored with trailing blanks") << QString("  ");
    }
    void anotherEntryOfTheSameVoucherDoesNotStopTheCorrection()
    {
        QFETCH(QString, padding);
        EntryFixture f(
            EntryFixture::Windows::EntryOnly, [&](TestDatabase &db) { storeVoucher(db, padding); }, server());
        EntryWindow &w = f.window();
        chooseRow(w, 1);
        otherClerkSaves("01", "다른 사원이 고친 1번 적요");
        f.field("edCR_Ac_Text_02")->setText("내가 고친 2번 적요");
        QTest::mouseClick(w.SaveBtn, Qt::LeftButton);
        QCOMPARE(f.messages.texts, QStringList());
        const QStringList stored = texts(f.database());
        QCOMPARE(stored.value(0), QString("0101 다른 사원이 고친 1번 적요"));
        QCOMPARE(stored.value(2), QString("0201 내가 고친 2번 적요"));
    }

    void aLineStoredWithoutEndDayIsCorrectedOnce()
    {
        EntryFixture f(
            EntryFixture::Windows::EntryOnly,
            [](TestDatabase &db) {
                for (const char *side : {"01", "02"}) {
                    store::StoredLine line = sampleLine(today, number, "01", side);
                    line.End_Day = QDateTime();
                    db.insertRaw(line);
                }
            },
            server());
        EntryWindow &w = f.window();
        chooseRow(w, 0);
        QVERIFY(!f.database().allLines().at(0).End_Day.isValid());
        f.field("edCR_Ac_Text_01")->setText("처음 고친 적요");
        QTest::mouseClick(w.SaveBtn, Qt::LeftButton);
        QCOMPARE(f.messages.texts, QStringList());
        QVERIFY(f.database().allLines().at(0).End_Day.isValid());
    }

    // The store's answer, without a window: which of the three it was.
    void theStoreTellsGoneFromChanged_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<int>("outcome");
        QTest::newRow("nothing happened") << "nothing" << int(store::UpdateOutcome::Written);
        QTest::newRow("the entry was saved again") << "saved" << int(store::UpdateOutcome::ChangedElsewhere);
        QTest::newRow("the entry was deleted") << "deleted" << int(store::UpdateOutcome::Gone);
        QTest::newRow("the entry was deleted and saved anew")
            << "deleted and saved" << int(store::UpdateOutcome::ChangedElsewhere);
    }
    void theStoreTellsGoneFromChanged()
    {
        QFETCH(QString, meanwhile);
        QFETCH(int, outcome);
        auto db = server() ? std::make_unique<TestDatabase>(*server()) : std::make_unique<TestDatabase>();
        storeVoucher(*db);
        const std::vector<store::StoredLine> loaded = store::loadVoucherLines(today + "00000", number);
        store::EntryLines mine = sampleEntry("01", 5000, "내 고침");
        mine.debit.acText = "내가 고친 적요";
        mine.debitLoaded = loaded.at(0).End_Day_Text;
        mine.creditLoaded = loaded.at(1).End_Day_Text;
        if (meanwhile == "saved")
            otherClerkSaves("01", "다른 사원이 고친 적요");
        if (meanwhile.startsWith("deleted"))
            store::deleteEntry(number + "01");
        if (meanwhile == "deleted and saved") {
            for (store::StoredLine line : {loaded.at(0), loaded.at(1)}) {
                line.End_Day = line.End_Day.addSecs(60);
                db->insertRaw(line);
            }
        }
        const QStringList before = texts(*db);

        QCOMPARE(int(store::updateEntry(today, number, mine).outcome), outcome);
        if (outcome == int(store::UpdateOutcome::Written))
            QCOMPARE(texts(*db).value(0), QString("0101 내가 고친 적요"));
        else
            QCOMPARE(texts(*db), before);
    }
};

QTEST_MAIN(TestTwoClerks)
#include "test_twoclerks.moc"
