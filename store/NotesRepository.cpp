#include "NotesRepository.h"

#include "SqliteStatement.h"
#include "uDM.h"

#include <QBuffer>

#include <algorithm>
#include <string>

std::vector<TNotesRepository::DayRead> TNotesRepository::ReadDays(const std::vector<QString> &keys)
{
    std::vector<DayRead> reads(keys.size());
    for (size_t d = 0; d < keys.size(); ++d) {
        try {
            m_dm.RunLookup(keys[d]);
            if (m_dm.qryData.RecordCount() > 0) {
                reads[d].content = m_dm.qryData.ReadContent();
                reads[d].result = ReadResult::Row;
            } else {
                reads[d].result = ReadResult::NoRow;
            }
            m_dm.qryData.Close();
        } catch (const std::exception &) {
            m_dm.qryData.Close();
            break;
        }
    }
    return reads;
}

void TNotesRepository::exec(const QString &sql) { m_dm.qryData.ExecDirect(sql); }

bool TNotesRepository::inTransaction() const { return m_dm.AdoCon && m_dm.AdoCon->InTransaction(); }

bool TNotesRepository::writeDay(const DayNote &day)
{
    m_dm.RunLookup(day.key, true);
    if (m_dm.qryData.RecordCount() <= 0) {
        m_dm.RunInsert(day.key);
        m_dm.RunLookup(day.key, true);
        if (m_dm.qryData.RecordCount() <= 0)
            return false;
    }
    QByteArray bytes = day.rtf;
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    m_dm.qryData.Edit();
    m_dm.qryData.SetContentFromStream(stream);
    m_dm.qryData.SetContentBak(day.plain);
    m_dm.qryData.Post();
    return true;
}

std::vector<bool> TNotesRepository::WriteDays(const std::vector<DayNote> &days, bool oneTransaction, int *error)
{
    std::vector<bool> written(days.size(), false);
    int firstError = 0;
    const auto note = [&](const std::exception &e) {
        const auto *db = dynamic_cast<const EDatabaseError *>(&e);
        if (!firstError)
            firstError = db && db->code ? db->code : -1;
    };
    // A transaction left open by a save that could not end it would never commit.
    if (inTransaction()) {
        try {
            exec(QStringLiteral("rollback"));
        } catch (const std::exception &) {
        }
    }
    bool transaction = false;
    if (oneTransaction && !inTransaction()) {
        try {
            exec(QStringLiteral("begin"));
            transaction = true;
        } catch (const std::exception &) {
            // Without a transaction every update commits on its own.
        }
    }
    for (size_t i = 0; i < days.size(); ++i) {
        const QString savepoint = QStringLiteral("day%1").arg(i);
        try {
            if (transaction)
                exec(QStringLiteral("savepoint ") + savepoint);
            written[i] = writeDay(days[i]);
            if (transaction)
                exec(QStringLiteral("release ") + savepoint);
        } catch (const std::exception &e) {
            note(e);
            written[i] = false;
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
                    written[k] = false;
                transaction = false;
            }
            // Another program holds the file: every further day would wait as long again.
            if ((firstError & 0xff) == SQLITE_BUSY)
                break;
        }
    }
    if (transaction) {
        try {
            exec(QStringLiteral("commit"));
        } catch (const std::exception &e) {
            note(e);
            std::fill(written.begin(), written.end(), false);
            try {
                if (inTransaction())
                    exec(QStringLiteral("rollback"));
            } catch (const std::exception &) {
            }
        }
    }
    if (error)
        *error = firstError;
    return written;
}

namespace {

constexpr char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c; }

sqlite3 *Handle(const TDM &dm)
{
    if (!dm.AdoCon)
        throw EDatabaseError(QStringLiteral("not connected"));
    return dm.AdoCon->handle();
}

} // namespace

std::vector<TNotesRepository::KeywordDay> TNotesRepository::FindKeyword(const QString &keyword)
{
    std::vector<KeywordDay> days;
    std::string key = keyword.toStdString();
    std::transform(key.begin(), key.end(), key.begin(), FoldAscii);
    if (key.empty())
        return days;
    // Matched on the UTF-8 bytes, A to Z folded: a whole character of the keyword matches
    // only whole characters of the text. The texts are read once, in place, and counted
    // as they are found; the engine's own like and replace() read them twice over.
    std::string folded;
    sql::Statement st(Handle(m_dm), QStringLiteral("select YearMonthStr, ContentBak from tb_NewTavi "
                                                   "order by YearMonthStr"));
    while (st.step()) {
        const std::string_view text = st.bytes(1);
        folded.resize(text.size());
        std::transform(text.begin(), text.end(), folded.begin(), FoldAscii);
        int count = 0;
        const std::string_view hay(folded);
        for (size_t at = hay.find(key); at != hay.npos; at = hay.find(key, at + key.size()))
            ++count;
        if (count == 0)
            continue;
        // A day with a second row may be found by that row alone: the window passes over a
        // day whose box does not hold the keyword.
        const QString dayKey = st.text(0);
        if (days.empty() || days.back().key != dayKey)
            days.push_back({dayKey, count});
    }
    return days;
}

std::vector<QString> TNotesRepository::NotedKeys(const QString &fromKey, const QString &toKey)
{
    std::vector<QString> keys;
    sql::Statement st(Handle(m_dm),
                      QStringLiteral("select YearMonthStr from tb_NewTavi where YearMonthStr between ?1 and ?2 "
                                     "and rowid in (select min(rowid) from tb_NewTavi where YearMonthStr between ?1 and ?2 "
                                     "group by YearMonthStr) "
                                     "and length(trim(ContentBak, ' ' || char(9, 10, 13, 12288))) > 0 "
                                     "order by YearMonthStr"));
    st.bindText(1, fromKey);
    st.bindText(2, toKey);
    while (st.step())
        keys.push_back(st.text(0));
    return keys;
}
