#include "store/ledgerguard.h"

#include "store/dialect.h"

#include "base/error.h"
#include "store/schema.h"
#include "store/sqlrun.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QVariant>

#include <pwd.h>
#include <unistd.h>

namespace store::ledger {

namespace {

// The texts a refusing trigger gives: whoever writes from the engine's own
// shell reads them; the program recognises them and tells the clerk in full.
const QString lockedMark = QStringLiteral("(ledger locked)");
const QString historyMark = QStringLiteral("(ledger history)");
const QString lockedText = QStringLiteral("마감된 기간의 전표는 바꿀 수 없습니다 ") + lockedMark;
const QString historyText = QStringLiteral("변경 이력은 고치거나 지울 수 없습니다 ") + historyMark;

const QString historyColumns = QStringLiteral(
    "Changed_At, Changed_By, Program, Action, Date_Day, Serial_Jen, Serial_Bun, Serial_CrDr, Before_Values, "
    "After_Values");

// The program's own name (jeonpyo, jeonpyo-db) and the operating system's
// user: found once, since neither changes while the program runs.
QString programName()
{
    static const QString name = [] {
        const QString file = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        return file.isEmpty() ? QCoreApplication::applicationName() : file;
    }();
    return name;
}

QString osUser()
{
    static const QString user = [] {
        if (const passwd *entry = getpwuid(geteuid()))
            return QString::fromLocal8Bit(entry->pw_name);
        return qEnvironmentVariable("USER");
    }();
    return user;
}

QString quotedList(const QStringList &names)
{
    QStringList quoted;
    for (const QString &name : names)
        quoted << QLatin1Char('\'') + name.toLower() + QLatin1Char('\'');
    return quoted.join(QLatin1String(", "));
}

int countOf(QSqlDatabase db, const QString &sql)
{
    QSqlQuery query(db);
    return query.exec(sql) && query.next() ? query.value(0).toInt() : -1;
}

// The guard as one engine builds it: its tables and triggers, and how the
// program signs its writes and reads a refusal there.
struct EngineGuard
{
    QStringList tables;   // the guard's tables
    QStringList triggers; // its triggers
    QStringList (*statements)();
    int (*presentCount)(QSqlDatabase db, const QStringList &tables, const QStringList &triggers);
    void (*signWrites)(QSqlDatabase db);
    void (*endWrites)(QSqlDatabase db);
    void (*prepare)(QSqlDatabase db);
    std::optional<QString> (*refusal)(QSqlDatabase db, const QSqlError &error);
};

// ---------------------------------------------------------------- SQLite ----
// Triggers cannot know who writes: the program signs its transactions in a
// one-row table that the history triggers read and that is emptied again before
// the commit, so that a write from elsewhere is recorded as of nobody known.
namespace sqlite {

QString jsonOf(const char *row)
{
    QStringList pairs;
    for (const QString &column : voucherColumnNames())
        pairs << QStringLiteral("'%1', %2.%3").arg(column.toLower(), QLatin1String(row), column);
    return QStringLiteral("json_object(%1)").arg(pairs.join(QLatin1String(", ")));
}

QString lineHistoryTrigger(const char *event, const char *action, const char *row, const QString &before,
                           const QString &after)
{
    return QStringLiteral("CREATE TRIGGER IF NOT EXISTS ledger_line_history_%1 AFTER %2 ON Account_Jen_AA\n"
                          "BEGIN\n"
                          "  INSERT INTO Ledger_History (%3) VALUES (\n"
                          "    strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime'),\n"
                          "    coalesce((SELECT Login FROM Ledger_Writer WHERE Id = 1), ''),\n"
                          "    coalesce((SELECT Program FROM Ledger_Writer WHERE Id = 1), ''),\n"
                          "    '%1', rtrim(%4.Date_Day), rtrim(%4.Serial_Jen), rtrim(%4.Serial_Bun), "
                          "rtrim(%4.Serial_CrDr),\n"
                          "    %5, %6);\n"
                          "END")
        .arg(QLatin1String(action), QLatin1String(event), historyColumns, QLatin1String(row), before, after);
}

QString lockTrigger(const char *event, const QString &when)
{
    return QStringLiteral("CREATE TRIGGER IF NOT EXISTS ledger_line_lock_%1 BEFORE %2 ON Account_Jen_AA\n"
                          "WHEN %3\n"
                          "BEGIN SELECT RAISE(ABORT, '%4'); END")
        .arg(QString::fromLatin1(event).toLower(), QLatin1String(event), when, lockedText);
}

QString lockedDate(const char *row)
{
    return QStringLiteral(
               "rtrim(%1.Date_Day) <= (SELECT Lock_Until FROM Ledger_Lock WHERE Id = 1 AND Lock_Until <> '')")
        .arg(QLatin1String(row));
}

QStringList statements()
{
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS Ledger_History (\n"
                       "  History_Id INTEGER PRIMARY KEY AUTOINCREMENT,\n"
                       "  Changed_At TEXT NOT NULL, Changed_By TEXT NOT NULL DEFAULT '',\n"
                       "  Program TEXT NOT NULL DEFAULT '', Action TEXT NOT NULL,\n"
                       "  Date_Day TEXT NOT NULL DEFAULT '', Serial_Jen TEXT NOT NULL DEFAULT '',\n"
                       "  Serial_Bun TEXT NOT NULL DEFAULT '', Serial_CrDr TEXT NOT NULL DEFAULT '',\n"
                       "  Before_Values TEXT, After_Values TEXT)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS Ledger_Lock (\n"
                       "  Id INTEGER PRIMARY KEY CHECK (Id = 1), Lock_Until TEXT NOT NULL DEFAULT '')"),
        QStringLiteral("INSERT OR IGNORE INTO Ledger_Lock (Id, Lock_Until) VALUES (1, '')"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS Ledger_Writer (\n"
                       "  Id INTEGER PRIMARY KEY CHECK (Id = 1), Login TEXT NOT NULL, Program TEXT NOT NULL)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS Ledger_Print (\n"
                       "  Serial_Jen TEXT PRIMARY KEY, Print_Count INTEGER NOT NULL DEFAULT 0)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS Ledger_History_Jen ON Ledger_History (Serial_Jen)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS Ledger_History_Day ON Ledger_History (Date_Day)"),
        lockTrigger("INSERT", lockedDate("NEW")),
        lockTrigger("UPDATE", lockedDate("OLD") + QStringLiteral(" OR ") + lockedDate("NEW")),
        lockTrigger("DELETE", lockedDate("OLD")),
        lineHistoryTrigger("INSERT", "insert", "NEW", QStringLiteral("NULL"), jsonOf("NEW")),
        lineHistoryTrigger("UPDATE", "update", "NEW", jsonOf("OLD"), jsonOf("NEW")),
        lineHistoryTrigger("DELETE", "delete", "OLD", jsonOf("OLD"), QStringLiteral("NULL")),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS ledger_history_keep_update BEFORE UPDATE ON Ledger_History\n"
                       "BEGIN SELECT RAISE(ABORT, '%1'); END")
            .arg(historyText),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS ledger_history_keep_delete BEFORE DELETE ON Ledger_History\n"
                       "BEGIN SELECT RAISE(ABORT, '%1'); END")
            .arg(historyText),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS ledger_lock_keep BEFORE DELETE ON Ledger_Lock\n"
                       "BEGIN SELECT RAISE(ABORT, '%1'); END")
            .arg(historyText),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS ledger_lock_history AFTER UPDATE OF Lock_Until ON Ledger_Lock\n"
                       "WHEN OLD.Lock_Until IS NOT NEW.Lock_Until\n"
                       "BEGIN\n"
                       "  INSERT INTO Ledger_History (%1) VALUES (\n"
                       "    strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime'),\n"
                       "    coalesce((SELECT Login FROM Ledger_Writer WHERE Id = 1), ''),\n"
                       "    coalesce((SELECT Program FROM Ledger_Writer WHERE Id = 1), ''),\n"
                       "    CASE WHEN NEW.Lock_Until = '' THEN 'unlock' ELSE 'lock' END, '', '', '', '',\n"
                       "    json_object('lock_until', OLD.Lock_Until), json_object('lock_until', NEW.Lock_Until));\n"
                       "END")
            .arg(historyColumns),
    };
}

