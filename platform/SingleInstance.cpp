#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

namespace {
constexpr int kWaitMs = 1000;
}

TSingleInstance::TSingleInstance(const QString &programDir, QObject *parent) : QObject(parent)
{
    const QByteArray hash = QCryptographicHash::hash(programDir.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    m_name = QStringLiteral("tavi-") + QString::fromLatin1(hash);
}

TSingleInstance::~TSingleInstance() = default;

bool TSingleInstance::claim()
{
    // The lock decides who runs; a lock left by a killed instance is stale and is taken over.
    m_lock = std::make_unique<QLockFile>(QDir::temp().filePath(m_name + QStringLiteral(".lock")));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError) {
            m_lock.reset();
            // The running instance may still be starting: give it a moment to listen.
            for (int i = 0; i < 10; ++i) {
                QLocalSocket probe;
                probe.connectToServer(m_name);
                if (probe.waitForConnected(kWaitMs / 10)) {
                    probe.write("show\n");
                    probe.waitForBytesWritten(kWaitMs);
                    break;
                }
                QThread::msleep(kWaitMs / 10);
            }
            return false;
        }
        // The lock cannot be made at all (no temporary folder): running is better than not.
        m_lock.reset();
    }
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name))
        return true;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *s = m_server->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            emit activationRequested();
        }
    });
    return true;
}
