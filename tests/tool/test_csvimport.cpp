// The CSV reading behind the import, called directly: how text splits into
// records and lines, how bytes are read, and how every fault of a file is named.
#include "tooltest.h"

#include "store/schema.h"

#include <memory>

class TestCsvImport : public QObject
{
    Q_OBJECT

private slots:
    void recordsSplitByTheUsualCsvRules_data();
    void recordsSplitByTheUsualCsvRules();
    void bytesAreReadAsUtf8ElseCp949_data();
    void bytesAreReadAsUtf8ElseCp949();
    void everyBadRowIsNamedAndNothingIsWritten();
    void widthsCountHangulAsTwoBytes_data();
    void widthsCountHangulAsTwoBytes();
};

// Records as "line:field|field" for comparison.
static QStringList shown(const store::CsvText &csv)
{
    QStringList out;
    for (const store::CsvRecord &r : csv.records)
        out << QString::number(r.line) + QLatin1Char(':') + r.fields.join(QLatin1Char('|'));
    for (const store::CsvProblem &p : csv.problems)
        out << QStringLiteral("problem %1").arg(p.line);
    return out;
}

void TestCsvImport::recordsSplitByTheUsualCsvRules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("records");
    QTest::newRow("plain fields, the last line without a line break") << "a,b\nc,d" << QStringList{"1:a|b", "2:c|d"};
    QTest::newRow("an empty field at the end of a line is kept") << "a,\n,b\n" << QStringList{"1:a|", "2:|b"};
    QTest::newRow("CR LF, a lone CR and empty lines all end lines") << "a\r\nb\rc\n\n\nd\n"
                                                                    << QStringList{"1:a", "2:b", "3:c", "6:d"};
    QTest::newRow("a quoted field keeps commas and doubled quotes") << "\"x,y\",\"say \"\"no\"\"\"\n"
                                                                    << QStringList{"1:x,y|say \"no\""};
    QTest::newRow("a line break inside quotes moves the following line numbers")
        << "\"one\ntwo\nthree\",b\nnext,c\n"
        << QStringList{"1:one\ntwo\nthree|b", "4:next|c"};
    QTest::newRow("text after a closing quote faults that record only") << "a,b\n\"x\"y,z\nc,d\n"
                                                                        << QStringList{"1:a|b", "3:c|d", "problem 2"};
    QTest::newRow("a quote never closed faults the line it was opened on and ends reading")
        << "a,b\nc,\"d\ne,f\n"
        << QStringList{"1:a|b", "problem 2"};
    QTest::newRow("a quote inside an unquoted field is kept as it is") << "5\" pipe,x\n" << QStringList{"1:5\" pipe|x"};
}

void TestCsvImport::recordsSplitByTheUsualCsvRules()
{
    QFETCH(QString, text);
    QFETCH(QStringList, records);
    QCOMPARE(shown(store::parseCsv(text)), records);
}

void TestCsvImport::bytesAreReadAsUtf8ElseCp949_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("encoding"); // empty: refused
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("badLine");
    QTest::newRow("plain ASCII is UTF-8") << QByteArray("a,b\n") << "UTF-8"
                                          << "a,b\n"
                                          << 0;
    QTest::newRow("a byte-order mark is dropped")
        << QByteArray("\xef\xbb\xbf\xec\x9b\x90") << "UTF-8 (BOM)" << QStringLiteral("원") << 0;
    QTest::newRow("Hangul in the code page")
        << QByteArray("\xbf\xf8\xc0\xe7\xb7\xe1") << "CP949" << QStringLiteral("원재료") << 0;
    QTest::newRow("a lead byte cut off at the end is neither") << QByteArray("ok\nok\n\xbf") << ""
                                                               << "" << 3;
    QTest::newRow("a byte-order mark before bytes that are not UTF-8") << QByteArray("\xef\xbb\xbf"
                                                                                     "a\n\xbf\xf8\n")
                                                                       << ""
                                                                       << "" << 2;
    QTest::newRow("zero bytes (a UTF-16 file) are not text") << QByteArray("a\0b\0", 4) << ""
                                                             << "" << 1;
}

void TestCsvImport::bytesAreReadAsUtf8ElseCp949()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, encoding);
    QFETCH(QString, text);
    QFETCH(int, badLine);
    const store::DecodedText decoded = store::decodeCsvBytes(bytes);
    QCOMPARE(decoded.encoding, encoding);
    QCOMPARE(decoded.text, text);
    QCOMPARE(decoded.problems.isEmpty() ? 0 : decoded.problems.first().line, badLine);
}

void TestCsvImport::everyBadRowIsNamedAndNothingIsWritten()
{
    ToolDatabase db;
    store::createSchema(db.open());
    const QByteArray bytes = "Sawon_Code,Sawon_Name,Sawon_Jumin01\n"
                             "E1,Kim,750101\n"
                             "E2,\"Lee\nJr\",7501011\n" // too long, on the line the record starts on
                             "E1,Park,750101\n"         // E1 again, line 5
                             "E3,Choi\n"                // a column short
                             "E4,Jung,750101\n";
    const store::ImportReport report =
        store::importCodeTable(db.open(), *store::findCodeTable(QStringLiteral("sawon_table")), bytes);
    QStringList found;
    for (const store::CsvProblem &p : report.problems)
        found << QString::number(p.line);
    QCOMPARE(found, (QStringList{"3", "5", "6"}));
    QVERIFY(report.problems[0].reason.contains(QStringLiteral("Sawon_Jumin01")));
    QCOMPARE(report.rows, 0);
    QCOMPARE(db.rows(QStringLiteral("Sawon_Table")), 0);
}

void TestCsvImport::widthsCountHangulAsTwoBytes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fits");
    QTest::newRow("25 syllables fill a 50-byte name") << QString(25, QChar(0xD55C)) << true;
    QTest::newRow("26 syllables do not") << QString(26, QChar(0xD55C)) << false;
    QTest::newRow("49 letters and one syllable do not") << QString(49, QLatin1Char('a')) + QChar(0xD55C) << false;
    QTest::newRow("50 letters do") << QString(50, QLatin1Char('a')) << true;
}

void TestCsvImport::widthsCountHangulAsTwoBytes()
{
    QFETCH(QString, name);
    QFETCH(bool, fits);
    ToolDatabase db;
    store::createSchema(db.open());
    const QByteArray bytes = "Buser_Code,Buser_Name\nD1," + name.toUtf8() + "\n";
    const store::ImportReport report =
        store::importCodeTable(db.open(), *store::findCodeTable(QStringLiteral("Buser_Table")), bytes);
    QCOMPARE(report.ok(), fits);
    QCOMPARE(db.column(QStringLiteral("Buser_Table"), QStringLiteral("Buser_Name")),
             fits ? QStringList{name} : QStringList{});
}

QTEST_GUILESS_MAIN(TestCsvImport)
#include "test_csvimport.moc"
