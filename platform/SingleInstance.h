#pragma once
// One running program per user and program folder: every save writes the whole week, so
// a second instance would overwrite the first one's notes with what it showed earlier.
// The lock and the socket live in the user's private runtime folder, out of other users'
// reach: nobody else can keep the program from starting or raise its window.
#include <QObject>
#include <QString>

class QSocketNotifier;

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // The key names the program folder; two folders are two independent programs.
    explicit TSingleInstance(const QString &programDir, QObject *parent = nullptr);
    ~TSingleInstance() override;

    // True when this is the only instance: it now listens for later starts. False when
    // another instance runs: it has been asked to come to the front, and given
    // `activationToken` (the one this start was given) to do so.
    bool claim(const QString &activationToken = QString());

    // The user's private folder for the lock and the socket, closed by '/': the session's
    // runtime folder (XDG_RUNTIME_DIR) when it is the user's own and closed to others, else
    // one in the user's cache folder. Empty when there is neither.
    static QString RuntimeFolder();

signals:
    // A later start asked this instance to show itself, passing on its activation token
    // (empty when it had none).
    void activationRequested(const QString &activationToken);

private:
    void acceptAll();

    QString m_base; // the lock file and the socket are this plus ".lock" and ".sock"; empty: no lock
    QString m_token;
    int m_lockFd = -1;
    int m_listenFd = -1;
    QSocketNotifier *m_notifier = nullptr;
};
