// A server that wants a password: the clerk is asked for it, asked again after
// a wrong one, and told plainly when giving up.
#include "base/error.h"
#include "store/connection.h"
#include "store/schema.h"
#include "support/pgserver.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTest>
#include <memory>

class TestLogin : public QObject
{
    Q_OBJECT

    std::unique_ptr<PgServer> m_server;
    QStringList m_problems; // what the prompt was told, in order

    // A prompt that gives the answers in turn and gives up after the last.
    void answerWith(const QStringList &passwords)
    {
        m_problems.clear();
        auto remaining = std::make_shared<QStringList>(passwords);
        store::setLoginPrompt([this, remaining](QString &user, QString &password, const QString &problem) {
            m_problems << problem;
            if (remaining->isEmpty())
                return false;
            user = m_server->user();
            password = remaining->takeFirst();
            return true;
        });
    }

private slots:
    void initTestCase()
    {
        QString why;
        if (!PgServer::available(&why))
            QSKIP(qPrintable(why));
        m_server = std::make_unique<PgServer>(PgServer::Login::Password);
        try {
            m_server->start();
            m_server->createDatabase("jeonpyo_login");
        } catch (const AppError &error) {
            QFAIL(qPrintable(error.message()));
        }
        qputenv("ACCOUNT_DB", m_server->uri("jeonpyo_login", false).toUtf8());
    }

    void cleanup()
    {
        store::closeAccount();
        store::setLoginPrompt({});
    }

    void cleanupTestCase() { m_server.reset(); }

    void theServerAsksForThePasswordThatWasNotGiven()
    {
        answerWith({m_server->password()});
        QVERIFY(store::account().isOpen());
        QCOMPARE(m_problems, QStringList({"암호를 입력하세요."}));
    }

    void aWrongPasswordIsAskedForAgain()
    {
        answerWith({"wrong", m_server->password()});
        QVERIFY(store::account().isOpen());
        QCOMPARE(m_problems,
                 QStringList({"암호를 입력하세요.", "로그인 이름 또는 암호가 틀렸습니다. 다시 입력하세요."}));
    }

    void givingUpIsReportedWithoutThePassword()
    {
        answerWith({"secret-wrong-password"});
        try {
            store::account();
            QFAIL("the connection opened without the right password");
        } catch (const AppError &error) {
            QVERIFY2(error.message().startsWith("데이타베이스 'postgres@127.0.0.1:"), qPrintable(error.message()));
            QVERIFY2(error.message().contains("에 연결할 수 없습니다."), qPrintable(error.message()));
            QVERIFY(!error.message().contains("secret-wrong-password"));
        }
        QCOMPARE(m_problems.size(), 2);
    }

    void withoutAPromptTheFailureIsReportedAtOnce() { QVERIFY_THROWS_EXCEPTION(AppError, store::account()); }

    // Made ahead while the window is built: the server's refusal there is
    // the first attempt's, so the password is asked for once, and the
    // connection is then set up as any other.
    void aConnectionMadeAheadAsksOnceAndIsSetUpAsAnyOther()
    {
        answerWith({m_server->password()});
        store::setStatementTimeout(4000);
        store::openAccountAhead();
        QSqlDatabase db = store::account();
        store::setStatementTimeout(0);
        QVERIFY(db.isOpen());
        QCOMPARE(m_problems, QStringList({"암호를 입력하세요."}));
        QSqlQuery query(db);
        QVERIFY(query.exec("SHOW lock_timeout") && query.next());
        QCOMPARE(query.value(0).toString(), QString("4s"));
    }

    void aConnectionMadeAheadWithThePasswordAsksNothing()
    {
        answerWith({});
        qputenv("ACCOUNT_DB", m_server->uri("jeonpyo_login", true).toUtf8());
        store::openAccountAhead();
        store::openAccountAhead(); // once is enough: the second changes nothing
        const bool open = store::account().isOpen();
        qputenv("ACCOUNT_DB", m_server->uri("jeonpyo_login", false).toUtf8());
        QVERIFY(open);
        QCOMPARE(m_problems, QStringList());
    }

