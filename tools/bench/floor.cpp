// The floor: the listing, the load and the save that the program has just
// timed, done again on the same store with the engine's own C library, each
// statement prepared once (sqlite3_prepare_v2; libpq's PQprepare, and the
// same pipeline exchange for the save). The statements are the program's own,
// read back from its connection (SQLite's open statements, PostgreSQL's
// prepared ones), so the floor follows the program when a statement changes;
// what is left between the two is the program's own cost.
#include "bench.h"

#include "base/error.h"
#include "store/connection.h"
#include "store/dialect.h"
#include "store/voucherline.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <libpq-fe.h>
#include <map>
#include <memory>
#include <sched.h>
#include <sqlite3.h>
#include <sys/sysinfo.h>
#include <tuple>

namespace bench {

namespace {

using Values = std::map<QString, QVariant>; // by parameter name (":tbDate_Day")

// One statement of the program: its text as the engine has it, and the name
// of each of its parameters in the engine's order.
struct Found
{
    QString text;
    QStringList names;
};

enum class Kind { Listing, Load, EntryNumbers, Lock, Save };

bool isKind(const QString &text, Kind kind)
{
    switch (kind) {
    case Kind::Listing:
        // The whole day's listing: not the original (like), a relocation
        // (one voucher) or a screen (the vouchers after one).
        return text.contains(QLatin1String("kubun_table tt")) && !text.contains(QLatin1String(" like ")) &&
               !text.contains(QLatin1String("serial_jen) =")) && !text.contains(QLatin1String("Serial_Jen in (")) &&
               text.contains(QLatin1String("order    by"));
    case Kind::Load:
        return text.contains(QLatin1String("End_Day_Text"));
    case Kind::EntryNumbers:
        return text.contains(QLatin1String("DISTINCT rtrim(serial_bun)"));
    case Kind::Lock:
        return text.contains(QLatin1String("pg_advisory_xact_lock"));
    case Kind::Save:
        return text.contains(QLatin1String("Returning  Serial_Jen"));
    }
    return false;
}

// The parameters of the save in the order they first appear: the date, then
// each line's (see the save statement of the store).
QStringList saveNames(int lines)
{
    // On PostgreSQL the statement also bounds how late it may run (":tbWithin").
    QStringList names{QStringLiteral(":tbDate_Day"), QStringLiteral(":tbDate_Text"), QStringLiteral(":tbWithin")};
    for (int i = 1; i <= lines; ++i) {
        const QString prefix = QStringLiteral(":tbL%1_").arg(i);
        names << prefix + QStringLiteral("Head") << prefix + QStringLiteral("Tail");
        for (const store::LineColumn &column : store::lineColumns())
            if (qstrcmp(column.name, "Serial") != 0 && qstrcmp(column.name, "Serial_Jen") != 0)
                names << prefix + QLatin1String(column.name);
    }
    return names;
}

// The driver numbers a statement's parameters $1, $2, ... as they occur; each
// is named here by the column it is compared with, the nearest before it.
QStringList positionalNames(const QString &text, Kind kind)
{
    if (kind == Kind::Save)
        return saveNames(8);
    if (kind == Kind::Lock)
        return {QStringLiteral(":tbDate_Day")};
    const std::vector<std::pair<QString, QString>> byColumn =
        kind == Kind::Listing
            ? std::vector<std::pair<QString, QString>>{{"date_day", ":tbDate_Day"}, {"kubun_bon", ":tbKubun_Bon"}}
        : kind == Kind::Load
            ? std::vector<std::pair<QString, QString>>{{"kubun_bon", ":tbDayBon"}, {"serial_jen", ":tbSerial_jen"}}
            : std::vector<std::pair<QString, QString>>{{"serial_jen", ":tbSerial_jen"}, {"date_day", ":tbSerial_day"}};
    QStringList names;
    const QString lower = text.toLower();
    static const QRegularExpression parameter(QStringLiteral("\\$(\\d+)"));
    for (const QRegularExpressionMatch &match : parameter.globalMatch(lower)) {
        qsizetype nearest = -1;
        QString name;
        for (const auto &[column, parameterName] : byColumn) {
            const qsizetype at = lower.lastIndexOf(column, match.capturedStart());
            if (at > nearest)
                nearest = at, name = parameterName;
        }
        const int number = match.captured(1).toInt();
        while (names.size() < number)
            names << QString();
        names[number - 1] = name;
    }
    return names;
}

// The program's statements of one kind, read from its connection.
Found programStatement(Kind kind)
{
    QSqlDatabase db = store::account();
    if (store::engine() == store::Engine::SQLite) {
        sqlite3 *handle = *static_cast<sqlite3 *const *>(db.driver()->handle().constData());
        for (sqlite3_stmt *statement = sqlite3_next_stmt(handle, nullptr); statement;
             statement = sqlite3_next_stmt(handle, statement)) {
            const QString text = QString::fromUtf8(sqlite3_sql(statement));
            if (!isKind(text, kind))
                continue;
            Found found{text, {}};
            for (int i = 1; i <= sqlite3_bind_parameter_count(statement); ++i)
                found.names << QString::fromUtf8(sqlite3_bind_parameter_name(statement, i));
            return found;
        }
    } else {
        QSqlQuery query(db);
        query.exec(QStringLiteral("select statement from pg_prepared_statements"));
        // The driver prepares with SQL: "PREPARE name AS statement".
        static const QRegularExpression prepare(QStringLiteral("^\\s*PREPARE\\s+\\S+\\s+AS\\s+"),
                                                QRegularExpression::CaseInsensitiveOption);
        while (query.next()) {
            const QString text = query.value(0).toString().remove(prepare);
            if (isKind(text, kind))
                return {text, positionalNames(text, kind)};
        }
    }
    throw AppError(
        QStringLiteral("the floor found no statement of kind %1 on the program's connection").arg(int(kind)));
}

std::optional<QByteArray> textOf(const QVariant &value)
{
    if (!value.isValid())
        return std::nullopt;
    if (value.typeId() == QMetaType::Double)
        return QByteArray::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    return value.toString().toUtf8();
}

// The values the program's save binds for a four-entry voucher.
Values saveValues(const QString &date, int branch, const QString &tag)
{
    const store::NewVoucher voucher = fourEntryVoucher(date, branch, tag);
    const QString code = store::branchCode(branch);
    Values values{{QStringLiteral(":tbDate_Day"), date},
                  {QStringLiteral(":tbDate_Text"), date},
                  {QStringLiteral(":tbWithin"), 1 << 30}};
    int position = 0;
    for (const store::EntryLines &entry : voucher.entries) {
        for (const bool debit : {true, false}) {
            const QString side = debit ? QStringLiteral("01") : QStringLiteral("02");
            const store::LineFields &line = debit ? entry.debit : entry.credit;
            const QString prefix = QStringLiteral(":tbL%1_").arg(++position);
            auto set = [&](const char *name, const QVariant &value) { values[prefix + QLatin1String(name)] = value; };
            set("Head", QStringLiteral("AA*%1*3*").arg(code));
            set("Tail", QStringLiteral("*%1*A005*%2").arg(entry.serialBun, side));
            set("Serial_Bun", entry.serialBun);
            set("Serial_CrDr", side);
            set("Month_Char", date.mid(5, 2));
            set("Year_Char", date.left(4));
            set("Date_Day", date);
            set("Table_Kubun", QStringLiteral("AA"));
            set("Kubun_Bon", code);
            set("Kubun_Jen", QStringLiteral("3"));
            set("Kubun_Amt", QStringLiteral("5"));
            set("Form_Kubun", QStringLiteral("A005"));
            set("Giel_Serial", QStringLiteral("999"));
            for (const store::LineColumn &column : store::lineColumns()) {
                if (column.typed)
                    set(column.name, line.*column.typed);
                else if (column.typedAmount)
                    set(column.name, line.*column.typedAmount);
            }
            set("End_Day", store::endDayValue(QDateTime::currentDateTime()));
        }
    }
    return values;
}

// One engine's way of running a prepared statement.
class Engine
{
public:
    virtual ~Engine() = default;
    // Runs the statement with the values; reads every value of every row and
    // returns the first column of the rows.
    virtual QStringList query(Kind kind, const Values &values) = 0;
    // The save: begin, then the date's lock where the program takes one, the
    // save statement and the commit in one exchange; the number drawn.
    virtual QString save(const Values &values) = 0;
    // Reads and prepares the save's statements now, while the program's
    // connection still has them.
    virtual void prepareSave() = 0;
    // The server processes the program and the floor talk to; none for a file.
    virtual std::vector<pid_t> servers() const { return {}; }
};

// For the time of the comparison, the server processes on the last core and
// this program's threads on the others. Left to the system, each server
// process settled on the bench's core or the other by chance and stayed
// there for the run, and the same code came out at 0.7 to 1.8 times its floor
// from run to run; placed, runs in a row agree within a few hundredths.
// Nothing is placed where the system refuses it (another user's server).
class Placing
{
public:
    explicit Placing(const std::vector<pid_t> &servers)
    {
        const int cores = get_nprocs();
        if (servers.empty() || cores < 2)
            return;
        cpu_set_t last, others;
        CPU_ZERO(&last);
        CPU_ZERO(&others);
        CPU_SET(cores - 1, &last);
        for (int core = 0; core < cores - 1; ++core)
            CPU_SET(core, &others);
        if (sched_getaffinity(0, sizeof m_threads, &m_threads) != 0)
            return;
        for (const pid_t server : servers)
            if (!place(server, last))
                return;
        for (const pid_t thread : threads())
            if (!place(thread, others))
                return;
        m_placed = true;
    }
    ~Placing()
    {
        for (auto &[task, before] : m_before)
            sched_setaffinity(task, sizeof before, &before);
        // A thread started meanwhile took its starter's cores.
        for (const pid_t thread : threads())
            if (std::none_of(m_before.begin(), m_before.end(), [&](const auto &was) { return was.first == thread; }))
                sched_setaffinity(thread, sizeof m_threads, &m_threads);
    }
    Placing(const Placing &) = delete;
    Placing &operator=(const Placing &) = delete;
    bool placed() const { return m_placed; }

private:
    static std::vector<pid_t> threads()
    {
        std::vector<pid_t> found;
        for (const QString &task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            found.push_back(pid_t(task.toInt()));
        return found;
    }
    bool place(pid_t task, const cpu_set_t &cores)
    {
        cpu_set_t before;
        if (sched_getaffinity(task, sizeof before, &before) != 0 || sched_setaffinity(task, sizeof cores, &cores) != 0)
            return false;
        m_before.emplace_back(task, before);
        return true;
    }

    std::vector<std::pair<pid_t, cpu_set_t>> m_before;
    cpu_set_t m_threads; // this thread's cores before
    bool m_placed = false;
};

class SqliteFloor : public Engine
{
public:
    explicit SqliteFloor(const QString &file)
    {
        if (sqlite3_open_v2(file.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw AppError(QStringLiteral("the floor cannot open %1").arg(file));
        sqlite3_busy_timeout(m_db, 30000); // the program's statement limit
        for (const char *setting : {"PRAGMA synchronous=FULL", "PRAGMA foreign_keys=ON", "PRAGMA temp_store=MEMORY"})
            sqlite3_exec(m_db, setting, nullptr, nullptr, nullptr);
    }
    ~SqliteFloor() override
    {
        for (auto &[kind, statement] : m_statements)
            sqlite3_finalize(statement.handle);
        for (sqlite3_stmt *statement : m_fixed)
            sqlite3_finalize(statement);
        sqlite3_close(m_db);
    }

    QStringList query(Kind kind, const Values &values) override
    {
        Prepared &statement = prepared(kind);
        for (int i = 0; i < statement.names.size(); ++i)
            bind(statement.handle, i + 1, values.at(statement.names[i]));
        QStringList first;
        qint64 bytes = 0;
        while (sqlite3_step(statement.handle) == SQLITE_ROW) {
            first << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement.handle, 0)));
            for (int c = 0; c < sqlite3_column_count(statement.handle); ++c)
                bytes +=
                    sqlite3_column_bytes(statement.handle, c) + (sqlite3_column_text(statement.handle, c) != nullptr);
        }
        sqlite3_reset(statement.handle);
        m_read += bytes;
        return first;
    }

