#pragma once
// The one module through which the files under Data are read and written. The settings
// files are lists of lines read by number and always rewritten whole, in GB18030
// (byte-identical to GBK for every GBK character) with CR LF line ends. Reading accepts
// GBK and GB18030 and any line end.
#include <QString>
#include <QStringList>

namespace settings {

enum class Status {
    Ok,
    NoFile,     // the file does not exist
    ReadError,  // it exists but cannot be read
    NoLine,     // the line asked for is not there
    NotNumber,  // the line is there but is not a whole number
};

class Lines {
public:
    Status status = Status::NoFile;
    QStringList lines;

    // Line n, counting from 0.
    Status text(int n, QString &out) const;
    // StrToInt's reading: an optional sign and decimal digits, blanks around allowed.
    Status number(int n, int &out) const;
};

// Settings files are a few lines; a file grown past this (damaged, or planted) is read
// only as far as its last whole line within it, so that it costs no more than that.
constexpr qint64 MaxReadBytes = qint64(16) << 20;
Lines Read(const QString &path);
// The file's bytes as they stand, at most `limit` of them when it is not negative; `more`
// tells whether the file goes on beyond them. Ok, NoFile or ReadError.
Status ReadBytes(const QString &path, QByteArray &bytes, qint64 limit = -1, bool *more = nullptr);
// Writes all lines, each ended by CR LF; false when the file cannot be written.
// The old file stays as it was until the new one is complete.
bool Write(const QString &path, const QStringList &lines);

// A message for the generic error display.
QString Describe(Status status, const QString &path, int line);

QByteArray Encode(const QString &text);
QString Decode(const QByteArray &bytes);

} // namespace settings
