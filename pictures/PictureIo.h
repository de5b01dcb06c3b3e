#pragma once
// What the picture readers and writers share: the size limit, error texts, whole files.
#include <QByteArray>
#include <QString>

namespace pictures {

// The largest picture accepted from a file, in pixels; larger files count as malformed.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
// Fuzzing builds take smaller pictures, so that each input stays quick to try.
constexpr qint64 MaxPixels = qint64(1) << 12;
#else
constexpr qint64 MaxPixels = qint64(1) << 27;
#endif

inline void SetError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// The bytes as the whole file; a file that could not be written whole is removed.
bool WriteFile(const QString &path, const QByteArray &bytes);

} // namespace pictures

// `path` with the extension of its file name (from the last dot on) replaced.
QString ChangeFileExt(const QString &path, const QString &ext);
