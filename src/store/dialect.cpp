#include "store/dialect.h"

#include "base/runtimelibrary.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <poll.h>
#include <string_view>
#include <sys/socket.h>
#include <thread>
#include <unordered_map>

namespace store {

namespace {

// What is known of a connection's store, kept with its driver (which goes
// with the connection): asked of the store the first time only. A question
// that could not be asked (the connection failing) is asked again next time,
// and meanwhile answered no.
constexpr const char *trigramsKnown = "jeonpyoTrigrams";

bool knownOnce(const QSqlDatabase &db, const char *what, const std::function<std::optional<bool>()> &ask)
{
    QSqlDriver *driver = db.driver();
    const QVariant known = driver->property(what);
    if (known.isValid())
        return known.toBool();
    const std::optional<bool> answer = ask();
    if (answer)
        driver->setProperty(what, *answer);
    return answer.value_or(false);
}

// Whether a query counts every one of a list of the program's own names (no
// input of the clerk's), put in its "%1" as quoted lower-case texts; nothing
// when it fails.
std::optional<bool> countsAll(const QSqlDatabase &db, const QString &query, const QStringList &names)
{
    QStringList quoted;
    for (const QString &name : names)
        quoted << QLatin1Char('\'') + name.toLower() + QLatin1Char('\'');
    QSqlQuery count(db);
    if (!count.exec(query.arg(quoted.join(QLatin1Char(',')))) || !count.next())
        return std::nullopt;
    return count.value(0).toInt() == names.size();
}

// The handle the driver holds, when it is of the named type.
template <typename Handle> Handle *driverHandle(const QSqlDatabase &db, const char *name, const char *otherName)
{
    if (!db.isOpen())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || (qstrcmp(handle.typeName(), name) != 0 && qstrcmp(handle.typeName(), otherName) != 0))
        return nullptr;
    return *static_cast<Handle *const *>(handle.data());
}

// How long SQLite waits for another writer's lock before it gives up, and the
// clerk's cancel of that wait (one statement runs at a time on the window's
// connection, so one flag serves).
constexpr auto sqliteLockWait = std::chrono::milliseconds(10000);
std::atomic<bool> sqliteWaitCancelled = false;

int sqliteBusy(void *, int attempt)
{
    thread_local std::chrono::steady_clock::time_point since;
    const auto now = std::chrono::steady_clock::now();
    if (attempt == 0)
        since = now;
    if (sqliteWaitCancelled || now - since >= sqliteLockWait)
        return 0;
    // Not sooner: a writer that tries again every millisecond or two takes
    // the processor and the file's locks from the one writing, and eight
    // clerks saving at once stored a quarter fewer vouchers a second. Less
    // often the longer the wait (5, 10, 20, then 40 ms): many clerks waiting
    // at once would otherwise keep taking the lock from one another between
    // saves, each then reading back the pages the other has changed.
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(40, 5 << std::min(attempt / 3, 3))));
    return 1;
}

class SqliteCanceller : public Canceller
{
public:
    explicit SqliteCanceller(sqlite3 *handle) : m_handle(handle) { sqliteWaitCancelled = false; }
    void cancel() override
    {
        sqliteWaitCancelled = true;
        sqlite3_interrupt(m_handle);
    }

private:
    sqlite3 *m_handle;
};

// libpq's functions, found at run time: the program does not link libpq, so
// that a start on SQLite maps neither it nor the twenty libraries it brings
// (10 ms of every start on this machine). The driver's plugin has loaded it
// by the time a PostgreSQL connection exists, so finding them costs nothing.
// clang-format off
#define JEONPYO_LIBPQ(F) \
    F(PQbackendPID) F(PQcancel) F(PQclear) F(PQcmdStatus) F(PQconsumeInput) F(PQenterPipelineMode) \
    F(PQerrorMessage) F(PQexecPrepared) F(PQexitPipelineMode) F(PQfname) F(PQfreeCancel) \
    F(PQgetCancel) F(PQgetResult) F(PQgetisnull) F(PQgetlength) F(PQgetvalue) F(PQisBusy) \
    F(PQnfields) F(PQntuples) F(PQpipelineStatus) F(PQpipelineSync) F(PQresultErrorField) \
    F(PQresultErrorMessage) F(PQresultStatus) F(PQsendPrepare) F(PQsendQuery) F(PQsendQueryParams) \
    F(PQsendQueryPrepared) F(PQsocket) F(PQstatus) F(PQtransactionStatus)
// clang-format on

struct Libpq
{
    JEONPYO_LIBPQ(JEONPYO_RUNTIME_POINTER)
};
Libpq pq;

// Whether `pq` holds every function; asked before any of them is called.
bool libpqFound()
{
    static const bool found = RuntimeLibrary::load(
        QStringLiteral("pq"), 5, pq, [](RuntimeLibrary &library, Libpq &table) { JEONPYO_LIBPQ(JEONPYO_RUNTIME_FIND) });
    return found;
}

