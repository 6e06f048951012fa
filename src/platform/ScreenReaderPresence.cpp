#include "platform/ScreenReaderPresence.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QStringList>
#include <QUuid>
#include <algorithm>

namespace {

QStringList segmentsOf(const QString& event)
{
    QStringList parts = event.toLower().remove(u'-').remove(u'_').split(u':', Qt::SkipEmptyParts);
    for (QString& part : parts)
        part = part.trimmed();
    return parts;
}

QDBusMessage callWithin(const QDBusConnection& bus, const QDBusMessage& call, std::chrono::milliseconds bound)
{
    return bus.call(call, QDBus::Block, static_cast<int>(bound.count()));
}

bool desktopFlag(const QDBusConnection& session, std::chrono::milliseconds bound)
{
    QDBusMessage get
        = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                         QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.a11y.Status") << QStringLiteral("ScreenReaderEnabled");
    const QDBusMessage reply = callWithin(session, get, bound);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

QString accessibilityBusAddress(const QDBusConnection& session, std::chrono::milliseconds bound)
{
    const QDBusMessage call
        = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                         QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
    const QDBusMessage reply = callWithin(session, call, bound);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().toString();
}

QList<ScreenReaderPresence::Listener> registeredListeners(const QString& address, std::chrono::milliseconds bound)
{
    QList<ScreenReaderPresence::Listener> listeners;
    const QString name = QStringLiteral("corvane-a11y-") + QUuid::createUuid().toString(QUuid::Id128);
    {
        QDBusConnection bus = QDBusConnection::connectToBus(address, name);
        if (bus.isConnected()) {
            const QDBusMessage call = QDBusMessage::createMethodCall(
                QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("/org/a11y/atspi/registry"),
                QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("GetRegisteredEvents"));
            const QDBusMessage reply = callWithin(bus, call, bound);
            if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
                const QDBusArgument array = reply.arguments().constFirst().value<QDBusArgument>();
                array.beginArray();
                while (!array.atEnd()) {
                    ScreenReaderPresence::Listener listener;
                    array.beginStructure();
                    array >> listener.first >> listener.second;
                    array.endStructure();
                    listeners.append(listener);
                }
                array.endArray();
            }
        }
    }
    QDBusConnection::disconnectFromBus(name);
    return listeners;
}

} // namespace

namespace ScreenReaderPresence {

bool listensForFocus(const QString& event)
{
    const QStringList parts = segmentsOf(event);
    if (parts.isEmpty())
        return false;
    if (parts.constFirst() == u"focus")
        return true;
    static const QStringList focused { QStringLiteral("object"), QStringLiteral("statechanged"),
                                       QStringLiteral("focused") };
    return parts.size() <= focused.size() && std::equal(parts.begin(), parts.end(), focused.begin());
}

bool screenReaderIn(const QList<Listener>& listeners, bool flag)
{
    return flag || std::any_of(listeners.begin(), listeners.end(), [](const Listener& listener) {
               return listensForFocus(listener.second);
           });
}

bool running(std::chrono::milliseconds bound)
{
    const QString forced = qEnvironmentVariable("CORVANE_SCREEN_READER").trimmed().toLower();
    if (forced == u"yes" || forced == u"1")
        return true;
    if (forced == u"no" || forced == u"0")
        return false;
    QString address = qEnvironmentVariable("AT_SPI_BUS_ADDRESS");
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        const QDBusConnection session = QDBusConnection::sessionBus();
        if (session.isConnected()) {
            if (desktopFlag(session, bound))
                return true;
            if (address.isEmpty())
                address = accessibilityBusAddress(session, bound);
        }
    }
    if (address.isEmpty())
        return false;
    return screenReaderIn(registeredListeners(address, bound), false);
}

} // namespace ScreenReaderPresence
