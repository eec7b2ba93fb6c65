#pragma once
// How the store runs a statement: lines of text joined by line breaks, named
// parameters bound by name (a name used several times takes one value), and any
// refusal of the database turned into an AppError that names the problem. A
// lost connection (the server gone, the file unwritable) is closed on the way,
// so that the next statement reconnects; the clerk is told the database could
// not be reached, a lock or a missing right likewise in plain words.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

namespace store {

using Params = std::vector<std::pair<QString, QVariant>>;

// Prepares, binds and executes; the returned query is positioned before the
// first row. Throws AppError on any failure. On the Account connection the
// statement stays prepared for the next run of the same text when its rows
// are read to the end (or it is finish()ed) before the next statement runs.
QSqlQuery run(QSqlDatabase db, const QStringList &lines, const Params &params = {});
// A statement and its values.
struct BoundStatement
{
    QStringList lines;
    Params params;
};
class Transaction;
// Runs the statements in the open Transaction, all sent to the server at once,
// and then commits it, where the engine and the moment allow it (PostgreSQL,
// the connection idle in the transaction): the first column of the last
// statement's rows. Nothing (std::nullopt) where they do not, and nothing was
// sent: the caller then runs them one by one and commits. Throws AppError as
// run() does; the transaction is then rolled back by its end.
std::optional<std::vector<QVariant>> commitAtOnce(Transaction &transaction,
                                                  const std::vector<BoundStatement> &statements);

// The first value of the first row (an invalid QVariant when there is none),
// the statement done with.
QVariant runValue(QSqlDatabase db, const QStringList &lines, const Params &params = {});
// Forgets the statements kept prepared (the connection is being closed).
void forgetKeptStatements();
// A statement without parameters (DDL, pragmas).
void exec(QSqlDatabase db, const QString &sql);

// One transaction, rolled back unless committed. On SQLite it begins with
// BEGIN IMMEDIATE, so that a transaction that reads and then writes takes the
// write lock first and concurrent writers wait instead of failing.
class Transaction
{
public:
    explicit Transaction(QSqlDatabase db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void commit();
    QSqlDatabase database() const { return m_db; }

private:
    friend std::optional<std::vector<QVariant>> commitAtOnce(Transaction &, const std::vector<BoundStatement> &);
    QSqlDatabase m_db;
    bool m_open = false;
};

// The text of a database error for the clerk.
QString describe(const QSqlError &error);

} // namespace store
