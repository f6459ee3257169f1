#include "app/SingleInstance.h"

#include <unistd.h>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace {

const QByteArray kRaiseRequest = QByteArrayLiteral("raise\n");
constexpr int kConnectTimeoutMs = 1000;
constexpr int kLockTimeoutMs = 5000;

}  // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent), m_key(key) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultKey() {
    const QString overridden = qEnvironmentVariable("QUARIX_INSTANCE_KEY");
    if (!overridden.isEmpty()) return overridden;
    return QStringLiteral("quarix-%1").arg(::getuid());
}

bool SingleInstance::askRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(m_key);
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    socket.write(kRaiseRequest);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::claim() {
    // Held only while deciding: a crash here leaves a lock of a dead process, which is stale.
    QLockFile lock(QDir::temp().filePath(m_key + QStringLiteral(".lock")));
    lock.setStaleLockTime(0);      // stale only when its process is gone, never by age
    lock.tryLock(kLockTimeoutMs);  // without it (a lock that will not go), decide all the same

    if (askRunningInstance()) return false;

    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_key)) {
        // Nobody answered, so a socket file in the way was left by an instance that crashed.
        QLocalServer::removeServer(m_key);
        // Without a socket later starts cannot find this one; run all the same.
        if (!m_server->listen(m_key)) return true;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptRequests);
    return true;
}

void SingleInstance::acceptRequests() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        readRequest(socket);  // what arrived with the connection
    }
}

void SingleInstance::readRequest(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        if (socket->readLine() == kRaiseRequest) emit raiseRequested();
    }
}
