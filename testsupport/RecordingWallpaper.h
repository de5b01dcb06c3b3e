#pragma once
// A desktop that keeps what it is asked to do, in order.
#include "Wallpaper.h"

#include <QList>
#include <QPair>
#include <QStringList>

class RecordingWallpaper : public platform::WallpaperBackend {
public:
    QString name() const override { return QStringLiteral("recording"); }
    bool open() override
    {
        events << QStringLiteral("open");
        return !failOpen;
    }
    bool writeValue(const QString &name, const QString &value) override
    {
        if (failWrite)
            return false;
        events << name + QLatin1Char('=') + value;
        values.append({name, value});
        return true;
    }
    void close() override { events << QStringLiteral("close"); }
    bool reload() override
    {
        events << QStringLiteral("reload");
        return !failReload;
    }

    // "open", "Wallpaper=<path>", "WallpaperStyle=2", "close", "reload".
    QStringList events;
    QList<QPair<QString, QString>> values;
    bool failOpen = false;
    bool failWrite = false;
    bool failReload = false;
};
