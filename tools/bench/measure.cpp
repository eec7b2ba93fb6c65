// The measuring child: times the program's own operations on the prepared
// store, each as the median of many runs after a warm-up, and prints one JSON
// object. It holds what the program holds (one day's list, one voucher), so its
// peak resident memory is the program's footprint on that store.
#include "bench.h"

#include "app/windowset.h"
#include "base/error.h"
#include "base/text.h"
#include "entry/entrywindow.h"
#include "lookup/catalogue.h"
#include "print/fonts.h"
#include "store/connection.h"
#include "store/lookups.h"
#include "store/vouchers.h"
#include "store/waiting.h"
#include "ui/messages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <functional>
#include <random>

namespace bench {

namespace {

// A message box would wait for a click nobody gives: the texts go to stderr,
// and a run that showed any is not a measurement.
class LoggedMessages : public Messages
{
public:
    void show(Kind, const QString &text, QWidget *) override
    {
        err() << "message box: " << text << Qt::endl;
        ++shown;
    }
    int shown = 0;
};

Series timed(int warmUp, int runs, const std::function<void(int)> &operation)
{
    for (int i = 0; i < warmUp; ++i)
        operation(i);
    Series series;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        operation(warmUp + i);
        series.ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return series;
}

QJsonObject figures(const Series &series, double rows = -1)
{
    QJsonObject o{{"median", series.median()}, {"p90", series.percentile(0.9)}, {"runs", int(series.ms.size())}};
    if (rows >= 0)
        o[QStringLiteral("rows")] = rows;
    return o;
}

struct DayAndBranch
{
    QString date;
    QString branch;
};

// Dates and branches spread over the whole store, the same for every listing.
std::vector<DayAndBranch> sampleDays(int count, int branches)
{
    const auto [first, last] = store::storedDateRange(store::account());
    const QDate from = QDate::fromString(first, QStringLiteral("yyyy-MM-dd"));
    const qint64 span = from.daysTo(QDate::fromString(last, QStringLiteral("yyyy-MM-dd"))) + 1;
    std::mt19937 random(7);
    std::vector<DayAndBranch> days;
    for (int i = 0; i < count; ++i)
        days.push_back({from.addDays(qint64(random() % span)).toString(QStringLiteral("yyyy-MM-dd")),
                        store::branchCode(int(random() % branches))});
    return days;
}

store::LineFields lineOf(const QString &account, const QString &name, double crAmt, double drAmt)
{
    store::LineFields line;
    line.acCode = account, line.acName = name, line.acText = QStringLiteral("원재료 매입 벤치");
    line.itemCode = QStringLiteral("I0000001"), line.itemName = QStringLiteral("부품 A-0");
    line.kubunCode = QStringLiteral("S0000001"), line.kubunName = QStringLiteral("부산새한상사 0");
    line.projectCode = QStringLiteral("P0000001"), line.projectName = QStringLiteral("부산 공장 증설 2000");
    line.buserCode = QStringLiteral("D00001"), line.buserName = QStringLiteral("부산영업1팀");
    line.sawonCode = QStringLiteral("E0000001"), line.sawonName = QStringLiteral("이민수");
    line.crAmt = crAmt, line.drAmt = drAmt;
    return line;
}

} // namespace

// Four balanced entries, as a clerk fills every panel.
store::NewVoucher fourEntryVoucher(const QString &date, int branch, const QString &tag)
{
    store::NewVoucher voucher;
    voucher.dateText = date;
    voucher.branchPosition = branch;
    for (int e = 1; e <= 4; ++e) {
        store::EntryLines entry;
        entry.serialBun = QStringLiteral("0%1").arg(e);
        const double amount = 1000.0 * e;
        entry.debit = lineOf(QStringLiteral("10102005000"), QStringLiteral("원재료(본사) 0"), amount, 0);
        entry.credit = lineOf(QStringLiteral("20101001000"), QStringLiteral("외상매입금(본사) 5"), 0, amount);
        entry.debit.acText = entry.credit.acText = tag + QLatin1Char(' ') + entry.serialBun;
        voucher.entries.push_back(entry);
    }
    return voucher;
}

namespace {

class Measurement
{
public:
    explicit Measurement(const Options &options) : m_options(options) {}
    ~Measurement() { Messages::install(m_previous); }