    QString save(const Values &values) override
    {
        // What the program's transaction does around the statement: its
        // write lock, and the signature of the history.
        if (m_fixed.empty())
            for (const char *text :
                 {"BEGIN IMMEDIATE", "INSERT OR REPLACE INTO Ledger_Writer (Id, Login, Program) VALUES (1, ?, ?)",
                  "DELETE FROM Ledger_Writer", "COMMIT", "ROLLBACK"}) {
                sqlite3_stmt *statement = nullptr;
                sqlite3_prepare_v2(m_db, text, -1, &statement, nullptr);
                m_fixed.push_back(statement);
            }
        if (step(m_fixed[0]) != SQLITE_DONE)
            throw AppError(
                QStringLiteral("the floor could not begin: %1").arg(QString::fromUtf8(sqlite3_errmsg(m_db))));
        sqlite3_bind_text(m_fixed[1], 1, "bench", -1, SQLITE_STATIC);
        sqlite3_bind_text(m_fixed[1], 2, "jeonpyo-bench", -1, SQLITE_STATIC);
        step(m_fixed[1]);
        const QStringList numbers = query(Kind::Save, values);
        step(m_fixed[2]);
        if (numbers.isEmpty() || step(m_fixed[3]) != SQLITE_DONE) {
            const QString why = QString::fromUtf8(sqlite3_errmsg(m_db));
            step(m_fixed[4]);
            throw AppError(QStringLiteral("the floor's save failed: %1").arg(why));
        }
        return numbers.value(0);
    }

