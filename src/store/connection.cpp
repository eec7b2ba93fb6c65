#include "store/connection.h"

#include "entry/error.h"

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

QString unreachable(const Target &target, const QSqlError &error)
{
    return QStringLiteral("데이타베이스 '%1'에 연결할 수 없습니다.\n%2")
        .arg(target.displayName(), error.text().trimmed());
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
    const bool sqlite = target.engine == Engine::SQLite;
    QSqlDatabase db = QSqlDatabase::contains(name)
        ? QSqlDatabase::database(name, false)
        : QSqlDatabase::addDatabase(sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), name);
    if (db.isOpen())
        return db;
    if (sqlite)
        prepareSqliteFile(target.file);
    Target attempt = target;
    for (;;) {
        configure(db, attempt);
        if (db.open())
            break;
        const QSqlError error = db.lastError();
        if (sqlite || !wantsPassword(error) || !loginPrompt)
            throw AppError(unreachable(attempt, error));
        const QString problem = attempt.password.isEmpty()
            ? QStringLiteral("암호를 입력하세요.")
            : QStringLiteral("로그인 이름 또는 암호가 틀렸습니다. 다시 입력하세요.");
        if (!loginPrompt(attempt.user, attempt.password, problem))
            throw AppError(unreachable(attempt, error));
    }
    applySessionSettings(db, target.engine);
    return db;
}

QSqlDatabase account()
{
    if (!haveTarget) {
        current = resolveTarget();
        haveTarget = true;
    }
    return openExtra(QString::fromLatin1(connectionName), current);
}

Engine engine()
{
    if (!haveTarget) {
        current = resolveTarget();
        haveTarget = true;
    }
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
}

} // namespace store
