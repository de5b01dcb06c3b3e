#include "SyncCommand.h"

#include "Keyring.h"
#include "NoteSync.h"
#include "NotesRepository.h"
#include "SyncFile.h"
#include "YearlyDatesStore.h"
#include "uDM.h"

#include <cstdio>

namespace app {

namespace {

void Out(FILE *to, const QString &line)
{
    std::fputs(line.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

} // namespace

int RunSyncCommand()
{
    syncfile::Settings settings;
    const settings::Status status = syncfile::Read(settings);
    if (status == settings::Status::ReadError) {
        Out(stderr, QStringLiteral("同步设置文件 %1 读不出来，请检查它能否读取。").arg(syncfile::Path()));
        return 1;
    }
    if (status != settings::Status::Ok || settings.address.isEmpty()) {
        Out(stderr, QStringLiteral("同步尚未设置：请在“选项”菜单的“同步设置…”中填写服务器地址。"));
        return SyncNotSetUp;
    }
    QString password = qEnvironmentVariable("TAVI_SYNC_PASSWORD");
    if (password.isEmpty() && !settings.user.isEmpty() && !qEnvironmentVariableIsSet("TAVI_SYNC_PASSWORD")) {
        QString error;
        const auto stored = keyring::ReadPassword(settings.user + QLatin1Char('@') + settings.address, &error);
        if (!stored) {
            Out(stderr, QStringLiteral("读不出系统钥匙环中的同步密码（%1），请解锁钥匙环或设置 TAVI_SYNC_PASSWORD。").arg(error));
            return 1;
        }
        password = *stored;
    }

    TDM dm;
    DMMessageSink = [](const QString &text) { Out(stderr, text); };
    if (!dm.ConnectDatabase())
        return 1;
    TNotesRepository notes(dm);
    TQtTransport transport(settings.user, password, settings.fingerprint);
    TYearlyDatesStore yearly(dm);
    TNoteSync sync(notes, transport, syncfile::StatePath());
    sync.Yearly = &yearly;
    sync.Address = syncfile::AddressUrl(settings.address);
    sync.PlainHttpAllowed = settings.plainHttp;
    if (!sync.Run()) {
        Out(stderr, sync.ErrorText);
        return 1;
    }
    Out(stdout, TNoteSync::SummaryLine(sync.Summary));
    return 0;
}

} // namespace app
