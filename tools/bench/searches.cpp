// The bench's figures for the search dialogs and busy days: each dialog's
// search for its usual text and for the initials of that text, and the listing
// of a day that holds 700 entries for one branch (the whole day, and the first
// screen the grid shows).
#include "bench.h"

#include "base/hangul.h"
#include "lookup/catalogue.h"
#include "store/connection.h"
#include "store/lookups.h"
#include "store/vouchers.h"

#include <QDate>
#include <QElapsedTimer>
#include <functional>

namespace bench {

namespace {

Series timeRuns(int warmUp, int runs, const std::function<void()> &operation)
{
    for (int i = 0; i < warmUp; ++i)
        operation();
    Series series;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        operation();
        series.ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return series;
}

QJsonObject figuresOf(const Series &series, double rows)
{
    return {
        {"median", series.median()}, {"p90", series.percentile(0.9)}, {"runs", int(series.ms.size())}, {"rows", rows}};
}

// A text of three syllables that the made-up names hold.
QString threeSyllables(store::LookupStatement statement)
{
    switch (statement) {
    case store::LookupStatement::DebitAccounts:
    case store::LookupStatement::CreditAccounts:
        return QStringLiteral("원재료");
    case store::LookupStatement::CustomersAndBanks:
        return QStringLiteral("한일상");
    case store::LookupStatement::Employees:
        return QStringLiteral("김민수");
    case store::LookupStatement::Departments:
        return QStringLiteral("부산영");
    case store::LookupStatement::Projects:
        return QStringLiteral("자동화");
    case store::LookupStatement::Items:
        return QStringLiteral("원자재");
    }
    return {};
}

QJsonObject timeSearch(const lookup::DialogDesign &dialog, const QString &text, int runs)
{
    size_t rows = 0;
    const Series series = timeRuns(2, runs, [&] { rows = store::lookupText(dialog.statement, text).rows.size(); });
    QJsonObject o = figuresOf(series, double(rows));
    o[QStringLiteral("text")] = text;
    return o;
}

} // namespace

QString usualSearchText(store::LookupStatement statement)
{
    switch (statement) {
    case store::LookupStatement::DebitAccounts:
    case store::LookupStatement::CreditAccounts:
        return store::accountSearchText;
    case store::LookupStatement::CustomersAndBanks:
        return store::customerSearchText;
    case store::LookupStatement::Employees:
        return store::employeeSearchText;
    case store::LookupStatement::Departments:
        return store::departmentSearchText;
    case store::LookupStatement::Projects:
        return store::projectSearchText;
    case store::LookupStatement::Items:
        return store::itemSearchText;
    }
    return {};
}

QJsonObject measureSearches(int runs)
{
    QJsonObject all;
    for (const lookup::DialogDesign &dialog : lookup::catalogue()) {
        const QString text = usualSearchText(dialog.statement);
        all[dialog.objectName] = QJsonObject{{"plain", timeSearch(dialog, text, runs)},
                                             {"initials", timeSearch(dialog, hangul::initials(text), runs)},
                                             {"three", timeSearch(dialog, threeSyllables(dialog.statement), runs)}};
    }
    return all;
}

QJsonObject measureBusyDay(int runs, int entries)
{
    // A day after the store's last, so that no clerk's day is touched; its
    // vouchers go again at the end.
    const QString last = store::storedDateRange(store::account()).second;
    const QString date =
        QDate::fromString(last, QStringLiteral("yyyy-MM-dd")).addDays(1).toString(QStringLiteral("yyyy-MM-dd"));
    const QString branch = store::branchCode(0);
    for (int saved = 0; saved < entries; saved += 4)
        store::saveNewVoucher(fourEntryVoucher(date, 0, QStringLiteral("busy")));
    size_t rows = 0;
    const Series whole = timeRuns(3, runs, [&] { rows = store::listVouchers(date, branch).size(); });
    size_t shown = 0;
    const Series first = timeRuns(3, runs, [&] { shown = store::listVoucherScreen(date, branch).rows.size(); });
    store::removeDate(store::account(), date);
    return {{"whole", figuresOf(whole, double(rows))}, {"first_screen", figuresOf(first, double(shown))}};
}

} // namespace bench
