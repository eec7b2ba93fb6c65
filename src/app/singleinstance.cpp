#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {
constexpr char raiseRequest[] = "raise\n";
}

// The key goes in as a short digest: it may be long, and a socket's path is not.
QString SingleInstance::nameFor(const QString &programName, const QString &key)
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = QDir::home().dirName();
    const QByteArray digest = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return programName + QLatin1Char('-') + user + QLatin1Char('-') + QString::fromLatin1(digest);
}

SingleInstance::SingleInstance(const QString &programName, const QString &key, QObject *parent)
    : QObject(parent), m_name(nameFor(programName, key))
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    m_lock = std::make_unique<QLockFile>(folder + QLatin1Char('/') + m_name + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        m_first = true;
        QLocalServer::removeServer(m_name); // a socket left by a copy that died
        m_server = std::make_unique<QLocalServer>();
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        m_server->listen(m_name);
        connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket *socket = m_server->nextPendingConnection()) {
                connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
                if (socket->bytesAvailable() > 0) // the request may have come with the connection
                    serve(socket);
            }
        });
        return;
    }
    // Held by a live copy; a lock that cannot be created at all leaves us first.
    m_first = m_lock->error() != QLockFile::LockFailedError;
}

SingleInstance::~SingleInstance() = default;

void SingleInstance::serve(QLocalSocket *socket)
{
    if (!socket->canReadLine())
        return;
    if (socket->readLine().startsWith("raise") && m_raise)
        m_raise();
    socket->disconnectFromServer();
}

bool SingleInstance::handOver()
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(2000))
        return false;
    socket.write(raiseRequest);
    socket.waitForBytesWritten(2000);
    socket.waitForDisconnected(2000);
    return true;
}

void SingleInstance::onHandOver(std::function<void()> raise)
{
    m_raise = std::move(raise);
}

void SingleInstance::stopListening()
{
    m_raise = nullptr;
    if (m_server)
        m_server->close();
    if (m_lock)
        m_lock->unlock();
}
