#pragma once
// Passwords in the system's keyring (Secret Service, KWallet), never in a file of ours.
// Tests put their own store in its place.
#include <QString>

#include <functional>
#include <optional>

namespace keyring {

struct Store {
    // nullopt with a message when the keyring cannot be asked; an empty string when it holds none.
    std::function<std::optional<QString>(const QString &key, QString *error)> read;
    std::function<bool(const QString &key, const QString &password, QString *error)> write;
};

// The password kept under this key ("user@address" for the sync server).
std::optional<QString> ReadPassword(const QString &key, QString *error = nullptr);
bool WritePassword(const QString &key, const QString &password, QString *error = nullptr);

// Replaces the system's keyring; an empty store puts it back.
void SetStore(Store store);

} // namespace keyring
