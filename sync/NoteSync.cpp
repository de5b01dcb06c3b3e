#include "NoteSync.h"

#include "NoteDocument.h"
#include "NotesRepository.h"
#include "RtfCodec.h"
#include "SyncState.h"
#include "YearlyDatesStore.h"
#include "YearlyEvent.h"
#include "uDM.h"

#include <QRegularExpression>
#include <QSet>
#include <QSysInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>

#include <map>
#include <set>

namespace {

struct Note {
    QByteArray rtf;
    QString plain; // CR LF line ends, as the note box gives it
};

QString Lf(QString text) { return text.replace(QLatin1String("\r\n"), QLatin1String("\n")); }
// Texts compared as a reader sees them: line ends and trailing blanks do not count.
QString Comparable(const QString &text)
{
    QStringList lines = Lf(text).split(QLatin1Char('\n'));
    for (QString &line : lines)
        line = line.trimmed();
    return lines.join(QLatin1Char('\n')).trimmed();
}
bool IsEmpty(const Note &n) { return n.plain.trimmed().isEmpty(); }
QByteArray DigestOf(const Note &n) { return TSyncState::Digest(n.rtf, n.plain); }

QString KeyOf(QDate day)
{
    // Saturday and Sunday share Saturday's note.
    if (day.dayOfWeek() == 7)
        day = day.addDays(-1);
    return day.toString(QStringLiteral("yyyyMMdd"));
}

QDate DayOfKey(const QString &key) { return QDate::fromString(key, QStringLiteral("yyyyMMdd")); }

Note FromDocument(const TNoteDocument &doc) { return {doc.RtfContent(), doc.PlainText()}; }

// The note a journal holds: its RTF when that still says what the description says,
// else the description alone, since another program changed it and it wins.
Note FromEntry(const journal::Entry &e)
{
    const QString text = e.description.isEmpty() ? e.summary : e.description;
    TNoteDocument doc;
    if (!e.rtf.isEmpty() && rtf::IsRtf(e.rtf)) {
        doc.LoadFromBytes(e.rtf);
        if (Comparable(doc.PlainText()) == Comparable(text))
            return {e.rtf, doc.PlainText()};
    }
    doc.setPlainText(Lf(text));
    return FromDocument(doc);
}

void LoadNote(TNoteDocument &doc, const Note &n)
{
    if (!n.rtf.isEmpty())
        doc.LoadFromBytes(n.rtf);
    else
        doc.setPlainText(Lf(n.plain));
}

// Both texts in one note: ours, the separator line, then theirs with its formatting and pictures.
Note Merge(const Note &ours, const Note &theirs, const QString &separator)
{
    TNoteDocument doc, other;
    LoadNote(doc, ours);
    LoadNote(other, theirs);
    for (QTextBlock b = other.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (!f.isImageFormat())
                continue;
            const QString name = f.toImageFormat().name();
            doc.addResource(QTextDocument::ImageResource, QUrl(name),
                            other.resource(QTextDocument::ImageResource, QUrl(name)));
            const QUrl bytes = rtf::PictureBytesName(name);
            doc.addResource(rtf::PictureBytesResource, bytes, other.resource(rtf::PictureBytesResource, bytes));
        }
    }
    QTextCursor c(&doc);
    c.movePosition(QTextCursor::End);
    if (!doc.isEmpty())
        c.insertBlock(QTextBlockFormat(), QTextCharFormat());
    c.setCharFormat(QTextCharFormat());
    c.insertText(separator);
    c.insertBlock(QTextBlockFormat(), QTextCharFormat());
    c.insertFragment(QTextDocumentFragment(&other));
    return FromDocument(doc);
}

journal::Entry ToEntry(const QString &key, const Note &n, const QString &machine)
{
    journal::Entry e;
    e.uid = journal::DayUid(key);
    e.date = DayOfKey(key);
    e.description = Lf(n.plain);
    e.rtf = n.rtf;
    e.machine = machine;
    e.lastModified = QDateTime::currentDateTimeUtc();
    return e;
}

QString DefaultHref(const QUrl &collection, const QString &key)
{
    return collection.path() + journal::DayUid(key) + QStringLiteral(".ics");
}

QString KeyOfHref(const QString &href)
{
    static const QRegularExpression ours(QStringLiteral("tavi-day-(\\d{8})\\.ics$"));
    const auto m = ours.match(href);
    return m.hasMatch() ? m.captured(1) : QString();
}

} // namespace

