// Loading a code table from a CSV file with the database tool: good files in
// each encoding go in whole, bad files are refused whole with the line at fault.
#include "tooltest.h"

#include <memory>

class TestImport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_db.reset(); }

    void goodFilesGoInWhole_data();
    void goodFilesGoInWhole();
    void badFilesAreRefusedWhole_data();
    void badFilesAreRefusedWhole();
    void aFileThatCannotBeReadIsBadInput();
    void importNeedsTheTables();
    void manyRowsShowProgress();
    void aLargeFileShowsProgressWhileReadingAndChecking();
    void problemsBeyondAThousandAreCounted();

private:
    std::unique_ptr<ToolDatabase> m_db;
};

void TestImport::init()
{
    m_db = std::make_unique<ToolDatabase>();
}

void TestImport::goodFilesGoInWhole_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QStringList>("names"); // the name column afterwards, in code order

    QTest::newRow("UTF-8 customers") << "Sale_Table"
                                     << QByteArray("Sale_Code,Sale_Name,Sale_Serial01,Sale_Serial02,Sale_Serial03\n"
                                                   "C1,\xed\x98\x84\xea\xb8\x88\xec\x83\x81\xec\x82\xac,123,45,67890\n"
                                                   "C2,\xec\x9b\x90\xec\x9e\xac\xeb\xa3\x8c,123,45,67891\n")
                                     << "UTF-8" << QStringList{QStringLiteral("현금상사"), QStringLiteral("원재료")};
    QTest::newRow("UTF-8 with a byte-order mark, CR LF line ends and the table named in lower case")
        << "item_table" << QByteArray("\xef\xbb\xbfItem_Code,Item_Name\r\nI1,\xec\xa0\x9c\xec\xa1\xb0\r\n")
        << "UTF-8 (BOM)" << QStringList{QStringLiteral("제조")};
    QTest::newRow("CP949 departments, including a syllable only the extended code page has")
        << "Buser_Table" << QByteArray("Buser_Code,Buser_Name\nD1,\xc7\xf6\xb1\xdd\xba\xce\nD2,\x8c\x63\n") << "CP949"
        << QStringList{QStringLiteral("현금부"), QStringLiteral("똠")};
    QTest::newRow("quoted fields holding commas, doubled quotes and a line break")
        << "Project_Table"
        << QByteArray("project_code,PROJECT_NAME,Project_Text\nP1,\"a, b\",\"say \"\"hi\"\"\"\nP2,\"two\nlines\",x\n")
        << "UTF-8" << QStringList{QStringLiteral("a, b"), QStringLiteral("two\nlines")};
    QTest::newRow("columns in another order, some left out")
        << "Sawon_Table" << QByteArray("Sawon_Name,Sawon_Code\nKim,E9\nLee,E1\n") << "UTF-8"
        << QStringList{QStringLiteral("Lee"), QStringLiteral("Kim")};
}

void TestImport::goodFilesGoInWhole()
{
    QFETCH(QString, table);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, encoding);
    QFETCH(QStringList, names);
    QCOMPARE(m_db->tool({QStringLiteral("init")}).exitCode, 0);
    const ToolRun run = m_db->tool({QStringLiteral("import"), table, m_db->write(QStringLiteral("in.csv"), bytes)});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(QStringLiteral("%1행을 넣었습니다").arg(names.size())), qPrintable(run.out));
    QVERIFY2(run.out.contains(encoding), qPrintable(run.out));
    const store::CodeTable *codeTable = store::findCodeTable(table);
    QCOMPARE(m_db->column(codeTable->name, codeTable->columns[1].name), names);
}

void TestImport::badFilesAreRefusedWhole_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line");   // the line named in the message
    QTest::addColumn<QString>("reason"); // a part of the reason given

    const QByteArray header = "Sale_Code,Sale_Name\n";
    QTest::newRow("a header without the code column") << QByteArray("Sale_Name,Sale_Serial01\nA,1\n") << "1행"
                                                      << "코드 열이 없습니다";
    QTest::newRow("a header naming a column the table does not have")
        << QByteArray("Sale_Code,Sale_Nmae\nC1,A\n") << "1행"
        << "Sale_Nmae";
    QTest::newRow("bytes that are neither UTF-8 nor CP949") << QByteArray(header + "C1,A\nC2,\xff\xfe\n") << "3행"
                                                            << "인코딩";
    QTest::newRow("a code given twice in the file") << QByteArray(header + "C1,A\nC2,B\nC1,C\n") << "4행"
                                                    << "2행에도";
    QTest::newRow("a code already stored") << QByteArray(header + "C1,A\nOLD,B\n") << "3행"
                                           << "이미 있습니다";
    QTest::newRow("a code that differs from a stored one only by trailing blanks")
        << QByteArray(header + "OLD  ,B\n") << "2행"
        << "이미 있습니다";
    QTest::newRow("an empty file") << QByteArray() << "1행"
                                   << "비어 있습니다";
    QTest::newRow("a header and no rows") << header << "1행"
                                          << "자료가 없습니다";
    QTest::newRow("a quote never closed") << QByteArray(header + "C1,A\nC2,\"B\nC3,C\n") << "3행"
                                          << "닫히지 않았습니다";
    QTest::newRow("a name longer than its column (26 Hangul syllables in 50 bytes)")
        << QByteArray(header + "C1," + QString(26, QChar(0xAC00)).toUtf8() + "\n") << "2행"
        << "너무 깁니다";
    QTest::newRow("a row with a column too many") << QByteArray(header + "C1,A\nC2,B,x\n") << "3행"
                                                  << "열의 수";
    QTest::newRow("a row whose code is blank") << QByteArray(header + "C1,A\n   ,B\n") << "3행"
                                               << "비어 있습니다";
}

