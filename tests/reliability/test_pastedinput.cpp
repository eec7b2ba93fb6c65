// Text pasted from the clipboard into the date and amount fields, by the paste
// key and by the context menu: it passes the same filter as typed keys, so
// letters, separators and control characters are announced and dropped, and an
// amount too long to show is announced rather than silently left out.
#include "support/entryfixture.h"

#include <QClipboard>
#include <QTest>

namespace {

const QString refused = "잘못 입력하셨습니다";

enum class Paste { Key, Menu };

void paste(QLineEdit *edit, Paste how)
{
    if (how == Paste::Key)
        QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
    else
        edit->paste(); // what the context menu's paste runs
}

} // namespace

Q_DECLARE_METATYPE(Paste)

class TestPastedInput : public QObject
{
    Q_OBJECT

private slots:
    void pastedTextPassesTheKeyFilter_data()
    {
        QTest::addColumn<Paste>("how");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("kept");
        const struct
        {
            const char *name, *field, *clipboard, *kept;
        } rows[] = {
            {"a date with slashes", "edDate", "2001/05/30", "20010530"},
            {"a date with a tab and a line break", "edDate", "2001\t05\n30", "20010530"},
            {"a date in Korean", "edDate", "2001년5월", "20015"},
            {"an amount with separators and a currency sign", "edCR_Cr_Amt_01", "₩1,234원", "1234"},
            {"an amount with control characters", "edCR_Cr_Amt_01", "12\x01\x1b\r34\x7f", "1234"},
            {"an amount with a trailing line break", "edCR_Cr_Amt_01", "-12.5\n", "-12.5"},
            {"an SQL fragment", "edCR_Cr_Amt_01", "1'; DROP TABLE Account_Jen_AA; --", "1--"},
        };
        for (Paste how : {Paste::Key, Paste::Menu})
            for (const auto &row : rows)
                QTest::addRow("%s, %s", row.name, how == Paste::Key ? "by the paste key" : "by the menu")
                    << how << row.field << QString(row.clipboard) << QString(row.kept);
    }
    void pastedTextPassesTheKeyFilter()
    {
        QFETCH(Paste, how);
        QFETCH(QString, field);
        QFETCH(QString, clipboard);
        EntryFixture f;
        QLineEdit *edit = field == "edDate" ? f.window().edDate : f.field(field);
        focusOn(edit);
        edit->clear();
        QApplication::clipboard()->setText(clipboard);
        paste(edit, how);
        QTEST(edit->text(), "kept");
        QCOMPARE(f.messages.texts, QStringList{refused});
    }

    void aCleanPasteIsTakenSilently()
    {
        EntryFixture f;
        QLineEdit *debit = f.field("edCR_Cr_Amt_01");
        focusOn(debit);
        QApplication::clipboard()->setText("1234.5");
        paste(debit, Paste::Key);
        QCOMPARE(debit->text(), QString("1234.5"));
        QVERIFY(f.messages.texts.isEmpty());
    }

    void anAmountTooLongToShowIsAnnounced_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::newRow("sixteen digits") << "1234567890123456";
        QTest::newRow("twenty digits") << "12345678901234567890";
        QTest::newRow("a negative of sixteen digits") << "-1234567890123456";
    }
    void anAmountTooLongToShowIsAnnounced()
    {
        QFETCH(QString, clipboard);
        EntryFixture f;
        QLineEdit *debit = f.field("edCR_Cr_Amt_03");
        focusOn(debit);
        QApplication::clipboard()->setText(clipboard);
        paste(debit, Paste::Key);
        QCOMPARE(debit->text(), clipboard);
        focusOn(f.field("edDR_Ac_Text_03"));
        QCOMPARE(f.messages.texts, QStringList{"금액은 15자리까지 입력할 수 있습니다. 금액을 다시 입력하세요...."});
        QCOMPARE(f.messages.kinds.value(0), Messages::Kind::Warning);
        QCOMPARE(debit->text(), QString());
        QCOMPARE(f.field("edDR_Dr_Amt_03")->text().trimmed(), QString("0"));
    }
};

QTEST_MAIN(TestPastedInput)
#include "test_pastedinput.moc"
