// The parent's side of the timings: starts the measuring child on the prepared
// store and prints its figures as a table for people or as one JSON object.
#include "bench.h"

#include "base/error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

namespace bench {

namespace {

QJsonObject measureInChild(const Options &options)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), options.childArguments() << QStringLiteral("--measure-child"));
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        throw AppError(QStringLiteral("the measuring process failed (exit code %1)").arg(child.exitCode()));
    QJsonParseError problem;
    const QJsonDocument document = QJsonDocument::fromJson(child.readAllStandardOutput().trimmed(), &problem);
    if (!document.isObject())
        throw AppError(QStringLiteral("the measuring process gave no figures: %1").arg(problem.errorString()));
    return document.object();
}

double median(const QJsonObject &result, const char *name)
{
    return result[QLatin1String(name)].toObject()[QLatin1String("median")].toDouble();
}

double finderMedian(const QJsonObject &result, const char *kind)
{
    return result[QLatin1String("finder")]
        .toObject()[QLatin1String(kind)]
        .toObject()[QLatin1String("median")]
        .toDouble();
}

// The slowest dialog's statement by its median.
QString slowestSearch(const QJsonObject &searches)
{
    QString slowest;
    for (auto it = searches.begin(); it != searches.end(); ++it)
        if (slowest.isEmpty() || it.value().toObject()[QLatin1String("median")].toDouble() >
                                     searches[slowest].toObject()[QLatin1String("median")].toDouble())
            slowest = it.key();
    return slowest;
}

QString number(double value, int decimals = 2)
{
    return QString::number(value, 'f', decimals);
}

QString verdict(bool met)
{
    return met ? QStringLiteral("yes") : QStringLiteral("NO");
}

class Table
{
public:
    void row(const QString &what, const QJsonObject &figures, const QString &target = {}, int met = -1)
    {
        line(what, number(figures[QLatin1String("median")].toDouble()),
             number(figures[QLatin1String("p90")].toDouble()), QString::number(figures[QLatin1String("runs")].toInt()),
             target, met);
    }
    void line(const QString &what, const QString &medianText, const QString &p90, const QString &runs,
              const QString &target, int met)
    {
        out() << "| " << what << " | " << medianText << " | " << p90 << " | " << runs << " | " << target << " | "
              << (met < 0 ? QString() : verdict(met == 1)) << " |\n";
    }
};

// The initials searches (searches.cpp) and the busy day.
void printSearchesAndBusyDay(Table &table, const QJsonObject &result)
{
    const QJsonObject searches = result[QLatin1String("searches")].toObject();
    for (auto it = searches.begin(); it != searches.end(); ++it) {
        const QJsonObject s = it.value().toObject()[QLatin1String("initials")].toObject();
        table.row(QStringLiteral("initials search %1 \"%2\" (%3 rows)")
                      .arg(it.key(), s[QLatin1String("text")].toString())
                      .arg(s[QLatin1String("rows")].toInt()),
                  s, QStringLiteral("≤ 50 ms"), s[QLatin1String("median")].toDouble() <= 50);
    }
    for (auto it = searches.begin(); it != searches.end(); ++it) {
        const QJsonObject s = it.value().toObject()[QLatin1String("three")].toObject();
        table.row(QStringLiteral("three-syllable search %1 \"%2\" (%3 rows)")
                      .arg(it.key(), s[QLatin1String("text")].toString())
                      .arg(s[QLatin1String("rows")].toInt()),
                  s, QStringLiteral("≤ 5 ms"), s[QLatin1String("median")].toDouble() <= 5);
    }
    const QJsonObject busy = result[QLatin1String("busy_day")].toObject();
    const QJsonObject whole = busy[QLatin1String("whole")].toObject();
    const QJsonObject first = busy[QLatin1String("first_screen")].toObject();
    table.row(QStringLiteral("list a busy day whole (%1 entries)").arg(whole[QLatin1String("rows")].toInt()), whole,
              QStringLiteral("≤ 5 ms"), whole[QLatin1String("median")].toDouble() <= 5);
    table.row(QStringLiteral("a busy day's first screen (%1 entries)").arg(first[QLatin1String("rows")].toInt()), first,
              QStringLiteral("≤ 3 ms"), first[QLatin1String("median")].toDouble() <= 3);
}

