// A save held up by another program's lock, on both engines: past a second the
// clerk sees that the program is waiting; Esc cancels the save with a message,
// nothing is written and the typed correction stays; a wait that ends by
// itself closes the waiting window and the save goes through.
#include "support/desk.h"
#include "support/entryfixture.h"

#include "entry/entrywindow.h"
#include "store/connection.h"

#include <QDate>
#include <QLineEdit>
#include <QProcess>
#include <QTableView>
#include <QTest>
#include <csignal>

namespace {

const QString today = QDate::currentDate().toString("yyyy-MM-dd");

// Another program that takes the write lock of the voucher table and holds it
// until released.
class Holder
{
public:
    explicit Holder(TestDatabase &db)
    {
        const bool pg = db.engine() == store::Engine::PostgreSQL;
        if (pg)
            m_process.start("psql", {"-qAt", db.setting()});
        else
            m_process.start("sqlite3", {db.setting()});
        m_process.write(pg ? "BEGIN; LOCK TABLE Account_Jen_AA IN EXCLUSIVE MODE; SELECT 'held';\n"
                           : "BEGIN IMMEDIATE; SELECT 'held';\n");
        while (!m_output.contains("held") && m_process.waitForReadyRead(10000))
            m_output += m_process.readAllStandardOutput();
    }
    ~Holder() { release(); }
    bool held() const { return m_output.contains("held"); }
    void release()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.write("COMMIT;\n");
        m_process.closeWriteChannel();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
    QByteArray m_output;
};

void storeVoucher(TestDatabase &db)
{
    for (const QString side : {"01", "02"})
        db.insertRaw(sampleLine(today, today + "-00000001", "01", side));
}

// The stored voucher loaded from the grid, and its description added to.
void loadAndCorrect(EntryWindow &w)
{
    clerk::click(w.DBGrid1->viewport(), w.DBGrid1->visualRect(w.DBGrid1->model()->index(0, 1)).center());
    QTRY_COMPARE(w.mode(), EntryMode::Loaded);
    clerk::click(w.field("edCR_Ac_Text_01"));
    clerk::key("End");
    clerk::type(" fix");
    QVERIFY(w.field("edCR_Ac_Text_01")->text().endsWith(" fix"));
}

} // namespace

class TestWaiting : public BothEnginesTestCase
{
    Q_OBJECT

private slots:
    void aHeldSaveIsShownAndCancelledOrWaitedFor_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("the clerk cancels with Esc") << true;
        QTest::newRow("the lock goes by itself") << false;
    }
    void aHeldSaveIsShownAndCancelledOrWaitedFor()
    {
        QFETCH(bool, cancel);
        Desk desk(server(), storeVoucher);
        EntryWindow &w = desk.window();
        if (!cancel)
            desk.boxes.leaveOpen("WaitingDialog");
        loadAndCorrect(w);
        QLineEdit *text = w.field("edCR_Ac_Text_01");
        const QString typed = text->text();

        Holder holder(desk.database());
        QVERIFY(holder.held());
        if (!cancel)
            QTimer::singleShot(2500, [&] { holder.release(); });
        QTimer shot;
        bool shown = false;
        QObject::connect(&shot, &QTimer::timeout, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!shown && !cancel && modal && modal->objectName() == "WaitingDialog" && modal->isActiveWindow()) {
                shown = true;
                clerk::screenshot(QString("waiting-%1.png").arg(server() ? "pg" : "sqlite"));
            }
        });
        shot.start(100);
        clerk::key("alt+s");
        QTRY_VERIFY_WITH_TIMEOUT(desk.boxes.others.contains("데이타베이스를 기다리는 중"), 15000);
        if (cancel) {
            QTRY_COMPARE_WITH_TIMEOUT(desk.boxes.texts.size(), 1, 10000);
            QVERIFY2(desk.boxes.texts.at(0).contains("명령을 취소했습니다"), qPrintable(desk.boxes.texts.at(0)));
            QVERIFY(desk.boxes.texts.at(0).contains("입력한 내용은 화면에 그대로 남아 있습니다"));
            QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
            QCOMPARE(text->text(), typed);
            QCOMPARE(w.mode(), EntryMode::Loaded);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(desk.database().allLines().at(0).Ac_Text.endsWith("fix"), 10000);
            QCOMPARE(desk.boxes.texts, QStringList());
            QVERIFY(shown);
            return;
        }
        // Nothing was written; once the other program is done the same save goes through.
        QVERIFY(!desk.database().allLines().at(0).Ac_Text.endsWith("fix"));
        holder.release();
        QTRY_VERIFY(w.isActiveWindow());
        clerk::key("alt+s");
        QTRY_VERIFY(desk.database().allLines().at(0).Ac_Text.endsWith("fix"));
        QCOMPARE(desk.boxes.texts.size(), 1);
    }

    // A server that has stopped answering (SIGSTOP) does not answer the cancel
    // either: the program gives up on it, the clerk is told, and once the
    // server goes on the same save goes through on a new connection.
    void aSilentServerIsGivenUpOnWhenCancelled()
    {
        if (!server())
            QSKIP("a network server only");
        Desk desk(server(), storeVoucher);
        EntryWindow &w = desk.window();
        const ServerProcesses processes = serverProcessesOf(store::account());
        const pid_t backend = processes.backend, postmaster = processes.postmaster;
        QVERIFY(backend > 0);
        QVERIFY(postmaster > 1);

        loadAndCorrect(w);
        QCOMPARE(::kill(postmaster, SIGSTOP), 0);
        QCOMPARE(::kill(backend, SIGSTOP), 0);
        clerk::key("alt+s");
        QTRY_COMPARE_WITH_TIMEOUT(desk.boxes.texts.size(), 1, 15000);
        ::kill(backend, SIGCONT);
        ::kill(postmaster, SIGCONT);
        QVERIFY(desk.boxes.others.contains("데이타베이스를 기다리는 중"));
        QVERIFY2(desk.boxes.texts.at(0).contains("명령을 취소했습니다"), qPrintable(desk.boxes.texts.at(0)));
        QVERIFY(!desk.database().allLines().at(0).Ac_Text.endsWith("fix"));
        QTRY_VERIFY(w.isActiveWindow());
        clerk::key("alt+s");
        QTRY_VERIFY(desk.database().allLines().at(0).Ac_Text.endsWith("fix"));
    }
};

QTEST_MAIN(TestWaiting)
#include "test_waiting.moc"
