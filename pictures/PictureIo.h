#pragma once
// What the picture readers and writers share: the size limit, error texts, and files that
// are written whole or not at all.
#include <QByteArray>
#include <QFile>
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

// Opens `file` for writing as a new file, an old one of that name removed first. A file cut
// to nothing and written again is pushed to the disk when it closes (ext4 does so to guard
// against empty files after a crash), which triples the time a picture takes to write; these
// pictures are made again on every apply and need no such guard.
bool OpenAnew(QFile &file, QIODevice::OpenMode mode = QIODevice::WriteOnly);

// The bytes as the whole file, under a passing name first (see TPendingFile): a reader
// of the path finds the old file or the new one, whole, whenever the writer stops.
bool WriteFile(const QString &path, const QByteArray &bytes);

// Removes what writers of `destination` stopped half-way (by a kill or a power cut) left.
void RemoveLeftovers(const QString &destination);

// A file written under a passing name beside `destination`; it takes its final name only
// once it is whole, so a file already under that name is never cut short or lost to a
// failed write. Dropped unless placed.
class TPendingFile {
public:
    explicit TPendingFile(const QString &destination);
    ~TPendingFile();
    TPendingFile(const TPendingFile &) = delete;
    TPendingFile &operator=(const TPendingFile &) = delete;

    // Opened for writing, in the destination's folder; false when it cannot be created.
    bool open();
    QFile &file() { return out; }
    // Closes it; true when everything written is there.
    bool close();
    QString path() const { return out.fileName(); }
    // Takes the destination's name, replacing a file of that name in one step.
    bool replace();
    // Takes `path` (in the same folder) only where no file has that name yet.
    bool placeAs(const QString &path);

private:
    QString destination;
    QFile out;
    bool whole = false, placed = false;
};

} // namespace pictures

// `path` with the extension of its file name (from the last dot on) replaced.
QString ChangeFileExt(const QString &path, const QString &ext);
