#include "store/sqlrun.h"

#include "entry/error.h"
#include "store/connection.h"
#include "store/ledgerguard.h"

#include <QSqlDriver>
#include <QSqlError>

namespace store {

namespace {

// A statement that failed inside a PostgreSQL transaction cannot be freed on
// the server until the transaction has been rolled back (the server ignores
// every command before that), so it is kept until the transaction ends.
std::vector<QSqlQuery> failedInTransaction;
int openTransactions = 0;

// What kind of failure a database error is, for the clerk's message and for
// whether the connection must be opened anew.
enum class Fault { Refused, Lost, Busy, Denied };

bool isPostgres(const QSqlDatabase &db)
{
    return db.driverName() == QLatin1String("QPSQL");
}

// On PostgreSQL every error the server reports carries a SQLSTATE; one without
// is the client's own (the server gone, the connection closed, or a binding
// fault), so the connection is asked whether it still answers.
bool postgresAnswers(QSqlDatabase db)
{
    if (!db.isOpen())
        return false;
    QSqlQuery probe(db);
    return probe.exec(QStringLiteral("select 1")) || !probe.lastError().nativeErrorCode().isEmpty();
}

Fault classify(QSqlDatabase db, const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    if (isPostgres(db)) {
        if (code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57P")))
            return Fault::Lost;
        if (code.isEmpty())
            return postgresAnswers(db) ? Fault::Refused : Fault::Lost;
        if (code == QLatin1String("42501"))
            return Fault::Denied;
        if (code == QLatin1String("55P03") || code == QLatin1String("40001") || code == QLatin1String("40P01"))
            return Fault::Busy;
        return Fault::Refused;
    }
    if (code.isEmpty())
        return Fault::Refused;
    switch (code.toInt() & 0xff) { // primary SQLite result codes
    case 5:  // SQLITE_BUSY: another process holds the lock
    case 6:  // SQLITE_LOCKED
        return Fault::Busy;
    case 8:  // SQLITE_READONLY: the file cannot be written
    case 10: // SQLITE_IOERR
    case 13: // SQLITE_FULL
    case 14: // SQLITE_CANTOPEN
    case 26: // SQLITE_NOTADB
        return Fault::Lost;
    case 23: // SQLITE_AUTH
        return Fault::Denied;
    default:
        return Fault::Refused;
    }
}

// The clerk's message for a failed statement; a lost connection is closed so
// that the next statement reconnects.
QString failure(QSqlDatabase db, const QSqlError &error)
{
    if (const std::optional<QString> refused = ledger::refusal(db, error))
        return *refused;
    const QString detail = describe(error);
    switch (classify(db, error)) {
    case Fault::Lost:
        closeLostConnection(db);
        return unreachableMessage(detail);
    case Fault::Busy:
        return QStringLiteral("다른 사용자나 프로그램이 데이타베이스를 잠그고 있어 지금은 쓸 수 없습니다.\n"
                              "입력한 내용은 화면에 그대로 남아 있습니다. 잠시 후 같은 명령을 다시 하세요.\n\n%1")
            .arg(detail);
    case Fault::Denied:
        return QStringLiteral("이 로그인 이름에는 이 일을 할 권한이 없습니다. 데이타베이스는 바뀌지 않았습니다.\n"
                              "데이타베이스 관리자에게 권한을 요청하세요.\n\n%1")
            .arg(detail);
    case Fault::Refused:
        break;
    }
    return detail;
}

// A statement that fails before anything reached the database (its prepare, or
// the BEGIN of a transaction) on a connection found lost is tried once more on
// a new one: a server restarted while the clerk was away goes unnoticed. Once
// a transaction is open nothing is tried again. The caller's copy of the
// connection is the same connection, open again.
bool reconnectedForRetry(QSqlDatabase db, const QSqlError &error)
{
    if (openTransactions > 0 || db.connectionName() != QLatin1String(connectionName)
        || classify(db, error) != Fault::Lost)
        return false;
    closeLostConnection(db);
    try {
        account();
    } catch (const AppError &) {
        return false;
    }
    return db.isOpen();
}

bool prepareQuery(QSqlQuery &query, QSqlDatabase db, const QString &text)
{
    query = QSqlQuery(db);
    query.setForwardOnly(true);
    return query.prepare(text);
}

bool begin(QSqlDatabase db, QSqlError &error)
{
    if (db.driverName() == QLatin1String("QSQLITE")) {
        QSqlQuery query(db);
        if (query.exec(QStringLiteral("BEGIN IMMEDIATE")))
            return true;
        error = query.lastError();
        return false;
    }
    if (db.transaction())
        return true;
    error = db.lastError();
    return false;
}

} // namespace

QString describe(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    return QStringLiteral("데이타베이스 오류: %1").arg(text);
}

// Text that no engine stores as typed: the NUL character (PostgreSQL refuses
// it, and a C string would end there) and broken UTF-16. It is refused before
// anything is written, rather than stored cut short or altered.
static void checkStorable(const Params &params)
{
    for (const auto &[name, value] : params) {
        if (value.typeId() != QMetaType::QString)
            continue;
        const QString text = value.toString();
        if (text.contains(QChar(0)) || !QStringView(text).isValidUtf16())
            throw AppError(QStringLiteral("입력한 내용에 저장할 수 없는 글자(제어 문자 NUL 또는 깨진 글자)가 있습니다.\n"
                                          "그 글자를 지우고 같은 명령을 다시 하세요. 데이타베이스는 바뀌지 않았습니다."));
    }
}

QSqlQuery run(QSqlDatabase db, const QStringList &lines, const Params &params)
{
    checkStorable(params);
    const QString text = lines.join(QLatin1Char('\n'));
    QSqlQuery query;
    if (!prepareQuery(query, db, text)
        && !(reconnectedForRetry(db, query.lastError()) && prepareQuery(query, db, text)))
        throw AppError(failure(db, query.lastError()));
    for (const auto &[name, value] : params) {
        // An empty text a clerk left (often a null QString) is stored as '',
        // never as NULL: every text column is NOT NULL and compared as text.
        const bool nullText = value.typeId() == QMetaType::QString && value.toString().isNull();
        query.bindValue(name, nullText ? QVariant(QString(QLatin1String(""))) : value);
    }
    if (!query.exec()) {
        const QString message = failure(db, query.lastError());
        if (openTransactions > 0)
            failedInTransaction.push_back(std::move(query));
        throw AppError(message);
    }
    return query;
}

void exec(QSqlDatabase db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        throw AppError(failure(db, query.lastError()));
}

Transaction::Transaction(QSqlDatabase db) : m_db(db)
{
    QSqlError error;
    if (!begin(db, error) && !(reconnectedForRetry(db, error) && begin(db, error)))
        throw AppError(failure(db, error));
    m_open = true;
    ++openTransactions;
}

Transaction::~Transaction()
{
    // A connection lost on the way is closed already: the server or the file
    // has dropped the transaction itself.
    if (m_open && m_db.isOpen()) {
        if (m_db.driverName() == QLatin1String("QSQLITE"))
            QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        else
            m_db.rollback();
    }
    if (--openTransactions == 0)
        failedInTransaction.clear();
}

void Transaction::commit()
{
    if (m_db.driverName() == QLatin1String("QSQLITE")) {
        QSqlQuery query(m_db);
        if (!query.exec(QStringLiteral("COMMIT")))
            throw AppError(failure(m_db, query.lastError()));
    } else if (!m_db.commit()) {
        throw AppError(failure(m_db, m_db.lastError()));
    }
    m_open = false;
}

} // namespace store
