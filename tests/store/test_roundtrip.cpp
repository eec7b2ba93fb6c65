// A voucher through the store: saved, listed, loaded, corrected and deleted,
// with what the database holds checked column by column.
#include "base/error.h"
#include "store/vouchers.h"
#include "support/testdb.h"

#include <QTest>
#include <algorithm>

using store::ListRow;
using store::StoredLine;

namespace {

const QString day = QStringLiteral("2001-05-30");

// A listing row as one readable text: entry key, accounts, amounts, texts, branch.
QString describe(const ListRow &r)
{
    return QStringList{r.serial_ttt, r.serial_jen,  r.serial_bun,  r.Date_day,
                       r.total,      r.ac_jencode1, r.ac_JenName1, QString::number(r.Cr_Amt1),
                       r.ac_text1,   r.ac_jencode2, r.ac_JenName2, QString::number(r.Dr_Amt2),
                       r.ac_text2}
        .join(QLatin1Char('|'));
}

QStringList describe(const std::vector<ListRow> &rows)
{
    QStringList texts;
    for (const ListRow &row : rows)
        texts << describe(row);
    return texts;
}

QStringList keys(const std::vector<ListRow> &rows)
{
    QStringList texts;
    for (const ListRow &row : rows)
        texts << row.serial_ttt;
    return texts;
}

// Every column of a stored line but its time of writing.
QString describe(const StoredLine &l)
{
    return QStringList{l.Serial,
                       l.Serial_Jen,
                       l.Serial_Bun,
                       l.Serial_CrDr,
                       l.Month_Char,
                       l.Year_Char,
                       l.Date_Day,
                       l.Table_Kubun,
                       l.Kubun_Bon,
                       l.Kubun_Jen,
                       l.Kubun_Amt,
                       l.Form_Kubun,
                       l.Giel_Serial,
                       l.Ac_JenCode,
                       l.Ac_JenName,
                       l.Ac_Text,
                       l.Item_Code,
                       l.Item_Name,
                       l.Kubun_Code,
                       l.Kubun_Name,
                       l.Project_Code,
                       l.Project_Name,
                       l.Buser_Code,
                       l.Buser_Name,
                       l.Sawon_Code,
                       l.Sawon_Name,
                       QString::number(l.Cr_Amt),
                       QString::number(l.Dr_Amt)}
        .join(QLatin1Char('|'));
}

QString expectedLine(const QString &serialJen, const QString &bun, const QString &side, const QString &branch,
                     const store::LineFields &f)
{
    return QStringList{QStringLiteral("AA*%1*3*%2*%3*A005*%4").arg(branch, serialJen, bun, side),
                       serialJen,
                       bun,
                       side,
                       QStringLiteral("05"),
                       QStringLiteral("2001"),
                       day,
                       QStringLiteral("AA"),
                       branch,
                       QStringLiteral("3"),
                       QStringLiteral("5"),
                       QStringLiteral("A005"),
                       QStringLiteral("999"),
                       f.acCode,
                       f.acName,
                       f.acText,
                       f.itemCode,
                       f.itemName,
                       f.kubunCode,
                       f.kubunName,
                       f.projectCode,
                       f.projectName,
                       f.buserCode,
                       f.buserName,
                       f.sawonCode,
                       f.sawonName,
                       QString::number(f.crAmt),
                       QString::number(f.drAmt)}
        .join(QLatin1Char('|'));
}

} // namespace

class TestRoundTrip : public StoreTestCase
{
    Q_OBJECT

    void addBranches()
    {
        database().addBranch("00000", "본사", "서울");
        database().addBranch("00001", "부산지점", "부산");
    }

private slots:
    void aSavedVoucherLoadsBackLineByLineWithEveryColumn()
    {
        const store::NewVoucher voucher = sampleVoucher(day, 1, {"01", "03"});
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        const store::SavedVoucher saved = store::saveNewVoucher(voucher);
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);
        QCOMPARE(saved.serialJen, QString("2001-05-30-00000001"));
        QCOMPARE(saved.lastKey, QString("2001-05-30-0000000103"));

