#include "shell/SingleInstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>
#include <cerrno>
#include <cstring>

namespace ivra::shell {
namespace {

constexpr int kConnectTimeoutMs = 200;
// The primary may be between taking the lock and listening: try a while.
constexpr int kConnectAttempts = 10;
constexpr int kRetryPauseMs = 50;
// A client that sends more than this without asking to raise is dropped.
constexpr qsizetype kMaxRequest = 64;
const char kRaiseRequest[] = "raise\n";

QString SystemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The socket address of `path`; false when the path does not fit.
bool SocketAddress(const QByteArray& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path)) return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    return true;
}

}  // namespace

SingleInstance::SingleInstance(QString name, QString folder) : name_(std::move(name)), folder_(std::move(folder)) {}

SingleInstance::~SingleInstance() {
    for (auto& [fd, client] : clients_) {
        delete client.notifier;
        ::close(fd);
    }
    if (serverFd_ >= 0) {
        delete serverNotifier_;
        ::close(serverFd_);
        // Still the lock holder here: the socket is ours to remove.
        ::unlink(QFile::encodeName(SocketPath()).constData());
    }
    if (lockFd_ >= 0) ::close(lockFd_);  // releases the lock
}

QString SingleInstance::SocketPath() const {
    return QDir(folder_).filePath(name_ + QStringLiteral(".socket"));
}
QString SingleInstance::LockPath() const {
    return QDir(folder_).filePath(name_ + QStringLiteral(".lock"));
}

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
        problem =
            QStringLiteral("others may use %1 (mode %2)").arg(path).arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
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
    const QByteArray lockPath = QFile::encodeName(LockPath());
    lockFd_ = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd_ < 0) {
        error_ = QStringLiteral("cannot open %1: %2").arg(QFile::decodeName(lockPath), SystemError());
        return Role::Failed;
    }
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        const int lockError = errno;
        ::close(lockFd_);
        lockFd_ = -1;
        if (lockError != EWOULDBLOCK) {
            error_ = QStringLiteral("cannot lock %1: %2")
                         .arg(QFile::decodeName(lockPath), QString::fromLocal8Bit(std::strerror(lockError)));
            return Role::Failed;
        }
        if (AskPrimaryToRaise()) return Role::Secondary;
        error_ = QStringLiteral("another instance holds %1 but does not answer on %2")
                     .arg(QFile::decodeName(lockPath), SocketPath());
        return Role::Unanswered;
    }
    return Listen() ? Role::Primary : Role::Failed;
}

bool SingleInstance::Listen() {
    const QByteArray path = QFile::encodeName(SocketPath());
    sockaddr_un address;
    if (!SocketAddress(path, address)) {
        error_ = QStringLiteral("the socket path %1 is too long").arg(SocketPath());
        return false;
    }
    // Only the lock holder may remove a socket left by a crashed run.
    ::unlink(path.constData());
    serverFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (serverFd_ < 0) {
        error_ = QStringLiteral("cannot create a socket: %1").arg(SystemError());
        return false;
    }
    // Only this user may connect.
    const mode_t oldMask = ::umask(0077);
    const int bound = ::bind(serverFd_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::umask(oldMask);
    if (bound != 0 || ::listen(serverFd_, 8) != 0) {
        error_ = QStringLiteral("cannot listen on %1: %2").arg(SocketPath(), SystemError());
        ::close(serverFd_);
        serverFd_ = -1;
        return false;
    }
    serverNotifier_ = new QSocketNotifier(serverFd_, QSocketNotifier::Read, this);
    connect(serverNotifier_, &QSocketNotifier::activated, this, [this] { AcceptClients(); });
    return true;
}

void SingleInstance::AcceptClients() {
    for (;;) {
        const int fd = ::accept4(serverFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) return;  // nothing more pending (or the client left already)
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        clients_[fd] = Client{notifier, {}};
        connect(notifier, &QSocketNotifier::activated, this, [this, fd] { ReadClient(fd); });
    }
}

void SingleInstance::ReadClient(int fd) {
    const auto it = clients_.find(fd);
    if (it == clients_.end()) return;
    char buffer[64];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n > 0) it->second.received.append(buffer, n);
    const bool raise = it->second.received.contains("raise");
    // Done with the client: it asked, it left, or it sends something else.
    if (raise || n <= 0 || it->second.received.size() > kMaxRequest) {
        it->second.notifier->deleteLater();
        ::close(fd);
        clients_.erase(it);
    }
    if (raise) emit RaiseRequested();
}

bool SingleInstance::AskPrimaryToRaise() {
    sockaddr_un address;
    if (!SocketAddress(QFile::encodeName(SocketPath()), address)) return false;
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            pollfd writable{fd, POLLOUT, 0};
            bool sent = false;
            if (::poll(&writable, 1, kConnectTimeoutMs) == 1) {
                sent = ::send(fd, kRaiseRequest, sizeof kRaiseRequest - 1, MSG_NOSIGNAL) ==
                       static_cast<ssize_t>(sizeof kRaiseRequest - 1);
            }
            ::close(fd);
            return sent;
        }
        ::close(fd);
        QThread::msleep(kRetryPauseMs);
    }
    return false;
}

}  // namespace ivra::shell
