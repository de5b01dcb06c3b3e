#include "WeekNotes.h"

#include "NoteBox.h"
#include "uDM.h"
#include "uGlobal.h"

#include <QBuffer>

#include <sqlite3.h>

#include <vector>

const char *const TWeekNotes::WeekReadFailedText = "本周笔记未能全部读出，未读出的日子暂不保存";
const char *const TWeekNotes::SaveFailedText = "笔记保存失败，下次修改时重试";
const char *const TWeekNotes::DayNotReadText = "未能读出这一天的笔记";

TWeekNotes::TWeekNotes(const std::array<TNoteBox *, 6> &boxes, TDM &dm, QObject *parent)
    : QObject(parent), m_boxes(boxes), m_dm(dm)
{
    for (TNoteBox *box : m_boxes) {
        connect(box, &TNoteBox::changed, this, &TWeekNotes::redt1Exit);
        connect(box, &TNoteBox::exited, this, &TWeekNotes::redt1Exit);
    }
}

void TWeekNotes::chnRiliChange(tdt::TDateTime date)
{
    LoadWeek(date);
    emit daySelected(date);
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
    return parts.join(QStringLiteral("；"));
}

void TWeekNotes::setStatus(bool readFailed)
{
    const bool saveFailed = SaveFailed();
    if (readFailed == m_readFailed && saveFailed == m_lastSaveFailed)
        return;
    m_readFailed = readFailed;
    m_lastSaveFailed = saveFailed;
    emit statusChanged();
}

// A box whose row could not be read takes no typing: nothing typed there could be saved.
void TWeekNotes::setDayReadable(int d, bool readable)
{
    m_loaded[d] = readable;
    m_boxes[d]->setReadOnly(!readable);
    m_boxes[d]->setPlaceholderText(readable ? QString() : QString::fromUtf8(DayNotReadText));
}

void TWeekNotes::LoadWeek(tdt::TDateTime date)
{
    WeekLoaded = false;
    if (WeekConList.size() != 7)
        WeekConList.resize(7);
    BuildWeek(WeekConList, date);
    bool failed = false;
    for (int d = 0; d < 6; ++d) {
        TNoteBox *box = m_boxes[d];
        const QString &key = WeekConList[d].DayKey;
        // A note whose save failed is newer than its row.
        if (const auto it = m_unsaved.constFind(key); it != m_unsaved.constEnd()) {
            box->LoadFromBytes(it->rtf);
            setDayReadable(d, true);
            continue;
        }
        if (failed) {
            box->SetTextEmpty();
            setDayReadable(d, false);
            continue;
        }
        try {
            QByteArray content;
            m_dm.RunLookup(key);
            if (m_dm.qryData.RecordCount() > 0) {
                content = m_dm.qryData.ReadContent();
                QBuffer stream(&content);
                stream.open(QIODevice::ReadOnly);
                box->LoadFromStream(stream);
            } else {
                box->SetTextEmpty();
            }
            m_dm.qryData.Close();
            setDayReadable(d, true);
        } catch (const std::exception &) {
            // Neither last week's notes nor an empty box may later overwrite this row.
            m_dm.qryData.Close();
            failed = true;
            box->SetTextEmpty();
            setDayReadable(d, false);
        }
    }
    WeekLoaded = true;
    setStatus(failed);
}

void TWeekNotes::exec(const QString &sql) { m_dm.qryData.ExecDirect(sql); }

bool TWeekNotes::inTransaction() const { return m_dm.AdoCon && !sqlite3_get_autocommit(m_dm.AdoCon); }

bool TWeekNotes::writeDay(const QString &key, const Note &note)
{
    m_dm.RunLookup(key);
    if (m_dm.qryData.RecordCount() <= 0) {
        m_dm.RunInsert(key);
        m_dm.RunLookup(key);
        if (m_dm.qryData.RecordCount() <= 0)
            return false;
    }
    QByteArray bytes = note.rtf;
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    m_dm.qryData.Edit();
    m_dm.qryData.SetContentFromStream(stream);
    m_dm.qryData.SetContentBak(note.plain);
    m_dm.qryData.Post();
    return true;
}

void TWeekNotes::SaveWeek()
{
    WeekLoaded = false;
    struct Work {
        QString key;
        Note note;
        bool written = false;
    };
    std::vector<Work> work;
    if (WeekConList.size() >= 6) {
        for (int d = 0; d < 6; ++d) {
            if (!m_loaded[d])
                continue;
            TNoteBox *box = m_boxes[d];
            box->SetSelectionProtected(false);
            work.push_back({WeekConList[d].DayKey, {box->RtfContent(), box->PlainText()}});
        }
    }
    // Notes of other weeks whose save failed are tried again with this one.
    for (auto it = m_unsaved.constBegin(); it != m_unsaved.constEnd(); ++it) {
        bool current = false;
        for (const Work &w : work)
            current = current || w.key == it.key();
        if (!current)
            work.push_back({it.key(), it.value()});
    }

    // A transaction left open by a save that could not end it would never commit.
    if (inTransaction()) {
        try {
            exec(QStringLiteral("rollback"));
        } catch (const std::exception &) {
        }
    }
    bool transaction = false;
    if (UseTransaction && !inTransaction()) {
        try {
            exec(QStringLiteral("begin"));
            transaction = true;
        } catch (const std::exception &) {
            // Without a transaction every update commits on its own.
        }
    }
    for (size_t i = 0; i < work.size(); ++i) {
        const QString savepoint = QStringLiteral("day%1").arg(i);
        try {
            if (transaction)
                exec(QStringLiteral("savepoint ") + savepoint);
            work[i].written = writeDay(work[i].key, work[i].note);
            if (transaction)
                exec(QStringLiteral("release ") + savepoint);
        } catch (const std::exception &) {
            work[i].written = false;
            if (transaction && inTransaction()) {
                try {
                    exec(QStringLiteral("rollback to ") + savepoint);
                    exec(QStringLiteral("release ") + savepoint);
                } catch (const std::exception &) {
                }
            }
            if (transaction && !inTransaction()) {
                // The engine rolled the whole transaction back: the days before are lost too.
                for (size_t k = 0; k < i; ++k)
                    work[k].written = false;
                transaction = false;
            }
        }
    }
    if (transaction) {
        try {
            exec(QStringLiteral("commit"));
        } catch (const std::exception &) {
            for (Work &w : work)
                w.written = false;
            try {
                if (inTransaction())
                    exec(QStringLiteral("rollback"));
            } catch (const std::exception &) {
            }
        }
    }
    for (const Work &w : work) {
        if (w.written)
            m_unsaved.remove(w.key);
        else
            m_unsaved.insert(w.key, w.note);
    }
    WeekLoaded = true;
    setStatus(m_readFailed);
    emit saved();
}
