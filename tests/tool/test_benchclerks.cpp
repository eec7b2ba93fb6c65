// jeonpyo-bench --clerks on a server that restarts under the clerks: failed
// saves are tried again and reported, the table is always printed and the
// clerks' date removed; and the password reaches no command line. With
// --floor the clerks' saves through the engine's library are checked alike.
#include "support/pgserver.h"

#include "base/error.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlQuery>
#include <QTest>
#include <QThread>
#include <memory>

namespace {

// The command lines of the running clerk processes, read as `ps` reads them.
QStringList clerkCommandLines()
{
    QStringList lines;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString line = QString::fromUtf8(file.readAll().replace('\0', ' '));
        if (line.contains(QLatin1String("jeonpyo-bench")) && line.contains(QLatin1String("--clerk-child")))
            lines << line;
    }
    return lines;
}

void startBench(QProcess &bench, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("ACCOUNT_DB"));
    bench.setProcessEnvironment(environment);
    bench.start(QStringLiteral(JEONPYO_BENCH_TOOL), arguments);
}

} // namespace

class TestBenchClerks : public QObject
{
    Q_OBJECT

    std::unique_ptr<PgServer> server;

    // The store's own 100 lines, and nothing the clerks left.
    void verifyOnlyTheStoreIsLeft()
    {
        {
            QSqlDatabase db = store::openExtra(QStringLiteral("look"), server->target(QStringLiteral("bench")));
            QSqlQuery query(db);
            QVERIFY(query.exec(QStringLiteral("SELECT COUNT(*) FROM Account_Jen_AA")) && query.next());
            QCOMPARE(query.value(0).toInt(), 100);
            query.finish();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("look"));
    }

private slots:
    void initTestCase()
    {
        QString why;
        if (!PgServer::available(&why))
            QSKIP(qPrintable(why));
        server = std::make_unique<PgServer>(PgServer::Login::Password);
        server->start();
        server->createDatabase(QStringLiteral("bench"));
    }

    void aServerRestartIsRiddenOutAndReported()
    {
        PgServer &server = *this->server;
        QProcess bench;
        startBench(bench, {QStringLiteral("--postgres"), server.uri(QStringLiteral("bench")), QStringLiteral("--lines"),
                           QStringLiteral("100"), QStringLiteral("--clerks"), QStringLiteral("2"),
                           QStringLiteral("--vouchers"), QStringLiteral("400")});
        QByteArray errors;
        QStringList seen;
        bool restarted = false;
        QElapsedTimer timer;
        timer.start();
        while (bench.state() != QProcess::NotRunning && timer.elapsed() < 300000) {
            bench.waitForFinished(100);
            errors += bench.readAllStandardError();
            const QStringList clerks = clerkCommandLines();
            seen << clerks;
            if (!restarted && !clerks.isEmpty() && errors.contains("clerks save vouchers")) {
                QThread::msleep(300);
                server.pause();
                QThread::msleep(1500);
                server.resume();
                restarted = true;
            }
        }
        QVERIFY2(bench.state() == QProcess::NotRunning, "the bench did not finish");
        errors += bench.readAllStandardError();
        const QString output = QString::fromUtf8(bench.readAllStandardOutput());
        QVERIFY(restarted);
        QVERIFY(!seen.isEmpty());
        // Every voucher asked for was saved, and the table says so.
        QVERIFY2(output.contains(QStringLiteral("| 2 | 400 |")), qPrintable(output + QString::fromUtf8(errors)));
        QVERIFY2(bench.exitCode() == 0, qPrintable(output + QString::fromUtf8(errors)));
        for (const QString &line : std::as_const(seen))
            QVERIFY2(!line.contains(server.password()), qPrintable(line));
        QVERIFY2(!(output + QString::fromUtf8(errors)).contains(server.password()), qPrintable(output));

        // The clerks' vouchers are gone again; the store's own lines stay.
        verifyOnlyTheStoreIsLeft();
    }

    // The floor's clerks draw their numbers with the program's own lock and
    // statement: every voucher is stored whole under a number of its own, the
    // numbers run without a gap, and the scratch voucher each clerk saved
    // through the program first is gone with the clerks' date.
    void theFloorsClerksSaveEveryVoucherWholeAndLeaveNothing()
    {
        QProcess bench;
        startBench(bench, {QStringLiteral("--postgres"), server->uri(QStringLiteral("bench")),
                           QStringLiteral("--lines"), QStringLiteral("100"), QStringLiteral("--clerks"),
                           QStringLiteral("3"), QStringLiteral("--vouchers"), QStringLiteral("60"),
                           QStringLiteral("--floor"), QStringLiteral("--json")});
        QVERIFY(bench.waitForFinished(120000));
        const QByteArray output = bench.readAllStandardOutput();
        const QString all = QString::fromUtf8(output + bench.readAllStandardError());
        QVERIFY2(bench.exitCode() == 0, qPrintable(all));
        const QJsonObject figures = QJsonDocument::fromJson(output.trimmed().split('\n').last()).object();
        QVERIFY2(figures[QLatin1String("floor")].toBool(), qPrintable(all));
        QCOMPARE(figures[QLatin1String("vouchers")].toInt(), 60);
        for (const char *problem : {"duplicates", "lost", "partial", "unreported", "errors"})
            QVERIFY2(figures[QLatin1String(problem)].toInt() == 0, problem);
        verifyOnlyTheStoreIsLeft();

        QProcess refused;
        startBench(refused,
                   {QStringLiteral("--postgres"), server->uri(QStringLiteral("bench")), QStringLiteral("--floor")});
        QVERIFY(refused.waitForFinished(30000));
        QCOMPARE(refused.exitCode(), 2);
        QVERIFY(refused.readAllStandardError().contains("--floor goes with --clerks"));
    }
};

QTEST_GUILESS_MAIN(TestBenchClerks)
#include "test_benchclerks.moc"
