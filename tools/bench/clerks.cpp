// Several clerks at once: writer processes (this program again, as
// --clerk-child) save four-entry vouchers of one date through the program's
// own save (or, with --floor, its statements through the engine's C library)
// until stopped or until the asked number is saved; then every number drawn
// and every voucher stored is checked.
#include "bench.h"

#include "base/error.h"
#include "base/text.h"
#include "store/connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <csignal>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace bench {

namespace {

volatile std::sig_atomic_t stopAsked = 0;
const qint64 retryMs = 60000;

void askStop(int)
{
    stopAsked = 1;
}

void catchStop()
{
    std::signal(SIGINT, askStop);
    std::signal(SIGTERM, askStop);
}

QString dayAfter(const QString &date)
{
    const QString form = QStringLiteral("yyyy-MM-dd");
    return QDate::fromString(date, form).addDays(1).toString(form);
}

// The clerks write a date that holds no other lines: the day after the newest.
QString clerkDate()
{
    const QString last = store::storedDateRange(store::account()).second;
    return dayAfter(last.isEmpty() ? QStringLiteral("2001-05-30") : last);
}

// The days a run writes: the clerks' date, and the day after it, where the
// floor's clerks each save and delete one voucher first, to have the
// program's statements to read.
QStringList runDays(const QString &date)
{
    return {date, dayAfter(date)};
}

struct Saved
{
    QString tag;
    int branch = 0;
};

struct Outcome
{
    qint64 saved = 0, errors = 0, retried = 0, duplicates = 0, lost = 0, partial = 0, unreported = 0;
    double seconds = 0;
    QStringList problems;
};

// Reads what the clerks printed: "saved NUMBER TAG BRANCH", "failed TAG TEXT"
// for an attempt that is tried again, or "error TAG TEXT" for a save given up.
std::map<QString, Saved> readReports(const std::vector<QByteArray> &outputs, Outcome &outcome)
{
    std::map<QString, Saved> saved;
    for (const QByteArray &output : outputs) {
        for (const QByteArray &line : output.split('\n')) {
            const QStringList parts = QString::fromUtf8(line).split(QLatin1Char(' '));
            if (parts.value(0) == QLatin1String("saved")) {
                ++outcome.saved;
                if (!saved.emplace(parts.value(1), Saved{parts.value(2), parts.value(3).toInt()}).second) {
                    ++outcome.duplicates;
                    outcome.problems << QStringLiteral("number %1 was given twice").arg(parts.value(1));
                }
            } else if (parts.value(0) == QLatin1String("failed")) {
                ++outcome.retried;
                if (outcome.retried <= 3)
                    err() << "  attempt failed, tried again: " << QString::fromUtf8(line) << Qt::endl;
            } else if (parts.value(0) == QLatin1String("error")) {
                ++outcome.errors;
                outcome.problems << QString::fromUtf8(line);
            }
        }
    }
    return saved;
}

// Every number the clerks were given holds its clerk's four entries, both
// lines each; every number of the date up to the greatest was given.
void checkStore(const QString &date, const std::map<QString, Saved> &saved, Outcome &outcome)
{
    for (const auto &[number, voucher] : saved) {
        QStringList found;
        for (const store::StoredLine &line : store::loadVoucherLines(date + store::branchCode(voucher.branch), number))
            found << Str_RTrim(line.Serial_Bun) + Str_RTrim(line.Serial_CrDr) + QLatin1Char(' ') + line.Ac_Text;
        QStringList expected;
        for (const char *bun : {"01", "02", "03", "04"})
            for (const char *side : {"01", "02"})
                expected << QLatin1String(bun) + QLatin1String(side) + QLatin1Char(' ') + voucher.tag +
                                QLatin1Char(' ') + QLatin1String(bun);
        if (found == expected)
            continue;
        ++(found.isEmpty() ? outcome.lost : outcome.partial);
        outcome.problems << QStringLiteral("voucher %1 of %2 holds: %3").arg(number, voucher.tag, found.join(", "));
    }
    const int next = Str_ToInt(store::Serial_Jen_MaxValue(date).mid(11, 8));
    for (int sequence = 1; sequence < next; ++sequence) {
        const QString number = date + QLatin1Char('-') + QString::number(sequence).rightJustified(8, QLatin1Char('0'));
        if (saved.count(number) == 0) {
            ++outcome.unreported;
            outcome.problems << QStringLiteral("voucher %1 is stored but no clerk was given it").arg(number);
        }
    }
}

void print(const Options &options, const Outcome &o)
{
    const double rate = o.seconds > 0 ? double(o.saved) / o.seconds : 0;
    for (const QString &problem : o.problems.mid(0, 20))
        err() << "  " << problem << Qt::endl;
    if (options.json) {
        const QJsonObject figures{{"clerks", options.clerks}, {"vouchers", o.saved},  {"seconds", o.seconds},
                                  {"vouchers_per_s", rate},   {"clerks_per_s", rate}, {"duplicates", o.duplicates},
                                  {"lost", o.lost},           {"partial", o.partial}, {"unreported", o.unreported},
                                  {"errors", o.errors},       {"retried", o.retried}, {"floor", options.floor}};
        out() << QJsonDocument(figures).toJson(QJsonDocument::Compact) << Qt::endl;
        return;
    }
    out() << "jeonpyo-bench --clerks " << options.clerks << (options.window ? " --window" : "")
          << (options.floor ? " --floor (the engine's C library with the program's statements)" : "") << " on "
          << options.engineName() << "\n\n"
          << "| clerks | vouchers saved | seconds | vouchers per second | duplicate numbers | lost | partial | "
             "stored but not given | failed saves | attempts retried "
             "|\n|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n"
          << "| " << options.clerks << " | " << o.saved << " | " << QString::number(o.seconds, 'f', 2) << " | "
          << QString::number(rate, 'f', 1) << " | " << o.duplicates << " | " << o.lost << " | " << o.partial << " | "
          << o.unreported << " | " << o.errors << " | " << o.retried << " |\n\n";
    const QString folder = options.sqlite.isEmpty() ? QDir::tempPath() : QFileInfo(options.sqlite).absolutePath();
    // The numbers of a date are drawn one clerk at a time, up to each commit's end.
    out() << "One durable flush of the disk (fdatasync of a page in " << folder
          << "): " << QString::number(flushLatencyMs(folder), 'f', 2)
          << " ms; every voucher's commit waits for one while it holds its date." << Qt::endl;
}

// Runs a step on the store, trying again while the store cannot be reached
// (a server restarting comes back within the minute); the last failure is
// thrown.
template <typename Step> auto retrying(Step step)
{
    QElapsedTimer trying;
    trying.start();
    for (;;) {
        try {
            return step();
        } catch (const AppError &) {
            if (stopAsked || trying.elapsed() > retryMs)
                throw;
            QThread::msleep(500);
        }
    }
}

using Clerks = std::vector<std::unique_ptr<QProcess>>;

Clerks startClerks(const Options &options, const QString &date)
{
    Clerks clerks;
    for (int i = 0; i < options.clerks; ++i) {
        QStringList arguments = options.childArguments();
        arguments << QStringLiteral("--clerk-child") << QString::number(i) << QStringLiteral("--date") << date;
        if (options.vouchers > 0) {
            const qint64 share = options.vouchers / options.clerks + (i < options.vouchers % options.clerks ? 1 : 0);
            if (share == 0)
                continue;
            arguments << QStringLiteral("--vouchers") << QString::number(share);
        }
        clerks.push_back(std::make_unique<QProcess>());
        clerks.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        clerks.back()->start(QCoreApplication::applicationFilePath(), arguments);
    }
    // Each says "ready" once connected; then all are let go at once.
    for (auto &clerk : clerks) {
        while (!clerk->canReadLine())
            if (!clerk->waitForReadyRead(60000))
                throw AppError(QStringLiteral("a clerk did not start"));
        clerk->readLine();
    }
    return clerks;
}

// Waits for every clerk, passing on a stop; prints the count now and then.
std::vector<QByteArray> waitForClerks(Clerks &clerks)
{
    std::vector<QByteArray> outputs(clerks.size());
    bool stopSent = false;
    QElapsedTimer sinceReport;
    sinceReport.start();
    for (bool running = true; running;) {
        running = false;
        qint64 saved = 0;
        for (size_t i = 0; i < clerks.size(); ++i) {
            QProcess &clerk = *clerks[i];
            if (clerk.state() != QProcess::NotRunning && !clerk.waitForFinished(50))
                running = true;
            outputs[i] += clerk.readAllStandardOutput();
            saved += outputs[i].count("\nsaved ") + (outputs[i].startsWith("saved ") ? 1 : 0);
            if (stopAsked && !stopSent && clerk.state() != QProcess::NotRunning)
                clerk.terminate();
        }
        stopSent = stopSent || stopAsked;
        if (sinceReport.elapsed() > 5000) {
            err() << "  " << saved << " vouchers saved" << Qt::endl;
            sinceReport.restart();
        }
    }
    return outputs;
}

} // namespace

