#pragma once
// One way of handing a picture to a desktop, and what the ways share: running a tool,
// calling a desktop over D-Bus, the picture in a format a tool reads.
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace platform {

class WallpaperWay {
public:
    virtual ~WallpaperWay() = default;
    // Shows the picture at `path` stretched; true only when the desktop confirmed it.
    virtual bool apply(const QString &path) = 0;
};

namespace wallpaperway {

bool ToolOnPath(const QString &tool);

// Runs a tool to its end; true when it exits 0. Its standard output goes to `output` when
// given (its errors are dropped then), else both are dropped.
bool Run(const QStringList &command, QString *output = nullptr, int timeoutMs = 15000);

// The same picture in a format a tool reads: tools without BMP support take the JPEG the BMP
// was decoded from. `path` itself when it is no BMP; empty when there is no such sibling.
QString ReadableSibling(const QString &path);

bool OnBus(const QString &service);

// A D-Bus call with its reply awaited: a desktop that is not there or refuses is a failure.
bool CallDesktop(const QString &service, const QString &path, const QString &interface, const QString &method,
                 const QVariantList &args, QVariantList *reply = nullptr);

// The file URI of `path`, fully encoded.
QString FileUri(const QString &path);

} // namespace wallpaperway

// Plasma and LXQt keep showing an image path they already show, so each apply hands them a copy under a
// fresh name beside `path`: "<base>-<ms>.<suffix>", a second link where the file system has them.
// The copies of earlier applies go away.
// Empty when the copy cannot be written.
QString FreshWallpaperCopy(const QString &path);

} // namespace platform
