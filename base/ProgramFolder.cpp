#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace programfolder {
namespace {

const QString DataSub = QStringLiteral("Data/");
const QString PictureSub = QStringLiteral("source/DeskTopBG/");
constexpr QFile::Permissions OwnerOnlyFile = QFile::ReadOwner | QFile::WriteOwner;

QString closed(const QString &dir)
{
    QString out = QDir::cleanPath(QDir(dir).absolutePath());
    if (!out.endsWith(QLatin1Char('/')))
        out += QLatin1Char('/');
    return out;
}

// The kernel's answer for this user, so that a read-only mount or a folder of root's counts
// as not writable, whatever the permission bits say.
bool writable(const QString &path) { return ::access(QFile::encodeName(path).constData(), W_OK) == 0; }

// <prefix>/share/tavi/ beside <prefix>/bin, when it is there.
QString systemShipped(const QString &exeDir)
{
    if (QFileInfo(exeDir).fileName() != QLatin1String("bin"))
        return QString();
    const QString shared = closed(exeDir + QStringLiteral("/../share/tavi"));
    return QFileInfo(shared).isDir() ? shared : QString();
}

// Like mkpath, but what it makes is the user's alone (as XDG asks of its base folders).
bool makePrivatePath(const QString &dir)
{
    if (QFileInfo(dir).isDir())
        return true;
    const QString parent = QFileInfo(QDir::cleanPath(dir)).path();
    if (parent != dir && !makePrivatePath(parent))
        return false;
    return ::mkdir(QFile::encodeName(dir).constData(), 0700) == 0 || errno == EEXIST;
}

bool copyFiles(const QString &from, const QString &to, QString *error)
{
    if (!makePrivatePath(QDir::cleanPath(to))) {
        *error = QStringLiteral("cannot make %1").arg(to);
        return false;
    }
    const QFileInfoList files = QDir(from).entryInfoList(QDir::Files | QDir::Readable | QDir::Hidden);
    for (const QFileInfo &f : files) {
        const QString target = to + f.fileName();
        if (!QFile::copy(f.filePath(), target) || !QFile::setPermissions(target, OwnerOnlyFile)) {
            *error = QStringLiteral("cannot copy %1 to %2").arg(f.filePath(), target);
            return false;
        }
    }
    return true;
}

} // namespace

Place Resolve(const QString &named, const QString &exeDir, const QString &userDataHome)
{
    Place place;
    const QString system = systemShipped(exeDir);
    place.shipped = system.isEmpty() ? closed(exeDir) : system;
    if (!named.isEmpty()) {
        place.kind = Kind::Named;
        place.dir = closed(named);
        return place;
    }
    if (system.isEmpty()) {
        const QString data = place.shipped + DataSub;
        const bool ours = QFileInfo(data).isDir() ? writable(data) : writable(place.shipped);
        if (ours) {
            place.kind = Kind::Portable;
            place.dir = place.shipped;
            return place;
        }
    }
    place.kind = Kind::UsersOwn;
    place.dir = closed(userDataHome + QStringLiteral("/Tavi"));
    return place;
}

Place Current()
{
    // Tests switch TAVI_HOME while they run; the executable and the user do not change,
    // though the executable is known only once the application object exists.
    const auto resolve = [] {
        return Resolve(QString(), QCoreApplication::applicationDirPath(),
                       QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    };
    static std::mutex guard; // the writer thread asks too
    static Place cached;
    static bool haveCached = false;
    Place found;
    {
        const std::lock_guard<std::mutex> lock(guard);
        if (!haveCached && QCoreApplication::instance()) {
            cached = resolve();
            haveCached = true;
        }
        if (haveCached)
            found = cached;
    }
    if (found.dir.isEmpty())
        found = resolve();
    const QString named = qEnvironmentVariable("TAVI_HOME");
    if (named.isEmpty())
        return found;
    Place place = found;
    place.kind = Kind::Named;
    place.dir = closed(named);
    return place;
}

bool Prepare(const Place &place, QString *error)
{
    QString reason;
    if (!error)
        error = &reason;
    if (place.kind != Kind::UsersOwn || QFileInfo::exists(place.dir))
        return true;
    const QString target = QDir::cleanPath(place.dir);
    const QString parent = QFileInfo(target).path();
    if (!makePrivatePath(parent)) {
        *error = QStringLiteral("cannot make %1: %2").arg(parent, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    // Filled under another name, then renamed into place in one step.
    QTemporaryDir fresh(target + QStringLiteral(".new-XXXXXX"));
    if (!fresh.isValid()) {
        *error = fresh.errorString();
        return false;
    }
    const QString staged = closed(fresh.path());
    if (!QFile::setPermissions(staged, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
        || !copyFiles(place.shipped + DataSub, staged + DataSub, error)
        || !copyFiles(place.shipped + PictureSub, staged + PictureSub, error))
        return false;
    if (::rename(QFile::encodeName(fresh.path()).constData(), QFile::encodeName(target).constData()) != 0) {
        // Another start of this user's got there first: its folder is as good as ours.
        if (QFileInfo(target).isDir())
            return true;
        *error = QStringLiteral("cannot rename %1 to %2: %3")
                     .arg(fresh.path(), target, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    fresh.setAutoRemove(false);
    return true;
}

} // namespace programfolder

QString ProgramDir() { return programfolder::Current().dir; }

QString DataDir() { return ProgramDir() + QStringLiteral("Data/"); }

QString PictureDir() { return ProgramDir() + QStringLiteral("source/DeskTopBG/"); }

QString ShippedDir() { return programfolder::Current().shipped; }

QString ReadOnlyDir(const QString &sub)
{
    const programfolder::Place place = programfolder::Current();
    return QFileInfo(place.dir + sub).isDir() ? place.dir : place.shipped;
}