void TestImport::badFilesAreRefusedWhole()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);
    QFETCH(QString, reason);
    QCOMPARE(m_db->tool({QStringLiteral("init")}).exitCode, 0);
    const QString stored = m_db->write(QStringLiteral("stored.csv"), "Sale_Code,Sale_Name\nOLD,stored\n");
    QCOMPARE(m_db->tool({QStringLiteral("import"), QStringLiteral("Sale_Table"), stored}).exitCode, 0);

    const ToolRun run = m_db->tool(
        {QStringLiteral("import"), QStringLiteral("Sale_Table"), m_db->write(QStringLiteral("in.csv"), bytes)});
    QCOMPARE(run.exitCode, 3);
    QVERIFY2(run.err.contains(QStringLiteral("in.csv ") + line + QStringLiteral(": ")), qPrintable(run.err));
    QVERIFY2(run.err.contains(reason), qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("바뀌지 않았습니다")), qPrintable(run.err));
    QCOMPARE(m_db->column(QStringLiteral("Sale_Table"), QStringLiteral("Sale_Code")), QStringList{"OLD"});
}

void TestImport::aFileThatCannotBeReadIsBadInput()
{
    QCOMPARE(m_db->tool({QStringLiteral("init")}).exitCode, 0);
    const ToolRun run = m_db->tool({QStringLiteral("import"), QStringLiteral("Sale_Table"), m_db->path("missing.csv")});
    QCOMPARE(run.exitCode, 3);
    QVERIFY2(run.err.contains(QStringLiteral("읽을 수 없습니다")), qPrintable(run.err));
}

void TestImport::importNeedsTheTables()
{
    const QString csv = m_db->write(QStringLiteral("in.csv"), "Sale_Code,Sale_Name\nC1,A\n");
    const ToolRun run = m_db->tool({QStringLiteral("import"), QStringLiteral("Sale_Table"), csv});
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains(QStringLiteral("jeonpyo-db init")), qPrintable(run.err));
}

void TestImport::manyRowsShowProgress()
{
    QCOMPARE(m_db->tool({QStringLiteral("init")}).exitCode, 0);
    QByteArray bytes = "Item_Code,Item_Name\n";
    for (int i = 0; i < 25000; ++i)
        bytes += "I" + QByteArray::number(i) + ",item " + QByteArray::number(i) + "\n";
    const ToolRun run = m_db->tool(
        {QStringLiteral("import"), QStringLiteral("Item_Table"), m_db->write(QStringLiteral("in.csv"), bytes)});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.contains(QStringLiteral("10000 / 25000")) && run.err.contains(QStringLiteral("20000 / 25000")),
             qPrintable(run.err));
    QCOMPARE(m_db->rows(QStringLiteral("Item_Table")), 25000);
}

void TestImport::aLargeFileShowsProgressWhileReadingAndChecking()
{
    QCOMPARE(m_db->tool({QStringLiteral("init")}).exitCode, 0);
    QByteArray bytes = "Item_Code,Item_Name\n";
    for (int i = 0; bytes.size() < 5 * 1024 * 1024; ++i)
        bytes += "I" + QByteArray::number(i) + ",item " + QByteArray::number(i) + " of a file of some megabytes\n";
    bytes += "I1,again\n"; // one fault, found only at the end
    const ToolRun run = m_db->tool(
        {QStringLiteral("import"), QStringLiteral("Item_Table"), m_db->write(QStringLiteral("in.csv"), bytes)});
    QCOMPARE(run.exitCode, 3);
    const qsizetype reading = run.err.indexOf(QStringLiteral("파일 읽는 중"));
    const qsizetype checking = run.err.indexOf(QStringLiteral("줄 검사하는 중"));
    QVERIFY2(reading >= 0 && checking > reading, qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("코드가 겹칩니다: 'I1'")), qPrintable(run.err));
    QCOMPARE(m_db->rows(QStringLiteral("Item_Table")), 0);
}

void TestImport::problemsBeyondAThousandAreCounted()
{
    QCOMPARE(m_db->tool({QStringLiteral("init")}).exitCode, 0);
    QByteArray bytes = "Item_Code,Item_Name\n";
    for (int i = 0; i < 1500; ++i)
        bytes += "I" + QByteArray::number(i) + ",a,too many\n";
    const ToolRun run = m_db->tool(
        {QStringLiteral("import"), QStringLiteral("Item_Table"), m_db->write(QStringLiteral("in.csv"), bytes)});
    QCOMPARE(run.exitCode, 3);
    QVERIFY2(run.err.contains(QStringLiteral("1001행:")) && !run.err.contains(QStringLiteral("1002행:")),
             qPrintable(run.err.right(500)));
    QVERIFY2(run.err.contains(QStringLiteral("500군데 더")), qPrintable(run.err.right(500)));
    QVERIFY2(run.err.contains(QStringLiteral("1500군데 있습니다")), qPrintable(run.err.right(500)));
}

QTEST_GUILESS_MAIN(TestImport)
#include "test_import.moc"
