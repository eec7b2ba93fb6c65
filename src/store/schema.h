#pragma once
// The tables the program reads and writes, created by the database tool (the
// program itself creates no table).
#include <QSqlDatabase>
#include <QStringList>

namespace store {

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

} // namespace store
