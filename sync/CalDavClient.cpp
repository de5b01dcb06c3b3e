#include "CalDavClient.h"

#include <QHostAddress>
#include <QXmlStreamReader>

namespace {

const QString Dav = QStringLiteral("DAV:");
const QString CalDav = QStringLiteral("urn:ietf:params:xml:ns:caldav");
const QString CalServer = QStringLiteral("http://calendarserver.org/ns/");

int StatusOf(const QString &line)
{
    // "HTTP/1.1 200 OK"
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

QByteArray Escape(const QString &s) { return s.toHtmlEscaped().toUtf8(); }

} // namespace

struct TCalDavClient::Props {
    QString href;
    int status = 0; // of the response itself, when it gives one
    QByteArray etag;
    QByteArray calendarData;
    bool hasCalendarData = false;
    bool isCollection = false;
    bool isCalendar = false;
    QString principal;
    QString home;
    QByteArray syncToken;
    QStringList components;
};

namespace {

struct Multistatus {
    std::vector<TCalDavClient::Props> responses;
    QByteArray syncToken;
};

// nullopt when the body is not a WebDAV multistatus.
template <typename P>
std::optional<Multistatus> ParseMultistatus(const QByteArray &body)
{
    QXmlStreamReader xml(body);
    Multistatus ms;
    QStringList path; // local names of DAV / CalDAV elements from the root down
    P current, inStat;
    int statStatus = 0;
    bool rootSeen = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QString ns = xml.namespaceUri().toString();
            const QString name = xml.name().toString();
            if (!rootSeen) {
                if (ns != Dav || name != QLatin1String("multistatus"))
                    return std::nullopt;
                rootSeen = true;
                path << name;
                continue;
            }
            path << name;
            const QString parent = path.size() >= 2 ? path[path.size() - 2] : QString();
            if (ns == Dav && name == QLatin1String("response")) {
                current = P();
            } else if (ns == Dav && name == QLatin1String("propstat")) {
                inStat = P();
                statStatus = 0;
            } else if (ns == Dav && name == QLatin1String("href")) {
                const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
                path.removeLast();
                if (parent == QLatin1String("response"))
                    current.href = text;
                else if (parent == QLatin1String("current-user-principal"))
                    inStat.principal = text;
                else if (parent == QLatin1String("calendar-home-set"))
                    inStat.home = text;
            } else if (ns == Dav && name == QLatin1String("status")) {
                const int status = StatusOf(xml.readElementText(QXmlStreamReader::IncludeChildElements));
                path.removeLast();
                if (parent == QLatin1String("propstat"))
                    statStatus = status;
                else if (parent == QLatin1String("response"))
                    current.status = status;
            } else if (ns == Dav && name == QLatin1String("getetag")) {
                inStat.etag = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed().toUtf8();
                path.removeLast();
            } else if (ns == Dav && name == QLatin1String("sync-token")) {
                const QByteArray text = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed().toUtf8();
                path.removeLast();
                if (parent == QLatin1String("multistatus"))
                    ms.syncToken = text;
                else
                    inStat.syncToken = text;
            } else if (ns == CalDav && name == QLatin1String("calendar-data")) {
                inStat.calendarData = xml.readElementText(QXmlStreamReader::IncludeChildElements).toUtf8();
                inStat.hasCalendarData = true;
                path.removeLast();
            } else if (ns == Dav && name == QLatin1String("collection") && parent == QLatin1String("resourcetype")) {
                inStat.isCollection = true;
            } else if (ns == CalDav && name == QLatin1String("calendar") && parent == QLatin1String("resourcetype")) {
                inStat.isCalendar = true;
            } else if (ns == CalDav && name == QLatin1String("comp")
                       && parent == QLatin1String("supported-calendar-component-set")) {
                inStat.components << xml.attributes().value(QStringLiteral("name")).toString().toUpper();
            }
        } else if (token == QXmlStreamReader::EndElement) {
            const QString ns = xml.namespaceUri().toString();
            const QString name = xml.name().toString();
            if (!path.isEmpty())
                path.removeLast();
            if (ns == Dav && name == QLatin1String("propstat")) {
                // Properties the server could not give (404 in their propstat) are not there.
                if (statStatus == 0 || (statStatus >= 200 && statStatus < 300)) {
                    if (!inStat.etag.isEmpty())
                        current.etag = inStat.etag;
                    if (inStat.hasCalendarData) {
                        current.calendarData = inStat.calendarData;
                        current.hasCalendarData = true;
                    }
                    current.isCollection |= inStat.isCollection;
                    current.isCalendar |= inStat.isCalendar;
                    if (!inStat.principal.isEmpty())
                        current.principal = inStat.principal;
                    if (!inStat.home.isEmpty())
                        current.home = inStat.home;
                    if (!inStat.syncToken.isEmpty())
                        current.syncToken = inStat.syncToken;
                    current.components << inStat.components;
                }
            } else if (ns == Dav && name == QLatin1String("response")) {
                ms.responses.push_back(current);
            }
        }
    }
    if (xml.hasError() || !rootSeen)
        return std::nullopt;
    return ms;
}

