#pragma once
// The tables the program reads and writes, created by the database tool (the
// program itself creates no table).
#include <QSqlDatabase>
#include <QStringList>
#include <vector>

namespace store {

// True when a table of that name (in any case) exists in the database: asked
// of the engine for the one name, not by listing every table (on a new
// PostgreSQL connection that listing read the whole catalogue, 3-4 ms).
bool hasTable(QSqlDatabase db, const QString &name);
// True when the voucher table exists in the database.
bool hasSchema(QSqlDatabase db);
// True when the database holds no table at all: a new file or database, which
// the program may make its own.
bool isEmptyDatabase(QSqlDatabase db);
// True when none of the code tables holds a row.
bool codeTablesEmpty(QSqlDatabase db);
// Creates every table and index in one transaction and fills Jen_Print with
// "01" to "10". With `guard`, also the change history and the period lock
// (ledgerguard.h); a bulk loader may leave them to installGuard() afterwards.
// Throws AppError when the database refuses.
void createSchema(QSqlDatabase db, bool guard = true);
// The columns of the voucher table, in table order.
QStringList voucherColumnNames();

// A name column that the search dialogs search, its table, and the index of
// its trigrams.
struct SearchedName
{
    QString table;
    QString column;
    QString trigrams;
};
const std::vector<SearchedName> &searchedNames();
// The searched name of a table; nullptr if none.
const SearchedName *searchedName(const QString &table);
// The trigram indexes of searchedNames(), for Dialect::hasTrigrams().
QStringList trigramIndexes();
// Makes the trigram indexes of the searched names when they are missing (a
// new store gets them from createSchema()). Where they cannot be made (a
// server without the trigram extension or whose character type makes no
// trigrams of Hangul, a login that may not add the extension) nothing is made
// and the searches read every name, as before. Returns true when they were
// made. Throws AppError only when the connection is lost.
bool addTrigramSearch(QSqlDatabase db);
// Has the engine keep figures of what the listing tests the voucher lines on,
// where it needs them to plan a busy day (Dialect::lineStatistics()), and
// takes them at once; a new store gets them from createSchema(). Nothing is
// made where the engine cannot keep them. Returns true when they were made.
// Throws AppError only when the connection is lost.
bool addLineStatistics(QSqlDatabase db);

} // namespace store
