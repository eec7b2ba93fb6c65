// The whole-voucher commands on a real display, driven by their keys: F8
// reverses the loaded voucher and refuses to reverse the reversal; F7 copies it
// onto the date typed in its prompt, refusing a date that is none and a day
// whose numbers are used up; Ctrl+Z brings back the last deleted entry while a
// field's own Ctrl+Z stays the field's; a locked day refuses all three with
// nothing written (on both engines); F1 opens the help from the entry window and from a search
// dialog and gives the focus back; the header's totals follow typed amounts.
#include "support/desk.h"

#include "entry/entrywindow.h"
#include "store/ledgerbook.h"
#include "ui/fields.h"
#include "ui/helpwindow.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

namespace {

const QString today = QDate::currentDate().toString("yyyy-MM-dd");
const QString otherDay = QDate::currentDate().addDays(3).toString("yyyy-MM-dd");
const QString fullDay = QDate::currentDate().addDays(5).toString("yyyy-MM-dd");

// One voucher of today: entries 01 (1,000) and 02 (2,000).
void oneVoucher(TestDatabase &)
{
    store::saveNewVoucher(sampleVoucher(today, 0, {"01", "02"}, "원본"));
}

void chooseRow(EntryWindow &w, int row)
{
    clerk::click(w.DBGrid1->viewport(), w.DBGrid1->visualRect(w.DBGrid1->model()->index(row, 1)).center());
    QTRY_COMPARE(w.mode(), EntryMode::Loaded);
}

QString currentKey(EntryWindow &w)
{
    return w.list().row(w.currentListRow()).serial_ttt;
}

QStringList storedLines(TestDatabase &db)
{
    QStringList lines;
    for (const store::StoredLine &l : db.allLines())
        lines << l.Serial + l.Ac_JenCode + l.Ac_Text + QString::number(l.Cr_Amt) + QString::number(l.Dr_Amt) +
                     l.End_Day_Text;
    return lines;
}

// The copy's date prompt answered the way a clerk does once it is the active
// window (it blocks the handler that asked, as a message box does): the text
// it offered is kept, `typed` typed over it (nothing: the offer taken), Enter.
class PromptAnswer : public QObject
{
public:
    explicit PromptAnswer(const QString &typed) : m_typed(typed)
    {
        connect(&m_timer, &QTimer::timeout, this, &PromptAnswer::poll);
        m_timer.start(40);
    }
    QString offered;
    bool answered = false;

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != "CopyDateDialog" || !modal->isActiveWindow())
            return;
        m_timer.stop();
        offered = modal->findChild<QLineEdit *>()->text();
        if (!m_typed.isEmpty()) {
            clerk::key("ctrl+a");
            clerk::type(m_typed);
        }
        answered = true;
        clerk::key("Return");
    }
    QString m_typed;
    QTimer m_timer;
};

QString total(EntryWindow &w, const char *name)
{
    return w.findChild<QLabel *>(QLatin1String(name))->text();
}

} // namespace

