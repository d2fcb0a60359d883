#include "platform/SingleInstance.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace platform {

namespace {

const QByteArray kRaiseRequest = "raise\n";
const QByteArray kRaiseDone = "raised\n";

// One request over a plain Unix socket: usable before any Qt application object exists.
bool sendRequest(const QString &socketPath, int replyTimeoutMs)
{
    const QByteArray path = QFile::encodeName(socketPath);
    sockaddr_un address {};
    if (path.size() >= qsizetype(sizeof(address.sun_path)))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool done = false;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0
        && ::send(fd, kRaiseRequest.constData(), size_t(kRaiseRequest.size()), MSG_NOSIGNAL)
               == kRaiseRequest.size()) {
        pollfd waiting {fd, POLLIN, 0};
        char reply[16] = {};
        done = ::poll(&waiting, 1, replyTimeoutMs) == 1
               && ::recv(fd, reply, sizeof(reply) - 1, 0) > 0
               && QByteArray(reply).startsWith(kRaiseDone.trimmed());
    }
    ::close(fd);
    return done;
}

QString userSuffix()
{
    return QStringLiteral("-%1").arg(::getuid());
}

} // namespace

SingleInstance::SingleInstance(const QString &key)
{
    const QString base = QDir::tempPath() + QLatin1Char('/') + key + userSuffix();
    m_lockPath = base + QStringLiteral(".lock");
    m_socketPath = base + QStringLiteral(".socket");
}

SingleInstance::~SingleInstance()
{
    stopListening();
}

void SingleInstance::stopListening()
{
    if (m_server)
        m_server->close();
    m_server.reset();
}

bool SingleInstance::claim()
{
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // Held for the whole run; a lock whose process is gone is taken over by tryLock.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    m_lock.reset();
    return false;
}

bool SingleInstance::signalRunningCopy()
{
    // The running copy may still be starting and not listen yet: try for a few seconds.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (sendRequest(m_socketPath, 3000))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

bool SingleInstance::listen(std::function<void()> raiseRequested)
{
    if (!m_lock)
        return false;
    // A socket file left by a crashed copy would make listening fail.
    QLocalServer::removeServer(m_socketPath);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        m_server.reset();
        return false;
    }
    QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(),
                     [server = m_server.get(), raiseRequested] {
        while (QLocalSocket *socket = server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, raiseRequested] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() == kRaiseRequest && raiseRequested)
                    raiseRequested();
                socket->write(kRaiseDone);
                socket->flush();
                socket->disconnectFromServer();
            });
        }
    });
    return true;
}

void RaiseWindow(QWidget *window)
{
    if (window && window->isVisible()) {
        if (window->isMinimized())
            window->setWindowState((window->windowState() & ~Qt::WindowMinimized)
                                   | Qt::WindowActive);
        window->raise();
        window->activateWindow();
    }
    if (QWidget *modal = QApplication::activeModalWidget()) {
        if (modal->isMinimized())
            modal->setWindowState(modal->windowState() & ~Qt::WindowMinimized);
        modal->raise();
        modal->activateWindow();
    }
}

} // namespace platform
