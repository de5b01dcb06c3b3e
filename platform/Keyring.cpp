#include "Keyring.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>

namespace keyring {

namespace {

const QString Service = QStringLiteral("Tavi");

Store &Replacement()
{
    static Store store;
    return store;
}

// The keyring answers asynchronously; the callers want one answer.
template <typename Job>
bool RunJob(Job &job, QString *error)
{
    job.setAutoDelete(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    if (job.error() != QKeychain::NoError && job.error() != QKeychain::EntryNotFound) {
        if (error)
            *error = job.errorString();
        return false;
    }
    return true;
}

} // namespace

std::optional<QString> ReadPassword(const QString &key, QString *error)
{
    if (Replacement().read)
        return Replacement().read(key, error);
    QKeychain::ReadPasswordJob job(Service);
    job.setKey(key);
    if (!RunJob(job, error))
        return std::nullopt;
    return job.error() == QKeychain::EntryNotFound ? QString() : job.textData();
}

bool WritePassword(const QString &key, const QString &password, QString *error)
{
    if (Replacement().write)
        return Replacement().write(key, password, error);
    if (password.isEmpty()) {
        QKeychain::DeletePasswordJob job(Service);
        job.setKey(key);
        return RunJob(job, error);
    }
    QKeychain::WritePasswordJob job(Service);
    job.setKey(key);
    job.setTextData(password);
    return RunJob(job, error);
}

void SetStore(Store store) { Replacement() = std::move(store); }

} // namespace keyring
