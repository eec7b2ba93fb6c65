// Copy, reverse and the undo of a delete on both engines: a copy is a whole new
// voucher under the next number of its date or nothing at all; a reversal
// swaps each entry's lines, keeps the amounts, marks the description and is
// linked to its original, and is refused twice over; an undone delete brings
// the lines back exactly, or is refused when its place was taken; a locked day
// refuses all three with nothing written.
#include "base/error.h"
#include "store/ledgerbook.h"
#include "store/sqlrun.h"
#include "store/voucherbook.h"
#include "store/voucherline.h"
#include "support/testdb.h"

#include <QTest>

namespace {

const QString day = QStringLiteral("2001-05-30");
const QString otherDay = QStringLiteral("2001-06-02");
const QString branch = QStringLiteral("00000");

// Every stored line with every column, End_Day as the store's own text.
QStringList stored(TestDatabase &db)
{
    QStringList lines;
    for (const store::StoredLine &l : db.allLines()) {
        QStringList values;
        for (const store::LineColumn &column : store::lineColumns()) {
            if (column.stored)
                values << l.*column.stored;
            else if (column.storedAmount)
                values << QString::number(l.*column.storedAmount, 'g', 17);
        }
        lines << (values << l.End_Day_Text).join(QLatin1Char('|'));
    }
    return lines;
}

std::vector<store::StoredLine> linesOf(TestDatabase &db, const QString &serialJen)
{
    std::vector<store::StoredLine> lines;
    for (const store::StoredLine &line : db.allLines())
        if (line.Serial_Jen.trimmed() == serialJen)
            lines.push_back(line);
    return lines;
}

int links(TestDatabase &db)
{
    return db.column(QStringLiteral("select count(*) from Voucher_Link")).value(0).toInt();
}

// The AppError's message of a write that must be refused; empty when it was not.
QString refusal(const std::function<void()> &write)
{
    try {
        write();
    } catch (const AppError &error) {
        return error.message();
    }
    return {};
}

} // namespace

class TestVoucherBook : public StoreTestCase
{
    Q_OBJECT

private slots:
    void aCopyIsTheWholeVoucherUnderTheNextNumberOfItsDate()
    {
        const QString original = store::saveNewVoucher(sampleVoucher(day, 0, {"01", "03"}, "원본")).serialJen;
        store::saveNewVoucher(sampleVoucher(otherDay, 0, {"01"}, "먼저"));
        const QStringList before = stored(database());
        const store::SavedVoucher copy = store::copyVoucher(day, branch, original, otherDay);
        QCOMPARE(copy.serialJen, otherDay + "-00000002");
        QCOMPARE(copy.lastKey, otherDay + "-0000000201");
        const std::vector<store::StoredLine> from = linesOf(database(), original);
        const std::vector<store::StoredLine> made = linesOf(database(), copy.serialJen);
        QCOMPARE(made.size(), size_t(4));
        for (size_t i = 0; i < made.size(); ++i) {
            QCOMPARE(made[i].Date_Day, otherDay);
            QCOMPARE(made[i].Month_Char, QString("06"));
            QCOMPARE(made[i].Serial,
                     "AA*00000*3*" + copy.serialJen + "*" + from[i].Serial_Bun + "*A005*" + from[i].Serial_CrDr);
            QCOMPARE(made[i].Serial_Bun, from[i].Serial_Bun);
            QCOMPARE(made[i].Ac_JenCode, from[i].Ac_JenCode);
            QCOMPARE(made[i].Ac_Text, from[i].Ac_Text);
            QCOMPARE(made[i].Sawon_Name, from[i].Sawon_Name);
            QCOMPARE(made[i].Cr_Amt, from[i].Cr_Amt);
            QCOMPARE(made[i].Dr_Amt, from[i].Dr_Amt);
            QVERIFY(made[i].End_Day.isValid());
        }
        // The original and the other day's voucher are as they were.
        for (const QString &line : before)
            QVERIFY(stored(database()).contains(line));
    }