// The server is asked to stop the statement over a connection of its own,
// from a thread of its own: a server that has gone silent would hold the
// asking for ever. Asked a second time, the program stops waiting itself and
// cuts the connection (the next statement opens a new one).
class PostgresCanceller : public Canceller
{
public:
    explicit PostgresCanceller(PGconn *connection)
        : m_cancel(pq.PQgetCancel(connection), pq.PQfreeCancel), m_socket(pq.PQsocket(connection))
    {
    }
    void cancel() override
    {
        if (m_asked++ > 0) {
            if (m_socket >= 0)
                ::shutdown(m_socket, SHUT_RDWR);
            return;
        }
        if (!m_cancel)
            return;
        std::thread([cancel = m_cancel] {
            char error[256];
            pq.PQcancel(cancel.get(), error, sizeof error);
        }).detach();
    }

private:
    std::shared_ptr<PGcancel> m_cancel;
    int m_socket;
    int m_asked = 0;
};

class SqliteDialect : public Dialect
{
public:
    Engine engine() const override { return Engine::SQLite; }

    bool begin(QSqlDatabase db, QSqlError &error) const override { return exec(db, "BEGIN IMMEDIATE", error); }
    bool commit(QSqlDatabase db, QSqlError &error) const override { return exec(db, "COMMIT", error); }
    void rollback(QSqlDatabase db) const override
    {
        QSqlError ignored;
        exec(db, "ROLLBACK", ignored);
    }

    QString numberingLock() const override { return {}; }

    QString columnType(const QString &portable) const override
    {
        return portable == QLatin1String("double precision") ? QStringLiteral("REAL") : QStringLiteral("TEXT");
    }
    QString codeColumnType(int) const override { return QStringLiteral("TEXT"); }
    QStringList newStoreSettings() const override { return {QStringLiteral("PRAGMA journal_mode=WAL")}; }

    QString countIndexes() const override
    {
        return QStringLiteral(
            "select count(*) from sqlite_master where type = 'index' and lower(name) = lower(:tbIndex)");
    }
    QString countTables() const override
    {
        return QStringLiteral(
            "select count(*) from sqlite_master where type = 'table' and lower(name) = lower(:tbTable)");
    }

    // SQLite plans the listing on the day's index whatever it guesses of
    // these tests.
    QString lineStatistics() const override { return {}; }
    QString countLineStatistics() const override { return {}; }

    QString holdsNonDigit(const QString &expression) const override
    {
        return expression + QStringLiteral(" GLOB '*[^0-9]*'");
    }

    QString holdsSequence(const QString &expression, const QString &parameter) const override
    {
        return expression + QStringLiteral(" GLOB ") + parameter;
    }
    QString sequencePattern(const QString &sequence) const override
    {
        return QLatin1Char('*') + sequence + QLatin1Char('*');
    }

    QString tempTableOptions() const override { return {}; }
    QString dropTempTable(const QString &name) const override
    {
        return QStringLiteral("DROP TABLE IF EXISTS temp.%1").arg(name);
    }

    Fault classify(QSqlDatabase, const QSqlError &error) const override
    {
        const QString code = error.nativeErrorCode();
        if (code.isEmpty())
            return Fault::Refused;
        switch (code.toInt() & 0xff) { // primary SQLite result codes
        case 5:                        // SQLITE_BUSY: another process holds the lock
        case 6:                        // SQLITE_LOCKED
            return Fault::Busy;
        case 8: // SQLITE_READONLY: the file cannot be written
            return Fault::ReadOnly;
        case 13: // SQLITE_FULL
            return Fault::Full;
        case 10: // SQLITE_IOERR
            return Fault::InputOutput;
        case 14: // SQLITE_CANTOPEN
        case 26: // SQLITE_NOTADB
            return Fault::Lost;
        case 23: // SQLITE_AUTH
            return Fault::Denied;
        default:
            return Fault::Refused;
        }
    }

    int socket(const QSqlDatabase &) const override { return -1; }
    int session(const QSqlDatabase &) const override { return 0; }
    bool dropped(const QSqlDatabase &) const override { return false; }
    AtOnce sendAtOnce(QSqlDatabase, const std::vector<BoundStatement> &, std::vector<QVariant> &, QSqlError &,
                      bool) const override
    {
        return AtOnce::Unavailable;
    }
    QString begunWithin(const QString &) const override { return {}; }

