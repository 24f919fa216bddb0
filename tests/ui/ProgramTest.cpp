// The program as a user starts it: two starts, a broken installation.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
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

}  // namespace