QByteArray PropfindBody(const QByteArray &props)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<D:propfind xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\" "
           "xmlns:CS=\"http://calendarserver.org/ns/\"><D:prop>"
           + props + "</D:prop></D:propfind>";
}

QUrl WithSlash(QUrl url)
{
    QString path = url.path();
    if (!path.endsWith(QLatin1Char('/')))
        url.setPath(path + QLatin1Char('/'));
    return url;
}

} // namespace

bool TCalDavClient::SafeAddress(const QUrl &url, bool plainHttpAllowed)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return true;
    if (scheme != QLatin1String("http"))
        return false;
    if (plainHttpAllowed)
        return true;
    const QString host = url.host();
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

QString TCalDavClient::PathOf(const QUrl &collection, const QString &href)
{
    return collection.resolved(QUrl(href)).path();
}

bool TCalDavClient::fail(const THttpResponse &r)
{
    m_error = Error();
    m_error.status = r.status;
    m_error.detail = r.error;
    switch (r.failure) {
    case THttpResponse::Failure::NoAnswer:
    case THttpResponse::Failure::Refused:
        m_error.kind = Error::Kind::Connect;
        break;
    case THttpResponse::Failure::Timeout:
        m_error.kind = Error::Kind::Timeout;
        break;
    case THttpResponse::Failure::TooLarge:
        m_error.kind = Error::Kind::TooLarge;
        break;
    case THttpResponse::Failure::Certificate:
        m_error.kind = Error::Kind::Certificate;
        m_error.fingerprint = r.certificateFingerprint;
        break;
    case THttpResponse::Failure::None:
        if (r.status == 401 || r.status == 403)
            m_error.kind = Error::Kind::Auth;
        else if (r.status == 404)
            m_error.kind = Error::Kind::NotFound;
        else
            m_error.kind = Error::Kind::BadAnswer;
        break;
    }
    return false;
}

bool TCalDavClient::failBadAnswer(const QString &detail, int status)
{
    m_error = Error();
    m_error.kind = Error::Kind::BadAnswer;
    m_error.status = status;
    m_error.detail = detail;
    return false;
}

std::optional<THttpResponse> TCalDavClient::request(const QByteArray &method, const QUrl &url, const QByteArray &depth,
                                                    const QByteArray &body, bool followRedirects, QUrl *finalUrl)
{
    QUrl at = url;
    for (int hop = 0; hop < 6; ++hop) {
        THttpRequest r{method, at, {}, body, RequestTimeoutMs};
        if (!depth.isEmpty())
            r.headers.append(QPair<QByteArray, QByteArray>("Depth", depth));
        THttpResponse answer = m_transport.Send({r}).front();
        if (answer.failure != THttpResponse::Failure::None) {
            fail(answer);
            return std::nullopt;
        }
        const bool redirect = answer.status == 301 || answer.status == 302 || answer.status == 307 || answer.status == 308;
        if (followRedirects && redirect && !answer.header("location").isEmpty()) {
            const QUrl next = at.resolved(QUrl::fromEncoded(answer.header("location")));
            // A redirect must not carry the password away from a safe address.
            if (next.scheme() == QLatin1String("http") && at.scheme() == QLatin1String("https")) {
                m_error = Error{Error::Kind::Unsafe, answer.status, next.toString(), {}};
                return std::nullopt;
            }
            at = next;
            continue;
        }
        if (finalUrl)
            *finalUrl = at;
        return answer;
    }
    failBadAnswer(QStringLiteral("too many redirects"));
    return std::nullopt;
}

