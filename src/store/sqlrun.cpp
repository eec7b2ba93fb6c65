#include "store/sqlrun.h"

#include "entry/error.h"

#include <QSqlDriver>
#include <QSqlError>

namespace store {

namespace {

// A statement that failed inside a PostgreSQL transaction cannot be freed on
// the server until the transaction has been rolled back (the server ignores
// every command before that), so it is kept until the transaction ends.
std::vector<QSqlQuery> failedInTransaction;
int openTransactions = 0;

} // namespace

QString describe(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    return QStringLiteral("데이타베이스 오류: %1").arg(text);
}

QSqlQuery run(QSqlDatabase db, const QStringList &lines, const Params &params)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(lines.join(QLatin1Char('\n'))))
        throw AppError(describe(query.lastError()));
    for (const auto &[name, value] : params) {
        // An empty text a clerk left (often a null QString) is stored as '',
        // never as NULL: every text column is NOT NULL and compared as text.
        const bool nullText = value.typeId() == QMetaType::QString && value.toString().isNull();
        query.bindValue(name, nullText ? QVariant(QString(QLatin1String(""))) : value);
    }
    if (!query.exec()) {
        const QString message = describe(query.lastError());
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
        throw AppError(describe(query.lastError()));
}

Transaction::Transaction(QSqlDatabase db) : m_db(db)
{
    if (db.driverName() == QLatin1String("QSQLITE"))
        exec(db, QStringLiteral("BEGIN IMMEDIATE"));
    else if (!db.transaction())
        throw AppError(describe(db.lastError()));
    m_open = true;
    ++openTransactions;
}

Transaction::~Transaction()
{
    if (m_open) {
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
            throw AppError(describe(query.lastError()));
    } else if (!m_db.commit()) {
        throw AppError(describe(m_db.lastError()));
    }
    m_open = false;
}

} // namespace store
