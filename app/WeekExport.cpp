#include "WeekExport.h"

#include "Dialogs.h"
#include "SettingsFile.h"

#include <QSaveFile>

namespace weekexport {
namespace {

QString digits(int value, int width) { return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0')); }

QString dateText(tdt::TDateTime d, const QString &sep)
{
    const tdt::YMD ymd = tdt::DecodeDate(d);
    return digits(ymd.year, 4) + sep + digits(ymd.month, 2) + sep + digits(ymd.day, 2);
}

} // namespace

QStringList Lines(const std::array<tdt::TDateTime, 6> &days, const std::array<QStringList, 6> &boxLines)
{
    static const char *const captions[6] = {"星期一 ", "星期二 ", "星期三 ", "星期四 ", "星期五 ", "星期六/日 "};
    QStringList lines;
    for (int i = 0; i < 6; ++i) {
        lines << QString::fromUtf8(captions[i]) + dateText(days[i], QStringLiteral("."));
        lines << QStringLiteral("  ");
        lines << boxLines[i];
        lines << QStringLiteral("  ");
    }
    return lines;
}

QString DefaultName(tdt::TDateTime calendarValue)
{
    const tdt::HMS t = tdt::DecodeTime(calendarValue);
    return QStringLiteral("周 ") + dateText(calendarValue, QString()) + digits(t.hour, 2) + digits(t.minute, 2)
           + digits(t.second, 2);
}

const char *const Gb18030Filter = "*.Txt";
const char *const Utf8Filter = "文本文件 (UTF-8) (*.txt)";

QByteArray Encode(const QStringList &lines, const QString &filter)
{
    const bool utf8 = filter == QString::fromUtf8(Utf8Filter);
    QByteArray bytes;
    for (const QString &l : lines)
        bytes += (utf8 ? l.toUtf8() : settings::Encode(l)) + "\r\n";
    return bytes;
}

QString FileName(const QString &chosen)
{
    if (chosen.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        return chosen;
    return chosen + QStringLiteral(".txt");
}

void Export(QWidget *parent, const QStringList &lines, tdt::TDateTime calendarValue)
{
    QString filter = QString::fromUtf8(Gb18030Filter);
    const QString name = dialogs::GetSaveFileName(parent, QString(), DefaultName(calendarValue),
                                                  filter + QStringLiteral(";;") + QString::fromUtf8(Utf8Filter),
                                                  &filter);
    if (name.isNull())
        return;
    if (name.isEmpty()) {
        dialogs::ShowMessage(QStringLiteral("文件名不能为空！"), parent);
        return;
    }
    const QString file = FileName(name);
    QSaveFile out(file);
    // Written whole or not at all, as the settings files are.
    const QByteArray bytes = Encode(lines, filter);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        dialogs::ShowError(QStringLiteral("无法写入文件 %1").arg(file), parent);
}

} // namespace weekexport