int presentCount(QSqlDatabase db, const QStringList &tables, const QStringList &triggers)
{
    return countOf(db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE lower(name) IN (%1)")
                           .arg(quotedList(tables + triggers)));
}

// Runs one of the signature's statements, kept prepared from one save to the
// next. Without the table (a guard that could not be added when the file was
// opened) the lines are written all the same; any other failure is the
// write's own, and the clerk is told of it as of the lines'.
void runSignature(QSqlDatabase db, const QString &statement, const Params &params = {})
{
    try {
        run(db, {statement}, params);
    } catch (const AppError &) {
        if (db.isOpen() && !hasTable(db, QStringLiteral("Ledger_Writer")))
            return;
        throw;
    }
}

void signWrites(QSqlDatabase db)
{
    runSignature(
        db, QStringLiteral("INSERT OR REPLACE INTO Ledger_Writer (Id, Login, Program) VALUES (1, :login, :program)"),
        {{QStringLiteral(":login"), osUser()}, {QStringLiteral(":program"), programName()}});
}

void endWrites(QSqlDatabase db)
{
    runSignature(db, QStringLiteral("DELETE FROM Ledger_Writer"));
}

void prepare(QSqlDatabase) {}

std::optional<QString> refusal(QSqlDatabase db, const QSqlError &error)
{
    const QString text = error.databaseText();
    if (text.contains(historyMark))
        return QStringLiteral("변경 이력은 고치거나 지울 수 없습니다. 데이타베이스는 바뀌지 않았습니다.");
    if (!text.contains(lockedMark))
        return std::nullopt;
    // The trigger's text cannot carry the date; the refused statement leaves
    // SQLite's transaction open, so it is read here.
    QSqlQuery query(db);
    const bool read = query.exec(QStringLiteral("SELECT Lock_Until FROM Ledger_Lock WHERE Id = 1")) && query.next();
    return lockedMessage(read ? query.value(0).toString() : QString());
}

