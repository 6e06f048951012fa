#include "speech/DisplaySettings.h"

DisplaySettings::DisplaySettings(DisplaySettingsView& view)
    : m_view(view)
{
}

void DisplaySettings::applyContentFontSize(bool includeAbsent)
{
    m_view.applyContentFontSize(m_view.fontSize(), includeAbsent);
}

// Applies colour scheme ColorSetNumber; filled in with the colour schemes.
void DisplaySettings::ApplyColorScheme() { }

void DisplaySettings::takeTalkingNowColor()
{
    m_talkingNowColor = m_view.talkingNowBackground();
}

// Writes the UTC-offset note to the chat pane; filled in with the clocks.
void DisplaySettings::SetUTC_Clock_Time() { }
