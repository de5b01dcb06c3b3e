#pragma once
// Desktops that keep their wallpaper in a settings store their own tool writes: the value is
// set with the tool and, where the store can be read, read back from another process.
#include "WallpaperWay.h"

#include <QList>

namespace platform {

class SettingsToolWay : public WallpaperWay {
public:
    bool apply(const QString &path) override;
    // The commands that make `path` the stretched wallpaper; `keys` is what the tool lists
    // of its store (empty when it was not asked).
    virtual QList<QStringList> commands(const QString &path, const QStringList &keys) const = 0;

protected:
    // The command listing the store's keys; empty when none is needed.
    virtual QStringList listCommand() const { return {}; }
    // The command printing what `set` stored, and the value it prints then; an empty command
    // when the store cannot be read back.
    virtual QStringList readBackCommand(const QStringList &set) const;
    virtual QString storedValue(const QString &printed) const { return printed.trimmed(); }
};

// GNOME and the desktops reading its settings, Cinnamon, MATE: one schema with the picture and
// its "picture-options".
class GSettingsWay : public SettingsToolWay {
public:
    // `pictureKeys` get the picture, as a file URI or, with `plainPath`, as the path itself.
    // A key the schema does not list is left out (GNOME before 42 has no dark picture).
    GSettingsWay(QString schema, QStringList pictureKeys, bool plainPath = false);
    QList<QStringList> commands(const QString &path, const QStringList &keys) const override;

protected:
    QStringList listCommand() const override;
    QStringList readBackCommand(const QStringList &set) const override;
    QString storedValue(const QString &printed) const override;

private:
    QString m_schema;
    QStringList m_pictureKeys;
    bool m_plainPath;
};

// Xfce: every monitor's ".../last-image" in the "xfce4-desktop" channel.
class XfconfWay : public SettingsToolWay {
public:
    QList<QStringList> commands(const QString &path, const QStringList &keys) const override;

protected:
    QStringList listCommand() const override;
    QStringList readBackCommand(const QStringList &set) const override;
};

// LXQt's desktop, pcmanfm-qt: without its desktop running it stores the picture, shows nothing
// and exits 0; it keeps showing a path it already shows, so it gets a fresh name every time.
class PcmanfmWay : public SettingsToolWay {
public:
    bool apply(const QString &path) override;
    QList<QStringList> commands(const QString &path, const QStringList &keys) const override;
};

} // namespace platform