    void aCopyThatCannotBeWholeWritesNothing_data()
    {
        QTest::addColumn<QString>("why");
        QTest::addColumn<QString>("toDate");
        QTest::addColumn<QString>("said");
        QTest::newRow("a date that is no date") << ""
                                                << "2001-02-30"
                                                << "2001-02-30 : 유효하지 않은 날짜 형식입니다.";
        QTest::newRow("a day whose numbers are all used") << "exhausted" << otherDay << "99999999번까지 모두 사용";
        QTest::newRow("a line the database refuses halfway") << "refused" << otherDay << "line refused";
        QTest::newRow("a voucher deleted meanwhile") << "gone" << otherDay << "저장되어 있지 않습니다";
        QTest::newRow("a locked day") << "locked" << otherDay << "2001-06-05까지는 마감되어";
    }
    void aCopyThatCannotBeWholeWritesNothing()
    {
        QFETCH(QString, why);
        QFETCH(QString, toDate);
        QFETCH(QString, said);
        store::NewVoucher voucher = sampleVoucher(day, 0, {"01", "02"}, "원본");
        if (why == "refused")
            voucher.entries[1].debit.acText = TestDatabase::refusedText();
        const QString original = store::saveNewVoucher(voucher).serialJen;
        if (why == "exhausted")
            database().insertRaw(sampleLine(otherDay, otherDay + "-99999999", "01", "01"));
        if (why == "refused")
            database().refuseMarkedLines();
        if (why == "gone") {
            store::deleteEntry(original + "01");
            store::deleteEntry(original + "02");
        }
        if (why == "locked")
            store::setLockDate("2001-06-05");
        const QStringList before = stored(database());
        const QString message = refusal([&] { store::copyVoucher(day, branch, original, toDate); });
        QVERIFY2(message.contains(said), qPrintable(message));
        QCOMPARE(stored(database()), before);
    }

    void aReversalSwapsEachEntrysLinesAndIsLinked()
    {
        database().addBranch(branch, "본점", "서울");
        const QString original = store::saveNewVoucher(sampleVoucher(day, 0, {"01", "02"}, "원본")).serialJen;
        const store::SavedVoucher reversal = store::reverseVoucher(day, branch, original);
        QCOMPARE(reversal.serialJen, day + "-00000002");
        const std::vector<store::StoredLine> from = linesOf(database(), original);
        const std::vector<store::StoredLine> made = linesOf(database(), reversal.serialJen);
        QCOMPARE(made.size(), size_t(4));
        for (size_t i = 0; i < made.size(); ++i) {
            const store::StoredLine &other = from[i ^ 1]; // the entry's other line
            QCOMPARE(made[i].Serial_Bun, from[i].Serial_Bun);
            QCOMPARE(made[i].Serial_CrDr, from[i].Serial_CrDr);
            QCOMPARE(made[i].Ac_JenCode, other.Ac_JenCode);
            QCOMPARE(made[i].Ac_JenName, other.Ac_JenName);
            QCOMPARE(made[i].Kubun_Name, other.Kubun_Name);
            QCOMPARE(made[i].Cr_Amt, from[i].Cr_Amt);
            QCOMPARE(made[i].Dr_Amt, from[i].Dr_Amt);
            QCOMPARE(made[i].Ac_Text, "역분개: " + original + " " + other.Ac_Text);
        }
        QCOMPARE(store::reversalOf(original), reversal.serialJen);
        QCOMPARE(store::reversedBy(reversal.serialJen), original);
        // The day's listing has both, and the day's debits add up both.
        QCOMPARE(store::listVouchers(day, branch).size(), size_t(4));
        QCOMPARE(store::dayTotal(day, branch), 2 * (1000.0 + 2000.0));
    }

    void aReversalKeepsItsMarkWithinTheDescription()
    {
        QCOMPARE(store::reversalText(day + "-00000001", QString(500, QChar(0xC801))).size(), store::descriptionLength);
        QCOMPARE(store::reversalText(day + "-00000001", "  "), "역분개: " + day + "-00000001");
    }

    void aReversalIsRefusedTwice_data()
    {
        QTest::addColumn<QString>("reverse");
        QTest::addColumn<QString>("said");
        QTest::newRow("the original again") << "original"
                                            << "이미 전표 2001-05-30-00000002(으)로 역분개되었습니다";
        QTest::newRow("the reversal of an original still stored") << "reversal"
                                                                  << "전표 2001-05-30-00000001의 역분개 전표입니다";
    }
    void aReversalIsRefusedTwice()
    {
        QFETCH(QString, reverse);
        QFETCH(QString, said);
        const QString original = store::saveNewVoucher(sampleVoucher(day, 0, {"01"}, "원본")).serialJen;
        const QString reversal = store::reverseVoucher(day, branch, original).serialJen;
        const QStringList before = stored(database());
        const QString message =
            refusal([&] { store::reverseVoucher(day, branch, reverse == "original" ? original : reversal); });
        QVERIFY2(message.contains(said), qPrintable(message));
        QCOMPARE(stored(database()), before);
        QCOMPARE(links(database()), 1);
    }

