#include "store/connection.h"

#include "entry/error.h"
#include "store/ledgerguard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

namespace store {

namespace {

LoginPrompt loginPrompt;
bool haveTarget = false;
Target current;
// The Account connection has been open: a reopen then is a reconnect.
bool accountWasOpen = false;

bool wantsPassword(const QSqlError &error)
{
    const QString text = error.text();
    return text.contains(QLatin1String("no password supplied"))
        || text.contains(QLatin1String("password authentication failed"));
}

// A new SQLite file is made readable and writable by its owner only.
void prepareSqliteFile(const QString &file)
{
    if (file == QLatin1String(":memory:") || QFileInfo::exists(file))
        return;
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    if (f.open(QIODevice::WriteOnly))
        f.close();
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void configure(QSqlDatabase &db, const Target &target)
{
    if (target.engine == Engine::SQLite) {
        db.setDatabaseName(target.file);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        return;
    }
    if (!target.host.isEmpty())
        db.setHostName(target.host);
    if (target.port > 0)
        db.setPort(target.port);
    if (!target.database.isEmpty())
        db.setDatabaseName(target.database);
    if (!target.user.isEmpty())
        db.setUserName(target.user);
    if (!target.password.isEmpty())
        db.setPassword(target.password);
    db.setConnectOptions(target.options.isEmpty() ? QStringLiteral("connect_timeout=5") : target.options);
}

void applySessionSettings(QSqlDatabase &db, Engine engine)
{
    if (engine == Engine::SQLite) {
        db.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        db.exec(QStringLiteral("PRAGMA synchronous=FULL"));
        db.exec(QStringLiteral("PRAGMA foreign_keys=ON"));
    }
}

QString unreachableText(const Target &target, const QString &detail)
{
    return QStringLiteral("데이타베이스 '%1'에 연결할 수 없습니다.\n"
                          "입력한 내용은 화면에 그대로 남아 있습니다. "
                          "데이타베이스가 다시 준비되면 같은 명령을 다시 하세요.\n\n%2")
        .arg(target.displayName(), detail.trimmed());
}

QString unreachable(const Target &target, const QSqlError &error)
{
    return unreachableText(target, error.text());
}

// Opens `db` for `target`, asking for a login when the server wants one; the
// login given is written back into `target`.
void openWithLogin(QSqlDatabase &db, Target &target)
{
    const bool sqlite = target.engine == Engine::SQLite;
    for (;;) {
        configure(db, target);
        if (db.open())
            return;
        const QSqlError error = db.lastError();
        if (sqlite || !wantsPassword(error) || !loginPrompt)
            throw AppError(unreachable(target, error));
        const QString problem = target.password.isEmpty()
            ? QStringLiteral("암호를 입력하세요.")
            : QStringLiteral("로그인 이름 또는 암호가 틀렸습니다. 다시 입력하세요.");
        if (!loginPrompt(target.user, target.password, problem))
            throw AppError(unreachable(target, error));
    }
}

QSqlDatabase connection(const QString &name, Engine engine)
{
    return QSqlDatabase::contains(name)
        ? QSqlDatabase::database(name, false)
        : QSqlDatabase::addDatabase(engine == Engine::SQLite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"),
                                    name);
}

void resolveOnce()
{
    if (!haveTarget) {
        current = resolveTarget();
        haveTarget = true;
    }
}

} // namespace

QString Target::displayName() const
{
    if (engine == Engine::SQLite)
        return file;
    QString name = user.isEmpty() ? QString() : user + QLatin1Char('@');
    name += host.isEmpty() ? QStringLiteral("localhost") : host;
    if (port > 0)
        name += QLatin1Char(':') + QString::number(port);
    return name + QLatin1Char('/') + database;
}

QString defaultDatabaseFile()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty())
        folder = QDir::homePath() + QStringLiteral("/.local/share/jeonpyo");
    return folder + QStringLiteral("/account.db");
}

Target parseTarget(const QString &text)
{
    Target target;
    if (text.startsWith(QLatin1String("postgresql://")) || text.startsWith(QLatin1String("postgres://"))) {
        const QUrl url(text);
        target.engine = Engine::PostgreSQL;
        target.host = url.host();
        target.port = url.port(-1);
        target.database = url.path().mid(1);
        target.user = url.userName();
        target.password = url.password();
        const QUrlQuery query(url);
        QStringList options;
        for (const auto &[key, value] : query.queryItems(QUrl::FullyDecoded)) {
            if (key == QLatin1String("host"))
                target.host = value; // a socket folder
            else
                options << key + QLatin1Char('=') + value;
        }
        target.options = options.join(QLatin1Char(';'));
        return target;
    }
    target.engine = Engine::SQLite;
    target.file = text.startsWith(QLatin1String("sqlite:")) ? text.mid(7) : text;
    return target;
}

Target resolveTarget()
{
    const QString setting = qEnvironmentVariable("ACCOUNT_DB");
    if (setting.isEmpty()) {
        Target target;
        target.file = defaultDatabaseFile();
        return target;
    }
    return parseTarget(setting);
}

void setLoginPrompt(LoginPrompt prompt)
{
    loginPrompt = std::move(prompt);
}

QSqlDatabase openExtra(const QString &name, const Target &target)
{
    QSqlDatabase db = connection(name, target.engine);
    if (db.isOpen())
        return db;
    if (target.engine == Engine::SQLite)
        prepareSqliteFile(target.file);
    Target attempt = target;
    openWithLogin(db, attempt);
    applySessionSettings(db, target.engine);
    return db;
}

QSqlDatabase account()
{
    resolveOnce();
    const QString name = QString::fromLatin1(connectionName);
    QSqlDatabase db = connection(name, current.engine);
    if (db.isOpen()) {
        // An open file that was deleted or moved away would take later saves
        // into a copy nobody can find again: let go of it and say so.
        if (current.engine == Engine::SQLite && current.file != QLatin1String(":memory:")
            && !QFileInfo::exists(current.file)) {
            closeLostConnection(db);
            throw AppError(unreachableText(current, QStringLiteral("파일이 없습니다: %1").arg(current.file)));
        }
        return db;
    }
    if (current.engine == Engine::SQLite) {
        // A file that went missing while the program ran is not made anew
        // (empty) behind the clerk's back: the books are elsewhere.
        if (accountWasOpen && !QFileInfo::exists(current.file))
            throw AppError(unreachableText(current, QStringLiteral("파일이 없습니다: %1").arg(current.file)));
        prepareSqliteFile(current.file);
    }
    // The login given is kept in memory only, for a reconnect without asking.
    Target attempt = current;
    openWithLogin(db, attempt);
    current = attempt;
    applySessionSettings(db, current.engine);
    ledger::prepareConnection(db);
    accountWasOpen = true;
    return db;
}

Engine engine()
{
    resolveOnce();
    return current.engine;
}

void closeAccount()
{
    const QString name = QString::fromLatin1(connectionName);
    if (QSqlDatabase::contains(name)) {
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    haveTarget = false;
    accountWasOpen = false;
}

void closeLostConnection(QSqlDatabase db)
{
    // Closing finalises the statements still open on it; the next account()
    // (or openExtra) finds it closed and opens it again.
    db.close();
}

QString unreachableMessage(const QString &detail)
{
    resolveOnce();
    return unreachableText(current, detail);
}

} // namespace store
