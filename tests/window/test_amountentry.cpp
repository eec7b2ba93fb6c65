// Typing the debit amount of an entry: what the key filter lets through, and how
// leaving the field formats it and balances the entry.
#include "support/entryfixture.h"

#include "ui/fields.h"

#include <QPushButton>

#include <QApplication>
#include <QClipboard>
#include <QTest>

class TestAmountEntry : public QObject
{
    Q_OBJECT

    static QString form(int blanks, const QString &number) { return QString(blanks, ' ') + number; }

private slots:
    void leavingTheDebitAmountBalancesTheEntry_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("debit");
        QTest::addColumn<QString>("credit");
        QTest::newRow("1234") << "1234" << form(21, "1,234") << form(21, "1,234");
        QTest::newRow("-1234") << "-1234" << form(20, "-1,234") << form(20, "-1,234");
        QTest::newRow("1234.5 is rounded, padded by its own length")
            << "1234.5" << form(18, "1,235") << form(21, "1,235");
        QTest::newRow("empty shows zero") << "" << form(27, "0") << form(27, "0");
        QTest::newRow("fifteen digits") << "123456789012345" << form(2, "123,456,789,012,345")
                                        << form(2, "123,456,789,012,345");
        QTest::newRow("sixteen digits empty the field") << "1234567890123456"
                                                        << "" << form(27, "0");
        QTest::newRow("sixteen nines, which would read as 10000000000000000, empty the field") << "9999999999999999"
                                                                                               << "" << form(27, "0");
        QTest::newRow("twenty nines, which would read as 1e20, empty the field") << "99999999999999999999"
                                                                                 << "" << form(27, "0");
        QTest::newRow("a one and fifteen zeros empties the field") << "1000000000000000"
                                                                   << "" << form(27, "0");
        QTest::newRow("fifteen nines below zero") << "-999999999999999"
                                                  << "-999,999,999,999,999"
                                                  << "-999,999,999,999,999";
    }
    void leavingTheDebitAmountBalancesTheEntry()
    {
        QFETCH(QString, typed);
        EntryFixture f;
        QLineEdit *debit = f.field("edCR_Cr_Amt_02");
        focusOn(debit);
        typeText(debit, typed);
        focusOn(f.field("edDR_Ac_Text_02"));
        QTEST(debit->text(), "debit");
        QTEST(f.field("edDR_Dr_Amt_02")->text(), "credit");
        QCOMPARE(f.field("edCR_Dr_Amt_02")->text(), form(27, "0"));
        QCOMPARE(f.field("edDR_Cr_Amt_02")->text(), form(27, "0"));
        // Only an amount too long to show, and so emptied, is announced.
        const bool emptied = !typed.isEmpty() && debit->text().isEmpty();
        QCOMPARE(f.messages.texts, emptied
                                       ? QStringList{"금액은 15자리까지 입력할 수 있습니다. 금액을 다시 입력하세요...."}
                                       : QStringList());
    }

    // Saved without leaving the field, an amount is held to the same fifteen
    // digits: 9999999999999999 would be stored as 10000000000000000.
    void anAmountNotLeftIsHeldToFifteenDigitsAtSaving_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("sixteen nines") << "9999999999999999";
        QTest::newRow("twenty nines") << "99999999999999999999";
    }
    void anAmountNotLeftIsHeldToFifteenDigitsAtSaving()
    {
        QFETCH(QString, typed);
        EntryFixture f;
        EntryWindow &w = f.window();
        QLineEdit *debit = f.field("edCR_Cr_Amt_01");
        focusOn(debit);
        w.setMode(EntryMode::New);
        w.pEnabledBtn();
        for (const char *name : {"edCR_Ac_JenName_01", "edDR_Ac_JenName_01"}) {
            f.field(name)->setText("원재료");
            setHiddenCode(f.field(name), "10102005000");
        }
        typeText(debit, typed);
        w.SaveBtn->click(); // as Alt+S does, the field not left
        QCOMPARE(f.messages.texts, QStringList{"금액은 15자리까지 입력할 수 있습니다. 금액을 다시 입력하세요...."});
        QVERIFY(f.database().allLines().empty());
        QCOMPARE(f.field("edCR_Cr_Amt_01")->text(), typed);
    }

    void refusedCharactersAreAnnouncedAndDropped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<int>("messages");
        QTest::newRow("a letter") << "12a3"
                                  << "123" << 1;
        QTest::newRow("a comma") << "1,000"
                                 << "1000" << 1;
        QTest::newRow("a blank") << "1 0"
                                 << "10" << 1;
        QTest::newRow("Korean through the input method") << "1원"
                                                         << "1" << 1;
        QTest::newRow("digits, minus and point pass") << "-12.5"
                                                      << "-12.5" << 0;
    }
    void refusedCharactersAreAnnouncedAndDropped()
    {
        QFETCH(QString, typed);
        QFETCH(int, messages);
        EntryFixture f;
        QLineEdit *debit = f.field("edCR_Cr_Amt_01");
        focusOn(debit);
        typeText(debit, typed);
        QTEST(debit->text(), "kept");
        QCOMPARE(f.messages.texts.size(), messages);
        for (const QString &text : f.messages.texts)
            QCOMPARE(text, QString("잘못 입력하셨습니다"));
    }

    // Ctrl chords are commands, not typed characters: they do what they do in
    // any field, and only text they bring in passes the filter.
    void commandKeysWorkAndPastedTextIsFiltered()
    {
        EntryFixture f;
        QLineEdit *debit = f.field("edCR_Cr_Amt_01");
        focusOn(debit);
        typeText(debit, "12");
        QTest::keyClick(debit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(debit, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(debit->selectedText(), QString("12"));
        QCOMPARE(f.messages.texts, QStringList());
        QApplication::clipboard()->setText("3x4");
        QTest::keyClick(debit, Qt::Key_End);
        QTest::keyClick(debit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(debit->text(), QString("1234"));
        QCOMPARE(f.messages.texts, QStringList({"잘못 입력하셨습니다"}));
    }

    void enterMovesOnWithoutTyping()
    {
        EntryFixture f;
        QLineEdit *debit = f.field("edCR_Cr_Amt_01");
        focusOn(debit);
        typeText(debit, "5");
        QTest::keyClick(debit, Qt::Key_Return);
        QCOMPARE(focusedName(), QString("edDR_Ac_JenName_01"));
        QCOMPARE(debit->text(), form(27, "5"));
    }

    void anUnreadableAmountIsShownAndChangesNothing()
    {
        EntryFixture f;
        QLineEdit *debit = f.field("edCR_Cr_Amt_01");
        focusOn(debit);
        typeText(debit, "1-2");
        focusOn(f.field("edDR_Ac_Text_01"));
        QCOMPARE(f.messages.texts, QStringList({"'1-2' is not a valid floating point value"}));
        QCOMPARE(debit->text(), QString("1-2"));
        QCOMPARE(f.field("edDR_Dr_Amt_01")->text(), QString());
    }

    void aClickShowsTheBareNumberOnlyWhileCorrecting()
    {
        EntryFixture f;
        QLineEdit *debit = f.field("edCR_Cr_Amt_01");
        focusOn(debit);
        typeText(debit, "1234567");
        focusOn(f.field("edDR_Ac_Text_01"));
        focusOn(debit);
        QTest::mouseClick(debit, Qt::LeftButton);
        QCOMPARE(debit->text(), form(16, "1,234,567"));

        f.window().setMode(EntryMode::Loaded);
        QTest::mouseClick(debit, Qt::LeftButton);
        QCOMPARE(debit->text(), QString("1234567"));
        QCOMPARE(debit->selectedText(), QString("1234567"));
    }
};

QTEST_MAIN(TestAmountEntry)
#include "test_amountentry.moc"