    void prepareSave() override { prepared(Kind::Save); }

private:
    struct Prepared
    {
        sqlite3_stmt *handle = nullptr;
        QStringList names;
    };

    Prepared &prepared(Kind kind)
    {
        Prepared &statement = m_statements[kind];
        if (!statement.handle) {
            const Found found = programStatement(kind);
            if (sqlite3_prepare_v2(m_db, found.text.toUtf8().constData(), -1, &statement.handle, nullptr) != SQLITE_OK)
                throw AppError(
                    QStringLiteral("the floor cannot prepare: %1").arg(QString::fromUtf8(sqlite3_errmsg(m_db))));
            statement.names = found.names;
        }
        return statement;
    }

    static int step(sqlite3_stmt *statement)
    {
        const int result = sqlite3_step(statement);
        sqlite3_reset(statement);
        return result;
    }

    static void bind(sqlite3_stmt *statement, int at, const QVariant &value)
    {
        if (!value.isValid())
            sqlite3_bind_null(statement, at);
        else if (value.typeId() == QMetaType::Double)
            sqlite3_bind_double(statement, at, value.toDouble());
        else
            sqlite3_bind_text(statement, at, value.toString().toUtf8().constData(), -1, SQLITE_TRANSIENT);
    }

    sqlite3 *m_db = nullptr;
    std::map<Kind, Prepared> m_statements;
    std::vector<sqlite3_stmt *> m_fixed;
    qint64 m_read = 0;
};

class PostgresFloor : public Engine
{
public:
    explicit PostgresFloor(const QString &uri) : m_conn(PQconnectdb(uri.toUtf8().constData()))
    {
        if (PQstatus(m_conn) != CONNECTION_OK)
            throw AppError(
                QStringLiteral("the floor cannot connect: %1").arg(QString::fromUtf8(PQerrorMessage(m_conn))));
    }
    ~PostgresFloor() override { PQfinish(m_conn); }

