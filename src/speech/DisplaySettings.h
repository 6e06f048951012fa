#pragma once

#include "platform/Clock.h"
#include "speech/ColorSchemes.h"

#include <QDateTime>
#include <QString>
#include <QTimeZone>
#include <QtGlobal>

class Announcer;
class Panes;
class Platform;
class StationRoster;

// What the display settings change in the window.
class DisplaySettingsView
{
public:
    enum class ClockFace
    {
        Universal, // ClockUniversalTime, top left
        Local, // ClockLocalTime, top right
    };

    virtual ~DisplaySettingsView() = default;
    // The panes and the chat line take the size; the away line too when includeAbsent; the size label shows it.
    virtual void applyContentFontSize(int size, bool includeAbsent) = 0;
    virtual int fontSize() const = 0;
    // The talking-now label's background, as a 0x00BBGGRR value.
    virtual quint32 talkingNowBackground() const = 0;
    virtual void setWindowColor(quint32 bgr) = 0;
    // Colours one control, found by its object name, with a 0x00BBGGRR value.
    virtual void setControlColor(const QString& objectName, ColorSchemes::ColorRole role, quint32 bgr) = 0;
    virtual void showClock(ClockFace face, const QString& date, const QString& time) = 0;
    // The address the look-up link shows.
    virtual QString lookUpAddress() const = 0;
};

struct DisplaySettingsParts
{
    DisplaySettingsView& view;
    Announcer& announcer;
    Panes& panes;
    Platform& platform;
    Clock& clock;
    const StationRoster& roster;
};

// Colour schemes, font size, the two clocks with the UTC note, the look-up link and the station pane's help.
class DisplaySettings
{
public:
    explicit DisplaySettings(const DisplaySettingsParts& parts);

    int colorSetNumber() const { return m_colorSetNumber; }
    void setColorSetNumber(int number) { m_colorSetNumber = number; }
    bool colorToggle() const { return m_colorToggle; }
    void setColorToggle(bool on) { m_colorToggle = on; }
    quint32 talkingNowColor() const { return m_talkingNowColor; }

    static constexpr int FontSizeMax = 45;
    static constexpr int FontSizeMin = 8;
    // From this size up the away line keeps the size it had.
    static constexpr int AbsentLineSizeLimit = 35;

    // The saved size applied at start-up; includeAbsent ignores the limit of the away line.
    void applyContentFontSize(bool includeAbsent);
    // One step of the font-size control to position.
    void btnUpDownClick(int position);

    void ApplyColorScheme();
    // Remembers the talking-now label's colour of the scheme just applied, for the end of a QSO.
    void takeTalkingNowColor();

    // The zone the clocks and the UTC note read; the system's unless a test sets another.
    void setTimeZone(const QTimeZone& zone) { m_zone = zone; }
    const QTimeZone& timeZone() const { return m_zone; }
    int GetTimeZoneBias() const;
    // Writes the UTC-offset note to the chat pane when there is an offset; returns the offset in minutes.
    int SetUTC_Clock_Time();

    // Refreshes both clocks; the clock timer runs it every second.
    void refreshClocks();
    // The local clock's time request: hands the UTC time to the left clock; aTime stays local.
    void ClockLocalTimeGetTime(QDateTime& aTime);
    Timer& clockTimer() { return m_clockTimer; }

    void QRZLinkLabelClick();
    void redtStationURLClick(const QString& urlText);
    void redtStationDblClick();

private:
    DisplaySettingsParts m_parts;
    Timer m_clockTimer;
    QTimeZone m_zone = QTimeZone::systemTimeZone();
    int m_colorSetNumber = 0;
    bool m_colorToggle = false;
    quint32 m_talkingNowColor = 0;
};
