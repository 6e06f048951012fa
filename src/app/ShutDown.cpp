// Closing: the window's own close, and EchoLink closing by itself, which Corvane follows.
#include "app/ShutDown.h"

#include "app/Lifecycle.h"
#include "app/Settings.h"
#include "chat/ChatJournal.h"
#include "chat/Panes.h"
#include "echolink/SessionLink.h"
#include "echolink/StationRoster.h"
#include "platform/Clock.h"
#include "platform/EventLoop.h"
#include "platform/Platform.h"
#include "platform/PowerControl.h"
#include "platform/TimerTable.h"
#include "speech/Announcer.h"
#include "speech/VoiceMarkup.h"

ShutDown::ShutDown(const ShutDownParts& parts, QObject* parent)
    : QObject(parent)
    , m_parts(parts)
    , m_shutDownTimer(Timers::make(TimerId::ShutDownTimer, parts.clock, this))
    , m_shutdownTimer2(Timers::make(TimerId::ShutdownTimer2, parts.clock, this))
{
    connect(&parts.lifecycle, &Lifecycle::attaching, this, [this] {
        m_shutDownTimer->stop();
        m_shutdownTimer2->stop();
    });
}

void ShutDown::FormClose()
{
    Lifecycle& life = m_parts.lifecycle;
    if (life.settingsLoaded())
        m_parts.settings.SaveSettings();
    if (!life.echoLinkAttached())
        return;
    m_parts.announcer.SpeakToMeNowSync(QStringLiteral("Corvane  and Echo link Closing Please wait"));
    // An EchoLink that died without a word answers neither call. Closing goes on without it: the settings are
    // saved, the log is closed and the program ends, and an EchoLink that failed once is not asked again.
    if (askEchoLink([this] { m_parts.session.DisconnectAll(); })) {
        letPendingMessagesRun();
        askEchoLink([this] { m_parts.session.Shutdown(); });
    }
    letPendingMessagesRun();
    // From here on no EchoLink event arrives, and whatever still runs (a timer tick, a second close) finds
    // the session, the voice and the log let go of rather than half shut down.
    m_parts.session.release();
    letPendingMessagesRun();
    m_parts.announcer.releaseVoice();
    letPendingMessagesRun();
    m_parts.journal.addLogEntry(QStringLiteral("Log Closed"), QStringLiteral("Corvane Closing"));
    letPendingMessagesRun();
    m_parts.journal.release();
    letPendingMessagesRun();
}

bool ShutDown::askEchoLink(const std::function<void()>& call)
{
    try {
        call();
        return true;
    } catch (const std::exception& e) {
        m_parts.panes.AddChatLineQuietly(QStringLiteral(">EchoLink did not take part in closing: ")
                                         + QString::fromUtf8(e.what()));
        return false;
    }
}

void ShutDown::elEchoLinkSessionClosing()
{
    Lifecycle& life = m_parts.lifecycle;
    if (life.echoLinkAttached() && m_parts.roster.isConnected()) {
        m_parts.session.DisconnectAll();
        life.setEchoLinkAttached(false);
        m_parts.roster.setConnected(false);
        m_parts.session.Quit();
        m_parts.view.closeWindow();
    }
    if (life.echoLinkAttached()) {
        m_parts.session.Quit();
        life.setEchoLinkAttached(false);
        m_parts.view.closeWindow();
    }
    m_parts.platform.beep();
    if (!life.echoLinkAttached())
        m_parts.view.closeWindow();
}

void ShutDown::ApplicationEvents1Exception(const QString& message)
{
    m_parts.panes.AppendChatLine(QStringLiteral(">Application Exception ") + message);
    m_parts.view.clearChatLine();
    try {
        // The message can carry text from outside (EchoLink's error text, a station's name) and this request
        // lets the voice read markup, so the message is escaped: it is always spoken as it stands.
        m_parts.announcer.speakUnchecked(VoiceMarkup::escape(message + QStringLiteral("Application Exception ")), 1);
    } catch (const std::exception& e) {
        m_parts.panes.AddChatLineQuietly(Announcer::failureLine(QString::fromUtf8(e.what())));
    }
}

void ShutDown::startCountDown()
{
    m_parts.lifecycle.setShutdownPending(true);
    m_shutDownTimer->start();
}

void ShutDown::cancelCountDown()
{
    m_shutDownTimer->stop();
    m_parts.lifecycle.setShutdownPending(false);
}

void ShutDown::ShutDownTimerTimer()
{
    m_parts.announcer.SpeakToMeNow(QStringLiteral("Shuting Down Now "));
    letPendingMessagesRun();
    m_shutDownTimer->stop();
    m_parts.lifecycle.setShutdownPending(false);
    m_shutdownTimer2->start();
}

void ShutDown::ShutdownTimer2Timer()
{
    m_shutdownTimer2->stop();
    // A refused request has no visible effect; F12 can start again.
    MyExitWindows(PowerModes::ForcedPowerOff);
}

bool ShutDown::MyExitWindows(int rebootParam)
{
    return m_parts.power.powerOff(rebootParam);
}