    std::vector<pid_t> servers() const override
    {
        const QSqlDatabase program = store::account();
        return {pid_t(PQbackendPID(m_conn)), pid_t(store::Dialect::of(program).session(program))};
    }

    QStringList query(Kind kind, const Values &values) override
    {
        const Prepared &statement = prepared(kind);
        const Bound bound(statement.names, values);
        PGresult *result = PQexecPrepared(m_conn, statement.name.constData(), int(bound.pointers.size()),
                                          bound.pointers.data(), nullptr, nullptr, 0);
        const QStringList first = rowsOf(result);
        PQclear(result);
        return first;
    }

    QString save(const Values &values) override
    {
        PQclear(PQexec(m_conn, "BEGIN"));
        const Prepared &lock = prepared(Kind::Lock);
        const Prepared &write = prepared(Kind::Save);
        const Bound lockValues(lock.names, values), writeValues(write.names, values);
        PQenterPipelineMode(m_conn);
        PQsendQueryPrepared(m_conn, lock.name.constData(), int(lockValues.pointers.size()), lockValues.pointers.data(),
                            nullptr, nullptr, 0);
        PQsendQueryPrepared(m_conn, write.name.constData(), int(writeValues.pointers.size()),
                            writeValues.pointers.data(), nullptr, nullptr, 0);
        PQsendQueryParams(m_conn, "COMMIT", 0, nullptr, nullptr, nullptr, nullptr, 0);
        PQpipelineSync(m_conn);
        QStringList numbers;
        QString failure;
        for (int results = 0; results < 4;) {
            PGresult *result = PQgetResult(m_conn);
            if (!result) {
                if (PQstatus(m_conn) == CONNECTION_BAD)
                    throw AppError(QStringLiteral("the floor lost its connection"));
                continue;
            }
            const ExecStatusType status = PQresultStatus(result);
            if (status == PGRES_PIPELINE_SYNC)
                results = 4;
            else if (++results == 2 && status == PGRES_TUPLES_OK)
                numbers = rowsOf(result);
            else if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && failure.isEmpty())
                failure = QString::fromUtf8(PQresultErrorMessage(result));
            PQclear(result);
        }
        PQexitPipelineMode(m_conn);
        if (!failure.isEmpty() || numbers.isEmpty()) {
            PQclear(PQexec(m_conn, "ROLLBACK"));
            throw AppError(QStringLiteral("the floor's save failed: %1").arg(failure.trimmed()));
        }
        return numbers.value(0);
    }

