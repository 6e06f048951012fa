// Closing: the window's own close, and EchoLink closing by itself, which Corvane follows.
#include "app/ShutDown.h"

#include "app/Settings.h"
#include "app/StartUp.h"
#include "chat/ChatJournal.h"
#include "chat/Panes.h"
#include "echolink/EchoLinkSession.h"
#include "echolink/StationRoster.h"
#include "platform/Clock.h"
#include "platform/EventLoop.h"
#include "platform/Platform.h"
#include "speech/Announcer.h"

ShutDown::ShutDown(const ShutDownParts& parts, QObject* parent)
    : QObject(parent)
    , m_parts(parts)
    , m_shutDownTimer(new Timer(parts.clock, 15000, this))
    , m_shutdownTimer2(new Timer(parts.clock, 2000, this))
{
}

void ShutDown::FormClose()
{
    StartUp& startUp = m_parts.startUp;
    if (startUp.settingsLoaded())
        m_parts.settings.SaveSettings();
    if (!startUp.echoLinkAttached())
        return;
    m_parts.announcer.SpeakToMeNowSync(QStringLiteral("Corvane  and Echo link Closing Please wait"));
    m_parts.session.DisconnectAll();
    letPendingMessagesRun();
    m_parts.session.Shutdown();
    letPendingMessagesRun();
    m_parts.view.detachSession();
    startUp.setEchoLinkAttached(false);
    letPendingMessagesRun();
    m_parts.journal.addLogEntry(QStringLiteral("Log Closed"), QStringLiteral("Corvane Closing"));
    letPendingMessagesRun();
}

void ShutDown::elEchoLinkSessionClosing()
{
    StartUp& startUp = m_parts.startUp;
    if (startUp.echoLinkAttached() && m_parts.roster.isConnected()) {
        m_parts.session.DisconnectAll();
        startUp.setEchoLinkAttached(false);
        m_parts.roster.setConnected(false);
        m_parts.session.Quit();
        m_parts.view.closeWindow();
    }
    if (startUp.echoLinkAttached()) {
        m_parts.session.Quit();
        startUp.setEchoLinkAttached(false);
        m_parts.view.closeWindow();
    }
    m_parts.platform.beep();
    if (!startUp.echoLinkAttached())
        m_parts.view.closeWindow();
}

void ShutDown::ApplicationEvents1Exception(const QString& message)
{
    m_parts.panes.AppendChatLine(QStringLiteral(">Application Exception ") + message);
    m_parts.view.clearChatLine();
    try {
        m_parts.announcer.speakUnchecked(message + QStringLiteral("Application Exception "), 1);
    } catch (const std::exception& e) {
        m_parts.panes.AddChatLineQuietly(Announcer::failureLine(QString::fromUtf8(e.what())));
    }
}
