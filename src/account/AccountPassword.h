#pragma once

#include <QString>
#include <optional>

// Where the EchoLink password is kept: the desktop's secret store (the Secret Service over D-Bus: GNOME
// Keyring, KWallet, KeePassXC), under the service "corvane-echolink" and the callsign; only where no secret
// store exists, the `Password=` line of the account file (mode 600). Corvane's set-up writes it, the node
// reads it, both through this unit. The password never goes into any message this unit makes.
namespace AccountPassword {

inline const QString Service = QStringLiteral("corvane-echolink");

// The desktop's secret store, or a stand-in for tests.
class SecretStore
{
public:
    enum class Result
    {
        Done,
        NotFound, // read or remove: no entry for that callsign
        NoStore, // no secret store on this desktop (no session bus, no service)
        Failed, // the store exists but refused (locked, denied): the reason says why
    };

    virtual ~SecretStore() = default;
    virtual Result read(const QString& callsign, QString* password, QString* error) = 0;
    virtual Result write(const QString& callsign, const QString& password, QString* error) = 0;
    virtual Result remove(const QString& callsign, QString* error) = 0;
};

// The desktop's own store (QtKeychain). Each call waits for the store's answer, at most `timeoutMs`,
// running a local event loop: call it from a thread with a Qt event loop (the main thread).
class DesktopSecretStore : public SecretStore
{
public:
    explicit DesktopSecretStore(int timeoutMs = 15000)
        : m_timeoutMs(timeoutMs)
    {
    }
    Result read(const QString& callsign, QString* password, QString* error) override;
    Result write(const QString& callsign, const QString& password, QString* error) override;
    Result remove(const QString& callsign, QString* error) override;

private:
    int m_timeoutMs;
};

enum class Place
{
    Nowhere,
    SecretStore,
    File,
};

struct Found
{
    QString password; // empty when Nowhere
    Place place = Place::Nowhere;
    // Why the secret store could not be asked, or the file not read (empty when all went well).
    QString problem;
};

// The password of `callsign`: the secret store first, then the `Password=` line of the account file.
// An empty callsign is taken from the file's `Callsign=`.
Found read(SecretStore& store, const QString& callsign, const QString& configPath);
// The same with the desktop's store and the account file the node reads.
Found read(const QString& callsign = QString());

struct Saved
{
    Place place = Place::Nowhere; // Nowhere: not saved, `problem` says why
    QString problem;
};

// Keeps the password of `callsign`: in the secret store, taking any `Password=` line out of the file so
// no second copy stays behind; where no secret store exists, in the file (mode 600). A store that exists
// but refuses is reported, and the password is not written to the file instead.
Saved save(SecretStore& store, const QString& callsign, const QString& password, const QString& configPath);

// Whether the account file names a station whose password is kept in either place.
bool namesStation(SecretStore& store, const QString& configPath);

} // namespace AccountPassword