    // The window's first read is planned ahead on the new connection, inside
    // a transaction of its own with limits of its own: the session the
    // program then sets up is as new, whether the books are there to plan
    // the read on or not yet.
    void aConnectionMadeAheadIsLeftAsNewAfterPlanningAhead()
    {
        answerWith({});
        qputenv("ACCOUNT_DB", m_server->uri("jeonpyo_login", true).toUtf8());
        for (const bool books : {false, true}) {
            if (books) {
                store::createSchema(store::account());
                store::closeAccount();
            }
            store::openAccountAhead();
            QSqlQuery query(store::account());
            QVERIFY(query.exec("SELECT current_setting('lock_timeout'), current_setting('statement_timeout'),"
                               " current_setting('transaction_read_only'), now() = statement_timestamp()") &&
                    query.next());
            QCOMPARE(query.value(0).toString(), QString("0"));
            QCOMPARE(query.value(1).toString(), QString("0"));
            QCOMPARE(query.value(2).toString(), QString("off"));
            QVERIFY2(query.value(3).toBool(), "a transaction begun before the statement is still open");
            query.finish();
            store::closeAccount();
        }
        qputenv("ACCOUNT_DB", m_server->uri("jeonpyo_login", false).toUtf8());
        QCOMPARE(m_problems, QStringList());
    }

    // A server that does not answer the planning ahead in time (here, the
    // voucher table locked by another session) is let go of: the connection
    // is made again as usual and answers the program's statements.
    void aConnectionMadeAheadIsMadeAgainWhenThePlanningIsNotAnswered()
    {
        answerWith({});
        qputenv("ACCOUNT_DB", m_server->uri("jeonpyo_login", true).toUtf8());
        const store::Target target = store::parseTarget(m_server->uri("jeonpyo_login", true));
        {
            QSqlDatabase holder = store::openExtra("holder", target);
            QSqlQuery hold(holder);
            if (!store::hasSchema(holder))
                store::createSchema(holder);
            QVERIFY(hold.exec("BEGIN") && hold.exec("LOCK TABLE Account_Jen_AA IN ACCESS EXCLUSIVE MODE"));
            QElapsedTimer timer;
            timer.start();
            store::openAccountAhead();
            QSqlDatabase db = store::account();
            const qint64 waited = timer.elapsed();
            QVERIFY(hold.exec("ROLLBACK"));
            QVERIFY2(waited >= 2900, qPrintable(QString::number(waited)));
            QSqlQuery query(db);
            QVERIFY2(query.exec("SELECT count(*), now() = statement_timestamp() FROM Account_Jen_AA") && query.next(),
                     qPrintable(query.lastError().text()));
            QVERIFY(query.value(1).toBool());
            query.finish();
            hold.finish();
            holder.close();
        }
        QSqlDatabase::removeDatabase("holder");
        qputenv("ACCOUNT_DB", m_server->uri("jeonpyo_login", false).toUtf8());
        QCOMPARE(m_problems, QStringList());
    }

    // A server that never answers is waited for once, not once more after
    // the attempt made ahead, and said as for any first attempt.
    void aSilentServerIsWaitedForOnceWhenMadeAhead()
    {
        answerWith({m_server->password()});
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        qputenv("ACCOUNT_DB", QString("postgresql://postgres@127.0.0.1:%1/jeonpyo_login?connect_timeout=2")
                                  .arg(silent.serverPort())
                                  .toUtf8());
        QElapsedTimer timer;
        timer.start();
        store::openAccountAhead();
        QString said;
        try {
            store::account();
        } catch (const AppError &error) {
            said = error.message();
        }
        const qint64 waited = timer.elapsed();
        qputenv("ACCOUNT_DB", m_server->uri("jeonpyo_login", false).toUtf8());
        QVERIFY2(said.contains("에 연결할 수 없습니다."), qPrintable(said));
        QCOMPARE(m_problems, QStringList());
        QVERIFY2(waited < 3800, qPrintable(QString::number(waited))); // two attempts take 4 s
    }
};

QTEST_GUILESS_MAIN(TestLogin)
#include "test_login.moc"
