#include "store/dialect.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>
#include <libpq-fe.h>
#include <poll.h>

namespace store {

namespace {

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
    bool dropped(const QSqlDatabase &) const override { return false; }

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
        return connection ? PQsocket(connection) : -1;
    }

    // Between statements the server sends nothing unasked, unless it ends the
    // session: then the socket reads its farewell and the end of the stream.
    bool dropped(const QSqlDatabase &db) const override
    {
        PGconn *connection = libpq(db);
        if (!connection)
            return false;
        if (PQstatus(connection) == CONNECTION_BAD)
            return true;
        pollfd waiting{PQsocket(connection), POLLIN, 0};
        if (waiting.fd < 0 || ::poll(&waiting, 1, 0) <= 0)
            return false;
        return PQconsumeInput(connection) == 0 || PQstatus(connection) == CONNECTION_BAD;
    }

private:
    static PGconn *libpq(const QSqlDatabase &db)
    {
        if (!db.isOpen())
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
