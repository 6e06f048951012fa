#pragma once

#include <QString>

class Announcer;
class Platform;
class StationRoster;

// What the option boxes need of the window.
class OptionBoxesView
{
public:
    virtual ~OptionBoxesView() = default;
    // The home control: the transmit button during a QSO, else the chat line.
    virtual void focusHomeControl() = 0;
};

// The speech-option boxes (Speak, Button Speak, Key Speak, Speech Enable, Focus) and the volume bar:
// each keeps its mirror switch, confirms the change aloud and sends the focus home. They run whenever a
// box changes state, by hand, by the settings or by a command.
class OptionBoxes
{
public:
    OptionBoxes(Announcer& announcer, Platform& platform, const StationRoster& roster, OptionBoxesView& view);

    bool speakMessage() const { return m_speakMessage; }
    bool buttonAnnounce() const { return m_buttonAnnounce; }
    bool keyboardSpeak() const { return m_keyboardSpeak; }
    bool notBringToFront() const { return m_notBringToFront; }
    void setNotBringToFront(bool on) { m_notBringToFront = on; }
    // A command sets a switch after its box, whether or not the box changed.
    void setSpeakMessage(bool on) { m_speakMessage = on; }
    void setButtonAnnounce(bool on) { m_buttonAnnounce = on; }
    void setKeyboardSpeak(bool on) { m_keyboardSpeak = on; }

    void SpeakCheckBoxClick(bool checked);
    void ButtonAnnounceCheckBoxClick(bool checked);
    void KeySpeakCheckBoxClick(bool checked);
    void SpeechEnableCheckBoxClick(bool checked);
    void FocusToFrontCheckBoxClick(bool checked);
    void FocusToFrontCheckBoxEnter();

    void TrackBarVolumeChange(int position);
    void TrackBarVolumeKeyUp(int key, int position);
    void Button1Click();

private:
    Announcer& m_announcer;
    Platform& m_platform;
    // During a QSO (a station connected) the home control is the transmit button.
    const StationRoster& m_roster;
    OptionBoxesView& m_view;
    bool m_speakMessage = true;
    bool m_buttonAnnounce = true;
    bool m_keyboardSpeak = false;
    bool m_notBringToFront = false;
};