int runClerkChild(const Options &options)
{
    if (options.window)
        runStatementsAsTheWindowDoes();
    catchStop();
    const int branches = std::max<int>(1, int(store::branchList().size()));
    const int branch = options.clerkIndex % branches;
    const FloorSave save = options.floor
                               ? floorSaver(options, dayAfter(options.date))
                               : [](const QString &date, int branch, const QString &tag) {
                                     return store::saveNewVoucher(fourEntryVoucher(date, branch, tag)).serialJen;
                                 };
    QTextStream &report = out();
    report << "ready" << Qt::endl;
    std::string go;
    std::getline(std::cin, go);
    for (qint64 round = 0; !stopAsked && (options.vouchers == 0 || round < options.vouchers); ++round) {
        const QString tag = QStringLiteral("c%1v%2").arg(options.clerkIndex).arg(round);
        // A save that fails (the server restarting, the file locked) is tried
        // again, as the clerk would, for up to a minute; each failed attempt
        // is reported, and only a save given up counts as an error.
        QElapsedTimer trying;
        trying.start();
        for (;;) {
            try {
                const QString number = save(options.date, branch, tag);
                report << "saved " << number << ' ' << tag << ' ' << branch << Qt::endl;
                break;
            } catch (const AppError &error) {
                const bool giveUp = stopAsked || trying.elapsed() > retryMs;
                report << (giveUp ? "error " : "failed ") << tag << ' ' << error.message().simplified() << Qt::endl;
                if (giveUp)
                    break;
                QThread::msleep(200);
            }
        }
    }
    store::closeAccount();
    return 0;
}

