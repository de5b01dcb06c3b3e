#pragma once
// Data/Sync.ini: where the notes are synced. Line 1 the calendar collection or the
// server's address, line 2 the user name, line 3 the SHA-256 fingerprint of a server
// certificate the user accepted (may be empty), line 4 "1" when the user insists on plain
// HTTP to another machine. No password: that is in the system's keyring.
#include "SettingsFile.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace syncfile {

struct Settings {
    QString address;
    QString user;
    QByteArray fingerprint;
    bool plainHttp = false;
};

QString Path();
// What the last sync left agreed, beside the settings.
QString StatePath();
// Ok, NoFile or ReadError; missing lines read as empty.
settings::Status Read(Settings &out);
bool Write(const Settings &s);
// The address as typed, as a URL: without a scheme it is https.
QUrl AddressUrl(const QString &typed);

} // namespace syncfile
