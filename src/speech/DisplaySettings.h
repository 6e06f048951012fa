#pragma once

#include <QtGlobal>

class Announcer;

// What the display settings change in the window.
class DisplaySettingsView
{
public:
    virtual ~DisplaySettingsView() = default;
    // The panes and the chat line take the size; the away line too when includeAbsent; the size label shows it.
    virtual void applyContentFontSize(int size, bool includeAbsent) = 0;
    virtual int fontSize() const = 0;
    // The talking-now label's background, as a 0x00BBGGRR value.
    virtual quint32 talkingNowBackground() const = 0;
};

// Colour schemes, font size and the clocks' UTC note.
class DisplaySettings
{
public:
    explicit DisplaySettings(DisplaySettingsView& view);

    int colorSetNumber() const { return m_colorSetNumber; }
    void setColorSetNumber(int number) { m_colorSetNumber = number; }
    bool colorToggle() const { return m_colorToggle; }
    void setColorToggle(bool on) { m_colorToggle = on; }
    quint32 talkingNowColor() const { return m_talkingNowColor; }

    static constexpr int FontSizeMax = 45;
    static constexpr int FontSizeMin = 8;

    void applyContentFontSize(bool includeAbsent);
    void ApplyColorScheme();
    // Remembers the talking-now label's colour of the scheme just applied, for the end of a QSO.
    void takeTalkingNowColor();
    void SetUTC_Clock_Time();

private:
    DisplaySettingsView& m_view;
    int m_colorSetNumber = 0;
    bool m_colorToggle = false;
    quint32 m_talkingNowColor = 0;
};
