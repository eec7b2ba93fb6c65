#pragma once
// What differs between the engines, in one place. One object per engine,
// chosen once from the connection's driver; every other file of the store
// asks it instead of looking at the driver itself. Another engine would be one
// more class here (and its connection options in connection.cpp).
#include "store/connection.h"
#include "store/sqlrun.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <memory>

namespace store {

// Stops the statement running on a connection, from another thread. Made
// before the statement starts, while the connection is still the caller's.
class Canceller
{
public:
    virtual ~Canceller() = default;
    virtual void cancel() = 0;
};

// What kind of failure a database error is, for the clerk's message and for
// whether the connection must be opened anew.
enum class Fault { Refused, Lost, Full, ReadOnly, InputOutput, TimedOut, Busy, Denied };

// What became of statements offered to be sent at once.
enum class AtOnce { Unavailable, Done, Failed };

class Dialect
{
public:
    // The dialect of a connection (SQLite for any driver not known).
    static const Dialect &of(const QSqlDatabase &db);
    virtual ~Dialect() = default;

    virtual Engine engine() const = 0;

    // The write transaction: on SQLite it takes the file's write lock at once,
    // so writers queue at the start instead of failing at their first write.
    virtual bool begin(QSqlDatabase db, QSqlError &error) const = 0;
    virtual bool commit(QSqlDatabase db, QSqlError &error) const = 0;
    virtual void rollback(QSqlDatabase db) const = 0;

    // A statement (parameter :tbDate_Day) that keeps other writers from drawing
    // numbers of the same date until the transaction ends; empty where the
    // write transaction does that already.
    virtual QString numberingLock() const = 0;

    // Column types: a portable type as the server takes it ("varchar(20)",
    // "text", "double precision", "timestamp"), and a code table's text column.
    virtual QString columnType(const QString &portable) const = 0;
    virtual QString codeColumnType(int width) const = 0;
    // Statements that make a new, empty store the program's own (its journal).
    virtual QStringList newStoreSettings() const = 0;

    // A condition true when the text `expression` holds a character other than
    // a digit.
    virtual QString holdsNonDigit(const QString &expression) const = 0;

    // A query (parameter :tbIndex) that counts the indexes of that name.
    virtual QString countIndexes() const = 0;
    // A query (parameter :tbTable) that counts the tables of that name, in
    // any case, where the program looks for its tables.
    virtual QString countTables() const = 0;
    // The statement that has the engine keep figures of the trimmed kind,
    // form and side of the voucher lines, which the listing tests every line
    // on; empty where the engine plans well without. And a query that counts
    // those figures' definitions (they are there when it gives 1).
    virtual QString lineStatistics() const = 0;
    virtual QString countLineStatistics() const = 0;

    // A condition true when the text `expression` holds, somewhere, the
    // sequence bound to `parameter`; the bound value is made by
    // sequencePattern() from a sequence of characters and bracketed classes
    // ("원[ㅈ자-짛]"), none of them a wildcard of either engine.
    virtual QString holdsSequence(const QString &expression, const QString &parameter) const = 0;
    virtual QString sequencePattern(const QString &sequence) const = 0;

    // A temporary table for the length of a transaction: what follows its
    // CREATE TEMP TABLE, and what drops it before and after (nothing where the
    // transaction's end drops it).
    virtual QString tempTableOptions() const = 0;
    virtual QString dropTempTable(const QString &name) const = 0;

    virtual Fault classify(QSqlDatabase db, const QSqlError &error) const = 0;

    // The connection's network socket, -1 when it has none (a file).
    virtual int socket(const QSqlDatabase &db) const = 0;
    // Which session of the server the connection is (its server process), 0
    // for a file: a connection made anew may get the old one's address.
    virtual int session(const QSqlDatabase &db) const = 0;