    void prepareSave() override
    {
        prepared(Kind::Lock);
        prepared(Kind::Save);
    }

private:
    struct Prepared
    {
        QByteArray name;
        QStringList names;
    };
    struct Bound
    {
        Bound(const QStringList &names, const Values &values)
        {
            for (const QString &name : names)
                texts.push_back(textOf(values.at(name)));
            for (const auto &text : texts)
                pointers.push_back(text ? text->constData() : nullptr);
        }
        std::vector<std::optional<QByteArray>> texts;
        std::vector<const char *> pointers;
    };

    const Prepared &prepared(Kind kind)
    {
        Prepared &statement = m_statements[kind];
        if (statement.name.isEmpty()) {
            const Found found = programStatement(kind);
            statement.name = "floor_" + QByteArray::number(int(kind));
            PGresult *result =
                PQprepare(m_conn, statement.name.constData(), found.text.toUtf8().constData(), 0, nullptr);
            const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
            PQclear(result);
            if (!ok)
                throw AppError(
                    QStringLiteral("the floor cannot prepare: %1").arg(QString::fromUtf8(PQerrorMessage(m_conn))));
            statement.names = found.names;
        }
        return statement;
    }

    static QStringList rowsOf(const PGresult *result)
    {
        QStringList first;
        if (PQresultStatus(result) != PGRES_TUPLES_OK)
            throw AppError(QStringLiteral("the floor's statement failed: %1")
                               .arg(QString::fromUtf8(PQresultErrorMessage(result))));
        qint64 bytes = 0;
        for (int row = 0; row < PQntuples(result); ++row) {
            first << QString::fromUtf8(PQgetvalue(result, row, 0));
            for (int c = 0; c < PQnfields(result); ++c)
                bytes += PQgetlength(result, row, c);
        }
        return first;
    }