    void aReversalNoLongerStoredLetsTheOriginalBeReversedAgain()
    {
        const QString original = store::saveNewVoucher(sampleVoucher(day, 0, {"01"}, "원본")).serialJen;
        const QString first = store::reverseVoucher(day, branch, original).serialJen;
        store::deleteEntry(first + "01");
        const QString second = store::reverseVoucher(day, branch, original).serialJen;
        QCOMPARE(store::reversalOf(original), second);
        QCOMPARE(links(database()), 1);
        // And a reversal whose original is gone may itself be reversed.
        store::deleteEntry(original + "01");
        const QString third = store::reverseVoucher(day, branch, second).serialJen;
        QCOMPARE(store::reversedBy(third), second);
    }

    void anUndoneDeleteBringsTheLinesBackExactly()
    {
        const QString number = store::saveNewVoucher(sampleVoucher(day, 0, {"01", "02"}, "원본")).serialJen;
        // Values no save of the program writes: blanks kept, a finer End_Day, none at all.
        store::exec(store::account(),
                    QStringLiteral("update Account_Jen_AA set Ac_Text = '  여백 적요  ', "
                                   "End_Day = '2001-05-30 09:08:07.123456' where Serial_CrDr = '01'"));
        store::exec(store::account(),
                    "update Account_Jen_AA set End_Day = NULL, Cr_Amt = 0.1 where Serial_CrDr = '02'");
        const QStringList before = stored(database());
        const store::DeletedEntry deleted = store::deleteEntryKept(number + "02");
        QCOMPARE(deleted.lines.size(), size_t(2));
        QVERIFY(!deleted.voucherGone);
        QCOMPARE(stored(database()).size(), 2);
        store::restoreEntry(deleted);
        QCOMPARE(stored(database()), before);
        QVERIFY(before.join("").contains("2001-05-30 09:08:07.123456"));
    }

    void anUndoIsRefusedWhenItsPlaceWasTaken_data()
    {
        QTest::addColumn<QString>("entries");
        QTest::addColumn<QString>("said");
        QTest::newRow("the number went to another voucher") << "01"
                                                            << "다른 전표가 전표번호 2001-05-30-00000001을(를)";
        QTest::newRow("the entry was stored again") << "01 02"
                                                    << "전표 2001-05-30-00000001의 02번 항목이 다시";
    }
    void anUndoIsRefusedWhenItsPlaceWasTaken()
    {
        QFETCH(QString, entries);
        QFETCH(QString, said);
        const QStringList numbers = entries.split(' ');
        const QString number = store::saveNewVoucher(sampleVoucher(day, 0, numbers, "원본")).serialJen;
        const store::DeletedEntry deleted = store::deleteEntryKept(number + numbers.last());
        if (numbers.size() == 1) {
            QVERIFY(deleted.voucherGone);
            QCOMPARE(store::saveNewVoucher(sampleVoucher(day, 0, {"02"}, "새 전표")).serialJen, number);
        } else {
            database().insertRaw(sampleLine(day, number, "02", "01"));
        }
        const QStringList before = stored(database());
        const QString message = refusal([&] { store::restoreEntry(deleted); });
        QVERIFY2(message.contains(said), qPrintable(message));
        QCOMPARE(stored(database()), before);
    }

    void aLockedDayRefusesCopyReverseAndUndo_data()
    {
        QTest::addColumn<QString>("write");
        QTest::newRow("a copy onto the locked day") << "copy";
        QTest::newRow("a reversal on the locked day") << "reverse";
        QTest::newRow("an undo of a delete made before the lock") << "undo";
    }
    void aLockedDayRefusesCopyReverseAndUndo()
    {
        QFETCH(QString, write);
        const QString open = store::saveNewVoucher(sampleVoucher(otherDay, 0, {"01"}, "열린 날")).serialJen;
        const QString locked = store::saveNewVoucher(sampleVoucher(day, 0, {"01", "02"}, "마감")).serialJen;
        const store::DeletedEntry deleted = store::deleteEntryKept(locked + "02");
        store::setLockDate("2001-05-31");
        const QStringList before = stored(database());
        const QString message = refusal([&] {
            if (write == "copy")
                store::copyVoucher(otherDay, branch, open, day);
            else if (write == "reverse")
                store::reverseVoucher(day, branch, locked);
            else
                store::restoreEntry(deleted);
        });
        QVERIFY2(message.contains("2001-05-31까지는 마감되어"), qPrintable(message));
        QCOMPARE(stored(database()), before);
        QCOMPARE(links(database()), 0);
    }

    void anEarlierDatabaseGetsTheLinkTableWhenOpened()
    {
        store::exec(store::account(), "drop table Voucher_Link");
        store::closeAccount();
        QCOMPARE(links(database()), 0);
        const QString original = store::saveNewVoucher(sampleVoucher(day, 0, {"01"}, "원본")).serialJen;
        store::reverseVoucher(day, branch, original);
        QCOMPARE(links(database()), 1);
    }
};

QTEST_MAIN(TestVoucherBook)
#include "test_voucherbook.moc"
