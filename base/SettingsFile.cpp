#include "SettingsFile.h"

#include "PrivateFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace settings {
namespace {

constexpr const char *CodePage = "GB18030";

} // namespace

// Most settings are numbers: plain ASCII, the same in every code page, needs no converter,
// whose first use would load conversion tables while the program starts.
// A converter keeps a cut character for the next call, so each call has its own.
QByteArray Encode(const QString &text)
{
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; }))
        return text.toLatin1();
    // A lone surrogate has no bytes of its own; it is written as '?' like any unwritable character.
    QString clean = text;
    for (qsizetype i = 0; i < clean.size(); ++i) {
        const QChar c = clean.at(i);
        if (c.isHighSurrogate() && i + 1 < clean.size() && clean.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            clean[i] = QLatin1Char('?');
    }
    QStringEncoder encoder(CodePage);
    return encoder.encode(clean);
}

QString Decode(const QByteArray &bytes)
{
    if (std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return uchar(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(CodePage);
    return decoder.decode(bytes);
}

Status Lines::text(int n, QString &out) const
{
    if (status != Status::Ok)
        return status;
    if (n < 0 || n >= lines.size())
        return Status::NoLine;
    out = lines[n];
    return Status::Ok;
}

Status Lines::number(int n, int &out) const
{
    QString t;
    const Status s = text(n, t);
    if (s != Status::Ok)
        return s;
    bool ok = false;
    const int v = t.trimmed().toInt(&ok, 10);
    if (!ok)
        return Status::NotNumber;
    out = v;
    return Status::Ok;
}

Status ReadBytes(const QString &path, QByteArray &bytes, qint64 limit, bool *more)
{
    QFile f(path);
    if (!f.exists())
        return Status::NoFile;
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly))
        return Status::ReadError;
    QByteArray all = limit < 0 ? f.readAll() : f.read(limit);
    if (f.error() != QFileDevice::NoError)
        return Status::ReadError;
    if (more)
        *more = limit >= 0 && all.size() == limit && !f.read(1).isEmpty();
    bytes = std::move(all);
    return Status::Ok;
}

Lines Read(const QString &path)
{
    Lines r;
    QByteArray bytes;
    bool more = false;
    r.status = ReadBytes(path, bytes, MaxReadBytes, &more);
    if (r.status != Status::Ok)
        return r;
    if (more)
        bytes.truncate(bytes.lastIndexOf('\n') + 1);
    const QString all = Decode(bytes);
    // One pass over the text: replacing line ends in place costs a move of the rest of the
    // text per line, which a file of millions of lines turns into minutes.
    // A final line end closes the last line; it does not open an empty one.
    qsizetype start = 0;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const QChar ch = all.at(i);
        if (ch != QLatin1Char('\r') && ch != QLatin1Char('\n'))
            continue;
        r.lines << all.mid(start, i - start);
        if (ch == QLatin1Char('\r') && i + 1 < all.size() && all.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < all.size())
        r.lines << all.mid(start);
    return r;
}

bool Write(const QString &path, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &l : lines) {
        bytes += Encode(l);
        bytes += "\r\n";
    }
    QSaveFile f(path);
    // Written for its owner alone, also where the file was open to others before.
    if (!f.open(QIODevice::WriteOnly) || !f.setPermissions(privatefiles::FileMode))
        return false;
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

QString Describe(Status status, const QString &path, int line)
{
    const QString name = QFileInfo(path).fileName();
    switch (status) {
    case Status::Ok:
        return {};
    case Status::NoFile:
        return QStringLiteral("找不到文件 %1").arg(name);
    case Status::ReadError:
        return QStringLiteral("无法读取文件 %1").arg(name);
    case Status::NoLine:
        return QStringLiteral("文件 %1 缺少第 %2 行").arg(name).arg(line + 1);
    case Status::NotNumber:
        return QStringLiteral("文件 %1 第 %2 行不是有效的整数").arg(name).arg(line + 1);
    }
    return {};
}

} // namespace settings
