// The database that fills up, answers nothing, or holds a lock: each command
// ends within a bounded time with a message naming the real reason, instead of
// freezing the window or calling every failure a lost connection.
#include "support/testdb.h"

#include "base/error.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTest>

#include <csignal>

class TestWaits : public QObject
{
    Q_OBJECT

private slots:
    void aFullDiskIsNamedAndTheNextSaveGoesThrough()
    {
        TestDatabase db;
        store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01"}));
        // The file may not grow by a page more: what a full disk does to it.
        QSqlQuery query(store::account());
        QVERIFY(query.exec("PRAGMA page_count") && query.next());
        const int pages = query.value(0).toInt();
        QVERIFY(query.exec(QString("PRAGMA max_page_count = %1").arg(pages)));
        query.finish();
        QString message;
        try {
            for (int i = 0; i < 50; ++i)
                store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01", "02", "03", "04"}, QString(300, 'x')));
        } catch (const AppError &error) {
            message = error.message();
        }
        QVERIFY2(message.contains("디스크가 가득 차서"), qPrintable(message));
        QVERIFY2(!message.contains("연결할 수 없습니다"), qPrintable(message));
        QVERIFY2(message.contains("입력한 내용은 화면에 그대로 남아 있습니다"), qPrintable(message));
        // Once there is room again the same command succeeds.
        store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01"}));
    }

    // A listener that takes the connection and never says a word: options in
    // the URI must not drop the connect timeout.
    void aSilentServerIsGivenUpWhateverTheOptions_data()
    {
        QTest::addColumn<QString>("options");
        QTest::newRow("two options of the clerk's") << "?sslmode=disable&application_name=clerk";
    }
    void aSilentServerIsGivenUpWhateverTheOptions()
    {
        QFETCH(QString, options);
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        const store::Target target = store::parseTarget(
            QString("postgresql://clerk@127.0.0.1:%1/account%2").arg(silent.serverPort()).arg(options));
        QElapsedTimer timer;
        timer.start();
        try {
            store::openExtra("silent", target);
            QFAIL("a server that never answered was taken as connected");
        } catch (const AppError &error) {
            QVERIFY2(error.message().contains("연결할 수 없습니다"), qPrintable(error.message()));
        }
        QSqlDatabase::removeDatabase("silent");
        QVERIFY2(timer.elapsed() < 30000, qPrintable(QString::number(timer.elapsed())));
    }

    // Another session holds the table locked: the save gives up with a
    // message after the statement timeout and writes nothing.
    void aLockedTableEndsTheSaveAfterTheTimeout()
    {
        QString why;
        if (!PgServer::available(&why))
            QSKIP(qPrintable(why));
        PgServer server;
        server.start();
        TestDatabase db(server);
        store::setStatementTimeout(1000);
        store::closeAccount(); // opened again with the timeout
        store::account();
        QSqlDatabase locker = store::openExtra("locker", server.target(db.setting().section('/', -1)));
        QVERIFY(locker.transaction());
        QSqlQuery lock(locker);
        QVERIFY(lock.exec("LOCK TABLE Account_Jen_AA IN ACCESS EXCLUSIVE MODE"));
        QElapsedTimer timer;
        timer.start();
        QString message;
        try {
            store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01"}));
        } catch (const AppError &error) {
            message = error.message();
        }
        const qint64 waited = timer.elapsed();
        locker.rollback();
        lock = QSqlQuery();
        locker.close();
        locker = QSqlDatabase();
        QSqlDatabase::removeDatabase("locker");
        store::setStatementTimeout(0);
        QVERIFY2(!message.isEmpty(), "the save went through a locked table");
        QVERIFY2(waited < 15000, qPrintable(QString::number(waited)));
        QCOMPARE(db.allLines().size(), size_t(0));
    }

    // The server stopped (SIGSTOP) with the connection open: it answers
    // nothing, not even its own timeout, and a new connection gets no word
    // either. The save ends with a message within seconds; once the server
    // goes on, the next save goes through.
    void aStalledServerEndsTheSaveAndTheNextSaveGoesThrough()
    {
        QString why;
        if (!PgServer::available(&why))
            QSKIP(qPrintable(why));
        PgServer server;
        server.start();
        TestDatabase db(server);
        store::setStatementTimeout(500);
        store::closeAccount();
        const ServerProcesses processes = serverProcessesOf(store::account());
        const pid_t backend = processes.backend, postmaster = processes.postmaster;
        QVERIFY(backend > 0);
        QVERIFY(postmaster > 1);
        QCOMPARE(::kill(postmaster, SIGSTOP), 0);
        QCOMPARE(::kill(backend, SIGSTOP), 0);
        QElapsedTimer timer;
        timer.start();
        QString message;
        try {
            store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01"}));
        } catch (const AppError &error) {
            message = error.message();
        }
        const qint64 waited = timer.elapsed();
        ::kill(backend, SIGCONT);
        ::kill(postmaster, SIGCONT);
        QVERIFY2(message.contains("제 시간에 답하지 않아") || message.contains("연결할 수 없습니다"),
                 qPrintable(message));
        QVERIFY2(waited < 20000, qPrintable(QString::number(waited)));
        QCOMPARE(store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01"})).serialJen,
                 QString("2001-05-30-00000001"));
        store::setStatementTimeout(0);
    }
};

QTEST_MAIN(TestWaits)
#include "test_waits.moc"
