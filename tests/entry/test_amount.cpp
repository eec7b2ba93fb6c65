// The forms an amount takes on screen and on the printed sheet.
#include "base/amount.h"

#include <QTest>

class TestAmount : public QObject
{
    Q_OBJECT

private slots:
    void displayForm_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("blanks");
        QTest::addColumn<QString>("number");
        QTest::newRow("1234") << 1234.0 << 21 << "1,234";
        QTest::newRow("-1234") << -1234.0 << 20 << "-1,234";
        QTest::newRow("1234.5 padded by its six-character plain text") << 1234.5 << 18 << "1,235";
        QTest::newRow("zero") << 0.0 << 27 << "0";
        QTest::newRow("a 15-digit amount") << 123456789012345.0 << 2 << "123,456,789,012,345";
        QTest::newRow("-1 counts the minus") << -1.0 << 25 << "-1";
        QTest::newRow("a 16-digit amount has no form") << 1234567890123456.0 << -1 << "";
        QTest::newRow("-999999999999999 of 16 characters") << -999999999999999.0 << 0 << "-999,999,999,999,999";
        QTest::newRow("1E15 is four characters long") << 1e15 << 21 << "1,000,000,000,000,000";
    }
    void displayForm()
    {
        QFETCH(double, value);
        QFETCH(int, blanks);
        QFETCH(QString, number);
        const QString expected = blanks < 0 ? QString() : QString(blanks, ' ') + number;
        QCOMPARE(amountDisplayForm(value), expected);
    }

    void thousands_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("withZero");
        QTest::addColumn<QString>("blankZero");
        QTest::addColumn<QString>("bare");
        QTest::newRow("half rounds away from zero") << 1234.5 << "1,235"
                                                    << "1,235"
                                                    << "1235";
        QTest::newRow("negative half too") << -1234.5 << "-1,235"
                                           << "-1,235"
                                           << "-1235";
        QTest::newRow("2.5 is not rounded to even") << 2.5 << "3"
                                                    << "3"
                                                    << "3";
        QTest::newRow("zero") << 0.0 << "0"
                              << ""
                              << "0";
        QTest::newRow("below a half rounds to nothing") << 0.4 << "0"
                                                        << ""
                                                        << "0";
        QTest::newRow("millions") << 1234567.0 << "1,234,567"
                                  << "1,234,567"
                                  << "1234567";
        QTest::newRow("exactly a thousand") << 1000.0 << "1,000"
                                            << "1,000"
                                            << "1000";
        QTest::newRow("negative hundreds") << -999.0 << "-999"
                                           << "-999"
                                           << "-999";
    }
    void thousands()
    {
        QFETCH(double, value);
        QTEST(formatThousands(value), "withZero");
        QTEST(formatThousandsOrBlank(value), "blankZero");
        QTEST(formatDigits(value), "bare");
    }

    void zeroPadded()
    {
        QCOMPARE(formatDigits(2, 2), QString("02"));
        QCOMPARE(formatDigits(-1, 2), QString("-01"));
        QCOMPARE(formatDigits(0, 5), QString("00000"));
        QCOMPARE(formatDigits(-1, 5), QString("-00001"));
        QCOMPARE(formatDigits(8, 8), QString("00000008"));
    }

    void plainText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 1234.0 << "1234";
        QTest::newRow("fraction") << 1234.5 << "1234.5";
        QTest::newRow("negative") << -7.0 << "-7";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("15 significant digits") << 0.1 + 0.2 << "0.3";
        QTest::newRow("just below 1E15") << 999999999999999.0 << "999999999999999";
        QTest::newRow("1E15") << 1e15 << "1E15";
        QTest::newRow("16 digits") << 1234567890123456.0 << "1.23456789012346E15";
        QTest::newRow("0.00001 still plain") << 0.00001 << "0.00001";
        QTest::newRow("below 0.00001") << 0.000001 << "1E-6";
        QTest::newRow("negative small") << -0.0000015 << "-1.5E-6";
    }
    void plainText()
    {
        QFETCH(double, value);
        QTEST(plainAmountText(value), "text");
    }

    void paddingTable()
    {
        // Lengths with no count drop the formatted text too.
        QCOMPARE(Str_StrToDouble("-", "x"), QString());
        QCOMPARE(Str_StrToDouble("12345678901234567", "x"), QString());
        QCOMPARE(Str_StrToDouble("-123456789012345", "x"), QString("x"));
        QCOMPARE(Str_StrToDouble("1234567", "x"), QString(16, ' ') + "x");
        QCOMPARE(Str_StrToDouble("-123456", "x"), QString(17, ' ') + "x");
    }
};

QTEST_APPLESS_MAIN(TestAmount)
#include "test_amount.moc"
