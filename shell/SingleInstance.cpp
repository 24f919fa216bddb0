#include "shell/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

SingleInstance::SingleInstance(QString name, QString folder) : name_(std::move(name)), folder_(std::move(folder)) {}

SingleInstance::~SingleInstance() {
    if (server_ != nullptr) server_->close();
    if (lockFd_ >= 0) ::close(lockFd_);  // releases the lock
}

QString SingleInstance::SocketPath() const { return QDir(folder_).filePath(name_ + QStringLiteral(".socket")); }
QString SingleInstance::LockPath() const { return QDir(folder_).filePath(name_ + QStringLiteral(".lock")); }

bool SingleInstance::IsPrivateFolder(const QString& path, QString* why) {
    struct stat info {};
    const QByteArray local = path.toLocal8Bit();
    if (::lstat(local.constData(), &info) != 0) {
        if (why != nullptr) *why = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    QString problem;
    if (!S_ISDIR(info.st_mode)) {
        problem = QStringLiteral("%1 is not a folder").arg(path);
    } else if (info.st_uid != ::geteuid()) {
        problem = QStringLiteral("%1 belongs to user %2").arg(path).arg(info.st_uid);
    } else if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        problem = QStringLiteral("others may use %1 (mode %2)").arg(path).arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
    }
    if (problem.isEmpty()) return true;
    if (why != nullptr) *why = problem;
    return false;
}

bool SingleInstance::ChooseFolder() {
    if (!folder_.isEmpty()) {
        QString why;
        if (IsPrivateFolder(folder_, &why)) return true;
        error_ = QStringLiteral("the lock folder is not private: %1").arg(why);
        return false;
    }
    // Any user can create files in the temporary folder, so the lock lives
    // in $XDG_RUNTIME_DIR or in a folder of this user's own: nobody else can
    // take it and keep the program from starting.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && IsPrivateFolder(runtime)) {
        folder_ = runtime;
        return true;
    }
    folder_ = QDir(QDir::tempPath()).filePath(QStringLiteral("%1-%2").arg(name_).arg(::geteuid()));
    const QByteArray local = folder_.toLocal8Bit();
    if (::mkdir(local.constData(), 0700) != 0 && errno != EEXIST) {
        error_ = QStringLiteral("cannot create %1: %2").arg(folder_, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    QString why;
    if (!IsPrivateFolder(folder_, &why)) {
        error_ = QStringLiteral("the lock folder is not private: %1").arg(why);
        return false;
    }
    return true;
}

SingleInstance::Role SingleInstance::Acquire() {
    if (!ChooseFolder()) return Role::Failed;
    const QByteArray lockPath = LockPath().toLocal8Bit();
    lockFd_ = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd_ < 0) {
        error_ = QStringLiteral("cannot open %1: %2").arg(QString::fromLocal8Bit(lockPath), QString::fromLocal8Bit(std::strerror(errno)));
        return Role::Failed;
    }
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        const int lockError = errno;
        ::close(lockFd_);
        lockFd_ = -1;
        if (lockError != EWOULDBLOCK) {
            error_ = QStringLiteral("cannot lock %1: %2")
                         .arg(QString::fromLocal8Bit(lockPath), QString::fromLocal8Bit(std::strerror(lockError)));
            return Role::Failed;
        }
        if (AskPrimaryToRaise()) return Role::Secondary;
        error_ = QStringLiteral("another instance holds %1 but does not answer on %2")
                     .arg(QString::fromLocal8Bit(lockPath), SocketPath());
        return Role::Unanswered;
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