// The JSON keys of the figures above: per dialog, the plain, the initials and
// the three-syllable search; the slowest initials and three-syllable search;
// the busy day.
void addSearchesAndBusyDay(QJsonObject &figures, const QJsonObject &result)
{
    const QJsonObject searches = result[QLatin1String("searches")].toObject();
    double slowest = 0, slowestThree = 0;
    for (auto it = searches.begin(); it != searches.end(); ++it) {
        const QString form = it.key().toLower();
        const QJsonObject kinds = it.value().toObject();
        figures[QStringLiteral("search_%1_ms").arg(form)] =
            kinds[QLatin1String("plain")].toObject()[QLatin1String("median")].toDouble();
        const double initials = kinds[QLatin1String("initials")].toObject()[QLatin1String("median")].toDouble();
        figures[QStringLiteral("initials_%1_ms").arg(form)] = initials;
        slowest = std::max(slowest, initials);
        const double three = kinds[QLatin1String("three")].toObject()[QLatin1String("median")].toDouble();
        figures[QStringLiteral("three_%1_ms").arg(form)] = three;
        slowestThree = std::max(slowestThree, three);
    }
    figures[QStringLiteral("initials_search_ms")] = slowest;
    figures[QStringLiteral("three_syllable_search_ms")] = slowestThree;
    const QJsonObject busy = result[QLatin1String("busy_day")].toObject();
    figures[QStringLiteral("busy_day_ms")] =
        busy[QLatin1String("whole")].toObject()[QLatin1String("median")].toDouble();
    figures[QStringLiteral("busy_day_first_screen_ms")] =
        busy[QLatin1String("first_screen")].toObject()[QLatin1String("median")].toDouble();
}

void printTable(const Options &options, const QJsonObject &result)
{
    const bool pg = !options.postgres.isEmpty();
    const double list = median(result, "list"), original = median(result, "list_original");
    const double ratio = list > 0 ? original / list : 0;
    const QJsonObject searches = result[QLatin1String("search")].toObject();
    const QJsonObject startup = result[QLatin1String("startup")].toObject();
    out() << "jeonpyo-bench on " << options.engineName() << ", " << store::countsOf(options.shape).lines
          << " voucher lines, " << options.shape.accounts << " accounts, " << options.shape.customers << " customers, "
          << QThread::idealThreadCount() << " cores\n\n";
    out() << "| operation | median ms | p90 ms | runs | target | met |\n|---|---:|---:|---:|---|---|\n";
    Table table;
    table.row(QStringLiteral("list a date and branch (pQuery)"), result[QLatin1String("list")].toObject(),
              QStringLiteral("≤ 2 ms"), list <= 2);
    table.row(QStringLiteral("the original leading-wildcard listing"),
              result[QLatin1String("list_original")].toObject());
    table.line(QStringLiteral("ratio original / listing"), number(ratio, 0) + QStringLiteral("×"), {}, {},
               QStringLiteral("≥ 200×"), ratio >= 200);
    table.row(QStringLiteral("load a voucher (pDBGridDisplay)"), result[QLatin1String("load")].toObject(),
              QStringLiteral("≤ 2 ms"), median(result, "load") <= 2);
    const double saveLimit = pg ? 10 : 5;
    table.row(QStringLiteral("save a four-entry voucher"), result[QLatin1String("save")].toObject(),
              QStringLiteral("≤ %1 ms").arg(saveLimit), median(result, "save") <= saveLimit);
    table.row(QStringLiteral("update one entry"), result[QLatin1String("update")].toObject());
    for (auto it = searches.begin(); it != searches.end(); ++it) {
        const QJsonObject s = it.value().toObject();
        table.row(QStringLiteral("search %1 %2 \"%3\" (%4 rows)")
                      .arg(it.key(), s[QLatin1String("label")].toString(), s[QLatin1String("text")].toString())
                      .arg(s[QLatin1String("rows")].toInt()),
                  s, QStringLiteral("≤ 15 ms"), s[QLatin1String("median")].toDouble() <= 15);
    }
    const QJsonObject finder = result[QLatin1String("finder")].toObject();
    for (const char *kind : {"account", "open"}) {
        const QJsonObject f = finder[QLatin1String(kind)].toObject();
        const QString text = f[QLatin1String("text")].toString();
        const QString rows = QString::number(f[QLatin1String("rows")].toDouble(), 'f', 0);
        const QString what = text.isEmpty()
                                 ? QStringLiteral("find a month's entries, no criterion (%1 rows)").arg(rows)
                                 : QStringLiteral("find a month's entries by account \"%1\" (%2 rows)").arg(text, rows);
        table.row(what, f, QStringLiteral("≤ 50 ms"), f[QLatin1String("median")].toDouble() <= 50);
    }
    printSearchesAndBusyDay(table, result);
    table.row(QStringLiteral("start-up to the listed grid (%1 rows)").arg(startup[QLatin1String("rows")].toInt()),
              startup, QStringLiteral("≤ 500 ms"), startup[QLatin1String("median")].toDouble() <= 500);
    const QJsonObject real = result[QLatin1String("startup_real")].toObject();
    if (real.contains(QLatin1String("skipped")))
        table.line(QStringLiteral("start-up of the program on the X server"), QStringLiteral("skipped"), {}, {},
                   real[QLatin1String("skipped")].toString(), -1);
    else
        table.row(QStringLiteral("start-up of the program to its window on the X server (%1 rows)")
                      .arg(real[QLatin1String("rows")].toInt()),
                  real, QStringLiteral("≤ 150 ms"), real[QLatin1String("median")].toDouble() <= 150);
    table.line(QStringLiteral("start-up, first in a fresh process"), number(startup[QLatin1String("cold")].toDouble()),
               {}, QStringLiteral("1"), QStringLiteral("≤ 500 ms"), startup[QLatin1String("cold")].toDouble() <= 500);
    const double rss = result[QLatin1String("peak_rss_mb")].toDouble();
    table.line(QStringLiteral("peak resident memory (MB)"), number(rss, 1), {}, {}, QStringLiteral("< 150 MB"),
               rss < 150);
    printFloorTable(result);
    const QString folder = options.sqlite.isEmpty() ? QDir::tempPath() : QFileInfo(options.sqlite).absolutePath();
    out() << "\nOne durable flush of the disk (fdatasync of a page in " << folder
          << "): " << number(flushLatencyMs(folder)) << " ms, the floor of every commit.\n";
    out() << "Listing rows per run: "
          << number(result[QLatin1String("list")].toObject()[QLatin1String("rows")].toDouble(), 1)
          << "; lines per loaded voucher: "
          << number(result[QLatin1String("load")].toObject()[QLatin1String("rows")].toDouble(), 1) << ".\n";
    out().flush();
}

