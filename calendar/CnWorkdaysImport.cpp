#include "CnWorkdaysImport.h"

#include "ChnCalendarPicker.h"
#include "CnWorkdaysFile.h"
#include "Dialogs.h"
#include "PrivateFiles.h"
#include "ProgramFolder.h"
#include "SettingsFile.h"
#include "WorkdaysArrangement.h"
#include "WorkdaysFile.h"

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>

namespace {

const QString kUnchanged = QStringLiteral("放假安排没有改动。");

// Reads a whole file of at most the table's size; false after telling the user why not.
bool ReadWhole(const QString &path, QByteArray &bytes, QWidget *parent)
{
    bool more = false;
    const settings::Status s = settings::ReadBytes(path, bytes, qint64(TCnWorkdays::MaxFileBytes), &more);
    const QString name = QFileInfo(path).fileName();
    if (s != settings::Status::Ok) {
        dialogs::ShowMessage(QStringLiteral("无法读取“%1”。\n").arg(name) + kUnchanged, parent);
        return false;
    }
    if (more) {
        dialogs::ShowMessage(QStringLiteral("“%1”太大，不像是放假安排。\n").arg(name) + kUnchanged, parent);
        return false;
    }
    return true;
}

} // namespace

QString ImportWorkdaysCaption() { return QStringLiteral("导入放假安排"); }

bool ImportWorkdays(QWidget *parent, TChnCalendar *calendar)
{
    const QStringList files = dialogs::GetOpenFileNames(
        parent, ImportWorkdaysCaption(), QString(),
        QStringLiteral("放假安排 (*.ics *.tsv *.txt);;所有文件 (*)"));
    if (files.isEmpty())
        return false;

    // The table as it stands; every one of its lines stays.
    const QString tablePath = workdaysfile::Path();
    QByteArray table;
    if (QFileInfo::exists(tablePath) && !ReadWhole(tablePath, table, parent))
        return false;

    TMergeResult total;
    total.Text = table.toStdString();
    for (const QString &file : files) {
        QByteArray bytes;
        if (!ReadWhole(file, bytes, parent))
            return false;
        const QString name = QFileInfo(file).fileName();
        const bool ics = name.endsWith(QLatin1String(".ics"), Qt::CaseInsensitive);
        // A table a Chinese Windows editor saved in its "ANSI" code page keeps its names.
        if (!ics && !IsValidUtf8(std::string_view(bytes.constData(), std::size_t(bytes.size()))))
            bytes = settings::Decode(bytes).toUtf8();
        const std::string_view text(bytes.constData(), std::size_t(bytes.size()));
        // A file named a calendar is read as one, so that its faults are told in its terms.
        const TArrangement a = ics ? ParseICalendar(text) : ParseArrangement(text);
        if (!a.Ok()) {
            dialogs::ShowMessage(
                QStringLiteral("无法导入“%1”：%2。\n").arg(name, QString::fromStdString(a.Error)) + kUnchanged,
                parent);
            return false;
        }
        const TMergeResult r = MergeArrangement(total.Text, a, (QStringLiteral("导入自 ") + name).toStdString());
        total.Text = r.Text;
        total.Added += r.Added;
        total.Same += r.Same;
        total.Kept += r.Kept;
        // Every later start and import reads the table only up to its limit.
        if (total.Text.size() > TCnWorkdays::MaxFileBytes) {
            dialogs::ShowMessage(QStringLiteral("导入“%1”后，放假安排文件将超过 %2 MB，程序无法再完整读取它。\n")
                                         .arg(name)
                                         .arg(TCnWorkdays::MaxFileBytes >> 20)
                                     + kUnchanged,
                                 parent);
            return false;
        }
    }

    if (total.Added > 0) {
        privatefiles::MakeFolder(DataDir());
        if (!workdaysfile::Write(tablePath, total.Text)) {
            dialogs::ShowError(QStringLiteral("无法写入 %1。\n").arg(QDir::toNativeSeparators(tablePath)) + kUnchanged,
                               parent);
            return false;
        }
        ReloadCnWorkdays();
        if (calendar)
            calendar->setWorkdays(&CnWorkdays());
    }

    QString text = total.Added > 0 ? QStringLiteral("已导入放假安排：新增 %1 天。").arg(total.Added)
                                   : QStringLiteral("没有新增的日子。");
    if (total.Same > 0)
        text += QStringLiteral("\n%1 天原已收录。").arg(total.Same);
    if (total.Kept > 0)
        text += QStringLiteral("\n%1 天与原有记录不同，保留了原有记录。").arg(total.Kept);
    dialogs::ShowMessage(text, parent);
    return total.Added > 0;
}
