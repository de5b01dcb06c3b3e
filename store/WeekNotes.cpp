#include "WeekNotes.h"

#include "NoteDocument.h"
#include "uGlobal.h"

#include <vector>

const char *const TWeekNotes::WeekReadFailedText = "本周笔记未能全部读出，未读出的日子暂不保存";
const char *const TWeekNotes::SaveFailedText = "笔记保存失败，下次修改时重试";
const char *const TWeekNotes::DayNotReadText = "未能读出这一天的笔记";
const char *const TWeekNotes::TooLongText = "%1的笔记过长，只显示开头部分且暂不能编辑；数据库中的全文保持原样";

TWeekNotes::TWeekNotes(const std::array<TNoteDocument *, 6> &days, TDM &dm, QObject *parent)
    : QObject(parent), m_days(days), m_repository(dm)
{
    for (TNoteDocument *day : m_days)
        connect(day, &TNoteDocument::changed, this, &TWeekNotes::redt1Exit);
}

void TWeekNotes::redt1Exit()
{
    if (FormShown && WeekLoaded)
        SaveWeek();
}

QString TWeekNotes::statusText() const
{
    QStringList parts;
    if (m_readFailed)
        parts << QString::fromUtf8(WeekReadFailedText);
    if (SaveFailed())
        parts << QString::fromUtf8(SaveFailedText);
    if (const QString cut = CutText(); !cut.isEmpty())
        parts << cut;
    return parts.join(QStringLiteral("；"));
}

QString TWeekNotes::CutText() const
{
    static const char *const names[6] = {"周一", "周二", "周三", "周四", "周五", "周末"};
    QStringList cut;
    for (int d = 0; d < 6; ++d)
        if (m_cut[size_t(d)])
            cut << QString::fromUtf8(names[d]);
    return cut.isEmpty() ? QString() : QString::fromUtf8(TooLongText).arg(cut.join(QStringLiteral("、")));
}

void TWeekNotes::setStatus(bool readFailed, const std::array<bool, 6> &cut)
{
    const bool saveFailed = SaveFailed();
    if (readFailed == m_readFailed && saveFailed == m_lastSaveFailed && cut == m_cut)
        return;
    m_readFailed = readFailed;
    m_cut = cut;
    m_lastSaveFailed = saveFailed;
    emit statusChanged();
}

void TWeekNotes::setDayReadable(int d, bool readable)
{
    m_loaded[d] = readable;
    m_days[d]->SetReadable(readable);
}

void TWeekNotes::LoadWeek(tdt::TDateTime date)
{
    WeekLoaded = false;
    if (WeekConList.size() != 7)
        WeekConList.resize(7);
    BuildWeek(WeekConList, date);
    // A note whose save failed is newer than its row: it is not read.
    std::vector<int> toRead;
    std::vector<QString> keys;
    for (int d = 0; d < 6; ++d) {
        if (!m_unsaved.contains(WeekConList[d].DayKey)) {
            toRead.push_back(d);
            keys.push_back(WeekConList[d].DayKey);
        }
    }
    const std::vector<TNotesRepository::DayRead> reads = m_repository.ReadDays(keys);
    bool failed = false;
    // A note too long to show whole shows its beginning; like an unread one it is not
    // typed into, and no save may put its beginning in place of the whole.
    std::array<bool, 6> cut{};
    size_t next = 0;
    for (int d = 0; d < 6; ++d) {
        TNoteDocument *day = m_days[d];
        if (next == toRead.size() || toRead[next] != d) {
            cut[size_t(d)] = !day->LoadFromBytes(m_unsaved.value(WeekConList[d].DayKey).rtf);
            setDayReadable(d, !cut[size_t(d)]);
            continue;
        }
        const TNotesRepository::DayRead &read = reads[next++];
        // Neither last week's notes nor an empty document may later overwrite an unread row.
        failed = failed || read.result == TNotesRepository::ReadResult::Unread;
        cut[size_t(d)] =
            !day->LoadFromBytes(read.result == TNotesRepository::ReadResult::Row ? read.content : QByteArray());
        setDayReadable(d, read.result != TNotesRepository::ReadResult::Unread && !cut[size_t(d)]);
    }
    WeekLoaded = true;
    setStatus(failed, cut);
}

void TWeekNotes::SaveWeek()
{
    WeekLoaded = false;
    std::vector<TNotesRepository::DayNote> work;
    if (WeekConList.size() >= 6) {
        for (int d = 0; d < 6; ++d) {
            if (m_loaded[d])
                work.push_back({WeekConList[d].DayKey, m_days[d]->RtfContent(), m_days[d]->PlainText()});
        }
    }
    // Notes of other weeks whose save failed are tried again with this one.
    for (auto it = m_unsaved.constBegin(); it != m_unsaved.constEnd(); ++it) {
        bool current = false;
        for (const auto &w : work)
            current = current || w.key == it.key();
        if (!current)
            work.push_back({it.key(), it->rtf, it->plain});
    }

    const std::vector<bool> written = m_repository.WriteDays(work, UseTransaction);
    for (size_t i = 0; i < work.size(); ++i) {
        if (written[i])
            m_unsaved.remove(work[i].key);
        else
            m_unsaved.insert(work[i].key, {work[i].rtf, work[i].plain});
    }
    WeekLoaded = true;
    setStatus(m_readFailed, m_cut);
    emit saved();
}

bool TWeekNotes::SaveBeforeQuit()
{
    if (SaveFailed() && WeekLoaded)
        SaveWeek();
    return !SaveFailed();
}
