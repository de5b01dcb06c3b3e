#include "WeekNotes.h"

#include "NoteDocument.h"
#include "SqliteStatement.h"
#include "uDM.h"
#include "uGlobal.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <vector>

const char *const TWeekNotes::WeekReadFailedText = "本周笔记未能全部读出，未读出的日子暂不保存";
const char *const TWeekNotes::SaveFailedText = "笔记保存失败，下次修改时重试";
const char *const TWeekNotes::SaveLockedText = "记事数据库正被另一个程序占用：修改暂存在内存中，它一放开就自动保存";
const char *const TWeekNotes::FileReadOnlyText = "记事数据库文件只读，请允许写入 %1";
const char *const TWeekNotes::FolderReadOnlyText = "记事数据库所在的文件夹不可写，请允许写入 %1";
const char *const TWeekNotes::DiskFullText = "磁盘已满，请腾出空间";
const char *const TWeekNotes::DayNotReadText = "未能读出这一天的笔记";

TWeekNotes::TWeekNotes(const std::array<TNoteDocument *, 6> &days, TDM &dm, QObject *parent)
    : QObject(parent), m_days(days), m_dm(dm), m_repository(dm), m_writer(dm.DatabasePath())
{
    for (size_t d = 0; d < m_days.size(); ++d)
        connect(m_days[d], &TNoteDocument::changed, this, [this, d] {
            m_dirty[d] = true;
            redt1Exit();
        });
    // Days changed while a write was waiting go as soon as the writer takes it.
    connect(&m_writer, &TNotesWriter::taken, this, [this] {
        if (FormShown && WeekLoaded && std::find(m_dirty.begin(), m_dirty.end(), true) != m_dirty.end())
            handOver();
    });
    connect(&m_writer, &TNotesWriter::reported, this, &TWeekNotes::takeReports);
}

void TWeekNotes::redt1Exit()
{
    if (!FormShown || !WeekLoaded)
        return;
    // A write not taken up yet: the changed days go with the next one, read from the
    // documents then, so that a slow disk costs the key press nothing.
    if (m_writer.Waiting())
        return;
    handOver();
}

void TWeekNotes::handOver()
{
    if (WeekConList.size() < 6)
        return;
    m_writer.SetOneTransaction(UseTransaction);
    WeekLoaded = false;
    std::vector<TNotesWriter::Note> notes;
    for (int d = 0; d < 6; ++d) {
        if (!m_loaded[d] || !(m_dirty[d] || m_noRow[d]))
            continue;
        // A week's first save gives every day of it a row, empty ones included.
        notes.push_back({WeekConList[d].DayKey, m_days[d]->RtfEncoded(), m_days[d]->PlainText()});
        m_dirty[d] = m_noRow[d] = false;
    }
    if (notes.empty())
        m_writer.Retry();
    else
        m_writer.Put(std::move(notes));
    WeekLoaded = true;
}

void TWeekNotes::SaveWeek()
{
    for (int d = 0; d < 6; ++d)
        m_dirty[d] = m_loaded[d];
    handOver();
}

bool TWeekNotes::WaitForWriter(int msecs)
{
    if (FormShown && WeekLoaded && std::find(m_dirty.begin(), m_dirty.end(), true) != m_dirty.end())
        handOver();
    const bool idle = m_writer.WaitIdle(msecs);
    takeReports();
    return idle;
}

bool TWeekNotes::SaveBeforeQuit()
{
    if (FormShown && WeekLoaded)
        handOver();
    m_writer.Retry();
    const bool idle = m_writer.WaitIdle(QuitWaitMs);
    takeReports();
    return idle && !SaveFailed();
}

void TWeekNotes::takeReports()
{
    const std::vector<TNotesWriter::Report> reports = m_writer.TakeReports();
    if (reports.empty())
        return;
    bool replaced = false;
    for (const TNotesWriter::Report &r : reports) {
        m_locked = r.locked;
        if (!r.failed.isEmpty())
            m_lastError = r.error;
        replaced = replaced || r.replaced;
    }
    if (replaced && m_dm.Open(m_dm.DatabasePath()) && WeekConList.size() >= 6) {
        // What the week shows comes from the file that is there now, but for the days
        // changed since (the writer has them).
        std::vector<int> days;
        std::vector<QString> keys;
        for (int d = 0; d < 6; ++d)
            if (m_loaded[d] && !m_dirty[d] && !m_writer.Latest(WeekConList[d].DayKey)) {
                days.push_back(d);
                keys.push_back(WeekConList[d].DayKey);
            }
        const std::vector<TNotesRepository::DayRead> reads = m_repository.ReadDays(keys);
        const bool loaded = WeekLoaded;
        WeekLoaded = false;
        for (size_t i = 0; i < days.size(); ++i) {
            if (reads[i].result == TNotesRepository::ReadResult::Unread)
                break;
            m_days[days[i]]->LoadFromBytes(reads[i].content);
            m_dirty[days[i]] = false;
            m_noRow[days[i]] = reads[i].result == TNotesRepository::ReadResult::NoRow;
        }
        WeekLoaded = loaded;
    }
    setStatus(m_readFailed);
    for (size_t i = 0; i < reports.size(); ++i)
        emit saved();
}