std::optional<std::vector<TCalDavClient::Props>> TCalDavClient::propfind(const QUrl &url, const QByteArray &depth,
                                                                        const QByteArray &props, int *status,
                                                                        QUrl *finalUrl)
{
    const auto answer = request("PROPFIND", url, depth, PropfindBody(props), true, finalUrl);
    if (!answer)
        return std::nullopt;
    *status = answer->status;
    if (answer->status == 404)
        return std::vector<Props>();
    if (answer->status != 207) {
        fail(*answer);
        return std::nullopt;
    }
    const auto ms = ParseMultistatus<Props>(answer->body);
    if (!ms) {
        failBadAnswer(QStringLiteral("not a WebDAV multistatus"), answer->status);
        return std::nullopt;
    }
    // Some servers answer for a missing resource with a multistatus that says 404 inside.
    if (depth == "0" && !ms->responses.empty() && ms->responses.front().status == 404) {
        *status = 404;
        return std::vector<Props>();
    }
    return ms->responses;
}

bool TCalDavClient::makeCalendar(const QUrl &url)
{
    const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                            "<C:mkcalendar xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><D:set><D:prop>"
                            "<D:displayname>" + Escape(QStringLiteral("Tavi 周记事")) + "</D:displayname>"
                            "<C:supported-calendar-component-set><C:comp name=\"VJOURNAL\"/><C:comp name=\"VEVENT\"/>"
                            "</C:supported-calendar-component-set></D:prop></D:set></C:mkcalendar>";
    const auto answer = request("MKCALENDAR", url, {}, body);
    if (!answer)
        return false;
    if (answer->status == 201 || answer->status == 200)
        return true;
    return fail(*answer);
}

std::optional<QUrl> TCalDavClient::Discover(const QUrl &address)
{
    m_error = Error();
    const QByteArray props = "<D:resourcetype/><D:current-user-principal/><C:calendar-home-set/>"
                             "<C:supported-calendar-component-set/>";
    QUrl url = WithSlash(address);
    int status = 0;
    QUrl at;
    auto found = propfind(url, "0", props, &status, &at);
    if (!found)
        return std::nullopt;
    if (status == 404) {
        // A collection named but not there yet: made here, for journals.
        if (!makeCalendar(url))
            return std::nullopt;
        return url;
    }
    Props self = found->empty() ? Props() : found->front();
    if (self.isCalendar) {
        if (!self.components.isEmpty() && !self.components.contains(QLatin1String("VJOURNAL"))) {
            m_error = Error{Error::Kind::NotFound, 0, QStringLiteral("journals not allowed"), {}};
            return std::nullopt;
        }
        return WithSlash(at);
    }
    QString home = self.home;
    QString principal = self.principal;
    if (home.isEmpty() && principal.isEmpty()) {
        int wellStatus = 0;
        QUrl wellAt;
        const auto well = propfind(at.resolved(QUrl(QStringLiteral("/.well-known/caldav"))), "0", props, &wellStatus,
                                   &wellAt);
        if (!well)
            return std::nullopt;
        if (!well->empty()) {
            principal = well->front().principal;
            home = well->front().home;
            at = wellAt;
        }
    }
    if (home.isEmpty() && !principal.isEmpty()) {
        const QUrl principalUrl = at.resolved(QUrl(principal));
        int pStatus = 0;
        QUrl pAt;
        const auto p = propfind(principalUrl, "0", "<C:calendar-home-set/>", &pStatus, &pAt);
        if (!p)
            return std::nullopt;
        if (!p->empty())
            home = p->front().home;
        at = pAt;
    }
    if (home.isEmpty()) {
        m_error = Error{Error::Kind::NotFound, 0, QStringLiteral("no calendar home"), {}};
        return std::nullopt;
    }
    const QUrl homeUrl = WithSlash(at.resolved(QUrl(home)));
    const QUrl ours = homeUrl.resolved(QUrl(QStringLiteral("tavi/")));
    int oStatus = 0;
    QUrl oAt;
    const auto o = propfind(ours, "0", props, &oStatus, &oAt);
    if (!o)
        return std::nullopt;
    if (oStatus == 404) {
        if (!makeCalendar(ours))
            return std::nullopt;
        return ours;
    }
    if (o->empty() || !o->front().isCalendar) {
        m_error = Error{Error::Kind::NotFound, 0, QStringLiteral("not a calendar: ") + ours.toString(), {}};
        return std::nullopt;
    }
    return WithSlash(oAt);
}

