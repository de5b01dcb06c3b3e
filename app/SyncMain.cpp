#include "SyncMain.h"

#include "ActionTable.h"
#include "DatabaseOpen.h"
#include "Keyring.h"
#include "NoteBox.h"
#include "NoteDocument.h"
#include "NoteSync.h"
#include "NotesRepository.h"
#include "StatusLine.h"
#include "SyncFile.h"
#include "SyncState.h"
#include "WeekNotes.h"
#include "YearlyDatesStore.h"
#include "uDM.h"
#include "uGlobal.h"
#include "uSyncSet.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QThread>

#include <atomic>
#include <map>

struct TSyncMain::Job {
    syncfile::Settings settings;
    QString password;
    QSet<QString> shown;
    int timeoutMs = 30000;
    std::shared_ptr<std::atomic_bool> cancel = std::make_shared<std::atomic_bool>(false);
    // Out.
    bool ok = false;
    QString error;
    QStringList changedKeys;
    bool yearlyChanged = false;
    std::map<QString, TNoteSync::DeferredDay> deferred;
    std::map<QString, TNoteSync::DeferredDay> written;
};

TSyncMain::TSyncMain(const Parts &parts) : QObject(parts.window), m_parts(parts)
{
    TActionTable &actions = *parts.actions;
    N_SyncSet = actions.Add(QStringLiteral("N_SyncSet"), QStringLiteral("同步设置…"));
    actions.Insert(QStringLiteral("popSysset"), QStringLiteral("N_SyncSet"), QStringLiteral("N8"));
    connect(N_SyncSet, &QAction::triggered, this, &TSyncMain::N_SyncSetClick);

    m_settle.setSingleShot(true);
    connect(&m_settle, &QTimer::timeout, this, &TSyncMain::SyncNow);
    connect(&m_period, &QTimer::timeout, this, &TSyncMain::SyncNow);
    // A note saved: the sync follows once typing has rested a while, never per keystroke.
    connect(parts.week, &TWeekNotes::saved, this, [this] {
        m_changed = true;
        m_settle.start(SettleMs);
    });
    connect(qApp, &QCoreApplication::aboutToQuit, this, &TSyncMain::SyncBeforeQuit);
    m_period.start(PeriodMs);
    // At start, once the window is up.
    QTimer::singleShot(1000, this, &TSyncMain::SyncNow);
}

TSyncMain::~TSyncMain()
{
    if (m_thread) {
        m_job->cancel->store(true);
        m_thread->wait();
        delete m_thread;
    }
}

void TSyncMain::SetPassword(const QString &password)
{
    m_password = password;
    m_havePassword = true;
}

bool TSyncMain::password(QString &out)
{
    if (qEnvironmentVariableIsSet("TAVI_SYNC_PASSWORD")) {
        out = qEnvironmentVariable("TAVI_SYNC_PASSWORD");
        return true;
    }
    if (!m_havePassword) {
        syncfile::Settings s;
        syncfile::Read(s);
        if (s.user.isEmpty()) {
            m_password.clear();
        } else {
            const auto stored = keyring::ReadPassword(s.user + QLatin1Char('@') + s.address);
            if (!stored)
                return false;
            m_password = *stored;
        }
        m_havePassword = true;
    }
    out = m_password;
    return true;
}

void TSyncMain::SyncNow()
{
    if (m_thread) {
        m_again = true;
        return;
    }
    start(30000);
}