TNoteSync::TNoteSync(TNotesRepository &notes, TDavTransport &transport, const QString &statePath)
    : Machine(QSysInfo::machineHostName()), m_notes(notes), m_transport(transport), m_statePath(statePath)
{
}

QString TNoteSync::SeparatorLine(const QString &machine, const QDateTime &when)
{
    const QString who = machine.isEmpty() ? QStringLiteral("其他程序") : machine;
    if (!when.isValid())
        return QStringLiteral("—— 另一处的记事（%1）——").arg(who);
    return QStringLiteral("—— 另一处的记事（%1，%2）——").arg(who, when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

QString TNoteSync::SummaryLine(const TSyncSummary &s)
{
    QString line = QStringLiteral("同步完成：发送 %1 天，接收 %2 天，合并 %3 天").arg(s.sent).arg(s.received).arg(s.merged);
    if (s.yearlySent || s.yearlyReceived)
        line += QStringLiteral("；纪念日发送 %1 个，接收 %2 个").arg(s.yearlySent).arg(s.yearlyReceived);
    return line;
}

bool TNoteSync::failWith(const QString &text)
{
    ErrorText = text;
    return false;
}

bool TNoteSync::failClient(const TCalDavClient &dav)
{
    Error = dav.LastError();
    using K = TCalDavClient::Error::Kind;
    switch (Error.kind) {
    case K::Connect:
        return failWith(QStringLiteral("连不上同步服务器，请检查网络和服务器地址，稍后再试。"));
    case K::Timeout:
        return failWith(QStringLiteral("同步服务器没有回应，请稍后再试。"));
    case K::Auth:
        return failWith(QStringLiteral("同步服务器不接受用户名或密码，请在“同步设置”中重新输入。"));
    case K::Certificate:
        return failWith(QStringLiteral("同步服务器的证书不受信任（指纹 %1），请在“同步设置”中确认后再试。")
                            .arg(QString::fromLatin1(Error.fingerprint)));
    case K::TooLarge:
        return failWith(QStringLiteral("同步服务器的回答过大，同步已停止，请检查服务器地址。"));
    case K::NotFound:
        return failWith(QStringLiteral("同步服务器上找不到能存放记事的日历，请检查服务器地址。"));
    case K::Unsafe:
        return failWith(QStringLiteral("同步服务器要把连接转到不加密的地址，同步已停止，请检查服务器地址。"));
    case K::BadAnswer:
    case K::None:
        break;
    }
    return failWith(QStringLiteral("同步服务器的回答无法识别（HTTP %1），请检查服务器地址，稍后再试。").arg(Error.status));
}

bool TNoteSync::Run()
{
    Summary = TSyncSummary();
    ChangedKeys.clear();
    YearlyChanged = false;
    DeferredNotes.clear();
    WrittenNotes.clear();
    ErrorText.clear();
    Error = TCalDavClient::Error();
    if (!TCalDavClient::SafeAddress(Address, PlainHttpAllowed))
        return failWith(QStringLiteral("同步服务器地址须以 https:// 开头（不加密的 http 只用于本机），请在“同步设置”中修改。"));
    // A write refused because the other side changed meanwhile is taken up by another pass.
    for (int pass = 0; pass < 3; ++pass) {
        switch (runOnce(pass > 0)) {
        case Pass::Done:
            return true;
        case Pass::Failed:
            return false;
        case Pass::Again:
            break;
        }
    }
    return true;
}

TNoteSync::Pass TNoteSync::runOnce(bool etagsOnly)
{
    TSyncState state;
    // An unreadable state only costs a full comparison by text (and is written anew).
    bool mustSave = !state.Load(m_statePath);
    // Written only when it changed: 20 years of days make a file of a megabyte.
    TSyncState saved = state;
    auto save = [this, &saved, &mustSave](const TSyncState &now) {
        if (now == saved && !mustSave)
            return true;
        saved = now;
        mustSave = false;
        return now.Save(m_statePath);
    };
    if (state.address != Address.toString()) {
        state = TSyncState();
        state.address = Address.toString();
    }
    TCalDavClient dav(m_transport);
    QUrl collection(state.collection);
    if (state.collection.isEmpty()) {
        const auto found = dav.Discover(Address);
        if (!found)
            return failClient(dav), Pass::Failed;
        collection = *found;
        state.collection = collection.toString();
        state.token.clear();
    }
    const auto changes = dav.FetchChanges(collection, state.token, !etagsOnly);
    if (!changes)
        return failClient(dav), Pass::Failed;

    const int sentBefore = Summary.sent + Summary.yearlySent;
    // What the server holds that we have not seen yet.
    std::map<QString, QString> keyOfHref;
    std::map<QString, QByteArray> known;
    for (const auto &[key, day] : state.days) {
        keyOfHref[day.href] = key;
        known[day.href] = day.etag;
    }
    for (const auto &[href, etag] : state.foreign)
        known[href] = etag;
    std::map<QString, QString> yearlyOfHref;
    for (const auto &[uid, y] : state.yearly) {
        known[y.href] = y.etag;
        yearlyOfHref[y.href] = uid;
    }
    std::vector<TCalDavClient::Member> fresh;
    std::vector<QString> missing;
    QSet<QString> listed;
    for (const auto &m : changes->changed) {
        listed.insert(m.href);
        const auto k = known.find(m.href);
        if (k != known.end() && !m.etag.isEmpty() && k->second == m.etag)
            continue;
        if (m.hasData)
            fresh.push_back(m);
        else
            missing.push_back(m.href);
    }
    if (!missing.empty()) {
        const auto fetched = dav.Fetch(collection, missing);
        if (!fetched)
            return failClient(dav), Pass::Failed;
        fresh.insert(fresh.end(), fetched->begin(), fetched->end());
    }
    QSet<QString> removed(changes->removed.begin(), changes->removed.end());
    if (changes->complete)
        for (const auto &[href, etag] : known)
            if (!listed.contains(href))
                removed.insert(href);

    struct ServerDay {
        QString href;
        QByteArray etag;
        journal::Entry entry;
    };
    std::map<QString, ServerDay> serverDays;
    std::map<QString, std::vector<ServerDay>> foreignDays;
    std::map<QString, QByteArray> foreignSeen;
    struct ServerYearly {
        QString href;
        QByteArray etag;
        TYearlyDate date;
    };
    std::map<QString, ServerYearly> serverYearly; // by UID
    for (const auto &m : fresh) {
        const auto parsed = journal::Parse(m.data);
        if (!parsed) {
            if (!KeyOfHref(m.href).isEmpty())
                return failWith(QStringLiteral("同步服务器上的记事 %1 已损坏，同步已停止，请检查服务器。").arg(m.href)),
                       Pass::Failed;
            ++Summary.unreadable;
            foreignSeen[m.href] = m.etag;
            continue;
        }
        bool ours = false;
        for (const journal::Entry &e : *parsed) {
            const QString key = journal::KeyOfUid(e.uid);
            if (!key.isEmpty()) {
                ours = true;
                serverDays[key] = {m.href, m.etag, e};
            } else if (e.date.isValid()) {
                foreignDays[KeyOf(e.date)].push_back({m.href, m.etag, e});
            }
        }
        if (!ours && !KeyOfHref(m.href).isEmpty())
            return failWith(QStringLiteral("同步服务器上的记事 %1 已损坏，同步已停止，请检查服务器。").arg(m.href)),
                   Pass::Failed;
        if (!ours && parsed->empty() && Yearly) {
            const auto events = yearlyevent::Parse(m.data);
            if (events && !events->empty()) {
                serverYearly[events->front().uid] = {m.href, m.etag, events->front().date};
                continue;
            }
        }
        if (!ours)
            foreignSeen[m.href] = m.etag;
    }
    QSet<QString> removedDays, removedYearly;
    for (const QString &href : removed) {
        const auto k = keyOfHref.find(href);
        if (k != keyOfHref.end() && !serverDays.count(k->second))
            removedDays.insert(k->second);
        state.foreign.erase(href);
        const auto y = yearlyOfHref.find(href);
        if (y != yearlyOfHref.end() && !serverYearly.count(y->second))
            removedYearly.insert(y->second);
    }

    // What is here.
    std::map<QString, Note> local;
    try {
        for (auto &d : m_notes.AllDays())
            local.emplace(d.key, Note{d.rtf, d.plain});
    } catch (const std::exception &) {
        return failWith(QStringLiteral("读不出记事数据库，同步未进行，请稍后再试。")), Pass::Failed;
    }
    // Asked several times per day: each day's answer is worked out once.
    std::map<QString, bool> changedHereOf;
    auto localChanged = [&](const QString &key) {
        const auto known = changedHereOf.find(key);
        if (known != changedHereOf.end())
            return known->second;
        const auto l = local.find(key);
        const Note n = l == local.end() ? Note() : l->second;
        const auto s = state.days.find(key);
        const bool changed = s == state.days.end() ? !IsEmpty(n) : DigestOf(n) != s->second.digest;
        changedHereOf.emplace(key, changed);
        return changed;
    };
    QSet<QString> keys;
    for (const auto &[key, d] : serverDays)
        keys.insert(key);
    for (const auto &[key, d] : foreignDays)
        keys.insert(key);
    keys.unite(removedDays);
    for (const auto &[key, n] : local)
        if (localChanged(key))
            keys.insert(key);
    for (const auto &[key, d] : state.days)
        if (localChanged(key))
            keys.insert(key);

    struct Plan {
        QString key;
        Note before;   // the note here when the plan was made
        Note result;
        bool writeHere = false;
        bool send = false;
        bool remove = false;
        QString href;
        QByteArray ifMatch;
        QByteArray serverEtag; // when nothing is sent: the ETag both sides agree on
        bool forget = false;
        bool received = false, merged = false;
    };
    std::vector<Plan> plans;
    for (const QString &key : keys) {
        Plan p;
        p.key = key;
        const auto l = local.find(key);
        p.before = l == local.end() ? Note() : l->second;
        p.result = p.before;
        const bool changedHere = localChanged(key);
        const auto st = state.days.find(key);
        const auto sd = serverDays.find(key);
        p.href = st != state.days.end() ? st->second.href : DefaultHref(collection, key);
        if (sd != serverDays.end()) {
            const Note theirs = FromEntry(sd->second.entry);
            p.href = sd->second.href;
            p.serverEtag = sd->second.etag;
            const QString ours = Comparable(p.before.plain), other = Comparable(theirs.plain);
            if (!changedHere || IsEmpty(p.before) || (other.contains(ours) && ours != other)) {
                // Another machine's newer note is never emptied by one emptied here.
                if (DigestOf(p.before) != DigestOf(theirs) && (ours != other || p.before.rtf != theirs.rtf)) {
                    p.result = theirs;
                    p.writeHere = p.received = true;
                }
            } else if (ours == other || ours.contains(other)) {
                p.send = p.before.rtf != theirs.rtf || ours != other;
                p.ifMatch = sd->second.etag;
            } else {
                p.result = Merge(p.before, theirs, SeparatorLine(sd->second.entry.machine, sd->second.entry.lastModified));
                p.writeHere = p.send = p.merged = true;
                p.ifMatch = sd->second.etag;
            }
        } else if (removedDays.contains(key)) {
            if (!changedHere) {
                if (!IsEmpty(p.before)) {
                    p.result = Note();
                    p.writeHere = p.received = true;
                }
                p.forget = true;
            } else if (!IsEmpty(p.before)) {
                p.send = true; // deleted there while edited here: written again
                p.href = DefaultHref(collection, key);
            } else {
                p.forget = true;
            }
        } else if (changedHere) {
            if (IsEmpty(p.before)) {
                if (st != state.days.end())
                    p.remove = true;
                else
                    p.forget = true;
            } else {
                p.send = true;
                p.ifMatch = st != state.days.end() ? st->second.etag : QByteArray();
            }
        } else if (st != state.days.end()) {
            p.serverEtag = st->second.etag;
        }
        // Journals other programs wrote for this day show in its note.
        const auto f = foreignDays.find(key);
        if (f != foreignDays.end()) {
            for (const ServerDay &d : f->second) {
                const Note theirs = FromEntry(d.entry);
                if (IsEmpty(theirs) || Comparable(p.result.plain).contains(Comparable(theirs.plain)))
                    continue;
                p.result = IsEmpty(p.result) ? theirs : Merge(p.result, theirs, SeparatorLine(QString(), d.entry.lastModified));
                p.writeHere = p.send = true;
                p.received = true;
                p.remove = p.forget = false;
                if (p.ifMatch.isEmpty())
                    p.ifMatch = sd != serverDays.end() ? sd->second.etag
                                : (st != state.days.end() && !removedDays.contains(key) ? st->second.etag : QByteArray());
            }
        }
        plans.push_back(p);
    }

    // Days written here, unless the user changed them since they were read.
    bool again = false;
    std::vector<TNotesRepository::DayNote> writes;
    std::vector<QString> guardKeys;
    for (const Plan &p : plans)
        if (p.writeHere)
            guardKeys.push_back(p.key);
    const auto reread = m_notes.ReadDays(guardKeys);
    QSet<QString> stale;
    for (size_t i = 0; i < guardKeys.size(); ++i) {
        const Note before = local.count(guardKeys[i]) ? local[guardKeys[i]] : Note();
        if (reread[i].result == TNotesRepository::ReadResult::Unread || reread[i].content != before.rtf)
            stale.insert(guardKeys[i]);
    }
    bool holdToken = false;
    for (Plan &p : plans) {
        if (p.writeHere && Deferred.contains(p.key)) {
            DeferredNotes[p.key] = {p.before.rtf, p.result.rtf, p.result.plain};
            holdToken = true;
            p.writeHere = p.send = p.remove = p.forget = false;
            p.serverEtag.clear();
            continue;
        }
        if (stale.contains(p.key)) {
            again = true;
            p.writeHere = p.send = p.remove = p.forget = false;
            p.serverEtag.clear();
            continue;
        }
        if (p.writeHere)
            writes.push_back({p.key, p.result.rtf, p.result.plain});
    }
    if (!writes.empty()) {
        const auto written = m_notes.WriteDays(writes, true);
        if (std::find(written.begin(), written.end(), false) != written.end())
            return failWith(QStringLiteral("记事数据库写不进去，同步未完成，请稍后再试。")), Pass::Failed;
    }
    for (Plan &p : plans) {
        if (p.writeHere) {
            ChangedKeys << p.key;
            WrittenNotes[p.key] = {p.before.rtf, p.result.rtf, p.result.plain};
            Summary.received += p.received && !p.merged;
            Summary.merged += p.merged;
        }
        if (p.forget)
            state.days.erase(p.key);
        else if (!p.send && !p.remove && !p.serverEtag.isEmpty())
            state.days[p.key] = {p.href, p.serverEtag, DigestOf(p.result)};
    }
    if (!save(state))
        return failWith(QStringLiteral("同步状态文件写不进去，请检查 Data 文件夹能否写入。")), Pass::Failed;

    // A first sync into an empty collection: where the server takes a whole calendar in one
    // request, the days go up together. A server storing one object at a time may look
    // through all it holds for each new one, and 20 years of days would take it an hour.
    QByteArray tokenAfter = changes->token;
    std::vector<Plan *> firsts;
    if (changes->complete && changes->changed.empty())
        for (Plan &p : plans)
            if (p.send && p.ifMatch.isEmpty() && p.href == DefaultHref(collection, p.key))
                firsts.push_back(&p);
    if (int(firsts.size()) >= ImportAtLeast) {
        std::vector<journal::Entry> entries;
        std::vector<Plan *> imported;
        qint64 size = 0;
        for (Plan *p : firsts) {
            entries.push_back(ToEntry(p->key, p->result, Machine));
            size += entries.back().rtf.size() * 4 / 3 + entries.back().description.size() * 3 + 400;
            if (size > ImportMaxBytes) {
                entries.pop_back();
                break;
            }
            imported.push_back(p);
        }
        switch (dav.ImportInto(collection, journal::WriteAll(entries, QStringLiteral("Tavi 周记事")))) {
        case TCalDavClient::Import::Failed:
            return failClient(dav), Pass::Failed;
        case TCalDavClient::Import::NotOffered:
            break;
        case TCalDavClient::Import::Done: {
            entries.clear();
            // The server makes its change history of every object at this first listing.
            dav.RequestTimeoutMs = dav.ImportTimeoutMs;
            const auto listing = dav.FetchChanges(collection, {});
            dav.RequestTimeoutMs = 0;
            if (!listing)
                return failClient(dav), Pass::Failed;
            std::map<QString, QByteArray> etags;
            for (const auto &m : listing->changed)
                etags[m.href] = m.etag;
            size_t ours = 0;
            for (Plan *p : imported) {
                const auto e = etags.find(p->href);
                if (e == etags.end() || e->second.isEmpty())
                    continue; // not stored: it goes up on its own below
                state.days[p->key] = {p->href, e->second, DigestOf(p->result)};
                p->send = false;
                ++Summary.sent;
                ++ours;
            }
            // Anything else there came from elsewhere meanwhile: another pass takes it in.
            if (ours == etags.size() && listing->complete)
                tokenAfter = listing->token;
            else
                again = true;
            if (!save(state))
                return failWith(QStringLiteral("同步状态文件写不进去，请检查 Data 文件夹能否写入。")), Pass::Failed;
            break;
        }
        }
    }

    // Days written there, a few hundred at a time, each batch kept in the state at once, so
    // that a first sync cut short does not start again from nothing.
    std::vector<TCalDavClient::Write> sends;
    std::vector<const Plan *> sent;
    for (const Plan &p : plans) {
        if (p.send) {
            sends.push_back({p.href, journal::Write(ToEntry(p.key, p.result, Machine)), p.ifMatch});
            sent.push_back(&p);
        } else if (p.remove) {
            sends.push_back({p.href, {}, state.days[p.key].etag});
            sent.push_back(&p);
        }
    }
    bool broken = false;
    constexpr size_t Batch = 256;
    for (size_t from = 0; from < sends.size() && !broken; from += Batch) {
        const size_t to = std::min(sends.size(), from + Batch);
        const auto results = dav.Apply(collection, std::vector<TCalDavClient::Write>(sends.begin() + from, sends.begin() + to));
        for (size_t i = 0; i < results.size(); ++i) {
            const Plan &p = *sent[from + i];
            if (results[i].ok) {
                ++Summary.sent;
                if (p.remove)
                    state.days.erase(p.key);
                else
                    state.days[p.key] = {p.href, results[i].etag, DigestOf(p.result)};
            } else {
                again = true; // changed there meanwhile: the next pass merges it
            }
        }
        broken = dav.LastError().kind != TCalDavClient::Error::Kind::None;
        if (to < sends.size() && !save(state))
            return failWith(QStringLiteral("同步状态文件写不进去，请检查 Data 文件夹能否写入。")), Pass::Failed;
    }

    // The yearly dates, the same way: a date changed on one side goes to the other; changed
    // on both, the other side's takes the row and ours is kept beside it as a date of its own.
    if (Yearly) {
        std::vector<TYearlyDate> here;
        try {
            here = Yearly->Load();
        } catch (const std::exception &) {
            return failWith(QStringLiteral("读不出纪念日，同步未完成，请稍后再试。")), Pass::Failed;
        }
        struct YearlyWrite {
            QString uid, href;
            QByteArray ifMatch;
            TYearlyDate date;
            bool remove = false;
        };
        std::vector<YearlyWrite> ywrites;
        auto hrefFor = [&collection](const QString &uid) { return collection.path() + uid + QStringLiteral(".ics"); };
        auto same = [](TYearlyDate x, TYearlyDate y) {
            x.Id = y.Id = 0;
            return x == y;
        };
        auto keep = [&state](const QString &uid, const TYearlyDate &d, const QString &href, const QByteArray &etag) {
            state.yearly[uid] = {d.Id, href, etag, yearlyevent::Digest(d)};
        };
        std::map<long long, QString> uidOfId;
        for (const auto &[uid, y] : state.yearly)
            uidOfId[y.id] = uid;
        std::vector<QString> newThere;
        for (const auto &[uid, sv] : serverYearly)
            if (!state.yearly.count(uid))
                newThere.push_back(uid);
        std::set<long long> ids;
        try {
            for (const TYearlyDate &d : here) {
                ids.insert(d.Id);
                const auto u = uidOfId.find(d.Id);
                if (u == uidOfId.end()) {
                    // New here; the same date new there is the one date.
                    const auto twin = std::find_if(newThere.begin(), newThere.end(),
                                                   [&](const QString &uid) { return same(serverYearly[uid].date, d); });
                    if (twin != newThere.end()) {
                        keep(*twin, d, serverYearly[*twin].href, serverYearly[*twin].etag);
                        newThere.erase(twin);
                    } else {
                        const QString uid = yearlyevent::NewUid();
                        ywrites.push_back({uid, hrefFor(uid), {}, d});
                    }
                    continue;
                }
                const QString uid = u->second;
                const TSyncState::Yearly st = state.yearly[uid];
                const bool changedHere = yearlyevent::Digest(d) != st.digest;
                const auto sv = serverYearly.find(uid);
                if (sv != serverYearly.end()) {
                    TYearlyDate theirs = sv->second.date;
                    theirs.Id = d.Id;
                    if (!same(theirs, d)) {
                        Yearly->Update(theirs);
                        ++Summary.yearlyReceived;
                        YearlyChanged = true;
                        if (changedHere) {
                            TYearlyDate mine = d;
                            mine.Id = Yearly->Add(d);
                            const QString other = yearlyevent::NewUid();
                            ywrites.push_back({other, hrefFor(other), {}, mine});
                        }
                    }
                    keep(uid, theirs, sv->second.href, sv->second.etag);
                } else if (removedYearly.contains(uid)) {
                    if (!changedHere) {
                        Yearly->Remove(d.Id);
                        state.yearly.erase(uid);
                        ++Summary.yearlyReceived;
                        YearlyChanged = true;
                    } else {
                        ywrites.push_back({uid, st.href, {}, d}); // deleted there while edited here: written again
                    }
                } else if (changedHere) {
                    ywrites.push_back({uid, st.href, st.etag, d});
                }
            }
            // Deleted here: gone there too, unless it was changed there meanwhile.
            for (const auto &[id, uid] : uidOfId) {
                if (ids.count(id))
                    continue;
                const TSyncState::Yearly st = state.yearly[uid];
                const auto sv = serverYearly.find(uid);
                if (sv != serverYearly.end()) {
                    TYearlyDate theirs = sv->second.date;
                    theirs.Id = Yearly->Add(theirs);
                    keep(uid, theirs, sv->second.href, sv->second.etag);
                    ++Summary.yearlyReceived;
                    YearlyChanged = true;
                } else if (removedYearly.contains(uid)) {
                    state.yearly.erase(uid);
                } else {
                    ywrites.push_back({uid, st.href, st.etag, {}, true});
                }
            }
            for (const QString &uid : newThere) {
                TYearlyDate theirs = serverYearly[uid].date;
                theirs.Id = Yearly->Add(theirs);
                keep(uid, theirs, serverYearly[uid].href, serverYearly[uid].etag);
                ++Summary.yearlyReceived;
                YearlyChanged = true;
            }
        } catch (const std::exception &) {
            save(state);
            return failWith(QStringLiteral("纪念日写不进记事数据库，同步未完成，请稍后再试。")), Pass::Failed;
        }
        if (!broken && !ywrites.empty()) {
            std::vector<TCalDavClient::Write> puts;
            const int thisYear = QDate::currentDate().year();
            for (const YearlyWrite &w : ywrites)
                puts.push_back({w.href, w.remove ? QByteArray() : yearlyevent::Write(w.uid, w.date, thisYear), w.ifMatch});
            const auto results = dav.Apply(collection, puts);
            for (size_t i = 0; i < results.size(); ++i) {
                const YearlyWrite &w = ywrites[i];
                if (!results[i].ok) {
                    again = true;
                    continue;
                }
                ++Summary.yearlySent;
                if (w.remove)
                    state.yearly.erase(w.uid);
                else
                    keep(w.uid, w.date, w.href, results[i].etag);
            }
            broken = dav.LastError().kind != TCalDavClient::Error::Kind::None;
        }
    }

    // A journal of another program counts as taken in once its day was written here.
    if (stale.isEmpty() && !holdToken)
        for (const auto &[href, etag] : foreignSeen)
            state.foreign[href] = etag;
    // The token moves on only when everything it covers is settled here.
    if (!again && !broken && !holdToken)
        state.token = tokenAfter;
    // The token was taken before our own writes. A server may leave out of the next listing
    // what was made and deleted since a token (Xandikos does): another machine deleting a day
    // we just sent would go unseen. One more listing, of ETags alone, takes a token after them.
    const bool wroteThere = Summary.sent + Summary.yearlySent > sentBefore && tokenAfter == changes->token;
    if (wroteThere && !broken)
        again = true;
    if (!save(state))
        return failWith(QStringLiteral("同步状态文件写不进去，请检查 Data 文件夹能否写入。")), Pass::Failed;
    if (broken)
        return failClient(dav), Pass::Failed;
    return again ? Pass::Again : Pass::Done;
}