QString TWeekNotes::failureHint() const
{
    const int primary = m_lastError & 0xff;
    if (primary == SQLITE_FULL)
        return QString::fromUtf8(DiskFullText);
    if (primary != SQLITE_READONLY && primary != SQLITE_CANTOPEN && primary != SQLITE_PERM && primary != SQLITE_IOERR)
        return {};
    const QFileInfo file(QDir::cleanPath(m_dm.DatabasePath()));
    if (file.exists() && !file.isWritable())
        return QString::fromUtf8(FileReadOnlyText).arg(QDir::toNativeSeparators(file.absoluteFilePath()));
    const QFileInfo folder(file.absolutePath());
    if (!folder.isWritable())
        return QString::fromUtf8(FolderReadOnlyText).arg(QDir::toNativeSeparators(folder.absoluteFilePath()));
    return {};
}

QString TWeekNotes::SaveStatusText() const
{
    if (!SaveFailed())
        return {};
    if (m_locked)
        return QString::fromUtf8(SaveLockedText);
    const QString hint = failureHint();
    return QString::fromUtf8(SaveFailedText) + (hint.isEmpty() ? QString() : QStringLiteral("（%1）").arg(hint));
}

QString TWeekNotes::statusText() const
{
    QStringList parts;
    if (m_readFailed)
        parts << QString::fromUtf8(WeekReadFailedText);
    if (SaveFailed())
        parts << SaveStatusText();
    return parts.join(QStringLiteral("；"));
}

void TWeekNotes::setStatus(bool readFailed)
{
    m_readFailed = readFailed;
    const QString text = statusText();
    if (text == m_lastStatus)
        return;
    m_lastStatus = text;
    emit statusChanged();
}

void TWeekNotes::setDayReadable(int d, bool readable)
{
    m_loaded[d] = readable;
    m_days[d]->SetReadable(readable);
}

void TWeekNotes::LoadWeek(tdt::TDateTime date)
{
    // The week on screen is left: its changes go to the writer under their own keys.
    if (FormShown && WeekLoaded && std::find(m_dirty.begin(), m_dirty.end(), true) != m_dirty.end())
        handOver();
    WeekLoaded = false;
    if (WeekConList.size() != 7)
        WeekConList.resize(7);
    BuildWeek(WeekConList, date);
    // A note the writer still holds (not written yet, or refused) is newer than its row.
    std::array<std::optional<TNotesWriter::Note>, 6> held;
    std::vector<int> toRead;
    std::vector<QString> keys;
    for (int d = 0; d < 6; ++d) {
        held[d] = m_writer.Latest(WeekConList[d].DayKey);
        if (!held[d]) {
            toRead.push_back(d);
            keys.push_back(WeekConList[d].DayKey);
        }
    }
    const std::vector<TNotesRepository::DayRead> reads = m_repository.ReadDays(keys);
    bool failed = false;
    size_t next = 0;
    for (int d = 0; d < 6; ++d) {
        TNoteDocument *day = m_days[d];
        m_noRow[d] = false;
        if (held[d]) {
            day->LoadFromBytes(held[d]->rtf.Join());
            setDayReadable(d, true);
            m_dirty[d] = false;
            continue;
        }
        const TNotesRepository::DayRead &read = reads[next++];
        // Neither last week's notes nor an empty document may later overwrite an unread row.
        failed = failed || read.result == TNotesRepository::ReadResult::Unread;
        day->LoadFromBytes(read.result == TNotesRepository::ReadResult::Row ? read.content : QByteArray());
        setDayReadable(d, read.result != TNotesRepository::ReadResult::Unread);
        m_dirty[d] = false;
        m_noRow[d] = read.result == TNotesRepository::ReadResult::NoRow;
    }
    WeekLoaded = true;
    setStatus(failed);
}

bool TWeekNotes::ReplaceDay(const QString &key, const QByteArray &rtf)
{
    m_writer.SetOneTransaction(UseTransaction);
    rtf::Encoded bytes;
    bytes.pieces.push_back({rtf, false});
    for (int d = 0; d < 6 && WeekConList.size() >= 6; ++d) {
        if (WeekConList[d].DayKey != key)
            continue;
        if (!m_loaded[d])
            return false;
        const bool loaded = WeekLoaded;
        WeekLoaded = false;
        m_days[d]->LoadFromBytes(rtf);
        WeekLoaded = loaded;
        m_dirty[d] = m_noRow[d] = false;
        m_writer.Put({key, bytes, m_days[d]->PlainText()});
        return true;
    }
    TNoteDocument off;
    off.LoadFromBytes(rtf);
    m_writer.Put({key, bytes, off.PlainText()});
    return true;
}