    AtOnce readRows(QSqlDatabase db, const BoundStatement &statement, Rows &rows, QSqlError &error) const override
    {
        sqlite3 *handle = driverHandle<sqlite3>(db, "sqlite3*", "sqlite3 *");
        if (!handle)
            return AtOnce::Unavailable;
        Kept &kept = reads()[handle];
        const size_t place = placeOf(statement.lines);
        const auto atPlace = kept.byPlace.find(place);
        Read *found = atPlace != kept.byPlace.end() && samePlace(atPlace->second->lines, statement.lines)
                          ? atPlace->second
                          : nullptr;
        if (!found) {
            const QString text = statement.lines.join(QLatin1Char('\n'));
            Read &read = kept.byText[text];
            if (!read.statement) {
                const QByteArray utf8 = text.toUtf8();
                const int prepared =
                    sqlite3_prepare_v2(handle, utf8.constData(), int(utf8.size()), &read.statement, nullptr);
                if (prepared != SQLITE_OK) {
                    error = failureOf(handle, prepared);
                    kept.byText.erase(text);
                    return AtOnce::Failed;
                }
                std::vector<QByteArray> names;
                for (int column = 0; column < sqlite3_column_count(read.statement); ++column)
                    names.emplace_back(sqlite3_column_name(read.statement, column));
                read.columns = std::make_shared<const Rows::Columns>(std::move(names));
                read.lines = statement.lines;
                kept.byPlace[place] = &read;
            }
            found = &read;
        }
        Read &read = *found;
        sqlite3_stmt *const query = read.statement;
        for (const auto &[name, value] : statement.params) {
            const int at = read.parameter(name);
            if (at > 0)
                bind(query, at, value);
        }
        rows = Rows(read.columns);
        const int columns = read.columns->count();
        // The row before's texts, copied: the engine's own go with the next step.
        const size_t width = size_t(columns);
        // Kept from read to read: a text as long as one before needs no new room.
        thread_local std::vector<std::string> before;
        if (before.size() < width)
            before.resize(width);
        // Whether `before` holds the row before's text of a column.
        thread_local std::vector<bool> known;
        known.assign(width, false);
        rows.reserve(width * 8);
        int stepped = SQLITE_ROW;
        while ((stepped = sqlite3_step(query)) == SQLITE_ROW) {
            for (int column = 0; column < columns; ++column) {
                if (sqlite3_column_type(query, column) == SQLITE_FLOAT) {
                    rows.appendNumber(sqlite3_column_double(query, column));
                    known[size_t(column)] = false;
                    continue;
                }
                const char *value = reinterpret_cast<const char *>(sqlite3_column_text(query, column));
                const size_t size = size_t(sqlite3_column_bytes(query, column));
                std::string &was = before[size_t(column)];
                if (!value) {
                    rows.append(QString());
                    known[size_t(column)] = false;
                    continue;
                }
                const bool same = known[size_t(column)] && was.size() == size && memcmp(was.data(), value, size) == 0;
                rows.appendText(value, qsizetype(size), same);
                if (!same) {
                    was.assign(value, size);
                    known[size_t(column)] = true;
                }
            }
        }
        const bool done = stepped == SQLITE_DONE;
        if (!done)
            error = failureOf(handle, stepped);
        sqlite3_reset(query);
        sqlite3_clear_bindings(query);
        return done ? AtOnce::Done : AtOnce::Failed;
    }

    bool planAhead(QSqlDatabase, const BoundStatement &, int) const override { return true; }

    void forgetReads(const QSqlDatabase &db) const override
    {
        sqlite3 *handle = driverHandle<sqlite3>(db, "sqlite3*", "sqlite3 *");
        // Every statement must be finalised before the driver can close the file.
        const auto kept = reads().find(handle);
        if (kept == reads().end())
            return;
        for (auto &[text, read] : kept->second.byText)
            sqlite3_finalize(read.statement);
        reads().erase(kept);
    }

    std::unique_ptr<Canceller> canceller(const QSqlDatabase &db) const override
    {
        sqlite3 *handle = driverHandle<sqlite3>(db, "sqlite3*", "sqlite3 *");
        return handle ? std::make_unique<SqliteCanceller>(handle) : nullptr;
    }

    // In place of the driver's busy timeout: the same wait, in short sleeps,
    // given up at once when the clerk cancels.
    void configureWaits(const QSqlDatabase &db) const override
    {
        if (sqlite3 *handle = driverHandle<sqlite3>(db, "sqlite3*", "sqlite3 *"))
            sqlite3_busy_handler(handle, sqliteBusy, nullptr);
    }

private:
    struct Read
    {
        sqlite3_stmt *statement = nullptr;
        std::shared_ptr<const Rows::Columns> columns;
        // The lines it was first run with, held: while they are, no other text
        // can be where theirs are (every statement's text is the code's own or
        // owns its characters; none is laid over borrowed ones).
        QStringList lines;
        // Each parameter's position, by its name.
        std::vector<std::pair<QString, int>> parameters;

        int parameter(const QString &name)
        {
            for (const auto &[known, at] : parameters)
                if (known == name)
                    return at;
            parameters.emplace_back(name, sqlite3_bind_parameter_index(statement, name.toUtf8().constData()));
            return parameters.back().second;
        }
    };
    // The reads kept prepared on a connection, by text. A statement written
    // in the code has its lines at the same places on every run: it is found
    // by those places, without joining and hashing its text.
    struct Kept
    {
        std::unordered_map<QString, Read> byText;
        std::unordered_map<size_t, Read *> byPlace;
    };
    static std::map<sqlite3 *, Kept> &reads()
    {
        static std::map<sqlite3 *, Kept> kept;
        return kept;
    }
    static size_t placeOf(const QStringList &lines)
    {
        size_t place = size_t(lines.size());
        for (const QString &line : lines)
            place = place * 1000003u ^ (reinterpret_cast<size_t>(line.constData()) + size_t(line.size()));
        return place;
    }
    static bool samePlace(const QStringList &a, const QStringList &b)
    {
        if (a.size() != b.size())
            return false;
        for (qsizetype i = 0; i < a.size(); ++i)
            if (a[i].constData() != b[i].constData() || a[i].size() != b[i].size())
                return false;
        return true;
    }

