// The program as a user starts it: two starts, a broken installation.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace {

QProcessEnvironment Environment(const QTemporaryDir& runtime) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("XDG_CONFIG_HOME", runtime.filePath("config"));
    env.insert("XDG_DATA_HOME", runtime.filePath("data"));
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    return env;
}

// Waits until the process's stderr has shown `text` (bounded).
bool WaitForOutput(QProcess& process, QByteArray& seen, const QByteArray& text, int ms = 15000) {
    process.setReadChannel(QProcess::StandardError);
    QDeadlineTimer deadline(ms);
    seen += process.readAllStandardError();
    while (!seen.contains(text)) {
        if (deadline.hasExpired() || process.state() == QProcess::NotRunning) return false;
        process.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
        seen += process.readAllStandardError();
    }
    return true;
}

TEST(ProgramTest, ASecondStartRaisesTheFirstAndExits) {
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcess first;
    first.setProcessEnvironment(Environment(runtime));
    first.start(IVRA_GUI_PATH, {"--simulate", "keyboard", "--debug"});
    ASSERT_TRUE(first.waitForStarted());
    QByteArray firstOutput;
    ASSERT_TRUE(WaitForOutput(first, firstOutput, "windowinit")) << firstOutput.toStdString();

    QProcess second;
    second.setProcessEnvironment(Environment(runtime));
    second.start(IVRA_GUI_PATH, {"--simulate", "keyboard"});
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(WaitForOutput(first, firstOutput, "软件标示")) << firstOutput.toStdString();

    first.terminate();
    EXPECT_TRUE(first.waitForFinished(15000));
}

// Holds an flock on `path` (created) while it lives.
class HeldLock {
public:
    explicit HeldLock(const QString& path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)),
          held_(fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0) {}
    ~HeldLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Held() const { return held_; }

private:
    int fd_;
    bool held_;
};

TEST(ProgramTest, TheInstanceLockIsThisUsersOwn) {
    // Without $XDG_RUNTIME_DIR the lock lives in a folder of this user's
    // own in the temporary folder, not in a file there any user can hold.
    QTemporaryDir runtime;
    QTemporaryDir temporary;
    QProcessEnvironment env = Environment(runtime);
    env.remove("XDG_RUNTIME_DIR");
    env.insert("TMPDIR", temporary.path());
    HeldLock shared(temporary.filePath("ivra-wireless-manager.lock"));
    ASSERT_TRUE(shared.Held());
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(IVRA_GUI_PATH, {"--simulate", "keyboard", "--debug"});
    ASSERT_TRUE(first.waitForStarted());
    QByteArray output;
    EXPECT_TRUE(WaitForOutput(first, output, "windowinit")) << output.toStdString();
    first.terminate();
    EXPECT_TRUE(first.waitForFinished(15000));
    struct stat info {};
    const QString folder = temporary.filePath(QStringLiteral("ivra-wireless-manager-%1").arg(::geteuid()));
    ASSERT_EQ(::lstat(QFile::encodeName(folder).constData(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // An instance that holds the lock but does not answer is named, and the
    // start fails instead of ending quietly.
    HeldLock hung(QDir(folder).filePath("ivra-wireless-manager.lock"));
    ASSERT_TRUE(hung.Held());
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(IVRA_GUI_PATH, {"--simulate", "keyboard"});
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(second.readAllStandardError().contains("does not answer"));
}

TEST(ProgramTest, ASettingsFileThatIsAFifoDoesNotStopTheStart) {
    QTemporaryDir runtime;
    ASSERT_TRUE(QDir(runtime.path()).mkpath("config/Ivra Wireless Manager 1.0"));
    const QString settings = runtime.filePath("config/Ivra Wireless Manager 1.0/settings.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(settings).constData(), 0600), 0);
    QProcess program;
    program.setProcessEnvironment(Environment(runtime));
    program.start(IVRA_GUI_PATH, {"--simulate", "keyboard", "--debug"});
    ASSERT_TRUE(program.waitForStarted());
    // The first command frame to the keyboard comes after the language.
    QByteArray output;
    EXPECT_TRUE(WaitForOutput(program, output, "命令")) << output.toStdString();
    program.terminate();
    EXPECT_TRUE(program.waitForFinished(15000));
}

TEST(ProgramTest, AMissingSkinStopsTheStartWithAReason) {
    QTemporaryDir runtime;
    QTemporaryDir emptyProgramFolder;
    QProcess program;
    QProcessEnvironment env = Environment(runtime);
    env.insert("IVRA_HOME", emptyProgramFolder.path());
    program.setProcessEnvironment(env);
    program.start(IVRA_GUI_PATH, {"--simulate", "keyboard"});
    ASSERT_TRUE(program.waitForFinished(15000));
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_TRUE(program.readAllStandardError().contains("cannot load the skin"));
}

TEST(ProgramTest, AnUnknownStartLanguageIsRefusedNamingTheIds) {
    QTemporaryDir runtime;
    const struct {
        QStringList arguments;
        const char* environment;  // IVRA_LANGUAGE, or null
    } cases[] = {
        {{"--simulate", "keyboard", "--language", "7"}, nullptr},
        {{"--simulate", "keyboard", "--language", "English"}, nullptr},
        {{"--simulate", "keyboard"}, "1234"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QProcess program;
        QProcessEnvironment env = Environment(runtime);
        if (c.environment != nullptr) env.insert("IVRA_LANGUAGE", c.environment);
        program.setProcessEnvironment(env);
        program.start(IVRA_GUI_PATH, c.arguments);
        ASSERT_TRUE(program.waitForFinished(15000));
        EXPECT_EQ(program.exitCode(), 2);
        const QByteArray error = program.readAllStandardError();
        EXPECT_TRUE(error.contains("is no language id; the ids are 2052")) << error.toStdString();
        EXPECT_TRUE(error.contains("1033 (English)")) << error.toStdString();
    }
}

}  // namespace
