#pragma once
// The commands of jeonpyo-db: each is a function in its own file, listed once in
// the table of commands.cpp, which the help text and the dispatch both read.
#include <QMap>
#include <QSqlDatabase>
#include <QStringList>
#include <QTextStream>
#include <functional>

namespace dbtool {

// Exit codes that scripts can rely on.
enum Exit {
    Success = 0,       // done
    NothingDone = 1,   // status: no schema; demo: the code tables already hold rows
    UsageError = 2,    // unknown command or table, wrong arguments
    BadInput = 3,      // the input file cannot be read or has bad rows (nothing written)
    DatabaseError = 4, // the database cannot be reached, lacks the tables or refuses a statement
    NotOurs = 5,       // the file is not the program's database, or is damaged (left unchanged)
    WriteError = 6,    // the output file cannot be written whole (nothing written, an old file left as it was)
};

struct Command
{
    const char *name;
    const char *arguments; // as shown in the usage line
    const char *summary;   // one line, Korean
    int (*run)(const QStringList &arguments);
};

// Every command, in the order the help text lists them.
const QList<Command> &commands();

QTextStream &out();
QTextStream &err();

// Prints "사용법: jeonpyo-db NAME ARGUMENTS" on stderr and returns UsageError.
int usageOf(const char *name);

// Runs work on the database that ACCOUNT_DB names (or the program's default
// file). A database error is printed and becomes DatabaseError; a setting that
// cannot be used is printed too. A missing SQLite file is made only by init
// (the others say so instead of leaving an empty file behind); a file that is
// not the program's, or is damaged, is left alone and becomes NotOurs.
enum class Missing { Refuse, Create };
int withDatabase(const std::function<int(QSqlDatabase)> &work, Missing missing = Missing::Refuse);
// Prints that the tables are missing and how to make them.
int noSchema();
// The database's name for messages (never a password).
QString databaseName();

// The commands; each lives in the file of its name.
int runInit(const QStringList &arguments);
int runStatus(const QStringList &arguments);
int runDemo(const QStringList &arguments);
int runImport(const QStringList &arguments);
int runPdf(const QStringList &arguments);
int runHistory(const QStringList &arguments);
int runLock(const QStringList &arguments);
int runUnlock(const QStringList &arguments);
int runExport(const QStringList &arguments);

// Options of the form --name VALUE (and flags of the form --name) out of the
// arguments; what is left are the plain arguments. False, with a message on
// stderr, for an option without its value or one not listed.
struct Options
{
    QMap<QString, QString> values;
    QStringList plain;
};
bool readOptions(const QStringList &arguments, const QStringList &withValue, const QStringList &flags,
                 Options &options);
// A yyyy-MM-dd date that exists; otherwise a message on stderr naming `what`.
bool checkDate(const QString &text, const QString &what);
// The folder of `file` exists and may be written; otherwise a message.
bool checkWritable(const QString &file);

} // namespace dbtool
