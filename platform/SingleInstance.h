#pragma once
// One running program per program folder: every save writes the whole week, so a
// second instance would overwrite the first one's notes with what it showed earlier.
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
    // another instance runs: it has been asked to come to the front.
    bool claim();

signals:
    // A later start asked this instance to show itself.
    void activationRequested();

private:
    void acceptAll();

    QString m_base; // the lock file and the socket are this plus ".lock" and ".sock"
    int m_lockFd = -1;
    int m_listenFd = -1;
    QSocketNotifier *m_notifier = nullptr;
};