const EngineGuard guard{
    {QStringLiteral("Ledger_History"), QStringLiteral("Ledger_Lock"), QStringLiteral("Ledger_Writer"),
     QStringLiteral("Ledger_Print")},
    {QStringLiteral("ledger_line_lock_insert"), QStringLiteral("ledger_line_lock_update"),
     QStringLiteral("ledger_line_lock_delete"), QStringLiteral("ledger_line_history_insert"),
     QStringLiteral("ledger_line_history_update"), QStringLiteral("ledger_line_history_delete"),
     QStringLiteral("ledger_history_keep_update"), QStringLiteral("ledger_history_keep_delete"),
     QStringLiteral("ledger_lock_keep"), QStringLiteral("ledger_lock_history")},
    statements,
    presentCount,
    signWrites,
    endWrites,
    prepare,
    refusal,
};

} // namespace sqlite

// ------------------------------------------------------------ PostgreSQL ----
// The triggers know the login (session_user) and the program
// (application_name, which the program sets with the operating system's user
// when it connects; psql sets its own). The functions run with their owner's
// rights, so a clerk needs no right on the history table to have a change
// recorded, and none to change it is ever needed.
namespace postgres {

QString function(const char *name, const QString &body, const char *declare = "")
{
    return QStringLiteral("CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql\n"
                          "SECURITY DEFINER SET search_path FROM CURRENT AS $guard$\n"
                          "%2BEGIN\n%3\nEND\n$guard$")
        .arg(QLatin1String(name), QLatin1String(declare), body);
}

QStringList statements()
{
    const QString now = QStringLiteral("to_char(clock_timestamp(), 'YYYY-MM-DD HH24:MI:SS.MS')");
    const QString who = QStringLiteral("session_user, current_setting('application_name')");
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS Ledger_History (\n"
                       "  History_Id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,\n"
                       "  Changed_At text NOT NULL, Changed_By text NOT NULL DEFAULT '',\n"
                       "  Program text NOT NULL DEFAULT '', Action text NOT NULL,\n"
                       "  Date_Day text NOT NULL DEFAULT '', Serial_Jen text NOT NULL DEFAULT '',\n"
                       "  Serial_Bun text NOT NULL DEFAULT '', Serial_CrDr text NOT NULL DEFAULT '',\n"
                       "  Before_Values text, After_Values text)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS Ledger_Lock (\n"
                       "  Id integer PRIMARY KEY CHECK (Id = 1), Lock_Until varchar(10) NOT NULL DEFAULT '')"),
        QStringLiteral("INSERT INTO Ledger_Lock (Id, Lock_Until) VALUES (1, '') ON CONFLICT DO NOTHING"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS Ledger_Print (\n"
                       "  Serial_Jen varchar(30) PRIMARY KEY, Print_Count integer NOT NULL DEFAULT 0)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS Ledger_History_Jen ON Ledger_History (Serial_Jen)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS Ledger_History_Day ON Ledger_History (Date_Day)"),
        // Nobody but the owner may change the history, whatever was granted on
        // all tables; the triggers below refuse the owner too.
        QStringLiteral("REVOKE UPDATE, DELETE, TRUNCATE ON Ledger_History FROM PUBLIC"),
        // An update or a delete is checked against the lock and recorded line
        // by line, with the line before (and after).
        function("ledger_line_lock",
                 QStringLiteral("  SELECT nullif(Lock_Until, '') INTO lock_date FROM Ledger_Lock WHERE Id = 1;\n"
                                "  IF lock_date IS NOT NULL AND (\n"
                                "       rtrim(OLD.Date_Day) COLLATE \"C\" <= lock_date\n"
                                "    OR (TG_OP = 'UPDATE' AND rtrim(NEW.Date_Day) COLLATE \"C\" <= lock_date)) THEN\n"
                                "    RAISE EXCEPTION USING ERRCODE = 'JP001', MESSAGE = lock_date || ' %1';\n"
                                "  END IF;\n"
                                "  IF TG_OP = 'DELETE' THEN RETURN OLD; END IF;\n"
                                "  RETURN NEW;")
                     .arg(lockedText),
                 "DECLARE lock_date text;\n"),
        function("ledger_line_history",
                 QStringLiteral("  IF TG_OP = 'DELETE' THEN\n"
                                "    INSERT INTO Ledger_History (%1) VALUES (%2, %3, 'delete',\n"
                                "      rtrim(OLD.Date_Day), rtrim(OLD.Serial_Jen), rtrim(OLD.Serial_Bun),\n"
                                "      rtrim(OLD.Serial_CrDr), to_jsonb(OLD)::text, NULL);\n"
                                "  ELSE\n"
                                "    INSERT INTO Ledger_History (%1) VALUES (%2, %3, 'update',\n"
                                "      rtrim(NEW.Date_Day), rtrim(NEW.Serial_Jen), rtrim(NEW.Serial_Bun),\n"
                                "      rtrim(NEW.Serial_CrDr), to_jsonb(OLD)::text, to_jsonb(NEW)::text);\n"
                                "  END IF;\n"
                                "  RETURN NULL;")
                     .arg(historyColumns, now, who)),
        // A save writes its voucher's lines in one statement: they are checked
        // against the lock and recorded once for the statement, from the lines
        // it added, rather than line by line (two calls of a trigger for each
        // line took a third of a save's time on the server, while the date's
        // number is held).
        function("ledger_lines_added",
                 QStringLiteral("  SELECT nullif(Lock_Until, '') INTO lock_date FROM Ledger_Lock WHERE Id = 1;\n"
                                "  IF lock_date IS NOT NULL AND EXISTS (SELECT 1 FROM added_lines n\n"
                                "       WHERE rtrim(n.Date_Day) COLLATE \"C\" <= lock_date) THEN\n"
                                "    RAISE EXCEPTION USING ERRCODE = 'JP001', MESSAGE = lock_date || ' %1';\n"
                                "  END IF;\n"
                                "  INSERT INTO Ledger_History (%2) SELECT %3, %4, 'insert',\n"
                                "      rtrim(n.Date_Day), rtrim(n.Serial_Jen), rtrim(n.Serial_Bun),\n"
                                "      rtrim(n.Serial_CrDr), NULL, to_jsonb(n)::text FROM added_lines n;\n"
                                "  RETURN NULL;")
                     .arg(lockedText, historyColumns, now, who),
                 "DECLARE lock_date text;\n"),
        function("ledger_history_keep",
                 QStringLiteral("  RAISE EXCEPTION USING ERRCODE = 'JP002', MESSAGE = '%1';").arg(historyText)),
        function("ledger_lock_history",
                 QStringLiteral("  IF OLD.Lock_Until IS DISTINCT FROM NEW.Lock_Until THEN\n"
                                "    INSERT INTO Ledger_History (%1) VALUES (%2, %3,\n"
                                "      CASE WHEN NEW.Lock_Until = '' THEN 'unlock' ELSE 'lock' END, '', '', '', '',\n"
                                "      json_build_object('lock_until', OLD.Lock_Until)::text,\n"
                                "      json_build_object('lock_until', NEW.Lock_Until)::text);\n"
                                "  END IF;\n"
                                "  RETURN NULL;")
                     .arg(historyColumns, now, who)),
        QStringLiteral("CREATE OR REPLACE TRIGGER ledger_line_lock BEFORE UPDATE OR DELETE ON Account_Jen_AA\n"
                       "FOR EACH ROW EXECUTE FUNCTION ledger_line_lock()"),
        QStringLiteral("CREATE OR REPLACE TRIGGER ledger_line_history AFTER UPDATE OR DELETE ON Account_Jen_AA\n"
                       "FOR EACH ROW EXECUTE FUNCTION ledger_line_history()"),
        QStringLiteral("CREATE OR REPLACE TRIGGER ledger_lines_added AFTER INSERT ON Account_Jen_AA\n"
                       "REFERENCING NEW TABLE AS added_lines FOR EACH STATEMENT EXECUTE FUNCTION ledger_lines_added()"),
        QStringLiteral("CREATE OR REPLACE TRIGGER ledger_history_keep BEFORE UPDATE OR DELETE ON Ledger_History\n"
                       "FOR EACH ROW EXECUTE FUNCTION ledger_history_keep()"),
        QStringLiteral("CREATE OR REPLACE TRIGGER ledger_history_keep_truncate BEFORE TRUNCATE ON Ledger_History\n"
                       "FOR EACH STATEMENT EXECUTE FUNCTION ledger_history_keep()"),
        QStringLiteral("CREATE OR REPLACE TRIGGER ledger_lock_keep BEFORE DELETE OR TRUNCATE ON Ledger_Lock\n"
                       "FOR EACH STATEMENT EXECUTE FUNCTION ledger_history_keep()"),
        QStringLiteral("CREATE OR REPLACE TRIGGER ledger_lock_history AFTER UPDATE ON Ledger_Lock\n"
                       "FOR EACH ROW EXECUTE FUNCTION ledger_lock_history()"),
    };
}

int presentCount(QSqlDatabase db, const QStringList &tables, const QStringList &triggers)
{
    QStringList found;
    for (const QString &table : tables)
        found << QStringLiteral("(CASE WHEN to_regclass('%1') IS NULL THEN 0 ELSE 1 END)").arg(table.toLower());
    if (!triggers.isEmpty())
        found << QStringLiteral("(SELECT count(*) FROM pg_trigger WHERE tgname IN (%1))").arg(quotedList(triggers));
    return countOf(db, QStringLiteral("SELECT ") + found.join(QLatin1String(" + ")));
}

void noSigning(QSqlDatabase) {}

void prepare(QSqlDatabase db)
{
    QSqlQuery query(db);
    if (query.prepare(QStringLiteral("SELECT set_config('application_name', :name, false)"))) {
        query.bindValue(QStringLiteral(":name"), QStringLiteral("%1 (%2)").arg(programName(), osUser()).left(63));
        query.exec();
    }
}

std::optional<QString> refusal(QSqlDatabase, const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    if (code == QLatin1String("JP002"))
        return QStringLiteral("변경 이력은 고치거나 지울 수 없습니다. 데이타베이스는 바뀌지 않았습니다.");
    if (code != QLatin1String("JP001"))
        return std::nullopt;
    // The trigger's message begins with the lock date.
    const QRegularExpressionMatch date =
        QRegularExpression(QStringLiteral("(\\S+) ") + QRegularExpression::escape(lockedText))
            .match(error.databaseText());
    return lockedMessage(date.hasMatch() ? date.captured(1) : QString());
}

const EngineGuard guard{
    {QStringLiteral("Ledger_History"), QStringLiteral("Ledger_Lock"), QStringLiteral("Ledger_Print")},
    {QStringLiteral("ledger_line_lock"), QStringLiteral("ledger_line_history"), QStringLiteral("ledger_lines_added"),
     QStringLiteral("ledger_history_keep"), QStringLiteral("ledger_history_keep_truncate"),
     QStringLiteral("ledger_lock_keep"), QStringLiteral("ledger_lock_history")},
    statements,
    presentCount,
    noSigning,
    noSigning,
    prepare,
    refusal,
};

} // namespace postgres

