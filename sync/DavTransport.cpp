#include "DavTransport.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QThread>
#include <QTimer>

#include <memory>

QByteArray THttpResponse::header(const QByteArray &lowerName) const
{
    for (const auto &h : headers)
        if (h.first == lowerName)
            return h.second;
    return {};
}

TQtTransport::TQtTransport(const QString &user, const QString &password, const QByteArray &acceptedFingerprint)
    : m_acceptedFingerprint(acceptedFingerprint.toLower())
{
    if (!user.isEmpty())
        m_authorization = "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
}

TQtTransport::~TQtTransport() = default;

std::vector<THttpResponse> TQtTransport::Send(const std::vector<THttpRequest> &requests)
{
    std::vector<THttpResponse> answers(requests.size());
    if (requests.empty())
        return answers;
    if (!m_nam || m_nam->thread() != QThread::currentThread()) {
        m_nam = std::make_unique<QNetworkAccessManager>();
        // Redirects are the client's business: a PROPFIND must not turn into a GET.
        m_nam->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    }
    QNetworkAccessManager &nam = *m_nam;
    QEventLoop loop;
    size_t next = 0, done = 0;
    std::function<void()> startNext;

    startNext = [&] {
        const size_t i = next++;
        if (Cancel && *Cancel) {
            answers[i].failure = THttpResponse::Failure::NoAnswer;
            answers[i].error = QStringLiteral("cancelled");
            ++done;
            if (next < requests.size())
                startNext();
            else if (done == requests.size())
                loop.quit();
            return;
        }
        const THttpRequest &r = requests[i];
        QNetworkRequest req(r.url);
        req.setTransferTimeout(r.timeoutMs > 0 ? r.timeoutMs : TimeoutMs);
        req.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
        for (const auto &h : r.headers)
            req.setRawHeader(h.first, h.second);
        if (!m_authorization.isEmpty())
            req.setRawHeader("Authorization", m_authorization);
        if (!r.body.isEmpty() && !req.hasRawHeader("Content-Type"))
            req.setRawHeader("Content-Type", "application/xml; charset=utf-8");
        QNetworkReply *reply = nam.sendCustomRequest(req, r.method, r.body);
        reply->setReadBufferSize(256 * 1024);
        THttpResponse *answer = &answers[i];
        QObject::connect(reply, &QNetworkReply::sslErrors, reply, [this, reply, answer](const QList<QSslError> &) {
            const QSslCertificate cert = reply->sslConfiguration().peerCertificate();
            const QByteArray print = cert.digest(QCryptographicHash::Sha256).toHex(':').toLower();
            if (!m_acceptedFingerprint.isEmpty() && print == m_acceptedFingerprint)
                reply->ignoreSslErrors();
            else
                answer->certificateFingerprint = print;
        });
        // The body in pieces, joined once at the end: growing one array would copy it
        // over and over and, for a moment, hold it twice and more.
        auto pieces = std::make_shared<QByteArrayList>();
        auto size = std::make_shared<qint64>(0);
        auto tooLarge = [this, reply, answer, pieces] {
            answer->failure = THttpResponse::Failure::TooLarge;
            pieces->clear();
            reply->abort();
        };
        QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [this, reply, tooLarge] {
            const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
            if (length.isValid() && length.toLongLong() > MaxBody)
                tooLarge();
        });
        QObject::connect(reply, &QNetworkReply::readyRead, reply, [this, reply, answer, pieces, size, tooLarge] {
            if (answer->failure == THttpResponse::Failure::TooLarge)
                return;
            pieces->append(reply->readAll());
            *size += pieces->last().size();
            if (*size > MaxBody)
                tooLarge();
        });
        QObject::connect(reply, &QNetworkReply::finished, reply, [&, reply, answer, pieces] {
            if (answer->failure != THttpResponse::Failure::TooLarge) {
                if (reply->isOpen())
                    pieces->append(reply->readAll());
                answer->body = pieces->join();
                pieces->clear();
                answer->status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
                for (const auto &h : reply->rawHeaderPairs())
                    answer->headers.append(QPair<QByteArray, QByteArray>(h.first.toLower(), h.second));
                const auto err = reply->error();
                if (!answer->certificateFingerprint.isEmpty()) {
                    answer->failure = THttpResponse::Failure::Certificate;
                } else if (err == QNetworkReply::OperationCanceledError || err == QNetworkReply::TimeoutError) {
                    answer->failure = THttpResponse::Failure::Timeout;
                } else if (answer->status == 0 && err != QNetworkReply::NoError) {
                    answer->failure = err == QNetworkReply::SslHandshakeFailedError ? THttpResponse::Failure::Certificate
                                                                                      : THttpResponse::Failure::NoAnswer;
                }
                if (err != QNetworkReply::NoError)
                    answer->error = reply->errorString();
            }
            // The manager outlives this round: nothing of the reply may call back into it.
            reply->disconnect();
            reply->deleteLater();
            ++done;
            if (next < requests.size())
                startNext();
            else if (done == requests.size())
                loop.quit();
        });
    };
    QTimer watch;
    if (Cancel) {
        QObject::connect(&watch, &QTimer::timeout, &nam, [this, &nam] {
            if (*Cancel)
                for (QNetworkReply *r : nam.findChildren<QNetworkReply *>())
                    r->abort();
        });
        watch.start(50);
    }
    const size_t first = std::min<size_t>(requests.size(), size_t(std::max(1, MaxInFlight)));
    for (size_t i = 0; i < first; ++i)
        startNext();
    if (done < requests.size())
        loop.exec();
    return answers;
}
