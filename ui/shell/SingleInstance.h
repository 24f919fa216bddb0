// One running program per user: the first start takes a lock file in a
// folder only this user may write ($XDG_RUNTIME_DIR, or a folder of its own
// in the temporary folder) and listens on a local (AF_UNIX) socket beside it;
// a later start finds the lock taken, asks the running one to come forward,
// and ends. Plain sockets, not Qt Network: that library and the eight it
// loads cost start-up time and memory for one short message.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <map>

class QSocketNotifier;

namespace ivra::shell {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role { Primary, Secondary, Unanswered, Failed };

    // `name` names the lock and the socket; `folder` defaults to
    // $XDG_RUNTIME_DIR when it is this user's private folder, else to
    // "<temporary folder>/<name>-<uid>", created with mode 0700.
    explicit SingleInstance(QString name, QString folder = {});
    ~SingleInstance() override;

    // Primary: this process holds the lock and listens. Secondary: another
    // one holds it and has been asked to raise its window. Unanswered:
    // another one holds it but does not answer. Failed: neither (the reason
    // in ErrorString()).
    Role Acquire();
    QString ErrorString() const { return error_; }
    QString SocketPath() const;
    QString LockPath() const;

    // Whether `path` is a real folder (no symbolic link) owned by this user
    // that nobody else may use (mode 0700); the reason in `why` when not.
    static bool IsPrivateFolder(const QString& path, QString* why = nullptr);

signals:
    // Another start asked the running program to come forward.
    void RaiseRequested();

private:
    // Settles folder_ (creating the per-user folder when needed); false
    // with the reason in error_.
    bool ChooseFolder();
    struct Client {
        QSocketNotifier* notifier = nullptr;
        QByteArray received;
    };

    bool Listen();
    void AcceptClients();
    void ReadClient(int fd);
    bool AskPrimaryToRaise();

    QString name_;
    QString folder_;
    QString error_;
    int lockFd_ = -1;
    int serverFd_ = -1;
    QSocketNotifier* serverNotifier_ = nullptr;
    std::map<int, Client> clients_;  // by file descriptor
};

}  // namespace ivra::shell