void printJson(const Options &options, const QJsonObject &result)
{
    const QJsonObject searches = result[QLatin1String("search")].toObject();
    QJsonObject figures{
        {"lines", store::countsOf(options.shape).lines},
        {"list_ms", median(result, "list")},
        {"list_original_ms", median(result, "list_original")},
        {"load_ms", median(result, "load")},
        {"save_ms", median(result, "save")},
        {"update_ms", median(result, "update")},
        {"search_ms", searches[slowestSearch(searches)].toObject()[QLatin1String("median")].toDouble()},
        {"startup_ms", median(result, "startup")},
        {"finder_ms", finderMedian(result, "account")},
        {"finder_open_ms", finderMedian(result, "open")},
        {"peak_rss_mb", result[QLatin1String("peak_rss_mb")].toDouble()},
    };
    addSearchesAndBusyDay(figures, result);
    const QJsonObject real = result[QLatin1String("startup_real")].toObject();
    if (!real.contains(QLatin1String("skipped")))
        figures[QStringLiteral("startup_real_ms")] = real[QLatin1String("median")].toDouble();
    const QJsonObject floor = floorRatios(result);
    for (auto it = floor.begin(); it != floor.end(); ++it)
        figures[it.key()] = it.value();
    out() << QJsonDocument(figures).toJson(QJsonDocument::Compact) << Qt::endl;
}

} // namespace

int runMeasurements(const Options &options)
{
    QJsonObject result = measureInChild(options);
    result[QStringLiteral("startup_real")] = measureRealStartup(options);
    if (result[QLatin1String("messages")].toInt() > 0)
        throw AppError(QStringLiteral("the program showed a message box while being measured (see above)"));
    if (options.json)
        printJson(options, result);
    else
        printTable(options, result);
    return 0;
}

} // namespace bench