        const std::vector<StoredLine> lines = store::loadVoucherLines(day + "00001", saved.serialJen);
        QCOMPARE(int(lines.size()), 4);
        const QString n = saved.serialJen;
        QCOMPARE(describe(lines[0]), expectedLine(n, "01", "01", "00001", voucher.entries[0].debit));
        QCOMPARE(describe(lines[1]), expectedLine(n, "01", "02", "00001", voucher.entries[0].credit));
        QCOMPARE(describe(lines[2]), expectedLine(n, "03", "01", "00001", voucher.entries[1].debit));
        QCOMPARE(describe(lines[3]), expectedLine(n, "03", "02", "00001", voucher.entries[1].credit));
        for (const StoredLine &line : lines)
            QVERIFY2(line.End_Day >= before && line.End_Day <= after,
                     qPrintable(line.End_Day.toString(Qt::ISODateWithMs)));
        QCOMPARE(store::entryNumbers(n, day), QStringList({"01", "03"}));
    }

    // End_Day as either engine or another program may have written it, read
    // as Qt reads an ISO date and time: the clerk's local time.
    void anEndDayIsReadInEveryFormAsAnIsoDateAndTime_data()
    {
        QTest::addColumn<QString>("stored");
        for (const char *text :
             {"2001-05-30 09:00:00", "2001-05-30T09:00:00", "2001-05-30 09:00:00.123", "2001-05-30T23:59:59.999",
              "2001-05-30 09:00:00.5", "2001-05-30 09:00:00.123456", " 2001-05-30 09:00:00 ", "2001-05-30",
              "2001-02-30 09:00:00", "2001-05-30 24:00:00", "2001-05-30 09:60:00", "2001-05-30 09:00:00+09",
              "2001-05-30x09:00:00", "2001-05-30 09:00:00,123", "", "２００１-05-30 09:00:00",
              "2001-04-01 02:30:00"}) // the last: an hour skipped where clocks go forward
            QTest::newRow(text) << QString::fromUtf8(text);
    }
    void anEndDayIsReadInEveryFormAsAnIsoDateAndTime()
    {
        QFETCH(QString, stored);
        QString text = stored.trimmed();
        if (text.size() > 10 && text.at(10) == QLatin1Char(' '))
            text[10] = QLatin1Char('T');
        QDateTime expected = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (!expected.isValid())
            expected = QDateTime::fromString(text, Qt::ISODate);
        expected = expected.isValid() ? expected.toLocalTime() : QDateTime();
        const QDateTime read = store::endDayFrom(stored);
        QCOMPARE(read.isValid(), expected.isValid());
        if (expected.isValid()) {
            QCOMPARE(read, expected);
            QCOMPARE(read.timeSpec(), Qt::LocalTime);
        }
    }

    void theLoadFindsOnlyTheVoucherOfItsDateAndBranch()
    {
        const QString n = store::saveNewVoucher(sampleVoucher(day, 0, {"01"})).serialJen;
        QCOMPARE(int(store::loadVoucherLines(day + "00000", n).size()), 2);
        QVERIFY(store::loadVoucherLines(day + "00001", n).empty());
        QVERIFY(store::loadVoucherLines("2001-05-31"
                                        "00000",
                                        n)
                    .empty());
    }

    void theListingFoldsEachEntryIntoOneRow()
    {
        addBranches();
        const QString n = store::saveNewVoucher(sampleVoucher(day, 1, {"02", "01"}, "가")).serialJen;
        const QStringList expected = {
            n + "01|" + n +
                "|01|2001-05-30|부산지점/부산|40401001000|가 01 차변 계정|1000|가 01 차변 적요|"
                "10102005000|가 01 대변 계정|1000|가 01 대변 적요",
            n + "02|" + n +
                "|02|2001-05-30|부산지점/부산|40401001000|가 02 차변 계정|2000|가 02 차변 적요|"
                "10102005000|가 02 대변 계정|2000|가 02 대변 적요",
        };
        QCOMPARE(describe(store::listVouchers(day, "00001")), expected);
    }

    void theListingIsOrderedByVoucherAndEntry()
    {
        addBranches();
        store::saveNewVoucher(sampleVoucher(day, 0, {"03", "01"}));
        store::saveNewVoucher(sampleVoucher(day, 0, {"02"}));
        QCOMPARE(keys(store::listVouchers(day, "00000")),
                 QStringList({"2001-05-30-0000000101", "2001-05-30-0000000103", "2001-05-30-0000000202"}));
    }

    void theListingLeavesOut_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("branch");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("listed");
        QTest::newRow("another branch's vouchers of the day") << day << "00001"
                                                              << "3"
                                                              << "A005"
                                                              << "00000";
        QTest::newRow("the vouchers of another day") << "2001-05-31"
                                                     << "00000"
                                                     << "3"
                                                     << "A005"
                                                     << "00000";
        QTest::newRow("vouchers of another kind") << day << "00000"
                                                  << "1"
                                                  << "A005"
                                                  << "00000";
        QTest::newRow("vouchers of another form") << day << "00000"
                                                  << "3"
                                                  << "A001"
                                                  << "00000";
        QTest::newRow("vouchers whose branch is not in the branch table") << day << "00007"
                                                                          << "3"
                                                                          << "A005"
                                                                          << "00007";
    }
    void theListingLeavesOut()
    {
        QFETCH(QString, date);
        QFETCH(QString, branch);
        QFETCH(QString, kind);
        QFETCH(QString, form);
        QFETCH(QString, listed);
        addBranches();
        for (const char *side : {"01", "02"}) {
            StoredLine line = sampleLine(date, date + "-00000005", "01", side, branch);
            line.Kubun_Jen = kind;
            line.Form_Kubun = form;
            database().insertRaw(line);
        }
        QVERIFY(store::listVouchers(day, listed).empty());
        QVERIFY(store::listVoucherEntries(day, listed, date + "-00000005").empty());
    }

    void aShortDateListsNothingWhereTheFirstListingMatchedOtherBranches()
    {
        addBranches();
        store::saveNewVoucher(sampleVoucher(day, 1, {"01"}));
        QVERIFY(store::listVouchers("2001-05-3", "00000").empty());
        QCOMPARE(int(store::listVouchersOriginal("2001-05-3", "00000").size()), 1);
    }

    void theFirstListingGivesTheSameRowsForAWholeDate()
    {
        addBranches();
        store::saveNewVoucher(sampleVoucher(day, 0, {"01", "02"}));
        store::saveNewVoucher(sampleVoucher(day, 1, {"04"}));
        store::saveNewVoucher(sampleVoucher(day, 0, {"03"}));
        for (const char *branch : {"00000", "00001"}) {
            QStringList original = describe(store::listVouchersOriginal(day, branch));
            original.sort();
            QCOMPARE(original, describe(store::listVouchers(day, branch)));
        }
    }

    void paddedStoredValuesCompareEqualToTrimmedOnes()
    {
        database().addBranch("00000  ", "본사", "서울");
        const QString n = "2001-05-30-00000003";
        for (const char *side : {"01 ", "02 "}) {
            StoredLine line = sampleLine(day + "  ", n + " ", "01 ", side, "00000", "여백");
            line.Kubun_Jen = "3 ";
            line.Form_Kubun = "A005  ";
            database().insertRaw(line);
        }
        const std::vector<ListRow> rows = store::listVouchers(day, "00000");
        QCOMPARE(keys(rows), QStringList({n + "01"}));
        QCOMPARE(rows[0].Cr_Amt1, 1000.0);
        QCOMPARE(rows[0].Dr_Amt2, 1000.0);
        QCOMPARE(int(store::loadVoucherLines(day + "00000", n).size()), 2);
        QCOMPARE(store::entryNumbers(n, day), QStringList({"01"}));
        QCOMPARE(keys(store::listVoucherEntries(day, "00000", n)), QStringList({n + "01"}));
        QCOMPARE(store::countVoucherLines(n), 2);
        QCOMPARE(store::Serial_Jen_MaxValue(day), QString("2001-05-30-00000004"));

        QVERIFY(store::updateEntry(day, n, sampleEntry("01", 5000, "고침")));
        QCOMPARE(store::listVouchers(day, "00000")[0].Cr_Amt1, 5000.0);
        store::deleteEntry(n + "01");
        QCOMPARE(store::countVoucherLines(n), 0);
    }

    void anUpdateRewritesBothLinesOfTheEntryAndNothingElse()
    {
        const QString n = store::saveNewVoucher(sampleVoucher(day, 0, {"01", "02"})).serialJen;
        const std::vector<StoredLine> before = store::loadVoucherLines(day + "00000", n);
        store::EntryLines entry = sampleEntry("02", 0, "고친");
        entry.debit.itemCode.clear();
        entry.debit.itemName.clear();
        const QDateTime start = before[3].End_Day;

        QVERIFY(store::updateEntry(day, n, entry));
        const std::vector<StoredLine> after = store::loadVoucherLines(day + "00000", n);
        QCOMPARE(int(after.size()), 4);
        QCOMPARE(describe(after[0]), describe(before[0]));
        QCOMPARE(describe(after[1]), describe(before[1]));
        QCOMPARE(after[0].End_Day, before[0].End_Day);
        QCOMPARE(describe(after[2]), expectedLine(n, "02", "01", "00000", entry.debit));
        QCOMPARE(describe(after[3]), expectedLine(n, "02", "02", "00000", entry.credit));
        QVERIFY(after[2].End_Day >= start && after[3].End_Day >= start);
        QCOMPARE(after[2].Cr_Amt, 0.0);
    }

    void anUpdateOfAnEntryNoLongerStoredWritesNothing()
    {
        const QString n = store::saveNewVoucher(sampleVoucher(day, 0, {"01"})).serialJen;
        store::deleteEntry(n + "01");
        QVERIFY(!store::updateEntry(day, n, sampleEntry("01", 7000, "고친")));
        QVERIFY(database().allLines().empty());
    }

    void anUpdateWhoseCreditLineIsGoneLeavesTheDebitLineAsItWas()
    {
        const QString n = "2001-05-30-00000001";
        database().insertRaw(sampleLine(day, n, "01", "01"));
        QVERIFY(!store::updateEntry(day, n, sampleEntry("01", 7000, "고친")));
        const std::vector<StoredLine> lines = database().allLines();
        QCOMPARE(int(lines.size()), 1);
        QCOMPARE(describe(lines[0]), describe(sampleLine(day, n, "01", "01")));
    }

    void aDeleteTakesBothLinesOfOneEntry()
    {
        addBranches();
        const QString n = store::saveNewVoucher(sampleVoucher(day, 0, {"01", "02"})).serialJen;
        const QString other = store::saveNewVoucher(sampleVoucher(day, 0, {"01"})).serialJen;
        store::deleteEntry(n + "02");
        QCOMPARE(store::countVoucherLines(n), 2);
        QCOMPARE(store::entryNumbers(n, day), QStringList({"01"}));
        QCOMPARE(keys(store::listVoucherEntries(day, "00000", n)), QStringList({n + "01"}));
        QCOMPARE(keys(store::listVouchers(day, "00000")), QStringList({n + "01", other + "01"}));

        store::deleteEntry(n + "01");
        QCOMPARE(store::countVoucherLines(n), 0);
        QVERIFY(store::listVoucherEntries(day, "00000", n).empty());
        QCOMPARE(store::countVoucherLines(other), 2);
    }

    void aVoucherOfTheThirdPanelAloneStoresEntryThree()
    {
        const QString n = store::saveNewVoucher(sampleVoucher(day, 0, {"03"})).serialJen;
        const std::vector<StoredLine> lines = database().allLines();
        QCOMPARE(int(lines.size()), 2);
        QCOMPARE(lines[0].Serial_Bun + lines[0].Serial_CrDr, QString("0301"));
        QCOMPARE(lines[1].Serial_Bun + lines[1].Serial_CrDr, QString("0302"));
        QCOMPARE(store::entryNumbers(n, day), QStringList({"03"}));
    }

    void emptyCodesAndNamesAreStoredAsEmptyTexts()
    {
        store::NewVoucher voucher = sampleVoucher(day, 0, {"01"});
        voucher.entries[0].debit.kubunCode = QString();
        voucher.entries[0].debit.kubunName = QString();
        voucher.entries[0].debit.acText = QString();
        store::saveNewVoucher(voucher);
        const StoredLine debit = database().allLines().at(0);
        QVERIFY(!debit.Kubun_Code.isNull() && debit.Kubun_Code.isEmpty());
        QVERIFY(debit.Kubun_Name.isEmpty() && debit.Ac_Text.isEmpty());
    }

    void longKoreanTextsAreStoredWhole()
    {
        store::NewVoucher voucher = sampleVoucher(day, 0, {"01"});
        const QString description = QString("제조원가 대체 적요입니다 ").repeated(31).left(400);
        const QString item = QString("관리항목이름").repeated(67).left(400);
        voucher.entries[0].debit.acText = description;
        voucher.entries[0].debit.itemName = item;
        const QString n = store::saveNewVoucher(voucher).serialJen;
        const StoredLine debit = store::loadVoucherLines(day + "00000", n).at(0);
        QCOMPARE(debit.Ac_Text.size(), 400);
        QCOMPARE(debit.Ac_Text, description);
        QCOMPARE(debit.Item_Name, item);
    }

    void aCodeLongerThanItsColumnIsNeverCut()
    {
        store::NewVoucher voucher = sampleVoucher(day, 0, {"01", "02"});
        const QString code = "P0123456789012345678901234";
        voucher.entries[1].credit.projectCode = code;
        try {
            store::saveNewVoucher(voucher);
        } catch (const AppError &) {
            QVERIFY2(onPostgres(), "only the server's width check may refuse the code");
            QVERIFY(database().allLines().empty());
            return;
        }
        QVERIFY2(!onPostgres(), "the server stored a code wider than its column");
        QCOMPARE(database().allLines().at(3).Project_Code, code);
    }
};

QTEST_GUILESS_MAIN(TestRoundTrip)
#include "test_roundtrip.moc"
