#include "SyncState.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

bool TSyncState::Load(const QString &path)
{
    *this = TSyncState();
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject root = doc.object();
    address = root.value(QLatin1String("address")).toString();
    collection = root.value(QLatin1String("collection")).toString();
    token = root.value(QLatin1String("token")).toString().toUtf8();
    const QJsonObject dayMap = root.value(QLatin1String("days")).toObject();
    for (auto it = dayMap.begin(); it != dayMap.end(); ++it) {
        const QJsonArray a = it.value().toArray();
        days[it.key()] = {a.at(0).toString(), a.at(1).toString().toUtf8(), a.at(2).toString().toLatin1()};
    }
    const QJsonObject foreignMap = root.value(QLatin1String("foreign")).toObject();
    for (auto it = foreignMap.begin(); it != foreignMap.end(); ++it)
        foreign[it.key()] = it.value().toString().toUtf8();
    const QJsonObject yearlyMap = root.value(QLatin1String("yearly")).toObject();
    for (auto it = yearlyMap.begin(); it != yearlyMap.end(); ++it) {
        const QJsonArray a = it.value().toArray();
        yearly[it.key()] = {a.at(0).toString().toLongLong(), a.at(1).toString(), a.at(2).toString().toUtf8(),
                            a.at(3).toString().toLatin1()};
    }
    return true;
}

bool TSyncState::Save(const QString &path) const
{
    QJsonObject dayMap;
    for (const auto &[key, day] : days)
        dayMap.insert(key, QJsonArray{day.href, QString::fromUtf8(day.etag), QString::fromLatin1(day.digest)});
    QJsonObject foreignMap;
    for (const auto &[href, etag] : foreign)
        foreignMap.insert(href, QString::fromUtf8(etag));
    QJsonObject yearlyMap;
    for (const auto &[uid, y] : yearly)
        yearlyMap.insert(uid, QJsonArray{QString::number(y.id), y.href, QString::fromUtf8(y.etag),
                                         QString::fromLatin1(y.digest)});
    const QJsonObject root{{QLatin1String("address"), address},
                           {QLatin1String("collection"), collection},
                           {QLatin1String("token"), QString::fromUtf8(token)},
                           {QLatin1String("days"), dayMap},
                           {QLatin1String("foreign"), foreignMap},
                           {QLatin1String("yearly"), yearlyMap}};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(root).toJson(QJsonDocument::Compact));
    return file.commit();
}

QByteArray TSyncState::Digest(const QByteArray &rtf, const QString &plain)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(rtf);
    hash.addData(QByteArray(1, '\0'));
    hash.addData(plain.toUtf8());
    return hash.result().left(16).toHex();
}
