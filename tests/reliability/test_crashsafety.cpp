// The program killed (SIGKILL) at random moments while it saves vouchers, a
// hundred times over, on SQLite and on PostgreSQL; then the store is checked:
// every voucher whole (both lines of every entry, entries 01..k as saved) or
// absent, every save that was reported done is there, no number given twice or
// skipped, and the database opens cleanly.
//
// The savers are this program started again as "--saver" (see main); they run
// the store's own save. The moments of the kills come from a seeded generator:
// the seed is logged, and JEONPYO_CRASH_SEED=<seed> runs the same schedule.
#include "base/error.h"
#include "store/vouchers.h"
#include "support/testdb.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QTextStream>
#include <map>
#include <set>

#include <signal.h>

namespace {

const QString day = QStringLiteral("2001-05-30");
constexpr int trials = 100;
constexpr int longestRunMs = 60; // a kill lands within this time of the saver being ready

// The saver: opens the store, says "ready", then saves vouchers of 1 to 4
// entries until it is killed, telling each one before ("begin") and after it
// is stored ("saved").
int runSaver(const QStringList &arguments)
{
    const QString trial = arguments.value(2);
    QRandomGenerator random(arguments.value(3).toUInt());
    QTextStream out(stdout);
    try {
        store::account();
        out << "ready" << Qt::endl;
        for (int i = 0; i < 100000; ++i) {
            const int entries = 1 + int(random.bounded(4));
            QStringList numbers;
            for (int e = 1; e <= entries; ++e)
                numbers << QStringLiteral("0%1").arg(e);
            const QString tag = QStringLiteral("t%1v%2").arg(trial).arg(i);
            out << "begin " << tag << Qt::endl;
            const QString number = store::saveNewVoucher(sampleVoucher(day, 0, numbers, tag)).serialJen;
            out << "saved " << tag << ' ' << number << ' ' << entries << Qt::endl;
        }
    } catch (const AppError &error) {
        out << "error " << error.message().simplified() << Qt::endl;
        return 2;
    }
    return 0;
}

struct Saved
{
    QString number;
    int entries = 0;
};

struct Figures
{
    int kills = 0, killsBeforeReady = 0, killsDuringSave = 0;
    int acknowledged = 0, stored = 0;
};

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

    std::unique_ptr<PgServer> m_server;

    // One trial: a saver started and killed after a random time. Returns what
    // it printed.
    QStringList killOneSaver(int trial, QRandomGenerator &random, Figures &figures)
    {
        QProcess saver;
        saver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        saver.start(QCoreApplication::applicationFilePath(),
                    {"--saver", QString::number(trial), QString::number(random.generate())});
        if (!saver.waitForStarted(30000))
            return {"error: the saver did not start"};
        // One kill in ten lands while the saver is still starting and connecting.
        const bool early = random.bounded(10) == 0;
        QByteArray output;
        if (!early) {
            while (!output.contains("ready\n") && saver.waitForReadyRead(30000))
                output += saver.readAllStandardOutput();
        }
        const QDeadlineTimer deadline(int(random.bounded(longestRunMs + 1)));
        while (!deadline.hasExpired() && saver.state() == QProcess::Running) {
            saver.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
            output += saver.readAllStandardOutput();
        }
        if (saver.state() == QProcess::Running) {
            ::kill(pid_t(saver.processId()), SIGKILL);
            ++figures.kills;
        }
        saver.waitForFinished(30000);
        output += saver.readAllStandardOutput();
        const QStringList lines = QString::fromUtf8(output).split('\n', Qt::SkipEmptyParts);
        if (!lines.contains("ready"))
            ++figures.killsBeforeReady;
        else if (lines.last().startsWith("begin "))
            ++figures.killsDuringSave;
        return lines;
    }

