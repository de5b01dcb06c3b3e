#include "LoginFile.h"

#include "ProgramFolder.h"

#include <QDir>

#include <algorithm>

namespace loginfile {

QString Path() { return DataDir() + QStringLiteral("loginstr.db"); }

settings::Lines Read() { return settings::Read(Path()); }

settings::Status ReadLine0(QString &line0) { return Read().text(0, line0); }

bool IsNoPassword(const QString &line0) { return line0 == NoPasswordMarker; }

bool LooksDamaged(const settings::Lines &file)
{
    QString line0, line1, line2;
    if (file.text(0, line0) != settings::Status::Ok || IsNoPassword(line0))
        return false;
    const bool typeable = std::all_of(line0.cbegin(), line0.cend(), [](QChar c) {
        return c.isPrint() && c != QChar::ReplacementCharacter && !c.isNonCharacter();
    });
    return !typeable || line0.isEmpty() || file.text(1, line1) != settings::Status::Ok || line1 != line0
           || file.text(2, line2) != settings::Status::Ok;
}

QString DamagedNotice()
{
    return QStringLiteral("密码文件已损坏，其中的密码可能无法输入：\n%1\n\n"
                          "如果无法登录，请先退出本程序，删除或改名该文件后重新启动，"
                          "启动密码即被取消（笔记不受影响），再在“登陆密码”中重新设置。")
        .arg(QDir::toNativeSeparators(Path()));
}

bool WritePassword(const QString &first, const QString &second)
{
    return settings::Write(Path(), {first, second, QStringLiteral("-1")});
}

bool WriteNoPassword()
{
    return settings::Write(Path(), {NoPasswordMarker, NoPasswordMarker, QStringLiteral("0")});
}

} // namespace loginfile
