// Eight clerks saving vouchers of the same date at the same moment: every
// voucher gets a number of its own, the numbers run 1..N without a gap, and
// every voucher is stored whole. The clerks are processes: this program started
// again as "--writer" (see main below).
#include "base/error.h"
#include "store/sqlrun.h"
#include "store/vouchers.h"
#include "support/testdb.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QThread>
#include <map>
#include <set>

namespace {

const QString day = QStringLiteral("2001-05-30");
constexpr int writers = 8;

// The clerks start together: each says it is ready, then waits for "go". The
// waits only hold a process back; no result depends on how long they take.
void touch(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw AppError(QStringLiteral("cannot write %1").arg(path));
}

void waitFor(const QString &folder, const QString &pattern, int count)
{
    const QDeadlineTimer deadline(120000);
    while (QDir(folder).entryList({pattern}, QDir::Files).size() < count) {
        if (deadline.hasExpired())
            throw AppError(QStringLiteral("waited in vain for %1 files %2").arg(count).arg(pattern));
        QThread::msleep(5);
    }
}

// The way that lets two clerks share a number: the number drawn as a plain
// read, and the lines written afterwards in a transaction of their own.
QString saveDrawnOutside(const store::NewVoucher &voucher, const std::function<void()> &betweenDrawAndWrite)
{
    const QString number = store::Serial_Jen_MaxValue(voucher.dateText);
    betweenDrawAndWrite();
    store::Transaction transaction(store::account());
    for (const store::EntryLines &entry : voucher.entries)
        for (const QString side : {"01", "02"})
            insertStoredLine(
                sampleLine(voucher.dateText, number, entry.serialBun, side, store::branchCode(voucher.branchPosition)));
    transaction.commit();
    return number;
}

// One clerk: saves `count` vouchers of two entries each, tagged with its index
// and the voucher's round, and prints each number drawn (or the error).
int runWriter(const QStringList &arguments)
{
    const int index = arguments.value(2).toInt();
    const QString sync = arguments.value(3);
    const int count = arguments.value(4).toInt();
    const bool unsafe = arguments.value(5) == QLatin1String("unsafe");
    QTextStream out(stdout);
    try {
        store::account();
        touch(sync + QStringLiteral("/ready-%1").arg(index));
        waitFor(sync, QStringLiteral("go"), 1);
        for (int round = 0; round < count; ++round) {
            const QString tag = QStringLiteral("w%1v%2").arg(index).arg(round);
            try {
                const store::NewVoucher voucher = sampleVoucher(day, index % 2, {"01", "02"}, tag);
                const QString number =
                    unsafe ? saveDrawnOutside(voucher,
                                              [&] {
                                                  // Everybody draws before anybody writes: a drawing outside
                                                  // the writing transaction then hands all of them one number.
                                                  touch(sync + QStringLiteral("/drawn-%1-%2").arg(round).arg(index));
                                                  waitFor(sync, QStringLiteral("drawn-%1-*").arg(round), writers);
                                              })
                           : store::saveNewVoucher(voucher).serialJen;
                out << "saved " << tag << ' ' << number << Qt::endl;
            } catch (const AppError &error) {
                out << "error " << tag << ' ' << error.message().simplified() << Qt::endl;
            }
        }
    } catch (const AppError &error) {
        out << "fatal " << error.message().simplified() << Qt::endl;
        return 2;
    }
    return 0;
}

} // namespace

class TestConcurrency : public StoreTestCase
{
    Q_OBJECT

    // Starts the clerks, lets them go at once and gathers what they printed.
    QStringList runClerks(int count, const QString &mode)
    {
        QTemporaryDir sync(qEnvironmentVariable("JEONPYO_TEST_TMP", QDir::tempPath()) + "/sync-XXXXXX");
        std::vector<std::unique_ptr<QProcess>> clerks;
        for (int i = 0; i < writers; ++i) {
            clerks.push_back(std::make_unique<QProcess>());
            clerks.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            clerks.back()->start(QCoreApplication::applicationFilePath(),
                                 {"--writer", QString::number(i), sync.path(), QString::number(count), mode});
        }
        waitFor(sync.path(), "ready-*", writers);
        touch(sync.path() + "/go");
        QStringList reports;
        for (auto &clerk : clerks) {
            if (!clerk->waitForFinished(300000))
                clerk->kill();
            reports += QString::fromUtf8(clerk->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
            if (clerk->exitStatus() != QProcess::NormalExit || clerk->exitCode() != 0)
                reports << QStringLiteral("fatal: a clerk ended with %1").arg(clerk->exitCode());
        }
        return reports;
    }

    // Numbers 1..N each given once, and every voucher stored whole: both
    // entries, both lines each, all of the clerk that was given the number.
    QStringList check(const QStringList &reports, int vouchers)
    {
        QStringList problems;
        std::map<QString, QString> tagOfNumber;
        for (const QString &report : reports) {
            const QStringList parts = report.split(' ');
            if (parts.value(0) != "saved")
                problems << report;
            else if (!tagOfNumber.emplace(parts.value(2), parts.value(1)).second)
                problems << "number " + parts.value(2) + " was given twice";
        }
        for (int i = 1; i <= vouchers; ++i)
            if (!tagOfNumber.count(day + "-" + QString::number(i).rightJustified(8, '0')))
                problems << QStringLiteral("number %1 was given to nobody").arg(i);

        std::map<QString, QStringList> linesOf;
        for (const store::StoredLine &line : database().allLines())
            linesOf[line.Serial_Jen] << line.Serial_Bun + line.Serial_CrDr + ' ' + line.Ac_Text.section(' ', 0, 0);
        for (const auto &[number, tag] : tagOfNumber) {
            const QStringList expected = {"0101 " + tag, "0102 " + tag, "0201 " + tag, "0202 " + tag};
            if (linesOf[number] != expected)
                problems << QStringLiteral("voucher %1 of %2 holds %3").arg(number, tag, linesOf[number].join(", "));
        }
        if (linesOf.size() != tagOfNumber.size())
            problems << QStringLiteral("%1 vouchers stored, %2 given").arg(linesOf.size()).arg(tagOfNumber.size());
        return problems;
    }

private slots:
    void clerksSavingTheSameDateGetNumbersOfTheirOwn()
    {
        const int perClerk = 5;
        const QStringList problems = check(runClerks(perClerk, "safe"), writers * perClerk);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        QCOMPARE(int(database().allLines().size()), writers * perClerk * 4);
    }

    void drawingTheNumberOutsideTheWriteShowsTheFault()
    {
        const QStringList problems = check(runClerks(1, "unsafe"), writers);
        QVERIFY2(!problems.isEmpty(), "eight clerks shared one drawn number and the check found nothing wrong");
        QVERIFY2(problems.join('\n').contains("was given to nobody"), qPrintable(problems.join('\n')));
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--writer") == 0)
        return runWriter(app.arguments());
    TestConcurrency test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_concurrency.moc"
