#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

#include "shell/SingleInstance.h"

namespace ivra::shell {
namespace {

// Connects to the socket, sends `text` and leaves.
bool SendOnce(const QString& path, const char* text) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool sent = fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                      ::send(fd, text, std::strlen(text), MSG_NOSIGNAL) == static_cast<ssize_t>(std::strlen(text));
    if (fd >= 0) ::close(fd);
    return sent;
}

TEST(SingleInstanceSocketTest, OnlyTheUserReachesItAndOnlyARaiseRequestRaises) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    {
        SingleInstance first(QStringLiteral("socket-test"), folder.path());
        ASSERT_EQ(first.Acquire(), SingleInstance::Role::Primary);
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(first.SocketPath()).constData(), &info), 0);
        EXPECT_TRUE(S_ISSOCK(info.st_mode));
        EXPECT_EQ(info.st_mode & 077, 0u) << "others may connect";

        QSignalSpy raised(&first, &SingleInstance::RaiseRequested);
        ASSERT_TRUE(SendOnce(first.SocketPath(), "hello\n"));
        ASSERT_TRUE(SendOnce(first.SocketPath(), "raise\n"));
        ASSERT_TRUE(raised.wait(5000));
        QTest::qWait(50);
        EXPECT_EQ(raised.size(), 1);
    }
    // The primary removes its socket when it ends.
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("socket-test.socket"))));
}

}  // namespace
}  // namespace ivra::shell