    // Every stored voucher whole, numbered without gap or repeat, and holding
    // every save that was reported done.
    QStringList check(TestDatabase &db, const std::map<QString, Saved> &acknowledged, Figures &figures)
    {
        QStringList problems;
        std::map<QString, std::vector<store::StoredLine>> vouchers;
        for (const store::StoredLine &line : db.allLines())
            vouchers[line.Serial_Jen].push_back(line);
        figures.stored = int(vouchers.size());
        std::set<QString> tags;
        int expected = 1;
        for (const auto &[number, lines] : vouchers) {
            if (number != day + "-" + QString::number(expected++).rightJustified(8, '0'))
                problems << "voucher number " + number + " breaks the sequence";
            const QString tag = lines.front().Ac_Text.section(' ', 0, 0);
            if (!tags.insert(tag).second)
                problems << "the save " + tag + " is stored twice";
            QStringList shape, wanted;
            for (const store::StoredLine &line : lines)
                shape << line.Serial_Bun + line.Serial_CrDr + " " + line.Ac_Text.section(' ', 0, 0);
            for (int e = 1; e <= int(lines.size()) / 2; ++e)
                for (const char *side : {"01", "02"})
                    wanted << "0" + QString::number(e) + side + " " + tag;
            if (shape != wanted || lines.size() % 2 != 0)
                problems << "voucher " + number + " is not whole: " + shape.join(", ");
            const auto saved = acknowledged.find(tag);
            if (saved != acknowledged.end() &&
                (saved->second.number != number || saved->second.entries * 2 != int(lines.size())))
                problems << "voucher " + number + " differs from the save reported as " + saved->second.number;
        }
        for (const auto &[tag, saved] : acknowledged)
            if (!tags.count(tag))
                problems << "the save " + tag + " was reported done but is not stored";
        return problems;
    }

    // The database, opened anew, answers and (SQLite) finds itself intact.
    QStringList checkOpensCleanly(TestDatabase &db)
    {
        store::closeAccount();
        try {
            if (db.engine() == store::Engine::SQLite) {
                const QStringList integrity = db.column("PRAGMA integrity_check");
                if (integrity != QStringList{"ok"})
                    return {"the SQLite file is damaged: " + integrity.join("; ")};
            }
            store::listVouchers(day, "00000");
            store::Serial_Jen_MaxValue(day);
        } catch (const AppError &error) {
            return {"the database does not open cleanly: " + error.message()};
        }
        return {};
    }

private slots:
    void cleanupTestCase() { m_server.reset(); }

    void killedSaversLeaveEveryVoucherWholeOrAbsent_data()
    {
        QTest::addColumn<store::Engine>("engine");
        QTest::newRow("SQLite") << store::Engine::SQLite;
        QTest::newRow("PostgreSQL") << store::Engine::PostgreSQL;
    }
    void killedSaversLeaveEveryVoucherWholeOrAbsent()
    {
        QFETCH(store::Engine, engine);
        std::unique_ptr<TestDatabase> db;
        if (engine == store::Engine::SQLite) {
            db = std::make_unique<TestDatabase>();
        } else {
            QString why;
            if (!PgServer::available(&why))
                QSKIP(qPrintable(why));
            m_server = std::make_unique<PgServer>();
            m_server->start();
            db = std::make_unique<TestDatabase>(*m_server);
        }
        store::closeAccount(); // the savers alone hold the database while they run

        const quint32 seed = qEnvironmentVariableIsSet("JEONPYO_CRASH_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("JEONPYO_CRASH_SEED"))
                                 : QRandomGenerator::system()->generate();
        qInfo("seed %u (JEONPYO_CRASH_SEED=%u repeats this schedule)", seed, seed);
        QRandomGenerator random(seed);
        Figures figures;
        std::map<QString, Saved> acknowledged;
        QStringList problems;
        for (int trial = 0; trial < trials; ++trial) {
            for (const QString &line : killOneSaver(trial, random, figures)) {
                const QStringList parts = line.split(' ');
                if (parts.value(0) == "saved")
                    acknowledged[parts.value(1)] = {parts.value(2), parts.value(3).toInt()};
                else if (parts.value(0) != "begin" && parts.value(0) != "ready")
                    problems << QString("trial %1: %2").arg(trial).arg(line);
            }
        }
        figures.acknowledged = int(acknowledged.size());
        problems += checkOpensCleanly(*db);
        problems += check(*db, acknowledged, figures);
        qInfo("%d trials, %d kills (%d while starting, %d in the middle of a save); "
              "%d saves reported done, %d vouchers stored",
              trials, figures.kills, figures.killsBeforeReady, figures.killsDuringSave, figures.acknowledged,
              figures.stored);
        QVERIFY2(problems.isEmpty(), qPrintable(QString("seed %1:\n").arg(seed) + problems.join('\n')));
        // A check that no kill ever reached a save would prove nothing.
        QVERIFY2(figures.killsDuringSave >= trials / 20, "too few kills landed in the middle of a save to tell");
        db.reset();
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--saver") == 0)
        return runSaver(app.arguments());
    TestCrashSafety test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_crashsafety.moc"
