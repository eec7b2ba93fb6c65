#include "support/pgserver.h"

#include "base/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QSqlQuery>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString binFolder = QStringLiteral("/usr/lib/postgresql/15/bin");
const QString runuser = QStringLiteral("/usr/sbin/runuser");

bool asRoot()
{
    return geteuid() == 0;
}

// A port nobody listens on now: the system picks one for a socket bound to
// port 0. Another program may take it before the server does; start() retries.
int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

QString randomPassword()
{
    const QString letters = QStringLiteral("abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789");
    QString password;
    for (int i = 0; i < 16; ++i)
        password += letters.at(QRandomGenerator::global()->bounded(letters.size()));
    return password;
}

void giveToPostgres(const QString &path)
{
    if (!asRoot())
        return;
    const passwd *user = ::getpwnam("postgres");
    if (!user || ::chown(QFile::encodeName(path).constData(), user->pw_uid, user->pw_gid) != 0)
        throw AppError(QStringLiteral("could not give %1 to the postgres user").arg(path));
}

} // namespace

bool PgServer::available(QString *why)
{
    QString missing;
    for (const char *tool : {"initdb", "pg_ctl", "postgres", "createdb", "dropdb"})
        if (!QFileInfo(binFolder + QLatin1Char('/') + QLatin1String(tool)).isExecutable())
            missing = QStringLiteral("%1/%2 is not installed").arg(binFolder, QLatin1String(tool));
    if (missing.isEmpty() && asRoot() && !QFileInfo(runuser).isExecutable())
        missing = QStringLiteral("%1 is needed to run the server as postgres").arg(runuser);
    if (missing.isEmpty() && asRoot() && !::getpwnam("postgres"))
        missing = QStringLiteral("there is no postgres user to run the server as");
    if (why)
        *why = missing;
    return missing.isEmpty();
}

PgServer::PgServer(Login login) : m_login(login)
{
    if (login == Login::Password)
        m_password = randomPassword();
}

PgServer::~PgServer()
{
    stop();
}

int PgServer::runTool(const QString &tool, const QStringList &arguments, QString *output) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    if (!m_password.isEmpty())
        environment.insert(QStringLiteral("PGPASSWORD"), m_password);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(m_folder ? m_folder->path() : QDir::tempPath());
    const QString program = binFolder + QLatin1Char('/') + tool;
    if (asRoot())
        process.start(runuser,
                      QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), program} +
                          arguments);
    else
        process.start(program, arguments);
    const bool finished = process.waitForFinished(120000);
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    if (!finished) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void PgServer::prepareFolder()
{
    // The server runs as postgres when we are root, so its folder must be
    // reachable by that user: the shared temporary folder always is.
    QString base = asRoot() ? QDir::tempPath() : qEnvironmentVariable("JEONPYO_TEST_TMP", QDir::tempPath());
    QDir().mkpath(base);
    m_folder = std::make_unique<QTemporaryDir>(base + QStringLiteral("/pgserver-XXXXXX"));
    if (!m_folder->isValid())
        throw AppError(QStringLiteral("could not make a folder for the test server under %1").arg(base));
    giveToPostgres(m_folder->path());

    // The C order for every listing, and a character type that counts Hangul
    // as letters, so that the server makes trigrams of Hangul names.
    QStringList arguments = {QStringLiteral("-D"),         m_folder->path() + QStringLiteral("/data"),
                             QStringLiteral("-U"),         user(),
                             QStringLiteral("-E"),         QStringLiteral("UTF8"),
                             QStringLiteral("--locale=C"), QStringLiteral("--lc-ctype=C.UTF-8"),
                             QStringLiteral("--no-sync")};
    if (m_login == Login::Trust) {
        arguments << QStringLiteral("-A") << QStringLiteral("trust");
    } else {
        const QString passwordFile = m_folder->path() + QStringLiteral("/password");
        QFile file(passwordFile);
        if (!file.open(QIODevice::WriteOnly) || file.write(m_password.toLatin1() + '\n') < 0)
            throw AppError(QStringLiteral("could not write %1").arg(passwordFile));
        file.close();
        giveToPostgres(passwordFile);
        arguments << QStringLiteral("--auth-local=trust") << QStringLiteral("--auth-host=scram-sha-256")
                  << QStringLiteral("--pwfile=") + passwordFile;
    }
    QString output;
    if (runTool(QStringLiteral("initdb"), arguments, &output) != 0)
        throw AppError(QStringLiteral("initdb failed:\n%1").arg(output));
}

