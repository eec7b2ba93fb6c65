#pragma once
// The database alias "Account": one named Qt SQL connection, opened by the first
// statement that needs it.
//
// ACCOUNT_DB names the database: a file path or sqlite:PATH opens an SQLite
// file; a postgresql:// or postgres:// URI opens a PostgreSQL server. Without
// it, the embedded default is account.db in the user's data folder. Blanks
// around it are dropped, schemes are read whatever their case, ~ is the home
// folder; a malformed URI, an empty file name and :memory: are refused.
#include <QSqlDatabase>
#include <QString>
#include <functional>

namespace store {

inline constexpr const char *connectionName = "Account";

enum class Engine { SQLite, PostgreSQL };

struct Target
{
    Engine engine = Engine::SQLite;
    QString file; // SQLite
    QString host; // PostgreSQL: empty parts are left to libpq's defaults
    int port = -1;
    QString database;
    QString user;
    QString password;
    QString options; // extra connection options (QPSQL's connect options)
    QString typed;   // the setting as given (trimmed)
    QString problem; // why the setting cannot be used (the password masked); empty when it can

    // A name for messages: the file, or user@host:port/database. Never the password.
    QString displayName() const;
};

// Reads ACCOUNT_DB (or the given text) the way the alias is resolved.
Target resolveTarget();
Target parseTarget(const QString &text);
QString defaultDatabaseFile();

// Asked for a login name and password when the server wants a password that was
// not given; returns false when the clerk gives up.
using LoginPrompt = std::function<bool(QString &user, QString &password, const QString &problem)>;
void setLoginPrompt(LoginPrompt prompt);

// The open connection, opening (or reopening) it on first use. Throws AppError
// with a Korean message naming the database when it cannot be reached. A
// reopen never creates an SQLite file that has gone missing.
QSqlDatabase account();
// The open connection for a statement that only reads: as account(), but an
// SQLite file looked at in the last tenth of a second is not looked at again
// (a look is a call into the system, a tenth of a short load on this kind of
// machine). What the look guards against, a file deleted, moved away or
// restored over, comes between the clerk's commands, whose statements follow
// each other within that time; a read of the file as it was a moment before
// changes nothing, and every write still looks first.
QSqlDatabase accountToRead();
// On a server, starts making the Account connection on a thread of its own,
// so that the server's new process is started while the program builds its
// window; the first account() waits for it and goes on as for any opening (a
// login the server wants is asked for then). Nothing for a file, which opens
// in a few milliseconds, nor when the connection is open or being made.
void openAccountAhead();
Engine engine();
// Closes and forgets the connection and its target (tests, program end).
void closeAccount();
// After a lost connection (the server gone, the file unwritable): closes it but
// keeps the target and the login given, so that the next statement opens it
// again without asking.
void closeLostConnection(QSqlDatabase db);
// Why a database cannot be used, for the heading of the message.
enum class Unreachable { Lost, Full, ReadOnly, InputOutput, TimedOut };
// The clerk's message when the database cannot be reached or written: names it
// (never the password) and the reason, says that what is typed is kept, and
// gives the engine's detail.
QString unreachableMessage(const QString &detail, Unreachable why = Unreachable::Lost);
// "입력한 내용은 화면에 그대로 남아 있습니다. " in the window; nothing in the
// command-line tools, which have no screen of typed input.
QString typedInputNote();
void setTypedInputKept(bool kept);
// The text with every password in it (the one given, a URI's or an option's)
// replaced by asterisks.
QString maskPassword(const QString &text);

// What an SQLite file is, looked at without changing it.
enum class SqliteFileState { Missing, Empty, Ours, Foreign, Damaged };
SqliteFileState sqliteFileState(const QString &file);
// The message for a file that is not the program's database or is damaged.
QString notOursMessage(const QString &file);

// A PostgreSQL statement of the Account connection that runs (or waits for a
// lock) longer than this is stopped by the server with a message; 0 (the
// default) lets it run. The window sets one; the tools' bulk work does not.
// A server that does not answer at all is cut off by the program itself a
// little later (see statementwatch.h).
void setStatementTimeout(int milliseconds);
int statementTimeout();
// The window's time limit.
inline constexpr int windowStatementTimeout = 30000;
// Opens a connection under another name, to the same target (for concurrent work
// in one process, such as the benchmark's clerks).
QSqlDatabase openExtra(const QString &name, const Target &target);

} // namespace store
