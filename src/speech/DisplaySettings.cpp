#include "speech/DisplaySettings.h"

#include "chat/Panes.h"
#include "echolink/StationRoster.h"
#include "platform/EventLoop.h"
#include "platform/Platform.h"
#include "speech/Announcer.h"
#include "speech/Clocks.h"

#include <QLocale>

namespace {

const char* const StationPaneHelp[] = {
    "Text to Speech area  If cut and paste text here, and you can not see the Text. Then Press Function 10. ",
    "Function number F2. will read out the pasted text. ",
    "Copy your text with CTRL C. Then move mouse here, left click once. ",
    "Then CTRL A to select All of this message. Then CTRL V to paste new text.",
};

} // namespace

DisplaySettings::DisplaySettings(const DisplaySettingsParts& parts)
    : m_parts(parts)
    , m_clockTimer(parts.clock, 1000)
{
    m_clockTimer.start();
}

void DisplaySettings::applyContentFontSize(bool includeAbsent)
{
    m_parts.view.applyContentFontSize(m_parts.view.fontSize(), includeAbsent);
}

void DisplaySettings::btnUpDownClick(int position)
{
    m_parts.view.applyContentFontSize(position, position < AbsentLineSizeLimit);
}

void DisplaySettings::ApplyColorScheme()
{
    if (const auto scheme = ColorSchemes::scheme(m_colorSetNumber)) {
        m_parts.view.setWindowColor(ColorSchemes::WindowBackground);
        for (const ColorSchemes::ColorAssignment& a : ColorSchemes::assignments(*scheme))
            m_parts.view.setControlColor(a.objectName, a.role, a.color);
    }
    // The new colours are painted before the caller goes on.
    letPendingMessagesRun();
}

void DisplaySettings::takeTalkingNowColor()
{
    m_talkingNowColor = m_parts.view.talkingNowBackground();
}

int DisplaySettings::GetTimeZoneBias() const
{
    return Clocks::GetTimeZoneBias(m_zone, m_parts.clock.now());
}

int DisplaySettings::SetUTC_Clock_Time()
{
    const int bias = GetTimeZoneBias();
    if (const auto note = Clocks::utcOffsetNote(bias))
        m_parts.panes.AppendChatLine(*note);
    return bias;
}

void DisplaySettings::refreshClocks()
{
    QDateTime local = m_parts.clock.now().toTimeZone(m_zone);
    ClockLocalTimeGetTime(local);
    m_parts.view.showClock(DisplaySettingsView::ClockFace::Local, Clocks::clockDateText(local),
                           Clocks::clockTimeText(local, QLocale()));
}

void DisplaySettings::ClockLocalTimeGetTime(QDateTime& aTime)
{
    Q_UNUSED(aTime);
    // The UTC clock keeps no time of its own: it shows what this request hands it.
    const QDateTime utc = m_parts.clock.now().toUTC();
    m_parts.view.showClock(DisplaySettingsView::ClockFace::Universal, Clocks::clockDateText(utc),
                           Clocks::clockTimeText(utc, QLocale()));
}

void DisplaySettings::QRZLinkLabelClick()
{
    m_parts.platform.openUrl(m_parts.view.lookUpAddress());
}

void DisplaySettings::redtStationURLClick(const QString& urlText)
{
    m_parts.platform.openUrl(urlText);
}

// Outside a QSO the station pane becomes a text-to-speech area, and says so.
void DisplaySettings::redtStationDblClick()
{
    if (m_parts.roster.isConnected())
        return;
    m_parts.panes.clearStationPane();
    for (const char* line : StationPaneHelp)
        m_parts.panes.AppendStationLine(QString::fromUtf8(line));
    m_parts.announcer.SpeakToMeNow(QString::fromUtf8(StationPaneHelp[0]), SpeechKind::Answer);
    m_parts.announcer.SpeakToMeNow(QStringLiteral("Function number f2. will read out the pasted text. "),
                                   SpeechKind::Answer);
}
