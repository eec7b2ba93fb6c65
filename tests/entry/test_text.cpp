// The text helpers: what counts as a blank, and how amount texts are read.
#include "base/error.h"
#include "base/text.h"

#include <QTest>

class TestText : public QObject
{
    Q_OBJECT

private slots:
    void trimming_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("ltrim");
        QTest::addColumn<QString>("rtrim");
        QTest::addColumn<QString>("delspace");
        QTest::newRow("blanks around 12") << "  12 "
                                          << "12 "
                                          << "  12"
                                          << "12";
        QTest::newRow("blanks inside 1 2 3") << "1 2 3"
                                             << "1 2 3"
                                             << "1 2 3"
                                             << "123";
        QTest::newRow("empty stays empty") << ""
                                           << ""
                                           << ""
                                           << "";
        QTest::newRow("blanks only become empty") << "   "
                                                  << ""
                                                  << ""
                                                  << "";
        QTest::newRow("a tab is not a blank") << "\t1 "
                                              << "\t1 "
                                              << "\t1"
                                              << "\t1";
        QTest::newRow("Korean passes unharmed") << " 현금 예금 "
                                                << "현금 예금 "
                                                << " 현금 예금"
                                                << "현금예금";
    }
    void trimming()
    {
        QFETCH(QString, text);
        QTEST(Str_LTrim(text), "ltrim");
        QTEST(Str_RTrim(text), "rtrim");
        QTEST(Str_DelSpace(text), "delspace");
    }

    void readsNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("separators are dropped") << "1,234,567" << 1234567.0;
        QTest::newRow("blanks around a negative fraction") << "  -45.5 " << -45.5;
        QTest::newRow("nothing reads as zero") << "" << 0.0;
        QTest::newRow("letters only read as zero") << "abc" << 0.0;
        QTest::newRow("the unit word is dropped") << "12원" << 12.0;
        QTest::newRow("a display form reads back") << QString(21, ' ') + "1,234" << 1234.0;
        QTest::newRow("a trailing point") << "5." << 5.0;
    }
    void readsNumbers()
    {
        QFETCH(QString, text);
        QTEST(Str_ToFloat(text), "value");
    }

    void refusesWhatIsNoNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("two points") << "1.2.3"
                                    << "'1.2.3' is not a valid floating point value";
        QTest::newRow("minus in the middle") << "5-3"
                                             << "'5-3' is not a valid floating point value";
        QTest::newRow("a lone minus, filtered") << "- 원"
                                                << "'-' is not a valid floating point value";
        QTest::newRow("a lone point") << "."
                                      << "'.' is not a valid floating point value";
    }
    void refusesWhatIsNoNumber()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        try {
            Str_ToFloat(text);
            QFAIL("no conversion error");
        } catch (const AppError &error) {
            QCOMPARE(error.message(), message);
        }
    }

    void readsEntryNumbers()
    {
        QCOMPARE(Str_ToInt("01"), 1);
        QCOMPARE(Str_ToInt(" 04"), 4);
        for (const QString &bad : {QString("0x"), QString("01 "), QString(""), QString("가")}) {
            try {
                Str_ToInt(bad);
                QFAIL(qPrintable("accepted " + bad));
            } catch (const AppError &error) {
                QCOMPARE(error.message(), QString("'%1' is not a valid integer value").arg(bad));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestText)
#include "test_text.moc"
