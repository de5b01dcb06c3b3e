#pragma once
// The picture readers take file paths, so each input goes through a file in memory
// (/dev/shm where there is one), named per process so that parallel jobs keep apart.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <cstdio>
#include <unistd.h>

namespace fuzzfiles {

inline QString TempPath(const char *ext)
{
    const QString dir = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return QStringLiteral("%1/tavi-fuzz-%2.%3").arg(dir).arg(getpid()).arg(QLatin1String(ext));
}

inline void Put(const QString &path, const uint8_t *data, size_t size)
{
    std::FILE *f = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) {
        std::perror("fuzz input file");
        std::abort();
    }
}

// Qt's readers warn about every broken file; that is expected here and only slows the run.
inline const bool Quiet = [] {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return true;
}();

} // namespace fuzzfiles