class TestVoucherCommands : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { m_desk.reset(); }
    void cleanupTestCase() { m_server.reset(); }

    void f8ReversesTheLoadedVoucherOnceOnly_data() { engines(); }
    void f8ReversesTheLoadedVoucherOnceOnly()
    {
        m_desk = std::make_unique<Desk>(server(), oneVoucher);
        EntryWindow &w = m_desk->window();
        chooseRow(w, 1);
        clerk::key("F8");
        QTRY_COMPARE(w.list().rowCount(), 4);
        const QString reversal = today + "-00000002";
        QCOMPARE(currentKey(w), reversal + "01");
        QCOMPARE(w.edSerial->text(), reversal);
        QCOMPARE(w.mode(), EntryMode::Loaded);
        QCOMPARE(w.field("edCR_Ac_JenName_01")->text(), QString("원본 01 대변 계정"));
        QVERIFY(w.field("edCR_Ac_Text_01")->text().startsWith("역분개: " + today + "-00000001"));
        QCOMPARE(clerk::focused(), QString("DBGrid1"));
        QCOMPARE(m_desk->boxes.texts, QStringList());

        // The reversal itself is not reversed while its original stands.
        const QStringList before = storedLines(m_desk->database());
        clerk::key("F8");
        QTRY_COMPARE(m_desk->boxes.texts.size(), 1);
        QVERIFY2(m_desk->boxes.texts[0].contains("역분개 전표입니다"), qPrintable(m_desk->boxes.texts[0]));
        QTRY_VERIFY(w.isActiveWindow());
        QCOMPARE(storedLines(m_desk->database()), before);
        QCOMPARE(w.edSerial->text(), reversal);
    }

    void f7CopiesOntoTheDateTheClerkTypes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("said");
        QTest::newRow("the date offered, changed to another day") << otherDay << "";
        QTest::newRow("a date that is no date") << "2001-02-30"
                                                << "2001-02-30 : 유효하지 않은 날짜 형식입니다.";
        QTest::newRow("a day whose numbers are used up") << fullDay << "99999999번까지 모두 사용";
    }
    void f7CopiesOntoTheDateTheClerkTypes()
    {
        QFETCH(QString, typed);
        QFETCH(QString, said);
        m_desk = std::make_unique<Desk>(nullptr, [](TestDatabase &db) {
            oneVoucher(db);
            db.insertRaw(sampleLine(fullDay, fullDay + "-99999999", "01", "01"));
        });
        m_desk->boxes.leaveOpen("CopyDateDialog");
        EntryWindow &w = m_desk->window();
        chooseRow(w, 0);
        const QStringList before = storedLines(m_desk->database());
        PromptAnswer prompt(typed);
        clerk::key("F7");
        QTRY_VERIFY(prompt.answered);
        QCOMPARE(prompt.offered, today);
        if (said.isEmpty()) {
            QTRY_COMPARE(w.edDate->text(), otherDay);
            QCOMPARE(w.list().rowCount(), 2);
            QCOMPARE(currentKey(w), otherDay + "-0000000101");
            QCOMPARE(w.edSerial->text(), otherDay + "-00000001");
            QCOMPARE(w.field("edCR_Ac_Text_02")->text(), QString("원본 02 차변 적요"));
            QCOMPARE(m_desk->database().allLines().size(), size_t(4 + 1 + 4));
            QCOMPARE(clerk::focused(), QString("DBGrid1"));
            QCOMPARE(m_desk->boxes.texts, QStringList());
            return;
        }
        QTRY_COMPARE(m_desk->boxes.texts.size(), 1);
        QVERIFY2(m_desk->boxes.texts[0].contains(said), qPrintable(m_desk->boxes.texts[0]));
        QTRY_VERIFY(w.isActiveWindow());
        QCOMPARE(storedLines(m_desk->database()), before);
        QCOMPARE(w.edDate->text(), today);
        QCOMPARE(w.edSerial->text(), today + "-00000001");
        QCOMPARE(w.mode(), EntryMode::Loaded);
    }

    void ctrlZBringsBackTheLastDeleteAndLeavesAFieldsUndoAlone_data() { engines(); }
    void ctrlZBringsBackTheLastDeleteAndLeavesAFieldsUndoAlone()
    {
        m_desk = std::make_unique<Desk>(server(), oneVoucher);
        EntryWindow &w = m_desk->window();
        const QStringList before = storedLines(m_desk->database());
        chooseRow(w, 1);
        clerk::click(w.DeleteBtn);
        QTRY_COMPARE(m_desk->database().allLines().size(), size_t(2));

        // In a field, Ctrl+Z takes back the field's typing only.
        chooseRow(w, 0);
        QLineEdit *text = w.field("edCR_Ac_Text_01");
        const QString shown = text->text();
        clerk::click(text);
        clerk::key("End");
        clerk::type("xy");
        QCOMPARE(text->text(), shown + "xy");
        clerk::key("ctrl+z");
        QCOMPARE(text->text(), shown);
        QCOMPARE(m_desk->database().allLines().size(), size_t(2));

        // In the grid it brings back the entry deleted, exactly as it was.
        chooseRow(w, 0);
        clerk::key("ctrl+z");
        QTRY_COMPARE(storedLines(m_desk->database()), before);
        QTRY_COMPARE(w.list().rowCount(), 2);
        QCOMPARE(currentKey(w), today + "-0000000102");
        QCOMPARE(clerk::focused(), QString("DBGrid1"));
        QCOMPARE(m_desk->boxes.texts, QStringList());
        // Once.
        clerk::key("ctrl+z");
        QTRY_COMPARE(m_desk->boxes.texts.size(), 1);
        QVERIFY(m_desk->boxes.texts[0].startsWith("되살릴 삭제가 없습니다"));
        QTRY_COMPARE(clerk::focused(), QString("DBGrid1"));
    }

    void aLockedDayRefusesCopyReverseAndUndo_data() { engines(); }
    void aLockedDayRefusesCopyReverseAndUndo()
    {
        m_desk = std::make_unique<Desk>(server(), oneVoucher);
        m_desk->boxes.leaveOpen("CopyDateDialog");
        EntryWindow &w = m_desk->window();
        chooseRow(w, 1);
        clerk::click(w.DeleteBtn);
        QTRY_COMPARE(m_desk->database().allLines().size(), size_t(2));
        store::setLockDate(today);
        const QStringList before = storedLines(m_desk->database());
        chooseRow(w, 0);
        for (const char *key : {"ctrl+z", "F8", "F7"}) {
            m_desk->boxes.texts.clear();
            PromptAnswer prompt(""); // F7's: the date offered, the locked day
            clerk::key(key);
            QTRY_COMPARE(m_desk->boxes.texts.size(), 1);
            QVERIFY2(m_desk->boxes.texts[0].contains(today + "까지는 마감되어"), qPrintable(m_desk->boxes.texts[0]));
            QTRY_VERIFY(w.isActiveWindow());
            QCOMPARE(storedLines(m_desk->database()), before);
            QCOMPARE(w.list().rowCount(), 1);
            QCOMPARE(w.edSerial->text(), today + "-00000001");
        }
    }

    void aNewVoucherBeingTypedIsNeitherCopiedNorReplaced()
    {
        m_desk = std::make_unique<Desk>(nullptr, oneVoucher);
        EntryWindow &w = m_desk->window();
        clerk::click(w.InsertBtn);
        clerk::click(w.field("edCR_Ac_JenName_01"));
        clerk::type("현금");
        clerk::key("Tab");
        QTRY_VERIFY(shownDialogGrid("Form1") != nullptr);
        clerk::key("Escape");
        QTRY_VERIFY(w.isActiveWindow());
        QCOMPARE(w.mode(), EntryMode::New);
        clerk::click(w.field("edCR_Cr_Amt_01"));
        clerk::type("5000");
        for (const char *key : {"F7", "F8"}) {
            m_desk->boxes.texts.clear();
            clerk::key(key);
            QTRY_COMPARE(m_desk->boxes.texts.size(), 1);
            QVERIFY(m_desk->boxes.texts[0].startsWith("저장하지 않은 새 전표를 입력하는 중입니다"));
            QTRY_VERIFY(w.isActiveWindow());
        }
        QCOMPARE(w.mode(), EntryMode::New);
        QCOMPARE(w.field("edCR_Ac_JenName_01")->text(), QString("현금"));
        QCOMPARE(w.field("edCR_Cr_Amt_01")->text(), QString("5000"));
        QCOMPARE(m_desk->database().allLines().size(), size_t(4));
    }

    void f1OpensTheHelpFromEveryWindowAndGivesTheFocusBack()
    {
        m_desk = std::make_unique<Desk>();
        EntryWindow &w = m_desk->window();
        clerk::click(w.field("edCR_Ac_Text_01"));
        clerk::key("F1");
        QTRY_VERIFY(help::window() && help::window()->isActiveWindow());
        const QString shown = help::window()->findChild<QTextBrowser *>()->toPlainText();
        for (const char *key : {"Alt+I", "Alt+C", "Alt+S", "Alt+X", "Enter", "Ctrl+P", "F7", "F8", "Ctrl+Z", "F3",
                                "Ctrl+F", "Alt+R", "Esc", "Alt+F", "Alt+E", "Alt+F4"})
            QVERIFY2(shown.contains(QLatin1String(key)), key);
        clerk::key("Escape");
        QTRY_VERIFY(w.isActiveWindow());
        QVERIFY(!help::window()->isVisible());
        QCOMPARE(clerk::focused(), QString("edCR_Ac_Text_01"));

        // From a search dialog, back to it.
        clerk::click(w.field("edCR_Ac_JenName_01"));
        clerk::key("Tab");
        QTRY_VERIFY(shownDialogGrid("Form1") && shownDialogGrid("Form1")->window()->isActiveWindow());
        QWidget *dialog = shownDialogGrid("Form1")->window();
        clerk::key("F1");
        QTRY_VERIFY(help::window() && help::window()->isActiveWindow());
        clerk::key("Escape");
        QTRY_VERIFY(dialog->isActiveWindow());
        QVERIFY(dialog->isVisible());
        QCOMPARE(m_desk->boxes.texts, QStringList());
    }

    void theTotalsFollowTheAmountsTyped()
    {
        m_desk = std::make_unique<Desk>(nullptr, oneVoucher);
        EntryWindow &w = m_desk->window();
        QCOMPARE(total(w, "lbDayTotal"), QString("3,000"));
        QCOMPARE(total(w, "lbVoucherTotal"), QString("0"));
        clerk::click(w.field("edCR_Cr_Amt_01"));
        clerk::type("1234567");
        clerk::click(w.field("edCR_Cr_Amt_02"));
        QTRY_COMPARE(total(w, "lbVoucherTotal"), QString("1,234,567"));
        clerk::type("433");
        clerk::click(w.field("edCR_Cr_Amt_03"));
        QTRY_COMPARE(total(w, "lbVoucherTotal"), QString("1,235,000"));
        // A loaded voucher: its entries' amounts; the day's total as stored.
        chooseRow(w, 0);
        QTRY_COMPARE(total(w, "lbVoucherTotal"), QString("3,000"));
        QCOMPARE(total(w, "lbDayTotal"), QString("3,000"));
        QCOMPARE(m_desk->boxes.texts, QStringList());
    }

private:
    std::unique_ptr<Desk> m_desk;
    std::unique_ptr<PgServer> m_server;

    // The rows of a test run on each engine (PostgreSQL where it is installed).
    static void engines()
    {
        QTest::addColumn<bool>("postgres");
        QTest::newRow("SQLite") << false;
        if (PgServer::available())
            QTest::newRow("PostgreSQL") << true;
    }
    // The server of the current row, started once; nothing for SQLite.
    PgServer *server()
    {
        QFETCH(bool, postgres);
        if (postgres && !m_server) {
            m_server = std::make_unique<PgServer>();
            m_server->start();
        }
        return postgres ? m_server.get() : nullptr;
    } // started for the first test that needs it
};

QTEST_MAIN(TestVoucherCommands)
#include "test_vouchercommands.moc"
