// jeonpyo-db history, lock, unlock, pdf --date and export as a clerk's
// accountant runs them: what they print and write, the exit codes of bad
// input, and nothing half-written.
#include "support/testdb.h"
#include "support/workbook.h"

#include "base/error.h"
#include "store/csvimport.h"
#include "store/demo.h"
#include "store/ledgerbook.h"
#include "store/schema.h"
#include "store/sqlrun.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString day = QStringLiteral("2001-05-30");

struct Run
{
    int code;
    QString out, err;
};

// The tool on the test's database; the test's own connection is let go first.
Run tool(const TestDatabase &db, const QStringList &arguments)
{
    store::closeAccount();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ACCOUNT_DB", db.setting());
    env.remove("QT_QPA_PLATFORM");
    p.setProcessEnvironment(env);
    p.start(JEONPYO_DB_TOOL, arguments);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QString output(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pageCount(const QString &pdf)
{
    const QString info = output("pdfinfo", {pdf});
    const int at = info.indexOf("Pages:");
    return at < 0 ? 0 : info.mid(at + 6).section('\n', 0, 0).trimmed().toInt();
}

QString pageText(const QString &pdf, int page)
{
    return output("pdftotext", {"-f", QString::number(page), "-l", QString::number(page), "-layout", pdf, "-"})
        .remove(' ');
}

} // namespace

class TestLedgerCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    QTemporaryDir m_folder;
    QStringList m_numbers; // the day's vouchers of the head office, in number order

    QString file(const QString &name) const { return m_folder.filePath(name); }

private slots:
    void init()
    {
        m_db = std::make_unique<TestDatabase>();
        store::fillDemo(store::account());
        m_numbers.clear();
        for (int i = 0; i < 3; ++i)
            m_numbers << store::saveNewVoucher(sampleVoucher(day, 0, {"01", "02"}, "하루")).serialJen;
        store::saveNewVoucher(sampleVoucher(day, 1, {"01"}, "부산"));
        store::saveNewVoucher(sampleVoucher("2001-05-31", 0, {"01"}, "다음 날"));
    }
    void cleanup() { m_db.reset(); }

    void theHelpListsEveryCommandAndExitCode()
    {
        const Run run = tool(*m_db, {"--help"});
        QCOMPARE(run.code, 0);
        for (const char *text : {"history 전표번호 | --date 일자", "lock [마감일자]", "unlock", "pdf --date 일자",
                                 "export --from 일자 --to 일자", "6  출력 파일 오류"})
            QVERIFY2(run.out.contains(QString::fromUtf8(text)), text);
    }

    void theHistoryOfAVoucherAndOfADay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        QTest::newRow("a voucher's history names each line and the changed column")
            << QStringList{"history", day + "-00000001"} << 0 << "Ac_Text: '하루 01 차변 적요' → '고친 적요'";
        QTest::newRow("a day's history holds every voucher of the day")
            << QStringList{"history", "--date", day} << 0 << day + "-00000004 01 02";
        QTest::newRow("a number nobody wrote has no history")
            << QStringList{"history", "2001-05-30-00000099"} << 1
            << "전표번호 '2001-05-30-00000099'의 변경 이력이 없습니다.";
        QTest::newRow("a day that is not a date is refused")
            << QStringList{"history", "--date", "2001-02-30"} << 2 << "'2001-02-30'은(는) 날짜가 아닙니다";
        QTest::newRow("a number and a date at once is a usage error")
            << QStringList{"history", "x", "--date", day} << 2 << "사용법: jeonpyo-db history";
    }
    void theHistoryOfAVoucherAndOfADay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        store::EntryLines entry = sampleEntry("01", 1000, "하루 01");
        entry.debit.acText = "고친 적요";
        QVERIFY(bool(store::updateEntry(day, m_numbers[0], entry)));
        const Run run = tool(*m_db, arguments);
        QCOMPARE(run.code, exitCode);
        QVERIFY2((run.out + run.err).contains(said), qPrintable(run.out + run.err));
    }

    void lockAndUnlock()
    {
        Run run = tool(*m_db, {"lock", "30-05-2001"});
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.contains("'30-05-2001'은(는) 날짜가 아닙니다"), qPrintable(run.err));
        QCOMPARE(store::lockDate(), QString());

        QCOMPARE(tool(*m_db, {"lock", day}).code, 0);
        QCOMPARE(store::lockDate(), day);
        // The program, and anything writing straight to the file, is refused.
        QVERIFY_THROWS_EXCEPTION(AppError, store::exec(store::account(), "delete from Account_Jen_AA"));
        QCOMPARE(m_db->allLines().size(), size_t(16));

        QCOMPARE(tool(*m_db, {"unlock"}).code, 0);
        run = tool(*m_db, {"lock"});
        QCOMPARE(run.code, 0);
        QVERIFY2(run.out.contains("마감된 기간이 없습니다.") && run.out.contains("  마감  ") &&
                     run.out.contains("  마감 해제  ") && run.out.contains("jeonpyo-db"),
                 qPrintable(run.out));
        QCOMPARE(tool(*m_db, {"unlock"}).code, 1);
    }

    void aDaysSheetsInOneFileInNumberOrder()
    {
        const QString pdf = file("day.pdf");
        Run run = tool(*m_db, {"pdf", "--date", day, "--branch", "00000", pdf});
        QCOMPARE(run.code, 0);
        QVERIFY2(run.err.contains("3 / 3장"), qPrintable(run.err));
        QCOMPARE(pageCount(pdf), 3);
        for (int page = 1; page <= 3; ++page) {
            const QString text = pageText(pdf, page);
            QVERIFY2(text.contains("전표번호:" + m_numbers[page - 1]), qPrintable(text));
            QVERIFY(text.contains("기준일자:" + day));
            QVERIFY(!text.contains("재발행"));
        }
        // Every branch, and each sheet now printed a second time.
        run = tool(*m_db, {"pdf", "--date", day, pdf});
        QCOMPARE(run.code, 0);
        QCOMPARE(pageCount(pdf), 4);
        QVERIFY(pageText(pdf, 1).contains("재발행(2회째출력)"));
        QVERIFY(pageText(pdf, 4).contains("부산지점/부산"));
        QVERIFY(!pageText(pdf, 4).contains("재발행"));
    }

    void aDaysPdfRefusesBadInputAndWritesNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        QTest::newRow("a day without vouchers")
            << QStringList{"--date", "2001-06-01"} << 1 << "2001-06-01 일자의 전표가 없습니다.";
        QTest::newRow("a date that is not a date") << QStringList{"--date", "2001-5-30"} << 2 << "날짜가 아닙니다";
        QTest::newRow("a voucher number and a date at once")
            << QStringList{day + "-00000001", "--date", day} << 2 << "사용법: jeonpyo-db pdf";
        QTest::newRow("a folder that does not exist")
            << QStringList{"--date", day, "--to-missing"} << 6 << "파일을 쓸 수 없습니다";
        QTest::newRow("one voucher into a folder that does not exist")
            << QStringList{day + "-00000001", "--to-missing"} << 6 << "PDF 파일을 저장할 수 없습니다";
    }
    void aDaysPdfRefusesBadInputAndWritesNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        QTemporaryDir folder;
        QString target = folder.filePath("out.pdf");
        if (arguments.removeAll("--to-missing"))
            target = folder.filePath("missing/out.pdf");
        const Run run = tool(*m_db, QStringList{"pdf"} + arguments + QStringList{target});
        QCOMPARE(run.code, exitCode);
        QVERIFY2(run.err.contains(said), qPrintable(run.err));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void anXlsxHoldsNumbersDatesAndAFrozenHeader()
    {
        const QString xlsx = file("lines.xlsx");
        const Run run = tool(*m_db, {"export", "--from", day, "--to", day, "--branch", "00000", xlsx});
        QCOMPARE(run.code, 0);
        const QMap<QString, QString> cells = workbookCells(xlsx);
        QVERIFY(cells.contains("frozen"));
        QCOMPARE(cells.value("A1"), QString("s|Serial|"));
        QCOMPARE(cells.value("G1"), QString("s|Date_Day|"));
        QCOMPARE(cells.value("AA1"), QString("s|Cr_Amt|"));
        QCOMPARE(cells.value("B2"), "s|" + m_numbers[0] + "|");
        QCOMPARE(cells.value("G2"), QString("n|37041|yyyy-mm-dd")); // 2001-05-30 as a spreadsheet counts days
        QCOMPARE(cells.value("AA2"), QString("n|1000|#,##0"));
        QVERIFY2(cells.value("AC2").startsWith("n|") && cells.value("AC2").endsWith("|yyyy-mm-dd hh:mm:ss"),
                 qPrintable(cells.value("AC2")));
        QCOMPARE(cells.value("P2"), QString("s|하루 01 차변 적요|"));
        // Twelve lines of the head office on that day, and the header.
        QVERIFY(cells.contains("A13"));
        QVERIFY(!cells.contains("A14"));
    }

    void aCsvReadsBackAsStored_data()
    {
        QTest::addColumn<bool>("cp949");
        QTest::newRow("UTF-8 with a byte-order mark") << false;
        QTest::newRow("CP949 on request") << true;
    }
    void aCsvReadsBackAsStored()
    {
        QFETCH(bool, cp949);
        store::StoredLine tricky = sampleLine("2001-05-29", "2001-05-29-00000001", "01", "01");
        tricky.Ac_Text = "쉼표, \"따옴표\"\n줄바꿈  ";
        tricky.Cr_Amt = 1234.5;
        m_db->insertRaw(tricky);
        const QString csv = file("lines.csv");
        QStringList arguments = {"export", "--from", "2001-05-29", "--to", "2001-05-31", csv};
        if (cp949)
            arguments << "--cp949";
        QCOMPARE(tool(*m_db, arguments).code, 0);
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const store::DecodedText decoded = store::decodeCsvBytes(f.readAll());
        QCOMPARE(decoded.encoding, QString(cp949 ? "CP949" : "UTF-8 (BOM)"));
        const store::CsvText parsed = store::parseCsv(decoded.text);
        QVERIFY(parsed.problems.isEmpty());
        QCOMPARE(parsed.records.size(), 1 + 17);
        QCOMPARE(parsed.records[0].fields, store::voucherColumnNames());
        const QStringList first = parsed.records[1].fields;
        QCOMPARE(first[1], tricky.Serial_Jen);
        QCOMPARE(first[15], tricky.Ac_Text);
        QCOMPARE(first[26].toDouble(), 1234.5);
        QCOMPARE(parsed.records[2].fields[1], m_numbers[0]);
        QCOMPARE(parsed.records.last().fields[6], QString("2001-05-31"));
    }

    void anExportRefusesBadInputAndWritesNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        QTest::newRow("a range given backwards")
            << QStringList{"--from", "2001-05-31", "--to", day} << "out.csv" << 2 << "기간이 거꾸로입니다";
        QTest::newRow("a start that is not a date")
            << QStringList{"--from", "어제", "--to", day} << "out.xlsx" << 2 << "시작일자 '어제'은(는) 날짜가 아닙니다";
        QTest::newRow("a file neither CSV nor XLSX")
            << QStringList{"--from", day, "--to", day} << "out.txt" << 2 << ".csv나 .xlsx로 끝나야 합니다";
        QTest::newRow("CP949 asked of a workbook")
            << QStringList{"--from", day, "--to", day, "--cp949"} << "out.xlsx" << 2 << "--cp949는 CSV 파일에만";
        QTest::newRow("a folder that does not exist")
            << QStringList{"--from", day, "--to", day} << "missing/out.xlsx" << 6 << "파일을 쓸 수 없습니다";
        QTest::newRow("a text CP949 cannot hold") << QStringList{"--from", day, "--to", "2001-05-31", "--cp949"}
                                                  << "out.csv" << 6 << "CP949로 나타낼 수 없는 글자";
    }
    void anExportRefusesBadInputAndWritesNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, target);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        store::StoredLine beyond = sampleLine("2001-05-31", "2001-05-31-00000009", "01", "01");
        beyond.Ac_Text = "😀 영수증";
        m_db->insertRaw(beyond);
        QTemporaryDir folder;
        const Run run = tool(*m_db, QStringList{"export"} + arguments + QStringList{folder.filePath(target)});
        QCOMPARE(run.code, exitCode);
        QVERIFY2(run.err.contains(said), qPrintable(run.err));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void initCompletesADatabaseOfAnEarlierVersion()
    {
        for (const char *sql : {"drop table Ledger_History", "drop table Ledger_Lock", "drop table Ledger_Writer",
                                "drop table Ledger_Print"})
            store::exec(store::account(), sql);
        Run run = tool(*m_db, {"init"});
        QCOMPARE(run.code, 0);
        QVERIFY2(run.out.contains("변경 이력과 마감 기능을 더했습니다"), qPrintable(run.out));
        run = tool(*m_db, {"init"});
        QVERIFY2(run.out.contains("테이블이 이미 있습니다"), qPrintable(run.out));
        QCOMPARE(tool(*m_db, {"lock", day}).code, 0);
        QCOMPARE(store::lockDate(), day);
    }
};

QTEST_MAIN(TestLedgerCommands)
#include "test_ledgercommands.moc"