    // A value bound as the driver binds it: numbers as numbers, texts as
    // text, so that comparisons take the same affinity. (The store binds an
    // empty text for a null one before it gets here.)
    static void bind(sqlite3_stmt *query, int at, const QVariant &value)
    {
        if (!value.isValid() || value.isNull()) {
            sqlite3_bind_null(query, at);
            return;
        }
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Bool:
            sqlite3_bind_int64(query, at, value.toLongLong());
            return;
        case QMetaType::Double:
            sqlite3_bind_double(query, at, value.toDouble());
            return;
        default: {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(query, at, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        }
    }

    // The failure as the driver reports it: the engine's message and code.
    static QSqlError failureOf(sqlite3 *handle, int code)
    {
        return QSqlError(QStringLiteral("Unable to fetch row"), QString::fromUtf8(sqlite3_errmsg(handle)),
                         QSqlError::StatementError, QString::number(code));
    }

    static bool exec(QSqlDatabase db, const char *statement, QSqlError &error)
    {
        QSqlQuery query(db);
        if (query.exec(QString::fromLatin1(statement)))
            return true;
        error = query.lastError();
        return false;
    }

public:
    // A full-text table of the names' trigrams beside the name table, keyed
    // by its rowid and holding no copy of the names, kept in step by triggers.
    // The trigrams fold the case of more letters than like does: what it finds
    // is checked by the like.
    QStringList trigramSetup() const override { return {}; }
    QStringList trigramIndex(const QString &index, const QString &table, const QString &column) const override
    {
        auto add = [&](const QString &row) {
            return QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (%3.rowid, %3.%2);").arg(index, column, row);
        };
        auto remove = [&](const QString &row) {
            return QStringLiteral("INSERT INTO %1 (%1, rowid, %2) VALUES ('delete', %3.rowid, %3.%2);")
                .arg(index, column, row);
        };
        const QString old = QStringLiteral("old");
        const QString made = QStringLiteral("new");
        return {
            QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS %1 USING fts5(%2, content='%3', content_rowid='rowid', "
                           "tokenize='trigram')")
                .arg(index, column, table),
            QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1_Insert AFTER INSERT ON %2 BEGIN %3 END")
                .arg(index, table, add(made)),
            QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1_Delete AFTER DELETE ON %2 BEGIN %3 END")
                .arg(index, table, remove(old)),
            QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1_Update AFTER UPDATE ON %2 "
                           "WHEN old.%3 IS NOT new.%3 OR old.rowid IS NOT new.rowid BEGIN %4 %5 END")
                .arg(index, table, column, remove(old), add(made)),
            // The names already there.
            QStringLiteral("INSERT INTO %1 (%1) VALUES ('rebuild')").arg(index),
        };
    }

    bool hasTrigrams(const QSqlDatabase &db, const QStringList &indexes) const override
    {
        return knownOnce(db, trigramsKnown, [&] {
            return countsAll(db,
                             QStringLiteral("select count(*) from sqlite_master where type = 'table' and "
                                            "lower(name) in (%1)"),
                             indexes);
        });
    }
    void forgetTrigrams(const QSqlDatabase &db) const override { db.driver()->setProperty(trigramsKnown, QVariant()); }

    QString trigramCandidates(const QString &index, const QString &parameter) const override
    {
        return QStringLiteral("rowid in (select rowid from %1 where %1 match %2)").arg(index, parameter);
    }
    // The text as one phrase: its trigrams in a row.
    QString trigramText(const QString &text) const override
    {
        return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    }
    QString withoutTrigrams(const QString &column) const override { return column; }
};

class PostgresDialect : public Dialect
{
public:
    Engine engine() const override { return Engine::PostgreSQL; }

    // The driver's own: it also tells a COMMIT that the server turned into a
    // ROLLBACK from one that went through.
    bool begin(QSqlDatabase db, QSqlError &error) const override
    {
        if (db.transaction())
            return true;
        error = db.lastError();
        return false;
    }
    bool commit(QSqlDatabase db, QSqlError &error) const override
    {
        if (db.commit())
            return true;
        error = db.lastError();
        return false;
    }
    void rollback(QSqlDatabase db) const override { db.rollback(); }

    // Writers run side by side: the drawing of a date's numbers is serialised
    // by a lock that the transaction holds until it ends.
    QString numberingLock() const override
    {
        return QStringLiteral("select pg_advisory_xact_lock(hashtext(:tbDate_Day))");
    }

    QString columnType(const QString &portable) const override { return portable; }
    QString codeColumnType(int width) const override { return QStringLiteral("varchar(%1)").arg(width); }
    QStringList newStoreSettings() const override { return {}; }

