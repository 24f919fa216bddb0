#include "shell/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <cerrno>
#include <cstring>

namespace ivra::shell {
namespace {

constexpr int kConnectTimeoutMs = 200;
// The primary may be between taking the lock and listening: try a while.
constexpr int kConnectAttempts = 10;
const char kRaiseRequest[] = "raise\n";

}  // namespace

SingleInstance::SingleInstance(QString name, QString folder) : name_(std::move(name)), folder_(std::move(folder)) {
    if (folder_.isEmpty()) {
        folder_ = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (folder_.isEmpty() || !QDir(folder_).exists()) folder_ = QDir::tempPath();
    }
}

SingleInstance::~SingleInstance() {
    if (server_ != nullptr) server_->close();
    if (lockFd_ >= 0) ::close(lockFd_);  // releases the lock
}

QString SingleInstance::SocketPath() const { return QDir(folder_).filePath(name_ + QStringLiteral(".socket")); }

SingleInstance::Role SingleInstance::Acquire() {
    const QByteArray lockPath = QDir(folder_).filePath(name_ + QStringLiteral(".lock")).toLocal8Bit();
    lockFd_ = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ < 0) {
        error_ = QStringLiteral("cannot open %1: %2").arg(QString::fromLocal8Bit(lockPath), QString::fromLocal8Bit(std::strerror(errno)));
        return Role::Failed;
    }
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(lockFd_);
        lockFd_ = -1;
        if (errno != EWOULDBLOCK) {
            error_ = QStringLiteral("cannot lock %1").arg(QString::fromLocal8Bit(lockPath));
            return Role::Failed;
        }
        AskPrimaryToRaise();  // best effort: it may be shutting down
        return Role::Secondary;
    }
    // Only the lock holder may remove a socket left by a crashed run.
    QLocalServer::removeServer(SocketPath());
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(SocketPath())) {
        error_ = QStringLiteral("cannot listen on %1: %2").arg(SocketPath(), server_->errorString());
        return Role::Failed;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection()) {
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().contains("raise")) emit RaiseRequested();
                client->disconnectFromServer();
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    return Role::Primary;
}

bool SingleInstance::AskPrimaryToRaise() {
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(SocketPath());
        if (socket.waitForConnected(kConnectTimeoutMs)) {
            socket.write(kRaiseRequest);
            const bool sent = socket.waitForBytesWritten(kConnectTimeoutMs);
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(50);
    }
    return false;
}

}  // namespace ivra::shell