    QJsonObject run()
    {
        QJsonObject result;
        // First, while nothing is cached in this process: start-up opens the
        // connection. The window sets its own door while it is open.
        runStatementsAsTheWindowDoes();
        result[QStringLiteral("startup")] = startup();
        runStatementsAsTheWindowDoes();
        m_branches = int(store::branchList().size());
        m_days = sampleDays(50, m_branches);
        result[QStringLiteral("list")] = listing(false);
        result[QStringLiteral("list_original")] = listing(true);
        result[QStringLiteral("load")] = loading();
        result[QStringLiteral("save")] = saving();
        // The store's own code against the floor, as the tools run it; then
        // the same through the window's helper thread.
        store::setWaitingDoor(nullptr);
        result[QStringLiteral("floor")] = measureFloor(m_options, floorWork());
        runStatementsAsTheWindowDoes();
        result[QStringLiteral("floor_window")] = measureFloor(m_options, floorWork());
        result[QStringLiteral("update")] = updating();
        result[QStringLiteral("search")] = searching();
        result[QStringLiteral("finder")] = finderFigures(runs(2));
        result[QStringLiteral("searches")] = measureSearches(runs(5));
        result[QStringLiteral("busy_day")] = measureBusyDay(runs(2), 700);
        result[QStringLiteral("peak_rss_mb")] = peakRssMb();
        result[QStringLiteral("messages")] = m_messages.shown;
        return result;
    }

private:
    int runs(int divisor = 1) const { return std::max(5, m_options.runs / divisor); }

    // The newest stored date (read when first needed, so that the first
    // start-up opens the connection itself).
    const QString &lastDate()
    {
        if (m_last.isEmpty())
            m_last = store::storedDateRange(store::account()).second;
        return m_last;
    }

    QJsonObject startup()
    {
        int rows = 0;
        auto once = [&](int) {
            EntryWindow *window = createWindowSet();
            window->show();
            QApplication::processEvents();
            // Start-up lists today; on a store built on another day, the
            // newest stored date is listed as well (so the time is an upper bound).
            if (window->list().isEmpty()) {
                window->edDate->setText(lastDate());
                window->pQuery();
                QApplication::processEvents();
            }
            rows = window->list().rowCount();
        };
        QElapsedTimer timer;
        timer.start();
        once(0);
        const double cold = double(timer.nsecsElapsed()) / 1e6;
        deleteWindowSet();
        Series series;
        for (int i = 0; i < 1 + runs(5); ++i) {
            timer.start();
            once(i);
            if (i > 0) // the first after the cold one is the warm-up
                series.ms.push_back(double(timer.nsecsElapsed()) / 1e6);
            deleteWindowSet();
        }
        QJsonObject o = figures(series, rows);
        o[QStringLiteral("cold")] = cold;
        return o;
    }

    QJsonObject listing(bool original)
    {
        qint64 rows = 0;
        const int count = original ? std::max(5, runs(10)) : runs();
        // The warm-up lists every sampled day once: the timed runs read what a
        // clerk's repeated listing reads, pages the server or the file already
        // holds in memory (the original statement reads the whole table anyway).
        const int warmUp = original ? 1 : int(m_days.size());
        Series series = timed(warmUp, count, [&](int i) {
            const DayAndBranch &day = m_days[size_t(i) % m_days.size()];
            const auto list = original ? store::listVouchersOriginal(day.date, day.branch)
                                       : store::listVouchers(day.date, day.branch);
            rows += qint64(list.size());
            if (!original && m_vouchers.size() < 200)
                for (const store::ListRow &row : list)
                    m_vouchers.push_back(row);
        });
        return figures(series, double(rows) / double(count + warmUp));
    }

    // What pDBGridDisplay runs for the chosen row: the voucher's lines and its entry numbers.
    QJsonObject loading()
    {
        qint64 lines = 0;
        Series series = timed(5, runs(), [&](int i) {
            const store::ListRow &row = m_vouchers[size_t(i * 7) % m_vouchers.size()];
            const QString dayBon = Str_RTrim(row.Date_day) + branchOf(row);
            lines += qint64(store::loadVoucherLines(dayBon, Str_RTrim(row.serial_jen)).size());
            store::entryNumbers(Str_RTrim(row.serial_jen), Str_RTrim(row.Date_day));
        });
        return figures(series, double(lines) / double(runs() + 5));
    }

    // The branch code of a listed row: its position in the branch list.
    QString branchOf(const store::ListRow &row)
    {
        if (m_branchTexts.isEmpty())
            m_branchTexts = store::branchList();
        return store::branchCode(int(m_branchTexts.indexOf(row.total)));
    }

    QJsonObject saving()
    {
        QStringList saved;
        Series series = timed(3, runs(2), [&](int i) {
            saved << store::saveNewVoucher(fourEntryVoucher(lastDate(), i % m_branches, QStringLiteral("bench")))
                         .serialJen;
        });
        // The store keeps its size: the vouchers go again, through the program's delete.
        for (const QString &number : saved)
            for (int e = 1; e <= 4; ++e)
                store::deleteEntry(number + QStringLiteral("0%1").arg(e));
        return figures(series);
    }