    QString countIndexes() const override
    {
        return QStringLiteral("select count(*) from pg_indexes where lower(indexname) = lower(:tbIndex)");
    }
    // Looked up by name on the search path (an unquoted name, as the
    // program's tables are made): the catalogue's own cache answers, where a
    // query of the catalogue's tables would first have to be planned.
    QString countTables() const override
    {
        return QStringLiteral("select case when to_regclass(lower(:tbTable)) is null then 0 else 1 end");
    }

    // Without figures the server takes each of the three tests to keep one
    // line in two hundred, so it plans a busy day as a line or two: the branch
    // table is read again for each of the day's lines, and the listing of 700
    // entries took half as long again.
    QString lineStatistics() const override
    {
        return QStringLiteral("CREATE STATISTICS IF NOT EXISTS Account_Jen_AA_Listed"
                              " ON (rtrim(Kubun_Jen)), (rtrim(Form_Kubun)), (rtrim(Serial_CrDr)) FROM Account_Jen_AA");
    }
    QString countLineStatistics() const override
    {
        return QStringLiteral("select count(*) from pg_statistic_ext where stxname = 'account_jen_aa_listed'");
    }

    QString holdsNonDigit(const QString &expression) const override
    {
        return expression + QStringLiteral(" ~ '[^0-9]'");
    }

    // The server's regular expressions take ranges by code point, as GLOB does.
    QString holdsSequence(const QString &expression, const QString &parameter) const override
    {
        return expression + QStringLiteral(" ~ ") + parameter;
    }
    QString sequencePattern(const QString &sequence) const override { return sequence; }

    QString tempTableOptions() const override { return QStringLiteral(" ON COMMIT DROP"); }
    QString dropTempTable(const QString &) const override { return {}; }