    // How a statement under way is stopped; nothing when it cannot be.
    virtual std::unique_ptr<Canceller> canceller(const QSqlDatabase &db) const = 0;
    // The engine's own waiting for another writer's lock, set on a new
    // connection so that a cancel ends it too.
    virtual void configureWaits(const QSqlDatabase &db) const = 0;

    // True when the connection is known to be gone without asking the server
    // (it closed its end, as a restarted server does): nothing need be sent to
    // find out. A file is never found gone this way.
    virtual bool dropped(const QSqlDatabase &db) const = 0;

    // Sends the statements of an open transaction to the server at once; the
    // first column of the last one's rows in lastRows. After a failure the
    // rest is skipped and the transaction can only be rolled back.
    // Unavailable where the engine cannot (a file) or the connection is not
    // idle in a transaction: nothing was sent.
    // With thenCommit, a COMMIT follows them in the same exchange, and Done
    // tells that the commit's own answer came back: whatever failure follows
    // it (a server shutting down) does not undo it.
    virtual AtOnce sendAtOnce(QSqlDatabase db, const std::vector<BoundStatement> &statements,
                              std::vector<QVariant> &lastRows, QSqlError &error, bool thenCommit) const = 0;

    // Runs a read through the engine's library, kept prepared by its text on
    // this connection: every value of its rows as text. Unavailable where
    // the driver's handle is not the engine's (nothing was run).
    virtual AtOnce readRows(QSqlDatabase db, const BoundStatement &statement, Rows &rows, QSqlError &error) const = 0;
    // Lets go of the reads kept prepared on a connection that is being closed.
    virtual void forgetReads(const QSqlDatabase &db) const = 0;
    // Has a server plan a read without running it, on a connection nothing
    // else uses yet, its failure passed over: the server process reads what
    // the statement needs of its catalogue (the tables, their indexes and
    // figures) into its own caches, so that the read itself, later, does not
    // wait for that. Nothing where the engine keeps no such caches (a file).
    // False when the server did not answer within `seconds`: the connection
    // is then still waiting for it, and can only be closed.
    virtual bool planAhead(QSqlDatabase db, const BoundStatement &statement, int seconds) const = 0;

    // A condition (for a WHERE) that fails with an error when the open
    // transaction began more than the bound number of milliseconds ago:
    // work a stalled server takes up again after the program gave up on it is
    // then refused rather than committed. Empty where no statement can be
    // left to the server after the program stops waiting (a file).
    virtual QString begunWithin(const QString &milliseconds) const = 0;

    // Searches through trigrams, the three-character pieces of the names the
    // search dialogs read: a literal text with three letters or digits in a
    // row is looked up in an index of them instead of in every name.

    // Statements that let the store hold trigram indexes, run once before
    // the first is made; one fails where the indexes would not serve.
    virtual QStringList trigramSetup() const = 0;
    // Statements that make `index`, the trigram index of `column` of `table`,
    // and keep it in step with rows written by any program (triggers, where
    // the engine does not do it itself). Each may be run again harmlessly.
    virtual QStringList trigramIndex(const QString &index, const QString &table, const QString &column) const = 0;
    // True when the connection's store holds all those indexes, so that a
    // search may take the trigram way; looked up once per connection, again
    // after forgetTrigrams().
    virtual bool hasTrigrams(const QSqlDatabase &db, const QStringList &indexes) const = 0;
    virtual void forgetTrigrams(const QSqlDatabase &db) const = 0;
    // A condition on the rows of the indexed table that keeps those whose name
    // may hold the text bound to `parameter` (a value made by trigramText()),
    // for a like on the name to check; empty where that like itself is what
    // the index serves.
    virtual QString trigramCandidates(const QString &index, const QString &parameter) const = 0;
    // The value bound to that parameter for a literal text; empty where there
    // is no such condition.
    virtual QString trigramText(const QString &text) const = 0;
    // The name column as a search that must not read the trigram index names
    // it: one whose text gives the index nothing to look up would read all of it.
    virtual QString withoutTrigrams(const QString &column) const = 0;
};

} // namespace store
