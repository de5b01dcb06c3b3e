#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>

#ifndef Q_OS_UNIX
#error "TSingleInstance needs this system's file lock and local socket"
#endif

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
constexpr int kWaitMs = 1000;

// False when the path is too long for a socket address.
bool socketAddress(const QByteArray &path, sockaddr_un &addr)
{
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof addr.sun_path))
        return false;
    std::memcpy(addr.sun_path, path.constData(), size_t(path.size()));
    return true;
}

// The connection itself is the request to come to the front; what is written on it is the
// activation token this start was given (maybe none), which lets the compositor hand the
// focus on. The running instance may still be starting, so it gets a moment to listen; a
// non-blocking connect cannot hang on an instance that has stopped answering.
void askToShow(const QByteArray &path, const QByteArray &token)
{
    sockaddr_un addr;
    if (!socketAddress(path, addr))
        return;
    for (int i = 0; i < 10; ++i) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return;
        const int rc = ::connect(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr);
        const int err = errno;
        if (rc == 0 && !token.isEmpty()) {
            // A token is short; the socket's buffer takes it at once.
            [[maybe_unused]] const ssize_t sent = ::send(fd, token.constData(), size_t(token.size()), MSG_NOSIGNAL);
        }
        ::close(fd);
        if (rc == 0 || err == EAGAIN)
            return;
        QThread::msleep(kWaitMs / 10);
    }
}

// What a later start wrote before closing: its token, at most a line of it.
QString readToken(int fd)
{
    pollfd p{fd, POLLIN, 0};
    QByteArray token;
    char buf[512];
    while (token.size() < 4096 && ::poll(&p, 1, 200) > 0) {
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        token.append(buf, n);
    }
    return QString::fromUtf8(token.left(token.indexOf('\n') < 0 ? token.size() : token.indexOf('\n'))).trimmed();
}
} // namespace

TSingleInstance::TSingleInstance(const QString &programDir, QObject *parent) : QObject(parent)
{
    const QString folder = RuntimeFolder();
    if (folder.isEmpty())
        return;
    const QByteArray hash = QCryptographicHash::hash(programDir.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    m_base = folder + QStringLiteral("tavi-") + QString::fromLatin1(hash);
}

QString TSingleInstance::RuntimeFolder()
{
    // Another user may not make or hold our lock: the folder must be ours and closed to others.
    const auto ours = [](const QString &dir) {
        struct stat st;
        return !dir.isEmpty() && ::lstat(QFile::encodeName(dir).constData(), &st) == 0 && S_ISDIR(st.st_mode)
               && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
    };
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!ours(dir)) {
        // No runtime folder of the session's: one of the user's own, never a shared name.
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        if (cache.isEmpty())
            return QString();
        QDir().mkpath(cache);
        dir = cache + QStringLiteral("/tavi-run");
        ::mkdir(QFile::encodeName(dir).constData(), 0700);
        if (!ours(dir))
            return QString();
    }
    return QDir::cleanPath(dir) + QLatin1Char('/');
}

TSingleInstance::~TSingleInstance()
{
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        ::unlink(QFile::encodeName(m_base + QStringLiteral(".sock")).constData());
    }
    // Closing the file gives up the lock. The file stays: removing it could let two
    // later starts lock two different files of the same name.
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

bool TSingleInstance::claim(const QString &activationToken)
{
    m_token = activationToken;
    // Without a private folder for the lock running is better than not.
    if (m_base.isEmpty())
        return true;
    const QByteArray lockPath = QFile::encodeName(m_base + QStringLiteral(".lock"));
    const QByteArray sockPath = QFile::encodeName(m_base + QStringLiteral(".sock"));
    // The system holds the lock for as long as this process lives: a killed instance
    // leaves none behind.
    m_lockFd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lockFd < 0)
        return true;
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(m_lockFd);
        m_lockFd = -1;
        if (!held)
            return true;
        askToShow(sockPath, m_token.toUtf8());
        return false;
    }
    // The process number, for whoever looks at the file.
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(m_lockFd, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(m_lockFd, pid.constData(), size_t(pid.size()), 0);
    }

    // With the lock held the socket's name is ours; a socket left by a killed instance goes.
    sockaddr_un addr;
    if (!socketAddress(sockPath, addr))
        return true;
    ::unlink(sockPath.constData());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return true;
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) != 0 || ::listen(fd, 8) != 0) {
        ::close(fd);
        return true;
    }
    // Only this user's starts may raise the window.
    ::chmod(sockPath.constData(), 0600);
    m_listenFd = fd;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TSingleInstance::acceptAll);
    return true;
}

void TSingleInstance::acceptAll()
{
    bool asked = false;
    QString token;
    for (int fd; (fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
        const QString t = readToken(fd);
        ::close(fd);
        asked = true;
        if (!t.isEmpty())
            token = t;
    }
    if (asked)
        emit activationRequested(token);
}