    PGconn *m_conn;
    std::map<Kind, Prepared> m_statements;
};

// The program's run and the floor's, one after the other, time and again: a
// disk or a neighbour busy for a while slows both alike. Each goes first in
// every other pair: the second to read a day or a voucher finds what the
// first read still in the processor's caches (the server's too), and with the
// program always first the floor's listing on PostgreSQL came out 12% quicker
// than on its own, the program's 1.35 times it instead of 1.2.
struct Pair
{
    Series own, floor;
};
Pair alternating(int warmUp, int runs, const std::function<void(int)> &own, const std::function<void(int)> &floor)
{
    for (int i = 0; i < warmUp; ++i) {
        own(i);
        floor(i);
    }
    Pair pair;
    QElapsedTimer timer;
    const auto timed = [&](const std::function<void(int)> &work, int i, Series &series) {
        timer.start();
        work(warmUp + i);
        series.ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    };
    for (int i = 0; i < runs; ++i) {
        if (i % 2 == 0) {
            timed(own, i, pair.own);
            timed(floor, i, pair.floor);
        } else {
            timed(floor, i, pair.floor);
            timed(own, i, pair.own);
        }
    }
    return pair;
}

QJsonObject figuresOf(const Series &series)
{
    return {{"median", series.median()}, {"p90", series.percentile(0.9)}, {"runs", int(series.ms.size())}};
}

QJsonObject figuresOf(const Pair &pair)
{
    QJsonObject figures = figuresOf(pair.floor);
    figures[QStringLiteral("own")] = figuresOf(pair.own);
    return figures;
}

// A four-entry voucher the bench saved, deleted through the program's delete.
void deleteVoucher(const QString &number)
{
    for (int e = 1; e <= 4; ++e)
        store::deleteEntry(number + QStringLiteral("0%1").arg(e));
}

std::unique_ptr<Engine> engineFor(const Options &options)
{
    if (options.postgres.isEmpty())
        return std::make_unique<SqliteFloor>(options.sqlite);
    return std::make_unique<PostgresFloor>(options.postgres);
}

} // namespace

QJsonObject measureFloor(const Options &options, const FloorWork &work)
{
    std::unique_ptr<Engine> engine = engineFor(options);
    QJsonObject floor;
    const Placing placing(engine->servers());
    floor[QStringLiteral("placed")] = placing.placed();
    // The same warm-up and runs as the program's own timings; the program's
    // statements were prepared by them.
    floor[QStringLiteral("list")] = figuresOf(alternating(
        int(work.days.size()), work.listRuns,
        [&](int i) {
            const FloorCase &day = work.days[size_t(i) % work.days.size()];
            store::listVouchers(day.date, day.branch);
        },
        [&](int i) {
            const FloorCase &day = work.days[size_t(i) % work.days.size()];
            engine->query(Kind::Listing, {{":tbDate_Day", day.date}, {":tbKubun_Bon", day.branch}});
        }));
    floor[QStringLiteral("load")] = figuresOf(alternating(
        5, work.loadRuns,
        [&](int i) {
            const FloorCase &voucher = work.vouchers[size_t(i * 7) % work.vouchers.size()];
            store::loadVoucherLines(voucher.date + voucher.branch, voucher.serialJen);
            store::entryNumbers(voucher.serialJen, voucher.date);
        },
        [&](int i) {
            const FloorCase &voucher = work.vouchers[size_t(i * 7) % work.vouchers.size()];
            engine->query(Kind::Load,
                          {{":tbDayBon", voucher.date + voucher.branch}, {":tbSerial_jen", voucher.serialJen}});
            engine->query(Kind::EntryNumbers, {{":tbSerial_jen", voucher.serialJen}, {":tbSerial_day", voucher.date}});
        }));
    QStringList saved;
    floor[QStringLiteral("save")] = figuresOf(alternating(
        3, work.saveRuns,
        [&](int i) {
            saved << store::saveNewVoucher(fourEntryVoucher(work.saveDate, i % work.branches, QStringLiteral("own")))
                         .serialJen;
        },
        [&](int i) { saved << engine->save(saveValues(work.saveDate, i % work.branches, QStringLiteral("floor"))); }));
    engine.reset();
    // The store keeps its size: the vouchers go again.
    for (const QString &number : saved)
        deleteVoucher(number);
    return floor;
}

