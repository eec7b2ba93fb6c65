#pragma once
// What keeps the books trustworthy, enforced by the database itself so that no
// client (an older copy of the program, a script, the engine's own shell) can
// go around it: the change history of the voucher lines, written by triggers in
// the transaction of the change, and the period lock, refused by triggers.
//
// Everything here that differs between SQLite and PostgreSQL (tables, trigger
// bodies, who is writing, how a refusal is recognised) is one guard per
// engine, chosen by the store's dialect of the connection; its transaction
// goes through that dialect too.
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <optional>

namespace store::ledger {

// The tables of the guard.
inline const QString historyTable = QStringLiteral("Ledger_History");
inline const QString lockTable = QStringLiteral("Ledger_Lock");
inline const QString printTable = QStringLiteral("Ledger_Print");

// The statements that make the guard's tables, triggers and the lock's single
// row; each of them leaves what already exists as it is, so that they also
// complete a database made by an earlier version.
QStringList guardStatements(QSqlDatabase db);
// True when every table and trigger of the guard is there.
bool guardInstalled(QSqlDatabase db);
// Adds what is missing, in one transaction. Returns true when something was
// added. Throws AppError when the database refuses.
bool installGuard(QSqlDatabase db);

// Run once per newly opened Account connection: completes the guard of a
// database that has the voucher table but not the guard (an earlier version
// made it), when the login may; says who is writing on engines that can keep
// it for the session. Never throws: a clerk who may not add tables works on.
void prepareConnection(QSqlDatabase db);
// True when the last prepareConnection() added the guard.
bool guardAddedOnOpen();

// Around the program's own writes of voucher lines, inside their transaction:
// which login and which program wrote them, for the history. On an engine that
// keeps it per session (PostgreSQL) there is nothing to do.
void signWrites(QSqlDatabase db);
void endWrites(QSqlDatabase db);

// The clerk's message for a statement refused by the guard (a locked period,
// or a change to the history), or nothing for any other failure.
std::optional<QString> refusal(QSqlDatabase db, const QSqlError &error);

// The clerk's message for a write on or before the lock date.
QString lockedMessage(const QString &lockDate);

} // namespace store::ledger
