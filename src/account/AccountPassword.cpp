#include "account/AccountPassword.h"

#include "account/AccountFile.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace AccountPassword {

namespace {

using Result = SecretStore::Result;

// Whether a secret store answers, or can be started, on the session bus: the Secret Service (GNOME Keyring,
// KeePassXC, KWallet 5.97 and later) or KWallet's own service.
bool secretServiceExists()
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return false;
    // A connection of its own each time, to the bus the environment names now (the library would keep the
    // first address it saw).
    const QString connectionName = QStringLiteral("corvane-secret-store-check");
    struct Release
    {
        QString name;
        ~Release() { QDBusConnection::disconnectFromBus(name); }
    } release { connectionName };
    QDBusConnection bus
        = QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), connectionName);
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QStringList names { QStringLiteral("org.freedesktop.secrets"), QStringLiteral("org.kde.kwalletd6"),
                              QStringLiteral("org.kde.kwalletd5") };
    for (const QString& name : names) {
        if (bus.interface()->isServiceRegistered(name))
            return true;
    }
    const QDBusReply<QStringList> activatable = bus.interface()->call(QStringLiteral("ListActivatableNames"));
    if (!activatable.isValid())
        return false;
    for (const QString& name : names) {
        if (activatable.value().contains(name))
            return true;
    }
    return false;
}

Result noStore(QString* error)
{
    *error = QStringLiteral("no secret store on the session bus");
    return Result::NoStore;
}

// Runs one job to its end (or the time limit) and sorts its outcome.
Result finish(QKeychain::Job& job, int timeoutMs, QString* error)
{
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    QEventLoop loop;
    bool done = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        done = true;
        loop.quit();
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    job.start();
    if (!done) {
        limit.start(timeoutMs);
        loop.exec();
    }
    if (!done) {
        *error = QStringLiteral("The secret store did not answer within %1 seconds").arg(timeoutMs / 1000);
        return Result::Failed;
    }
    switch (job.error()) {
    case QKeychain::NoError:
        return Result::Done;
    case QKeychain::EntryNotFound:
        return Result::NotFound;
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        *error = job.errorString();
        return Result::NoStore;
    default:
        *error = job.errorString();
        return Result::Failed;
    }
}

QString upper(const QString& callsign)
{
    return callsign.trimmed().toUpper();
}

} // namespace

SecretStore::Result DesktopSecretStore::read(const QString& callsign, QString* password, QString* error)
{
    if (!secretServiceExists())
        return noStore(error);
    QKeychain::ReadPasswordJob job(Service);
    job.setKey(upper(callsign));
    const Result result = finish(job, m_timeoutMs, error);
    if (result == Result::Done)
        *password = job.textData();
    return result;
}

SecretStore::Result DesktopSecretStore::write(const QString& callsign, const QString& password, QString* error)
{
    if (!secretServiceExists())
        return noStore(error);
    QKeychain::WritePasswordJob job(Service);
    job.setKey(upper(callsign));
    job.setTextData(password);
    return finish(job, m_timeoutMs, error);
}

SecretStore::Result DesktopSecretStore::remove(const QString& callsign, QString* error)
{
    if (!secretServiceExists())
        return noStore(error);
    QKeychain::DeletePasswordJob job(Service);
    job.setKey(upper(callsign));
    return finish(job, m_timeoutMs, error);
}

Found read(SecretStore& store, const QString& callsign, const QString& configPath)
{
    Found found;
    QByteArray text;
    QString fileError;
    const bool fileRead = AccountFile::read(configPath, &text, &fileError);
    QString call = callsign;
    if (call.isEmpty() && fileRead)
        call = AccountFile::value(text, QStringLiteral("Callsign")).value_or(QString());
    if (!call.trimmed().isEmpty()) {
        QString password;
        QString error;
        switch (store.read(call, &password, &error)) {
        case Result::Done:
            if (!password.isEmpty()) {
                found.password = password;
                found.place = Place::SecretStore;
                return found;
            }
            break;
        case Result::Failed:
            found.problem = QStringLiteral("The secret store could not be read: %1").arg(error);
            break;
        case Result::NotFound:
        case Result::NoStore:
            break;
        }
    }
    if (!fileRead) {
        found.problem = fileError;
        return found;
    }
    const QString password = AccountFile::value(text, QStringLiteral("Password")).value_or(QString());
    if (!password.isEmpty()) {
        found.password = password;
        found.place = Place::File;
    }
    return found;
}

Found read(const QString& callsign)
{
    DesktopSecretStore store;
    return read(store, callsign, AccountFile::defaultPath());
}

Saved save(SecretStore& store, const QString& callsign, const QString& password, const QString& configPath)
{
    Saved saved;
    QString error;
    const Result result = store.write(callsign, password, &error);
    if (result == Result::Done) {
        // The file's copy goes, so that the two cannot disagree.
        QString fileError;
        if (!AccountFile::write(configPath, { { QStringLiteral("Password"), std::nullopt } }, &fileError)) {
            saved.problem = fileError;
            return saved;
        }
        saved.place = Place::SecretStore;
        return saved;
    }
    if (result != Result::NoStore) {
        saved.problem = QStringLiteral("The secret store refused the password: %1").arg(error);
        return saved;
    }
    QString fileError;
    if (!AccountFile::write(configPath, { { QStringLiteral("Password"), password } }, &fileError)) {
        saved.problem = fileError;
        return saved;
    }
    saved.place = Place::File;
    return saved;
}

bool namesStation(SecretStore& store, const QString& configPath)
{
    QByteArray text;
    QString error;
    if (!AccountFile::read(configPath, &text, &error))
        return false;
    const QString callsign = AccountFile::value(text, QStringLiteral("Callsign")).value_or(QString());
    if (callsign.isEmpty())
        return false;
    return !read(store, callsign, configPath).password.isEmpty();
}

} // namespace AccountPassword
