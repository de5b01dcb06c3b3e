#include "SettingsToolWay.h"

#include <QFile>
#include <QFileInfo>

#include <utility>

namespace platform {

using namespace wallpaperway;

bool SettingsToolWay::apply(const QString &path)
{
    QStringList keys;
    const QStringList list = listCommand();
    if (!list.isEmpty()) {
        QString out;
        if (!Run(list, &out))
            return false;
        keys = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    const QList<QStringList> set = commands(path, keys);
    if (set.isEmpty())
        return false;
    for (const QStringList &c : set)
        if (!Run(c))
            return false;
    // Some tools exit 0 with nothing stored (gsettings falls back to a memory store that forgets at
    // once): only a value another process reads back was stored.
    for (const QStringList &c : set) {
        const QStringList get = readBackCommand(c);
        if (get.isEmpty())
            continue;
        QString out;
        if (!Run(get, &out) || storedValue(out) != c.last())
            return false;
    }
    return true;
}

QStringList SettingsToolWay::readBackCommand(const QStringList &) const { return {}; }

GSettingsWay::GSettingsWay(QString schema, QStringList pictureKeys, bool plainPath)
    : m_schema(std::move(schema)), m_pictureKeys(std::move(pictureKeys)), m_plainPath(plainPath)
{
}

QList<QStringList> GSettingsWay::commands(const QString &path, const QStringList &keys) const
{
    const QString value = m_plainPath ? QFileInfo(path).absoluteFilePath() : FileUri(path);
    auto set = [&](const QString &key, const QString &v) {
        return QStringList{QStringLiteral("gsettings"), QStringLiteral("set"), m_schema, key, v};
    };
    QList<QStringList> out = {set(QStringLiteral("picture-options"), QStringLiteral("stretched"))};
    for (int i = 0; i < m_pictureKeys.size(); ++i) {
        // The first key is the picture itself; the others only where the schema has them.
        if (i == 0 || keys.isEmpty() || keys.contains(m_pictureKeys[i]))
            out << set(m_pictureKeys[i], value);
    }
    return out;
}

QStringList GSettingsWay::listCommand() const
{
    // Only a schema with optional keys needs to be asked what it has.
    if (m_pictureKeys.size() < 2)
        return {};
    return {QStringLiteral("gsettings"), QStringLiteral("list-keys"), m_schema};
}

QStringList GSettingsWay::readBackCommand(const QStringList &set) const
{
    return {set[0], QStringLiteral("get"), set[2], set[3]};
}

QString GSettingsWay::storedValue(const QString &printed) const
{
    QString out = printed.trimmed();
    if (out.startsWith(QLatin1Char('\'')) && out.endsWith(QLatin1Char('\'')) && out.size() >= 2)
        out = out.mid(1, out.size() - 2);
    return out;
}

QList<QStringList> XfconfWay::commands(const QString &path, const QStringList &keys) const
{
    const QString abs = QFileInfo(path).absoluteFilePath();
    QStringList images;
    for (const QString &p : keys) {
        const QString t = p.trimmed();
        if (t.startsWith(QLatin1String("/backdrop/")) && t.endsWith(QLatin1String("/last-image")))
            images << t;
    }
    QList<QStringList> out;
    const QString xq = QStringLiteral("xfconf-query");
    const QString ch = QStringLiteral("xfce4-desktop");
    if (images.isEmpty()) {
        const QString base = QStringLiteral("/backdrop/screen0/monitor0/workspace0/");
        out << QStringList{xq, QStringLiteral("-c"), ch, QStringLiteral("-p"), base + QStringLiteral("image-style"),
                           QStringLiteral("-n"), QStringLiteral("-t"), QStringLiteral("int"), QStringLiteral("-s"),
                           QStringLiteral("3")};
        out << QStringList{xq, QStringLiteral("-c"), ch, QStringLiteral("-p"), base + QStringLiteral("last-image"),
                           QStringLiteral("-n"), QStringLiteral("-t"), QStringLiteral("string"), QStringLiteral("-s"),
                           abs};
        return out;
    }
    for (const QString &img : images) {
        const QString style = img.left(img.size() - int(qstrlen("last-image"))) + QStringLiteral("image-style");
        out << QStringList{xq, QStringLiteral("-c"), ch, QStringLiteral("-p"), style, QStringLiteral("-n"),
                           QStringLiteral("-t"), QStringLiteral("int"), QStringLiteral("-s"), QStringLiteral("3")};
        out << QStringList{xq, QStringLiteral("-c"), ch, QStringLiteral("-p"), img, QStringLiteral("-s"), abs};
    }
    return out;
}

QStringList XfconfWay::listCommand() const
{
    return {QStringLiteral("xfconf-query"), QStringLiteral("-c"), QStringLiteral("xfce4-desktop"),
            QStringLiteral("-l")};
}

QStringList XfconfWay::readBackCommand(const QStringList &set) const { return set.mid(0, 5); }

bool PcmanfmWay::apply(const QString &path)
{
    if (!OnBus(QStringLiteral("org.pcmanfm.PCManFM")))
        return false;
    const QString fresh = FreshWallpaperCopy(path);
    if (fresh.isEmpty())
        return false;
    if (SettingsToolWay::apply(fresh))
        return true;
    QFile::remove(fresh);
    return false;
}

QList<QStringList> PcmanfmWay::commands(const QString &path, const QStringList &) const
{
    return {{QStringLiteral("pcmanfm-qt"), QStringLiteral("--set-wallpaper"), QFileInfo(path).absoluteFilePath(),
             QStringLiteral("--wallpaper-mode"), QStringLiteral("stretch")}};
}

} // namespace platform
