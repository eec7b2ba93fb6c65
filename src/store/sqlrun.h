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
#include <cmath>
#include <limits>
#include <memory>
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

// The rows of a read, taken from the engine's own library rather than through
// the driver's values: each value as the engine gives it as text (an amount in
// its shortest form), a NULL as a null QString; row by row, column by column.
// Read on one thread at a time: a number's text is made when first asked for.
class Rows
{
public:
    // A statement's column names, as the engine reports them: one object for
    // every run of the statement, which keeps each position once found.
    class Columns
    {
    public:
        explicit Columns(std::vector<QByteArray> names) : m_names(std::move(names)) {}
        int count() const { return int(m_names.size()); }
        const QByteArray &name(int column) const { return m_names[size_t(column)]; }
        // The position of a named column, whatever the case of either (the
        // server reports names in lower case); -1 for none.
        int position(const char *name) const;

    private:
        std::vector<QByteArray> m_names;
        mutable std::vector<std::pair<const char *, int>> m_found; // by the address of the name asked for
        mutable size_t m_next = 0;                                 // where in m_found the next name asked for is likely
    };

    Rows() = default;
    explicit Rows(std::shared_ptr<const Columns> columns) : m_columns(std::move(columns)) {}

    size_t size() const
    {
        return m_columns && m_columns->count() > 0 ? m_values.size() / size_t(m_columns->count()) : 0;
    }
    int column(const char *name) const { return m_columns ? m_columns->position(name) : -1; }
    // The value of a row's column; a null text for a column that is not there.
    const QString &text(size_t row, int column) const;
    double number(size_t row, int column) const;
    // A value's text, moved out of the rows, for a value read once: what
    // text() would give, without a copy.
    QString take(size_t row, int column);

    // The next value, filling the rows in order.
    void append(QString value)
    {
        m_values.push_back(std::move(value));
        if (!m_numbers.empty())
            m_numbers.push_back(notANumber);
    }
    // The next value, a text as the engine gives it (UTF-8). The lines of a
    // voucher repeat most of their texts (date, branch, codes): one the same
    // as the row before's in its column (asRowBefore) shares that row's text.
    void appendText(const char *utf8, qsizetype size, bool asRowBefore)
    {
        if (asRowBefore)
            append(QString(m_values[m_values.size() - size_t(m_columns->count())]));
        else
            append(size == 0 ? QString(QLatin1String("")) : QString::fromUtf8(utf8, size));
    }
    // The next value, an engine's floating-point number: its text is written
    // only when asked for (an amount is mostly read as a number).
    void appendNumber(double value);
    void reserve(size_t values) { m_values.reserve(values); }

private:
    // Where a row's column is among the values; nothing for no such column.
    std::optional<size_t> at(size_t row, int column) const
    {
        if (column < 0 || !m_columns || column >= m_columns->count())
            return std::nullopt;
        return row * size_t(m_columns->count()) + size_t(column);
    }
    // Whether the value there came as a number.
    bool isNumber(size_t at) const { return at < m_numbers.size() && !std::isnan(m_numbers[at]); }

    static constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
    std::shared_ptr<const Columns> m_columns;
    mutable std::vector<QString> m_values; // a number's text is made by text()
    std::vector<double> m_numbers;         // by value position, NaN for a text; empty while there is no number
};

// Runs a read statement as run() does, bound and kept prepared the same way,
// but through the engine's library itself: reading every value through the
// driver cost the load of a voucher three times what the engine takes.
// Throws AppError as run() does.
Rows read(QSqlDatabase db, const QStringList &lines, Params params = {});
class Transaction;
// Runs the statements in the open Transaction and commits it, all sent to the
// server at once, where the engine and the moment allow it (PostgreSQL, the
// connection idle in the transaction): the first column of the last
// statement's rows. Committed when the commit's own answer says so. Nothing (std::nullopt) where they do not, and
// nothing was sent: the caller then runs them one by one and commits. Throws AppError as run() does; the transaction is
// then rolled back by its end.
std::optional<std::vector<QVariant>> commitAtOnce(Transaction &transaction,
                                                  const std::vector<BoundStatement> &statements);

// The first value of the first row (an invalid QVariant when there is none),
// the statement done with.
QVariant runValue(QSqlDatabase db, const QStringList &lines, const Params &params = {});
// Forgets the statements kept prepared on db (it is being closed).
void forgetKeptStatements(const QSqlDatabase &db);
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