bool addedOnOpen = false;

const EngineGuard &guardOf(const QSqlDatabase &db)
{
    return store::Dialect::of(db).engine() == store::Engine::PostgreSQL ? postgres::guard : sqlite::guard;
}

} // namespace

QStringList guardStatements(QSqlDatabase db)
{
    return guardOf(db).statements();
}

bool guardInstalled(QSqlDatabase db)
{
    const EngineGuard &d = guardOf(db);
    return d.presentCount(db, d.tables, d.triggers) == int(d.tables.size() + d.triggers.size());
}

bool installGuard(QSqlDatabase db)
{
    if (guardInstalled(db))
        return false;
    // Run on the connection as it is, without the store's handling of a lost
    // connection: this also runs while the connection is being opened, and a
    // file that may only be read must stay open for reading.
    const store::Dialect &engine = store::Dialect::of(db);
    QSqlError error;
    if (!engine.begin(db, error))
        throw AppError(describe(error));
    QSqlQuery query(db);
    for (const QString &sql : guardStatements(db)) {
        if (!query.exec(sql)) {
            const QString message = describe(query.lastError());
            query.finish();
            engine.rollback(db);
            throw AppError(message);
        }
    }
    if (!engine.commit(db, error)) {
        engine.rollback(db);
        throw AppError(describe(error));
    }
    return true;
}

void prepareConnection(QSqlDatabase db)
{
    const EngineGuard &d = guardOf(db);
    d.prepare(db);
    addedOnOpen = false;
    try {
        if (hasSchema(db))
            addedOnOpen = installGuard(db);
    } catch (const AppError &) {
        // The login may not add tables: it works on as before, and
        // 'jeonpyo-db init' by somebody who may completes the guard.
    }
}

bool guardAddedOnOpen()
{
    return addedOnOpen;
}

void signWrites(QSqlDatabase db)
{
    guardOf(db).signWrites(db);
}

void endWrites(QSqlDatabase db)
{
    guardOf(db).endWrites(db);
}

std::optional<QString> refusal(QSqlDatabase db, const QSqlError &error)
{
    return guardOf(db).refusal(db, error);
}

QString lockedMessage(const QString &lockDate)
{
    return QStringLiteral("%1까지는 마감되어 그 날짜의 전표를 등록, 수정, 삭제할 수 없습니다 (마감일 %1).\n"
                          "입력한 내용은 화면에 그대로 남아 있습니다. 데이타베이스는 바뀌지 않았습니다.")
        .arg(lockDate);
}

} // namespace store::ledger
