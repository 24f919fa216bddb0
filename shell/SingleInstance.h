// One running program per user: the first start takes a lock file under
// $XDG_RUNTIME_DIR and listens on a local socket beside it; a later start
// finds the lock taken, asks the running one to come forward, and ends.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace ivra::shell {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role { Primary, Secondary, Failed };

    // `name` names the lock and the socket; `folder` defaults to
    // $XDG_RUNTIME_DIR (or the temporary folder where it is not set).
    explicit SingleInstance(QString name, QString folder = {});
    ~SingleInstance() override;

    // Primary: this process holds the lock and listens. Secondary: another
    // one holds it and has been asked to raise its window. Failed: neither
    // (the reason in ErrorString()).
    Role Acquire();
    QString ErrorString() const { return error_; }
    QString SocketPath() const;

signals:
    // Another start asked the running program to come forward.
    void RaiseRequested();

private:
    bool AskPrimaryToRaise();

    QString name_;
    QString folder_;
    QString error_;
    int lockFd_ = -1;
    QLocalServer* server_ = nullptr;
};

}  // namespace ivra::shell