FloorSave floorSaver(const Options &options, const QString &scratchDate)
{
    const QString warm = store::saveNewVoucher(fourEntryVoucher(scratchDate, 0, QStringLiteral("warm"))).serialJen;
    std::shared_ptr<Engine> engine = engineFor(options);
    engine->prepareSave();
    deleteVoucher(warm);
    store::closeAccount(); // the floor alone saves
    return [engine](const QString &date, int branch, const QString &tag) {
        return engine->save(saveValues(date, branch, tag));
    };
}

// Jeonpyo ÷ floor, of the runs taken in turn, with the targets: the listing within 1.3 times its floor,
// the load and the save within 1.2 times.
QJsonObject floorRatios(const QJsonObject &result)
{
    QJsonObject ratios;
    const QJsonObject floor = result[QLatin1String("floor")].toObject();
    const QJsonObject window = result[QLatin1String("floor_window")].toObject();
    for (const char *work : {"list", "load", "save"}) {
        const QLatin1String name(work);
        const QJsonObject figures = floor[name].toObject();
        const double own = figures[QLatin1String("own")].toObject()[QLatin1String("median")].toDouble();
        const double least = figures[QLatin1String("median")].toDouble();
        ratios[name + QLatin1String("_floor_ms")] = least;
        ratios[name + QLatin1String("_ratio")] = least > 0 ? own / least : 0;
        // Through the window's helper thread, against the floor of the same runs.
        const QJsonObject windowFigures = window[name].toObject();
        const double windowOwn = windowFigures[QLatin1String("own")].toObject()[QLatin1String("median")].toDouble();
        const double windowLeast = windowFigures[QLatin1String("median")].toDouble();
        ratios[name + QLatin1String("_window_ms")] = windowOwn;
        ratios[name + QLatin1String("_window_ratio")] = windowLeast > 0 ? windowOwn / windowLeast : 0;
    }
    ratios[QStringLiteral("floor_placed")] = floor[QLatin1String("placed")].toBool();
    return ratios;
}

void printFloorTable(const QJsonObject &result)
{
    const QJsonObject ratios = floorRatios(result);
    out() << "\n| against the engine's C library (runs in turn"
          << (ratios[QLatin1String("floor_placed")].toBool() ? ", the server processes on a core of their own" : "")
          << ") | Jeonpyo ms | floor ms | Jeonpyo ÷ floor | target | "
             "met | in the window ms | ÷ floor |\n"
             "|---|---:|---:|---:|---|---|---:|---:|\n";
    for (const auto &[work, label, target] :
         {std::tuple{"list", "list a date and branch", 1.3}, std::tuple{"load", "load a voucher", 1.2},
          std::tuple{"save", "save a four-entry voucher", 1.2}}) {
        const QLatin1String name(work);
        const double ratio = ratios[name + QLatin1String("_ratio")].toDouble();
        out() << "| " << label << " | "
              << QString::number(
                     result[QLatin1String("floor")][name][QLatin1String("own")][QLatin1String("median")].toDouble(),
                     'f', 3)
              << " | " << QString::number(ratios[name + QLatin1String("_floor_ms")].toDouble(), 'f', 3) << " | "
              << QString::number(ratio, 'f', 2) << "× | ≤ " << target << "× | " << (ratio <= target ? "yes" : "NO")
              << " | " << QString::number(ratios[name + QLatin1String("_window_ms")].toDouble(), 'f', 3) << " | "
              << QString::number(ratios[name + QLatin1String("_window_ratio")].toDouble(), 'f', 2) << "× |\n";
    }
}

} // namespace bench