void TSyncMain::start(int timeoutMs)
{
    auto job = std::make_shared<Job>();
    if (syncfile::Read(job->settings) != settings::Status::Ok || job->settings.address.isEmpty()) {
        m_parts.status->Clear(TStatusLine::SyncState);
        return;
    }
    if (!password(job->password)) {
        m_parts.status->Set(TStatusLine::SyncState, QStringLiteral("同步：读不出钥匙环中的密码，请解锁钥匙环"));
        return;
    }
    job->timeoutMs = timeoutMs;
    for (int d = 0; d < 6 && d < int(WeekConList.size()); ++d)
        job->shown.insert(WeekConList[size_t(d)].DayKey);
    m_changed = false;
    m_job = job;
    m_parts.status->Set(TStatusLine::SyncState, QStringLiteral("正在同步…"));
    m_thread = QThread::create([job] {
        TDM dm;
        if (!OpenDatabaseQuietly(dm)) {
            job->error = QStringLiteral("同步：读不出记事数据库，稍后再试");
            return;
        }
        TNotesRepository notes(dm);
        TQtTransport transport(job->settings.user, job->password, job->settings.fingerprint);
        transport.TimeoutMs = job->timeoutMs;
        transport.Cancel = job->cancel;
        TYearlyDatesStore yearly(dm);
        TNoteSync sync(notes, transport, syncfile::StatePath());
        sync.Yearly = &yearly;
        sync.Address = syncfile::AddressUrl(job->settings.address);
        sync.PlainHttpAllowed = job->settings.plainHttp;
        sync.Deferred = job->shown;
        job->ok = sync.Run();
        job->error = sync.ErrorText;
        job->changedKeys = sync.ChangedKeys;
        job->yearlyChanged = sync.YearlyChanged;
        job->deferred = sync.DeferredNotes;
        job->written = sync.WrittenNotes;
    });
    connect(m_thread, &QThread::finished, this, &TSyncMain::finish, Qt::QueuedConnection);
    m_thread->start(QThread::LowPriority);
}

void TSyncMain::finish()
{
    if (!m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    const std::shared_ptr<Job> job = std::move(m_job);
    if (job->ok)
        m_parts.status->Set(TStatusLine::SyncState,
                               QStringLiteral("已同步 %1").arg(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm"))));
    else
        m_parts.status->Set(TStatusLine::SyncState, job->error);

    // The shown days the server changed: taken in where the box is as the sync read it.
    bool took = false;
    for (int d = 0; d < 6 && d < int(WeekConList.size()); ++d) {
        const auto it = job->deferred.find(WeekConList[size_t(d)].DayKey);
        if (it == job->deferred.end())
            continue;
        TNoteDocument *doc = m_parts.boxes[size_t(d)]->noteDocument();
        if (doc->RtfContent() != it->second.beforeRtf)
            continue; // typed into meanwhile: the next sync keeps both texts
        doc->LoadFromBytes(it->second.rtf);
        took = true;
    }
    // A week switched to while the sync wrote may show a day as it was before the write.
    std::vector<QString> typedOnOld;
    for (int d = 0; d < 6 && d < int(WeekConList.size()); ++d) {
        const auto it = job->written.find(WeekConList[size_t(d)].DayKey);
        if (it == job->written.end())
            continue;
        TNoteDocument *doc = m_parts.boxes[size_t(d)]->noteDocument();
        const QByteArray now = doc->RtfContent();
        if (now == it->second.rtf)
            continue; // loaded after the write
        const bool untouched = it->second.beforeRtf.isEmpty() ? doc->isEmpty() : now == it->second.beforeRtf;
        if (untouched) {
            doc->LoadFromBytes(it->second.rtf);
            took = true;
        } else {
            typedOnOld.push_back(it->first);
        }
    }
    // Typed into the text from before: the box's next save goes over what the sync wrote.
    // Forgotten by the sync state, the day counts as changed on both sides next time, and
    // both texts are kept.
    if (!typedOnOld.empty()) {
        TSyncState state;
        if (state.Load(syncfile::StatePath())) {
            for (const QString &key : typedOnOld)
                state.days.erase(key);
            state.Save(syncfile::StatePath());
        }
        m_changed = true;
        m_settle.start(SettleMs);
    }
    if (took) {
        m_parts.week->SaveWeek();
        m_settle.start(1000);
    }
    if (job->yearlyChanged)
        emit yearlyDatesChanged();
    emit synced(job->ok);
    if (m_again) {
        m_again = false;
        start(30000);
    }
}

void TSyncMain::SyncBeforeQuit()
{
    m_settle.stop();
    m_period.stop();
    m_again = false;
    if (!m_thread && m_changed)
        start(QuitWaitMs / 2);
    if (!m_thread)
        return;
    if (!m_thread->wait(QuitWaitMs)) {
        m_job->cancel->store(true);
        m_thread->wait();
    }
    finish();
}

void TSyncMain::N_SyncSetClick()
{
    TSyncSetFrm frm(this, m_parts.window);
    frm.exec();
}