    Fault classify(QSqlDatabase db, const QSqlError &error) const override
    {
        const QString code = error.nativeErrorCode();
        if (code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57P")))
            return Fault::Lost;
        if (code.isEmpty())
            return answers(db) ? Fault::Refused : Fault::Lost;
        if (code == QLatin1String("42501"))
            return Fault::Denied;
        if (code.startsWith(QLatin1String("53")))
            return Fault::Full; // disk full, out of memory or connections
        if (code == QLatin1String("25006"))
            return Fault::ReadOnly;
        if (code == QLatin1String("57014"))
            return Fault::TimedOut; // the statement timeout
        if (code == QLatin1String("55P03") || code == QLatin1String("40001") || code == QLatin1String("40P01"))
            return Fault::Busy;
        return Fault::Refused;
    }

    int socket(const QSqlDatabase &db) const override
    {
        PGconn *connection = libpq(db);
        return connection ? pq.PQsocket(connection) : -1;
    }
    int session(const QSqlDatabase &db) const override
    {
        PGconn *connection = libpq(db);
        return connection ? pq.PQbackendPID(connection) : 0;
    }

    std::unique_ptr<Canceller> canceller(const QSqlDatabase &db) const override
    {
        PGconn *connection = libpq(db);
        return connection ? std::make_unique<PostgresCanceller>(connection) : nullptr;
    }

    bool planAhead(QSqlDatabase db, const BoundStatement &statement, int seconds) const override
    {
        PGconn *connection = libpq(db);
        if (!connection || pq.PQtransactionStatus(connection) != PQTRANS_IDLE)
            return true;
        const Positional positional = positionalOf(statement);
        const std::vector<const char *> values = positional.pointers();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        // In a transaction of its own, so that the session is set up
        // afterwards as if new; one left waiting for a lock (a table being
        // altered) gives up on its own a little after the deadline.
        return answeredBy(connection, deadline,
                          pq.PQsendQuery(connection, "BEGIN READ ONLY; SET LOCAL lock_timeout = 5000;"
                                                     " SET LOCAL statement_timeout = 5000")) &&
               answeredBy(connection, deadline,
                          pq.PQsendQueryParams(connection, "EXPLAIN " + positional.text, int(values.size()), nullptr,
                                               values.data(), nullptr, nullptr, 0)) &&
               answeredBy(connection, deadline, pq.PQsendQuery(connection, "ROLLBACK"));
    }

    // The server's lock_timeout and statement_timeout (connection.cpp).
    void configureWaits(const QSqlDatabase &) const override {}

    // Between statements the server sends nothing unasked (the program
    // listens for no notifications) unless it ends the session: its farewell
    // and the end of the stream are then waiting on the socket.
    bool dropped(const QSqlDatabase &db) const override
    {
        PGconn *connection = libpq(db);
        if (!connection)
            return false;
        if (pq.PQstatus(connection) == CONNECTION_BAD)
            return true;
        pollfd waiting{pq.PQsocket(connection), POLLIN, 0};
        if (waiting.fd < 0 || ::poll(&waiting, 1, 0) <= 0)
            return false;
        pq.PQconsumeInput(connection);
        return true;
    }

    QString begunWithin(const QString &milliseconds) const override
    {
        return QStringLiteral("1 / (case when clock_timestamp() - transaction_timestamp()"
                              " < cast(%1 as integer) * interval '1 millisecond' then 1 else 0 end) = 1")
            .arg(milliseconds);
    }

    AtOnce sendAtOnce(QSqlDatabase db, const std::vector<BoundStatement> &statements, std::vector<QVariant> &lastRows,
                      QSqlError &error, bool thenCommit) const override
    {
        PGconn *connection = libpq(db);
        if (!connection || pq.PQtransactionStatus(connection) != PQTRANS_INTRANS)
            return AtOnce::Unavailable;
        return pipeline(connection, statements, thenCommit, error, [&](const PGresult *result, bool first) {
            if (first)
                lastRows.clear();
            for (int row = 0; row < pq.PQntuples(result); ++row)
                lastRows.push_back(pq.PQgetisnull(result, row, 0)
                                       ? QVariant()
                                       : QVariant(QString::fromUtf8(pq.PQgetvalue(result, row, 0))));
        });
    }

    // One exchange, as a save's: the statement's prepare the first time, and
    // its run.
    AtOnce readRows(QSqlDatabase db, const BoundStatement &statement, Rows &rows, QSqlError &error) const override
    {
        PGconn *connection = libpq(db);
        if (!connection || pq.PQpipelineStatus(connection) != PQ_PIPELINE_OFF)
            return AtOnce::Unavailable;
        // The driver reads the end of a statement's answer only when it starts
        // the next statement; it is read here as the driver would.
        while (pq.PQisBusy(connection) || pq.PQtransactionStatus(connection) == PQTRANS_ACTIVE) {
            PGresult *pending = pq.PQgetResult(connection);
            if (!pending)
                break;
            pq.PQclear(pending);
        }
        const PGTransactionStatusType state = pq.PQtransactionStatus(connection);
        if (state != PQTRANS_IDLE && state != PQTRANS_INTRANS && state != PQTRANS_INERROR)
            return AtOnce::Unavailable;
        Prepared &prepared = preparedOn(connection);
        const Positional positional = positionalOf(statement);
        std::shared_ptr<const Rows::Columns> &columns = prepared.columns[positional.text];
        const auto take = [&](const PGresult *result, bool first) {
            const int count = pq.PQnfields(result);
            if (first) {
                if (!columns || columns->count() != count) {
                    std::vector<QByteArray> names;
                    for (int column = 0; column < count; ++column)
                        names.emplace_back(pq.PQfname(result, column));
                    columns = std::make_shared<const Rows::Columns>(std::move(names));
                }
                rows = Rows(columns);
                rows.reserve(size_t(pq.PQntuples(result)) * size_t(count));
            }
            // The row before's texts, where libpq keeps them.
            std::vector<std::string_view> before(static_cast<size_t>(count)); // no data: none, or NULL
            for (int row = 0; row < pq.PQntuples(result); ++row)
                for (int column = 0; column < count; ++column) {
                    std::string_view &was = before[size_t(column)];
                    if (pq.PQgetisnull(result, row, column)) {
                        rows.append(QString());
                        was = {};
                        continue;
                    }
                    const std::string_view value(pq.PQgetvalue(result, row, column),
                                                 size_t(pq.PQgetlength(result, row, column)));
                    rows.appendText(value.data(), qsizetype(value.size()), was.data() && was == value);
                    was = value;
                }
        };
        // Prepared already: run as it is, without the pipeline's bookkeeping.
        const auto known = prepared.names.find(positional.text);
        if (known == prepared.names.end())
            return pipeline(connection, {statement}, false, error, take);
        const std::vector<const char *> values = positional.pointers();
        PGresult *result = pq.PQexecPrepared(connection, known->second.constData(), int(values.size()), values.data(),
                                             nullptr, nullptr, 0);
        const bool done = pq.PQresultStatus(result) == PGRES_TUPLES_OK;
        if (done)
            take(result, true);
        else
            error = failureOf(connection, result);
        pq.PQclear(result);
        return done ? AtOnce::Done : AtOnce::Failed;
    }

    // The server session ends with the connection, and its statements with it.
    void forgetReads(const QSqlDatabase &) const override {}

private:
    // libpq's pipeline: every statement, then one synchronisation, in one
    // write; the server runs them in turn and answers them all at once. Each
    // text is prepared on the server once per connection, the first time in
    // the same pipeline. lastRows is given each statement's rows in turn:
    // all at once, or row by row where the connection was left in the driver's
    // single-row mode (first: a statement's first rows).
    static AtOnce pipeline(PGconn *connection, const std::vector<BoundStatement> &statements, bool thenCommit,
                           QSqlError &error, const std::function<void(const PGresult *, bool first)> &lastRows)
    {
        if (!pq.PQenterPipelineMode(connection))
            return AtOnce::Unavailable;
        Prepared &prepared = preparedOn(connection);
        std::vector<QByteArray> newNames;
        size_t commands = 0; // sent, each answered by its results and an end
        bool sent = true;
        for (const BoundStatement &statement : statements) {
            const Positional positional = positionalOf(statement);
            QByteArray &name = prepared.names[positional.text];
            if (name.isEmpty()) {
                name = "jeonpyo_" + QByteArray::number(++prepared.count);
                newNames.push_back(name);
                sent = sent && pq.PQsendPrepare(connection, name.constData(), positional.text.constData(),
                                                int(positional.values.size()), nullptr);
                ++commands;
            }
            const std::vector<const char *> values = positional.pointers();
            sent = sent && pq.PQsendQueryPrepared(connection, name.constData(), int(values.size()), values.data(),
                                                  nullptr, nullptr, 0);
            ++commands;
        }
        // Only the commit's own answer is looked for.
        const size_t commit = thenCommit ? commands++ : size_t(-1);
        sent = sent &&
               (!thenCommit || pq.PQsendQueryParams(connection, "COMMIT", 0, nullptr, nullptr, nullptr, nullptr, 0));
        sent = sent && pq.PQpipelineSync(connection);
        // The answers: the results of each command sent and an end, then the
        // synchronisation's. After the first failure the server skips the rest.
        bool failed = !sent;
        bool committed = false;
        if (!sent)
            error = failureOf(connection, nullptr);
        bool first = true;
        size_t command = 0;
        for (int ending = 0; sent && ending < 2;) {
            PGresult *result = pq.PQgetResult(connection);
            if (!result) {
                // The end of one command's results; two in a row: nothing more comes.
                ++command;
                if (pq.PQstatus(connection) == CONNECTION_BAD && ++ending) {
                    if (!failed)
                        error = failureOf(connection, nullptr);
                    failed = true;
                }
                continue;
            }
            ending = 0;
            // The commit's own answer tells whether the transaction was
            // written: a server shutting down sends it, and then its farewell.
            if (command == commit && pq.PQresultStatus(result) == PGRES_COMMAND_OK &&
                qstrcmp(pq.PQcmdStatus(result), "COMMIT") == 0)
                committed = true;
            switch (pq.PQresultStatus(result)) {
            case PGRES_PIPELINE_SYNC:
                ending = 2;
                break;
            case PGRES_SINGLE_TUPLE:
                lastRows(result, first);
                first = false;
                break;
            case PGRES_TUPLES_OK:
                lastRows(result, first);
                first = true;
                break;
            case PGRES_COMMAND_OK:
            case PGRES_PIPELINE_ABORTED:
                first = true;
                break;
            default:
                if (!failed)
                    error = failureOf(connection, result);
                failed = true;
            }
            pq.PQclear(result);
        }
        pq.PQexitPipelineMode(connection);
        if (failed && !committed) {
            // A statement whose prepare failed, or whose fate is unknown, is prepared again next time.
            for (const QByteArray &name : newNames)
                for (auto it = prepared.names.begin(); it != prepared.names.end();)
                    it = it->second == name ? prepared.names.erase(it) : std::next(it);
            return AtOnce::Failed;
        }
        return AtOnce::Done;
    }

    // The statements prepared on one server session (a new connection, even
    // at the same address, has another server process).
    struct Prepared
    {
        int backend = 0;
        int count = 0;
        std::map<QByteArray, QByteArray> names;                             // by text
        std::map<QByteArray, std::shared_ptr<const Rows::Columns>> columns; // of a read, by text
    };
    static Prepared &preparedOn(PGconn *connection)
    {
        static std::map<PGconn *, Prepared> sessions;
        Prepared &prepared = sessions[connection];
        if (prepared.backend != pq.PQbackendPID(connection))
            prepared = Prepared{pq.PQbackendPID(connection), 0, {}, {}};
        return prepared;
    }

    // Reads and drops every result of the command just sent, waiting for the
    // server until the deadline at most. False when the server did not
    // answer in time; a command that could not be sent or failed counts as
    // answered.
    static bool answeredBy(PGconn *connection, std::chrono::steady_clock::time_point deadline, int sent)
    {
        if (!sent)
            return true;
        for (;;) {
            while (pq.PQisBusy(connection)) {
                const auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
                pollfd waiting{pq.PQsocket(connection), POLLIN, 0};
                if (left.count() <= 0 || ::poll(&waiting, 1, int(left.count())) <= 0)
                    return false;
                if (!pq.PQconsumeInput(connection))
                    return true; // the connection failed: the next statement finds out
            }
            PGresult *result = pq.PQgetResult(connection);
            if (!result)
                return true;
            pq.PQclear(result);
        }
    }

    // A statement as the server takes it: its named parameters (":tbDate_Day")
    // numbered in the order they first appear ($1), and their values as text.
    struct Positional
    {
        QByteArray text;
        std::vector<std::optional<QByteArray>> values;
        // The values as libpq takes them, NULL for none.
        std::vector<const char *> pointers() const
        {
            std::vector<const char *> pointers;
            for (const std::optional<QByteArray> &value : values)
                pointers.push_back(value ? value->constData() : nullptr);
            return pointers;
        }
    };
    static Positional positionalOf(const BoundStatement &statement)
    {
        // The numbering depends on the text alone: found once per text and
        // thread (a connection opened ahead plans on a thread of its own).
        struct Numbered
        {
            QByteArray text;
            std::vector<QString> order;
        };
        thread_local std::unordered_map<QString, Numbered> numbered;
        const QString text = statement.lines.join(QLatin1Char('\n'));
        auto found = numbered.find(text);
        if (found == numbered.end()) {
            static const QRegularExpression parameter(QStringLiteral("(?<![:\\w]):(\\w+)"));
            std::vector<QString> order;
            QString rewritten;
            qsizetype last = 0;
            for (const QRegularExpressionMatch &match : parameter.globalMatch(text)) {
                const QString name = match.captured(0);
                const auto at = std::find(order.begin(), order.end(), name);
                const size_t number = size_t(at - order.begin()) + 1;
                if (at == order.end())
                    order.push_back(name);
                rewritten += QStringView(text).mid(last, match.capturedStart() - last);
                rewritten += QLatin1Char('$') + QString::number(number);
                last = match.capturedEnd();
            }
            rewritten += QStringView(text).mid(last);
            found = numbered.emplace(text, Numbered{rewritten.toUtf8(), std::move(order)}).first;
        }
        Positional positional{found->second.text, {}};
        for (const QString &name : found->second.order) {
            const auto value = std::find_if(statement.params.begin(), statement.params.end(),
                                            [&](const auto &param) { return param.first == name; });
            positional.values.push_back(value == statement.params.end() ? std::nullopt : textOf(value->second));
        }
        return positional;
    }
    // A value as the server reads it from text: NULL for none, an empty text
    // for a null one (as the store writes texts), numbers to the last digit.
    static std::optional<QByteArray> textOf(const QVariant &value)
    {
        if (!value.isValid() || (value.isNull() && value.typeId() != QMetaType::QString))
            return std::nullopt;
        if (value.typeId() == QMetaType::Double)
            return QByteArray::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
        return value.toString().toUtf8();
    }

    // The failure as the driver would report it: the server's message and
    // its SQLSTATE (none when the connection itself failed).
    static QSqlError failureOf(PGconn *connection, const PGresult *result)
    {
        const char *message = result ? pq.PQresultErrorMessage(result) : pq.PQerrorMessage(connection);
        const char *state = result ? pq.PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
        return QSqlError(QStringLiteral("Unable to run the statements"), QString::fromUtf8(message).trimmed(),
                         QSqlError::StatementError, state ? QString::fromLatin1(state) : QString());
    }

    static PGconn *libpq(const QSqlDatabase &db)
    {
        if (!db.isOpen() || !libpqFound())
            return nullptr;
        const QVariant handle = db.driver()->handle();
        // The driver hands out libpq's connection, named by its struct or its typedef.
        if (!handle.isValid() ||
            (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
            return nullptr;
        return *static_cast<PGconn *const *>(handle.data());
    }

    // Every error the server reports carries a SQLSTATE; one without is the
    // client's own (the server gone, the connection closed, or a binding
    // fault), so the connection is asked whether it still answers.
    static bool answers(QSqlDatabase db)
    {
        if (!db.isOpen())
            return false;
        QSqlQuery probe(db);
        return probe.exec(QStringLiteral("select 1")) || !probe.lastError().nativeErrorCode().isEmpty();
    }

public:
    // A GIN index of the trigrams of the name, which a like with three
    // letters or digits in a row reads by itself.
    // Under a character type that does not count Hangul as letters (C) the
    // index would hold no trigram of a Hangul name, and a search of one would
    // read all of it: the second statement then fails, and nothing is made.
    QStringList trigramSetup() const override
    {
        return {QStringLiteral("create extension if not exists pg_trgm"),
                QStringLiteral("select 1 / (case when array_length(show_trgm('가나다'), 1) > 0 then 1 else 0 end)")};
    }
    QStringList trigramIndex(const QString &index, const QString &table, const QString &column) const override
    {
        return {QStringLiteral("create index if not exists %1 on %2 using gin (%3 gin_trgm_ops)")
                    .arg(index, table, column)};
    }
    bool hasTrigrams(const QSqlDatabase &db, const QStringList &indexes) const override
    {
        return knownOnce(db, trigramsKnown, [&] {
            return countsAll(db, QStringLiteral("select count(*) from pg_indexes where lower(indexname) in (%1)"),
                             indexes);
        });
    }
    void forgetTrigrams(const QSqlDatabase &db) const override { db.driver()->setProperty(trigramsKnown, QVariant()); }
    QString trigramCandidates(const QString &, const QString &) const override { return {}; }
    QString trigramText(const QString &) const override { return {}; }
    // An expression no index holds: the planner of a statement kept prepared
    // does not know the text, and might read the whole index for one of two
    // letters or for initials.
    QString withoutTrigrams(const QString &column) const override { return QStringLiteral("(%1 || '')").arg(column); }
};

} // namespace

const Dialect &Dialect::of(const QSqlDatabase &db)
{
    static const SqliteDialect sqlite;
    static const PostgresDialect postgres;
    if (db.driverName() == QLatin1String("QPSQL"))
        return postgres;
    return sqlite;
}

} // namespace store
