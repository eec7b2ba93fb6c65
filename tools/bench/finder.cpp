// The voucher finder on the large store: a month of every branch searched for
// an account by a part of its name (the search reads every line of the month),
// and the same months with no criterion besides the dates (the search stops
// at the most it shows).
#include "bench.h"

#include "store/connection.h"
#include "store/voucherfind.h"

#include <QDate>
#include <QElapsedTimer>
#include <random>

namespace bench {

namespace {

// Months (30 days each) spread over the whole store, the same for every run.
std::vector<std::pair<QString, QString>> sampleMonths(int count)
{
    const auto [first, last] = store::storedDateRange(store::account());
    const QDate from = QDate::fromString(first, QStringLiteral("yyyy-MM-dd"));
    const qint64 span = std::max<qint64>(1, from.daysTo(QDate::fromString(last, QStringLiteral("yyyy-MM-dd"))) - 29);
    std::mt19937 random(11);
    std::vector<std::pair<QString, QString>> months;
    for (int i = 0; i < count; ++i) {
        const QDate start = from.addDays(qint64(random() % span));
        months.emplace_back(start.toString(QStringLiteral("yyyy-MM-dd")),
                            start.addDays(29).toString(QStringLiteral("yyyy-MM-dd")));
    }
    return months;
}

QJsonObject timedSearches(int runs, const QString &account)
{
    const auto months = sampleMonths(20);
    Series series;
    double rows = 0;
    QElapsedTimer timer;
    for (int i = 0; i < 3 + runs; ++i) { // the first three are the warm-up
        store::FinderCriteria criteria;
        std::tie(criteria.fromDate, criteria.toDate) = months[size_t(i) % months.size()];
        criteria.account = account;
        timer.start();
        const store::FinderResult found = store::findEntries(criteria);
        if (i < 3)
            continue;
        series.ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        rows += double(found.entries.size());
    }
    return {{"median", series.median()},
            {"p90", series.percentile(0.9)},
            {"runs", int(series.ms.size())},
            {"rows", rows / double(series.ms.size())},
            {"text", account}};
}

} // namespace

QJsonObject finderFigures(int runs)
{
    return {{"account", timedSearches(runs, store::accountSearchText)}, {"open", timedSearches(runs, {})}};
}

} // namespace bench
