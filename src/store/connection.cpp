#include "store/connection.h"

#include "store/dialect.h"

#include "base/error.h"
#include "store/ledgerguard.h"
#include "store/sqlrun.h"
#include "store/voucherbook.h"
#include "store/vouchers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>
#include <QtEndian>
#include <chrono>
#include <optional>
#include <thread>

#include <sys/stat.h>

namespace store {

namespace {

LoginPrompt loginPrompt;
bool haveTarget = false;
Target current;
// The Account connection has been open: a reopen then is a reconnect.
bool accountWasOpen = false;
// The SQLite file the Account connection has open, as device and inode: a file
// put in its place (a restored copy) is told from the one that was opened.
struct FileIdentity
{
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity &) const = default;
};
FileIdentity openedFile;
// The Account connection being made ahead, and whether it was.
std::jthread ahead;
bool triedAhead = false;

// The Account connection as Qt's list of connections has it, from the first
// statement until closeAccount() or the end of the application object: a
// program that ends without closeAccount() then has it closed by Qt at its
// exit as before (SQLite's log folded back into the file).
QSqlDatabase *accountConnection = nullptr;

void dropAccountConnection()
{
    delete accountConnection;
    accountConnection = nullptr;
}

// When the file was last found to be the one opened.
std::chrono::steady_clock::time_point fileLookedAt;
int statementTimeoutMs = 0;
bool typedInputKept = true;

std::optional<FileIdentity> identityOf(const QString &file)
{
    struct stat info;
    if (::stat(QFile::encodeName(file).constData(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

bool wantsPassword(const QSqlError &error)
{
    const QString text = error.text();
    return text.contains(QLatin1String("no password supplied")) ||
           text.contains(QLatin1String("password authentication failed"));
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

QString notOursText(const QString &file)
{
    return QStringLiteral("파일 '%1'은(는) 전표 데이타베이스가 아니거나 손상되었습니다. 이 파일은 바꾸지 않았습니다.\n"
                          "ACCOUNT_DB가 맞는 파일을 가리키는지 확인하거나, 백업한 데이타베이스를 되살리세요.")
        .arg(file);
}

// A file that does not begin as an SQLite file, or is shorter than its header
// says (cut off by a copy or a full disk): opening it would only fail later,
// or change a file that is not the program's.
bool headerProblem(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false; // left to the open, which names the reason
    const QByteArray header = f.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArray("SQLite format 3\0", 16)))
        return true;
    const auto *bytes = reinterpret_cast<const uchar *>(header.constData());
    const quint32 rawPageSize = qFromBigEndian<quint16>(bytes + 16);
    const quint32 pageSize = rawPageSize == 1 ? 65536 : rawPageSize;
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0)
        return true;
    // The pages the header counts must be in the file, unless a journal beside
    // it still holds them (a checkpoint or a rollback the engine will finish).
    const quint32 pages = qFromBigEndian<quint32>(bytes + 28);
    const bool pagesValid = qFromBigEndian<quint32>(bytes + 24) == qFromBigEndian<quint32>(bytes + 92);
    const bool journal =
        QFileInfo(file + QStringLiteral("-wal")).size() > 0 || QFileInfo(file + QStringLiteral("-journal")).size() > 0;
    return pagesValid && pages > 0 && !journal && f.size() < qint64(pages) * pageSize;
}

void refuseForeignFile(const QString &file)
{
    if (QFileInfo(file).size() > 0 && headerProblem(file))
        throw AppError(notOursText(file));
}

// The options given in the URI, with a connect timeout and keepalives unless
// they name their own: a silent listener or a vanished server is given up on
// instead of holding the window.
QString connectOptions(const QString &given)
{
    QStringList options;
    if (!given.isEmpty())
        options << given.split(QLatin1Char(';'));
    const auto named = [&options](const char *key) {
        for (const QString &option : std::as_const(options))
            if (option.section(QLatin1Char('='), 0, 0).trimmed().compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    if (!named("connect_timeout"))
        options << QStringLiteral("connect_timeout=5");
    if (!named("keepalives_idle"))
        options << QStringLiteral("keepalives_idle=30");
    if (!named("keepalives_interval"))
        options << QStringLiteral("keepalives_interval=10");
    if (!named("keepalives_count"))
        options << QStringLiteral("keepalives_count=3");
    return options.join(QLatin1Char(';'));
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
    db.setConnectOptions(connectOptions(target.options));
}

// Settings of the connection only; the file itself is switched to the
// program's journal (WAL) only while it is empty or holds the program's
// tables, so that a file of somebody else's is left as it was.
void applySessionSettings(QSqlDatabase &db, const Target &target)
{
    Dialect::of(db).configureWaits(db);
    if (target.engine == Engine::SQLite) {
        db.exec(QStringLiteral("PRAGMA synchronous=FULL"));
        db.exec(QStringLiteral("PRAGMA foreign_keys=ON"));
        // A save's statement keeps what it may have to undo in memory, not
        // in a file made and removed under the write lock each time.
        db.exec(QStringLiteral("PRAGMA temp_store=MEMORY"));
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT count(*), sum(lower(name) = 'account_jen_aa') FROM sqlite_master")) ||
            !probe.next()) {
            db.close();
            throw AppError(notOursText(target.file));
        }
        // Ours: it holds the program's tables, or nothing at all yet (a new file).
        const bool ours = probe.value(0).toInt() == 0 || probe.value(1).toInt() > 0;
        probe.finish();
        if (ours)
            db.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        return;
    }
    if (statementTimeoutMs > 0) {
        // A statement held up by a lock or a stalled server is given up with
        // a message instead of freezing the window.
        db.exec(QStringLiteral("SET statement_timeout = %1").arg(statementTimeoutMs));
        db.exec(QStringLiteral("SET lock_timeout = %1").arg(statementTimeoutMs));
    }
}

// Any password in a text: the one given, and the part of a URI or an option
// that holds one. Replaced by asterisks.
QString masked(QString text, const QString &password)
{
    if (!password.isEmpty())
        text.replace(password, QStringLiteral("****"));
    static const QRegularExpression inUri(QStringLiteral("([A-Za-z][A-Za-z0-9+.-]*:/*[^/@\\s:]*:)[^@\\s]*@"));
    static const QRegularExpression inOption(QStringLiteral("(password\\s*=\\s*)[^;&\\s]*"),
                                             QRegularExpression::CaseInsensitiveOption);
    text.replace(inUri, QStringLiteral("\\1****@"));
    text.replace(inOption, QStringLiteral("\\1****"));
    return text;
}

QString unreachableText(const Target &target, const QString &detail, Unreachable why = Unreachable::Lost)
{
    QString heading;
    switch (why) {
    case Unreachable::Lost:
        heading = QStringLiteral("데이타베이스 '%1'에 연결할 수 없습니다.");
        break;
    case Unreachable::Full:
        heading = QStringLiteral("디스크가 가득 차서 데이타베이스 '%1'에 쓸 수 없습니다.");
        break;
    case Unreachable::ReadOnly:
        heading = QStringLiteral("데이타베이스 '%1'은(는) 읽기 전용이라 쓸 수 없습니다.");
        break;
    case Unreachable::InputOutput:
        heading = QStringLiteral("데이타베이스 '%1'을(를) 읽거나 쓸 수 없습니다 (디스크나 파일의 입출력 오류).");
        break;
    case Unreachable::TimedOut:
        heading = QStringLiteral("데이타베이스 '%1'이(가) 제 시간에 답하지 않아 명령을 멈췄습니다.");
        break;
    }
    const QString next = why == Unreachable::Full ? QStringLiteral("디스크에 자리를 만든 뒤 같은 명령을 다시 하세요.")
                         : why == Unreachable::ReadOnly
                             ? QStringLiteral("파일에 쓸 수 있게 된 뒤 같은 명령을 다시 하세요.")
                             : QStringLiteral("데이타베이스가 다시 준비되면 같은 명령을 다시 하세요.");
    QString text = heading.arg(target.displayName()) + QLatin1Char('\n');
    if (typedInputKept)
        text += QStringLiteral("입력한 내용은 화면에 그대로 남아 있습니다. ");
    text += next + QStringLiteral("\n\n") + masked(detail.trimmed(), target.password);
    return text;
}

QString unreachable(const Target &target, const QSqlError &error)
{
    return unreachableText(target, error.text());
}

// Opens `db` for `target`, asking for a login when the server wants one; the
// login given is written back into `target`. An attempt already made (ahead)
// is not made again: its refusal is answered as that of the first attempt.
void openWithLogin(QSqlDatabase &db, Target &target, std::optional<QSqlError> failedAhead = std::nullopt)
{
    const bool sqlite = target.engine == Engine::SQLite;
    for (;;) {
        if (!failedAhead) {
            configure(db, target);
            if (db.open())
                return;
        }
        const QSqlError error = failedAhead.value_or(db.lastError());
        failedAhead.reset();
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
    // Mostly one look in Qt's list of connections: an unknown name gives an
    // invalid connection, and so does a known one whose driver is missing.
    QSqlDatabase db = QSqlDatabase::database(name, false);
    if (db.isValid() || QSqlDatabase::contains(name))
        return db;
    return QSqlDatabase::addDatabase(engine == Engine::SQLite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"),
                                     name);
}

QSqlDatabase keptAccountConnection(Engine engine)
{
    if (!accountConnection) {
        static const bool dropAtEnd = (qAddPostRoutine(dropAccountConnection), true);
        Q_UNUSED(dropAtEnd);
        accountConnection = new QSqlDatabase(connection(QString::fromLatin1(connectionName), engine));
    }
    return *accountConnection;
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
    if (!problem.isEmpty())
        return masked(typed, QString());
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

Target parseTarget(const QString &typed)
{
    Target target;
    // Blanks around the setting are a slip of the hand, not part of a name.
    const QString text = typed.trimmed();
    target.typed = text;
    const auto refuse = [&target](const QString &why) {
        target.problem = QStringLiteral("ACCOUNT_DB 설정 '%1'을(를) 쓸 수 없습니다: %2\n"
                                        "PostgreSQL 서버는 postgresql://사용자@호스트:포트/이름으로, SQLite 파일은 "
                                        "경로나 sqlite:경로로 쓰세요.")
                             .arg(masked(target.typed, QString()), why);
        return target;
    };
    // A scheme is read whatever its case; anything that looks like a URI but is
    // not a well-formed one of ours is refused, never taken as a file name.
    static const QRegularExpression schemePattern(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):(.*)$"),
                                                  QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch scheme = schemePattern.match(text);
    const QString schemeName = scheme.hasMatch() ? scheme.captured(1).toLower() : QString();
    const QString rest = scheme.captured(2);
    if (schemeName == QLatin1String("postgresql") || schemeName == QLatin1String("postgres")) {
        if (!rest.startsWith(QLatin1String("//")))
            return refuse(QStringLiteral("'%1:' 뒤에는 //가 와야 합니다.").arg(scheme.captured(1)));
        const QUrl url(QStringLiteral("postgresql:") + rest, QUrl::StrictMode);
        if (!url.isValid() || (url.host().isEmpty() && !rest.contains(QLatin1String("host="))))
            return refuse(QStringLiteral("URI의 형식이 맞지 않습니다."));
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
    QString file = text;
    if (schemeName == QLatin1String("sqlite"))
        file = rest.trimmed();
    else if (scheme.hasMatch() && schemeName.size() > 1 && rest.startsWith(QLatin1String("//")))
        return refuse(QStringLiteral("'%1:'은(는) 알 수 없는 종류입니다.").arg(scheme.captured(1)));
    if (file == QLatin1String("~"))
        file = QDir::homePath();
    else if (file.startsWith(QLatin1String("~/")))
        file = QDir::homePath() + file.mid(1);
    if (file.isEmpty())
        return refuse(QStringLiteral("SQLite 파일 이름이 없습니다."));
    if (file == QLatin1String(":memory:"))
        return refuse(QStringLiteral("메모리 안의 데이타베이스는 프로그램이 끝나면 사라지므로 쓸 수 없습니다."));
    target.file = file;
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
    if (!target.problem.isEmpty())
        throw AppError(target.problem);
    QSqlDatabase db = connection(name, target.engine);
    if (db.isOpen())
        return db;
    if (target.engine == Engine::SQLite) {
        refuseForeignFile(target.file);
        prepareSqliteFile(target.file);
    }
    Target attempt = target;
    openWithLogin(db, attempt);
    applySessionSettings(db, target);
    return db;
}

namespace {

// A read may take the file as looked at this long ago.
constexpr auto readLookAge = std::chrono::milliseconds(100);

enum class Look { Always, ForRead };

QSqlDatabase openAccount(Look look)
{
    resolveOnce();
    if (!current.problem.isEmpty())
        throw AppError(current.problem);
    // Asked for before every statement: found in Qt's list of connections
    // once, and kept until closeAccount() removes it.
    QSqlDatabase db = keptAccountConnection(current.engine);
    // Made ahead: it is set up here as if just opened, or its refusal
    // answered; one let go of without an error (the server did not answer in
    // time) is made again.
    std::optional<QSqlError> failedAhead;
    bool openedAhead = false;
    if (triedAhead) {
        ahead.join();
        triedAhead = false;
        openedAhead = db.isOpen();
        if (!openedAhead && db.lastError().isValid())
            failedAhead = db.lastError();
    }
    if (db.isOpen() && current.engine == Engine::SQLite &&
        (look == Look::Always || std::chrono::steady_clock::now() - fileLookedAt > readLookAge)) {
        // An open file that was deleted or moved away would take later saves
        // into a copy nobody can find again: let go of it and say so. A file
        // put in its place (a copy restored over it) is the one the books are
        // now in: the connection is opened again on it.
        const std::optional<FileIdentity> now = identityOf(current.file);
        if (!now) {
            closeLostConnection(db);
            throw AppError(unreachableText(current, QStringLiteral("파일이 없습니다: %1").arg(current.file)));
        }
        if (*now != openedFile)
            closeLostConnection(db);
        else
            fileLookedAt = std::chrono::steady_clock::now();
    }
    if (db.isOpen() && !openedAhead)
        return db;
    if (current.engine == Engine::SQLite) {
        // A file that went missing while the program ran is not made anew
        // (empty) behind the clerk's back: the books are elsewhere.
        if (accountWasOpen && !QFileInfo::exists(current.file))
            throw AppError(unreachableText(current, QStringLiteral("파일이 없습니다: %1").arg(current.file)));
        refuseForeignFile(current.file);
        prepareSqliteFile(current.file);
    }
    // The login given is kept in memory only, for a reconnect without asking.
    Target attempt = current;
    if (!openedAhead)
        openWithLogin(db, attempt, failedAhead);
    current = attempt;
    applySessionSettings(db, current);
    if (current.engine == Engine::SQLite) {
        openedFile = identityOf(current.file).value_or(FileIdentity{});
        fileLookedAt = std::chrono::steady_clock::now();
    }
    ledger::prepareConnection(db);
    prepareVoucherLinks(db);
    accountWasOpen = true;
    return db;
}

} // namespace

QSqlDatabase account()
{
    return openAccount(Look::Always);
}

QSqlDatabase accountToRead()
{
    return openAccount(Look::ForRead);
}

void openAccountAhead()
{
    resolveOnce();
    if (!current.problem.isEmpty() || current.engine == Engine::SQLite || triedAhead)
        return;
    QSqlDatabase db = keptAccountConnection(current.engine);
    if (db.isOpen())
        return;
    configure(db, current);
    // The driver's open touches nothing but its own connection; nothing else
    // uses the connection before account() has waited for it. Once open, the
    // server plans the window's first read meanwhile: a new server process
    // reads the catalogue it needs from disk, which took it 5 ms of the start.
    // A server that does not answer that in time is let go of, and the
    // connection is made again as if nothing had been tried ahead.
    ahead = std::jthread([db, listing = firstScreenListing()]() mutable {
        if (db.open() && !Dialect::of(db).planAhead(db, listing, 3))
            db.close();
    });
    triedAhead = true;
}

SqliteFileState sqliteFileState(const QString &file)
{
    QFile f(file);
    if (!f.exists())
        return SqliteFileState::Missing;
    if (f.size() == 0)
        return SqliteFileState::Empty;
    if (headerProblem(file))
        return SqliteFileState::Damaged;
    // Read without changing anything: no journal is switched, nothing created.
    const QString name = QStringLiteral("Account-inspect");
    SqliteFileState state = SqliteFileState::Damaged;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=10000"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("SELECT lower(name) FROM sqlite_master WHERE type = 'table'"))) {
                bool ours = false, others = false;
                while (query.next()) {
                    const QString table = query.value(0).toString();
                    ours = ours || table == QLatin1String("account_jen_aa");
                    others = others || !table.startsWith(QLatin1String("sqlite_"));
                }
                state = ours ? SqliteFileState::Ours : others ? SqliteFileState::Foreign : SqliteFileState::Empty;
            }
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return state;
}

QString notOursMessage(const QString &file)
{
    return notOursText(file);
}

void setStatementTimeout(int milliseconds)
{
    statementTimeoutMs = milliseconds;
}

int statementTimeout()
{
    return statementTimeoutMs;
}

void setTypedInputKept(bool kept)
{
    typedInputKept = kept;
}

QString typedInputNote()
{
    return typedInputKept ? QStringLiteral("입력한 내용은 화면에 그대로 남아 있습니다. ") : QString();
}

QString maskPassword(const QString &text)
{
    return masked(text, haveTarget ? current.password : QString());
}

Engine engine()
{
    resolveOnce();
    return current.engine;
}

void closeAccount()
{
    if (triedAhead) {
        ahead.join();
        triedAhead = false;
    }
    dropAccountConnection();
    const QString name = QString::fromLatin1(connectionName);
    if (QSqlDatabase::contains(name)) {
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            forgetKeptStatements(db);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    } else {
        forgetKeptStatements(QSqlDatabase());
    }
    haveTarget = false;
    accountWasOpen = false;
}

void closeLostConnection(QSqlDatabase db)
{
    // Closing finalises the statements still open on it; the next account()
    // (or openExtra) finds it closed and opens it again.
    if (db.connectionName() == QLatin1String(connectionName))
        forgetKeptStatements(db);
    db.close();
}

QString unreachableMessage(const QString &detail, Unreachable why)
{
    resolveOnce();
    return unreachableText(current, detail, why);
}

} // namespace store