int runClerks(const Options &options)
{
    const QString date = clerkDate();
    for (const QString &day : runDays(date))
        store::removeDate(store::account(), day); // what an interrupted run left
    store::closeAccount();                        // the clerks alone use the store while they run
    err() << options.clerks << " clerks save vouchers of " << date
          << (options.vouchers > 0 ? QStringLiteral(" until %1 are saved").arg(options.vouchers)
                                   : QStringLiteral(" until stopped (Ctrl-C)"))
          << " ..." << Qt::endl;
    Clerks clerks = startClerks(options, date);
    catchStop();
    QElapsedTimer timer;
    timer.start();
    for (auto &clerk : clerks)
        clerk->write("go\n");
    const std::vector<QByteArray> outputs = waitForClerks(clerks);
    Outcome outcome;
    outcome.seconds = double(timer.nsecsElapsed()) / 1e9;
    for (auto &clerk : clerks)
        if (clerk->exitStatus() != QProcess::NormalExit || clerk->exitCode() != 0)
            outcome.problems << QStringLiteral("a clerk ended with exit code %1").arg(clerk->exitCode());
    const std::map<QString, Saved> saved = readReports(outputs, outcome);
    // The table is printed and the date removed whatever the store does now.
    try {
        retrying([&] {
            Outcome checked = outcome;
            checkStore(date, saved, checked);
            outcome = checked;
            return 0;
        });
    } catch (const AppError &error) {
        outcome.problems
            << QStringLiteral("the stored vouchers could not be checked: %1").arg(error.message().simplified());
    }
    print(options, outcome);
    // The store keeps its size for the next run.
    try {
        retrying([&] {
            for (const QString &day : runDays(date))
                store::removeDate(store::account(), day);
            return 0;
        });
    } catch (const AppError &error) {
        err() << "jeonpyo-bench: the vouchers of " << date << " could not be removed: " << error.message() << Qt::endl;
        return 1;
    }
    return outcome.problems.isEmpty() ? 0 : 1;
}

} // namespace bench
