#include "app/SingleInstance.h"

#include <unistd.h>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace {

// One request a line: "raise", or "open " and the path's UTF-8 bytes percent-encoded, so that a
// path holding a line break stays one line.
const QByteArray kRaiseRequest = QByteArrayLiteral("raise\n");
const QByteArray kOpenRequest = QByteArrayLiteral("open ");
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

bool SingleInstance::askRunningInstance(const QString& fileToOpen) {
    QLocalSocket socket;
    socket.connectToServer(m_key);
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    socket.write(fileToOpen.isEmpty()
                     ? kRaiseRequest
                     : kOpenRequest + fileToOpen.toUtf8().toPercentEncoding() + '\n');
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::claim(const QString& fileToOpen) {
    // Held only while deciding: a crash here leaves a lock of a dead process, which is stale.
    QLockFile lock(QDir::temp().filePath(m_key + QStringLiteral(".lock")));
    lock.setStaleLockTime(0);      // stale only when its process is gone, never by age
    lock.tryLock(kLockTimeoutMs);  // without it (a lock that will not go), decide all the same

    if (askRunningInstance(fileToOpen)) return false;

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
    // Only the socket's bytes are read here. What a request asks for runs later, from the event
    // loop: opening a file shows dialogs whose own event loops would let the socket be deleted
    // under this handler once the later start has disconnected.
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine();
        if (line == kRaiseRequest) {
            QMetaObject::invokeMethod(this, &SingleInstance::raiseRequested, Qt::QueuedConnection);
        } else if (line.startsWith(kOpenRequest) && line.endsWith('\n')) {
            const QString path = QString::fromUtf8(
                QByteArray::fromPercentEncoding(line.mid(kOpenRequest.size()).chopped(1)));
            if (path.isEmpty()) continue;
            QMetaObject::invokeMethod(
                this, [this, path] { emit openRequested(path); }, Qt::QueuedConnection);
        }
    }
}