    // The floor does what listing(), loading() and saving() did.
    FloorWork floorWork()
    {
        FloorWork work{{}, {}, lastDate(), m_branches, runs(), runs(), runs(2)};
        for (const DayAndBranch &day : m_days)
            work.days.push_back({day.date, day.branch, {}});
        for (const store::ListRow &row : m_vouchers)
            work.vouchers.push_back({Str_RTrim(row.Date_day), branchOf(row), Str_RTrim(row.serial_jen)});
        return work;
    }

    // An entry as the panels hold it after pDBGridDisplay: every field, and
    // the End_Day each line was loaded with.
    store::EntryLines loadedEntry(const store::ListRow &row)
    {
        store::EntryLines entry;
        entry.serialBun = row.serial_bun;
        for (const store::StoredLine &line :
             store::loadVoucherLines(Str_RTrim(row.Date_day) + branchOf(row), Str_RTrim(row.serial_jen))) {
            if (Str_RTrim(line.Serial_Bun) != Str_RTrim(row.serial_bun))
                continue;
            const bool debit = Str_RTrim(line.Serial_CrDr) == QLatin1String("01");
            store::LineFields &side = debit ? entry.debit : entry.credit;
            side = lineOf(line.Ac_JenCode, line.Ac_JenName, line.Cr_Amt, line.Dr_Amt);
            side.acText = line.Ac_Text;
            side.itemCode = line.Item_Code, side.itemName = line.Item_Name;
            side.kubunCode = line.Kubun_Code, side.kubunName = line.Kubun_Name;
            side.projectCode = line.Project_Code, side.projectName = line.Project_Name;
            side.buserCode = line.Buser_Code, side.buserName = line.Buser_Name;
            side.sawonCode = line.Sawon_Code, side.sawonName = line.Sawon_Name;
            (debit ? entry.debitLoaded : entry.creditLoaded) = line.End_Day_Text;
        }
        return entry;
    }

    // Each run loads an entry (not timed) and writes it back as it was loaded:
    // only End_Day changes.
    QJsonObject updating()
    {
        Series series;
        QElapsedTimer timer;
        int refused = 0;
        for (int i = 0; i < 3 + runs(2); ++i) {
            const store::ListRow &row = m_vouchers[size_t(i * 5) % m_vouchers.size()];
            const store::EntryLines entry = loadedEntry(row);
            timer.start();
            if (!store::updateEntry(row.Date_day, row.serial_jen, entry))
                ++refused;
            if (i >= 3) // the first three are the warm-up
                series.ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        if (refused > 0)
            throw AppError(QStringLiteral("%1 updates were refused").arg(refused));
        return figures(series);
    }

    static QString label(store::LookupStatement statement)
    {
        switch (statement) {
        case store::LookupStatement::DebitAccounts:
            return QStringLiteral("accounts, debit line");
        case store::LookupStatement::CreditAccounts:
            return QStringLiteral("accounts, credit line");
        case store::LookupStatement::CustomersAndBanks:
            return QStringLiteral("customers and banks");
        case store::LookupStatement::Employees:
            return QStringLiteral("employees");
        case store::LookupStatement::Departments:
            return QStringLiteral("departments");
        case store::LookupStatement::Projects:
            return QStringLiteral("projects");
        case store::LookupStatement::Items:
            return QStringLiteral("management items");
        }
        return {};
    }

    QJsonObject searching()
    {
        QJsonObject all;
        for (const lookup::DialogDesign &dialog : lookup::catalogue()) {
            const QString text = usualSearchText(dialog.statement);
            const QString pattern = store::searchPattern(text);
            size_t rows = 0;
            Series series = timed(2, runs(5), [&](int) {
                rows = store::lookup(dialog.statement, pattern, store::KindChoice::All).rows.size();
            });
            QJsonObject o = figures(series, double(rows));
            o[QStringLiteral("text")] = text;
            o[QStringLiteral("label")] = label(dialog.statement);
            all[dialog.objectName] = o;
        }
        return all;
    }

    const Options &m_options;
    LoggedMessages m_messages;
    Messages *m_previous = Messages::install(&m_messages);
    int m_branches = 1;
    QString m_last;
    QStringList m_branchTexts;
    std::vector<DayAndBranch> m_days;
    std::vector<store::ListRow> m_vouchers;
};

} // namespace

int runMeasureChild(const Options &options)
{
    print::installKoreanFonts();
    Measurement measurement(options);
    const QJsonObject result = measurement.run();
    store::closeAccount();
    out() << QJsonDocument(result).toJson(QJsonDocument::Compact) << Qt::endl;
    return 0;
}

} // namespace bench