std::optional<TCalDavClient::Changes> TCalDavClient::FetchChanges(const QUrl &collection, const QByteArray &token,
                                                                  bool objects)
{
    m_error = Error();
    Changes changes;
    QByteArray from = token;
    const QString self = collection.path();
    for (int round = 0; round < 1000; ++round) {
        const bool withData = objects && !from.isEmpty();
        const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                "<D:sync-collection xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\">"
                                "<D:sync-token>" + Escape(QString::fromUtf8(from)) + "</D:sync-token>"
                                "<D:sync-level>1</D:sync-level><D:prop><D:getetag/>"
                                + QByteArray(withData ? "<C:calendar-data/>" : "") + "</D:prop></D:sync-collection>";
        const auto answer = request("REPORT", collection, "0", body);
        if (!answer)
            return std::nullopt;
        if (answer->status != 207) {
            const bool tokenRefused = !from.isEmpty()
                && (answer->status == 403 || answer->status == 409 || answer->status == 410)
                && answer->body.contains("valid-sync-token");
            if (tokenRefused) {
                // The server forgot the token: start again from a complete listing.
                changes = Changes();
                from.clear();
                continue;
            }
            if (answer->status == 401 || !from.isEmpty() || answer->status == 404) {
                fail(*answer);
                return std::nullopt;
            }
            break; // no sync-collection here: list by ETags below
        }
        const auto ms = ParseMultistatus<Props>(answer->body);
        if (!ms) {
            failBadAnswer(QStringLiteral("not a WebDAV multistatus"), answer->status);
            return std::nullopt;
        }
        bool truncated = false;
        for (const Props &p : ms->responses) {
            const QString path = PathOf(collection, p.href);
            if (path == self || path.endsWith(QLatin1Char('/'))) {
                truncated |= p.status == 507;
                continue;
            }
            if (p.status == 404) {
                changes.removed.push_back(path);
                continue;
            }
            changes.changed.push_back({path, p.etag, p.calendarData, p.hasCalendarData});
        }
        changes.complete = token.isEmpty() || changes.complete || from.isEmpty();
        changes.token = ms->syncToken;
        if (!truncated || ms->syncToken.isEmpty() || ms->syncToken == from)
            return changes;
        from = ms->syncToken;
    }
    if (!changes.token.isEmpty())
        return changes;
    // ETags of every member, compared by the caller with what it knows.
    int status = 0;
    const auto list = propfind(collection, "1", "<D:getetag/><D:resourcetype/>", &status);
    if (!list)
        return std::nullopt;
    if (status == 404) {
        m_error = Error{Error::Kind::NotFound, 404, collection.toString(), {}};
        return std::nullopt;
    }
    changes = Changes();
    changes.complete = true;
    for (const Props &p : *list) {
        const QString path = PathOf(collection, p.href);
        if (p.isCollection || path == self || path.endsWith(QLatin1Char('/')))
            continue;
        changes.changed.push_back({path, p.etag, {}, false});
    }
    return changes;
}