bool PgServer::startOnce(QString *problem)
{
    m_port = freePort();
    // Only TCP on the loopback address: no socket file, whose path could be too
    // long inside a build folder. Durability is of no use to a throwaway server.
    QFile conf(m_folder->path() + QStringLiteral("/data/postgresql.conf"));
    if (!conf.open(QIODevice::Append))
        throw AppError(QStringLiteral("could not write %1").arg(conf.fileName()));
    conf.write(QStringLiteral("\nport = %1\nlisten_addresses = '127.0.0.1'\nunix_socket_directories = ''\n"
                              "fsync = off\nsynchronous_commit = off\nfull_page_writes = off\n")
                   .arg(m_port)
                   .toLatin1());
    conf.close();
    const QStringList arguments = {QStringLiteral("-D"), m_folder->path() + QStringLiteral("/data"),
                                   QStringLiteral("-l"), m_folder->path() + QStringLiteral("/server.log"),
                                   QStringLiteral("-w"), QStringLiteral("-t"),
                                   QStringLiteral("60"), QStringLiteral("start")};
    QString output;
    if (runTool(QStringLiteral("pg_ctl"), arguments, &output) == 0)
        return true;
    *problem = output + log();
    return false;
}

void PgServer::start()
{
    if (m_running)
        return;
    QString why;
    if (!available(&why))
        throw AppError(why);
    prepareFolder();
    QString problem;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (startOnce(&problem)) {
            m_running = true;
            return;
        }
    }
    throw AppError(QStringLiteral("the test server did not start:\n%1").arg(problem));
}

void PgServer::stop()
{
    if (!m_running)
        return;
    m_running = false;
    runTool(QStringLiteral("pg_ctl"),
            {QStringLiteral("-D"), m_folder->path() + QStringLiteral("/data"), QStringLiteral("-m"),
             QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")});
    m_folder.reset();
}

void PgServer::pause()
{
    if (!m_running)
        return;
    QString output;
    if (runTool(QStringLiteral("pg_ctl"),
                {QStringLiteral("-D"), m_folder->path() + QStringLiteral("/data"), QStringLiteral("-m"),
                 QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")},
                &output) != 0)
        throw AppError(QStringLiteral("the test server did not stop:\n%1").arg(output));
    m_running = false;
}

void PgServer::resume()
{
    if (m_running || !m_folder)
        return;
    QString output;
    if (runTool(QStringLiteral("pg_ctl"),
                {QStringLiteral("-D"), m_folder->path() + QStringLiteral("/data"), QStringLiteral("-l"),
                 m_folder->path() + QStringLiteral("/server.log"), QStringLiteral("-w"), QStringLiteral("-t"),
                 QStringLiteral("60"), QStringLiteral("start")},
                &output) != 0)
        throw AppError(
            QStringLiteral("the test server did not start again on port %1:\n%2").arg(m_port).arg(output + log()));
    m_running = true;
}

void PgServer::createDatabase(const QString &name)
{
    QString output;
    if (runTool(QStringLiteral("createdb"),
                {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(m_port),
                 QStringLiteral("-U"), user(), name},
                &output) != 0)
        throw AppError(QStringLiteral("createdb %1 failed:\n%2").arg(name, output));
}

void PgServer::dropDatabase(const QString &name)
{
    QString output;
    if (runTool(QStringLiteral("dropdb"),
                {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(m_port),
                 QStringLiteral("-U"), user(), QStringLiteral("--if-exists"), name},
                &output) != 0)
        throw AppError(QStringLiteral("dropdb %1 failed:\n%2").arg(name, output));
}

QString PgServer::uri(const QString &database, bool withPassword) const
{
    const QString login = withPassword && !m_password.isEmpty() ? user() + QLatin1Char(':') + m_password : user();
    return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3").arg(login).arg(m_port).arg(database);
}

store::Target PgServer::target(const QString &database, bool withPassword) const
{
    return store::parseTarget(uri(database, withPassword));
}

QString PgServer::log() const
{
    if (!m_folder)
        return {};
    QFile file(m_folder->path() + QStringLiteral("/server.log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

ServerProcesses serverProcessesOf(QSqlDatabase db)
{
    ServerProcesses processes;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT pg_backend_pid()")) || !query.next())
        return processes;
    processes.backend = pid_t(query.value(0).toInt());
    query.finish();
    QFile status(QStringLiteral("/proc/%1/status").arg(processes.backend));
    if (status.open(QIODevice::ReadOnly))
        processes.postmaster = pid_t(QString::fromLatin1(status.readAll())
                                         .section(QStringLiteral("PPid:"), 1)
                                         .section(QLatin1Char('\n'), 0, 0)
                                         .trimmed()
                                         .toInt());
    return processes;
}
