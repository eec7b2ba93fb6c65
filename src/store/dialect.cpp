#include "store/dialect.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <sys/socket.h>
#include <thread>

namespace store {

namespace {

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
    std::this_thread::sleep_for(std::chrono::milliseconds(attempt < 10 ? 2 : 20));
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

// The server is asked to stop the statement over a connection of its own,
// from a thread of its own: a server that has gone silent would hold the
// asking for ever. Asked a second time, the program stops waiting itself and
// cuts the connection (the next statement opens a new one).
class PostgresCanceller : public Canceller
{
public:
    explicit PostgresCanceller(PGconn *connection)
        : m_cancel(PQgetCancel(connection), PQfreeCancel), m_socket(PQsocket(connection))
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
            PQcancel(cancel.get(), error, sizeof error);
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
    static bool exec(QSqlDatabase db, const char *statement, QSqlError &error)
    {
        QSqlQuery query(db);
        if (query.exec(QString::fromLatin1(statement)))
            return true;
        error = query.lastError();
        return false;
    }
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
        PGconn *connection = libpqOf(db);
        return connection ? PQsocket(connection) : -1;
    }

    std::unique_ptr<Canceller> canceller(const QSqlDatabase &db) const override
    {
        PGconn *connection = libpqOf(db);
        return connection ? std::make_unique<PostgresCanceller>(connection) : nullptr;
    }

    // The server's lock_timeout and statement_timeout (connection.cpp).
    void configureWaits(const QSqlDatabase &) const override {}

private:
    // The driver hands out libpq's connection, named by its struct or its typedef.
    static PGconn *libpqOf(const QSqlDatabase &db) { return driverHandle<PGconn>(db, "pg_conn*", "PGconn*"); }

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