std::optional<std::vector<TCalDavClient::Member>> TCalDavClient::Fetch(const QUrl &collection,
                                                                       const std::vector<QString> &hrefs)
{
    m_error = Error();
    // A hundred at a time; a batch whose answer is too large is asked again in halves,
    // so that only a single object beyond the bound stops the sync.
    std::vector<std::vector<QString>> batches;
    constexpr size_t Batch = 100;
    for (size_t from = 0; from < hrefs.size(); from += Batch)
        batches.emplace_back(hrefs.begin() + from, hrefs.begin() + std::min(hrefs.size(), from + Batch));
    std::vector<Member> members;
    while (!batches.empty()) {
        // Two at a time: each answer may be large, and the memory they take is bounded by it.
        std::vector<std::vector<QString>> now;
        while (!batches.empty() && now.size() < 2) {
            now.push_back(std::move(batches.back()));
            batches.pop_back();
        }
        std::vector<THttpRequest> requests;
        for (const auto &batch : now) {
            QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                              "<C:calendar-multiget xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\">"
                              "<D:prop><D:getetag/><C:calendar-data/></D:prop>";
            for (const QString &href : batch)
                body += "<D:href>" + Escape(QString::fromUtf8(QUrl(href).toEncoded())) + "</D:href>";
            body += "</C:calendar-multiget>";
            requests.push_back({"REPORT", collection, {QPair<QByteArray, QByteArray>("Depth", "1")}, body, RequestTimeoutMs});
        }
        const auto answers = m_transport.Send(requests);
        for (size_t i = 0; i < answers.size(); ++i) {
            const THttpResponse &answer = answers[i];
            if (answer.failure == THttpResponse::Failure::TooLarge && now[i].size() > 1) {
                const size_t half = now[i].size() / 2;
                batches.emplace_back(now[i].begin(), now[i].begin() + half);
                batches.emplace_back(now[i].begin() + half, now[i].end());
                continue;
            }
            if (answer.failure != THttpResponse::Failure::None || answer.status != 207) {
                fail(answer);
                return std::nullopt;
            }
            const auto ms = ParseMultistatus<Props>(answer.body);
            if (!ms) {
                failBadAnswer(QStringLiteral("not a WebDAV multistatus"), answer.status);
                return std::nullopt;
            }
            for (const Props &p : ms->responses) {
                if (p.status == 404 || !p.hasCalendarData)
                    continue; // gone meanwhile: the next listing says so
                members.push_back({PathOf(collection, p.href), p.etag, p.calendarData, true});
            }
        }
    }
    return members;
}

TCalDavClient::Import TCalDavClient::ImportInto(const QUrl &collection, const QByteArray &calendar)
{
    m_error = Error();
    int status = 0;
    const auto self = propfind(collection, "0", "<D:getetag/>", &status);
    if (!self)
        return Import::Failed;
    if (self->empty() || self->front().etag.isEmpty())
        return Import::NotOffered;
    THttpRequest r{"PUT", collection, {}, calendar, ImportTimeoutMs};
    r.headers.append(QPair<QByteArray, QByteArray>("Content-Type", "text/calendar; charset=utf-8"));
    r.headers.append(QPair<QByteArray, QByteArray>("If-Match", self->front().etag));
    const THttpResponse answer = m_transport.Send({r}).front();
    if (answer.ok())
        return Import::Done;
    if (answer.failure != THttpResponse::Failure::None || answer.status == 401) {
        fail(answer);
        return Import::Failed;
    }
    return Import::NotOffered;
}

std::vector<TCalDavClient::Written> TCalDavClient::Apply(const QUrl &collection,
                                                                        const std::vector<Write> &writes)
{
    m_error = Error();
    std::vector<THttpRequest> requests;
    for (const Write &w : writes) {
        THttpRequest r;
        r.timeoutMs = RequestTimeoutMs;
        r.url = collection.resolved(QUrl(w.href));
        if (w.data.isEmpty()) {
            r.method = "DELETE";
            if (!w.ifMatch.isEmpty())
                r.headers.append(QPair<QByteArray, QByteArray>("If-Match", w.ifMatch));
        } else {
            r.method = "PUT";
            r.body = w.data;
            r.headers.append(QPair<QByteArray, QByteArray>("Content-Type", "text/calendar; charset=utf-8"));
            if (w.ifMatch.isEmpty())
                r.headers.append(QPair<QByteArray, QByteArray>("If-None-Match", "*"));
            else
                r.headers.append(QPair<QByteArray, QByteArray>("If-Match", w.ifMatch));
        }
        requests.push_back(r);
    }
    std::vector<Written> results;
    results.reserve(writes.size());
    bool broken = false;
    for (const THttpResponse &answer : m_transport.Send(requests)) {
        Written w;
        w.status = answer.status;
        w.etag = answer.header("etag");
        w.ok = answer.ok();
        w.conflict = answer.failure == THttpResponse::Failure::None && answer.status == 412;
        if (!w.ok && !w.conflict && !broken) {
            // A delete of what is gone already is done.
            if (answer.failure == THttpResponse::Failure::None && answer.status == 404 && requests[results.size()].method == "DELETE")
                w.ok = true;
            else if (answer.failure != THttpResponse::Failure::None || answer.status == 401 || answer.status == 403
                     || answer.status >= 500) {
                fail(answer);
                broken = true;
            }
        }
        results.push_back(w);
    }
    return results;
}
