#pragma once

#include "speech/KeyMap.h"
#include "speech/KeyNames.h"
#include "speech/Utterance.h"

#include <QObject>
#include <QString>

class Announcer;
class Clock;
class DisplaySettings;
class OptionBoxes;
class Platform;
class Timer;

// What the key map needs of the window and of the subsystems the window owns.
class KeyboardMapView
{
public:
    virtual ~KeyboardMapView() = default;
    // Station facts.
    virtual bool isConnected() const = 0;
    virtual QString conferenceCalls() const = 0;
    virtual QString lastStation() const = 0;
    virtual QString lastChatText() const = 0;
    virtual QString lastAlarmText() const = 0;
    virtual QString stationPaneText() const = 0;
    // Focus.
    virtual void focusControl(const QString& objectName) = 0;
    virtual void focusHomeControl() = 0;
    virtual void focusChatLine() = 0;
    // The texts of the two edit lines, as they stand now.
    virtual QString chatLineText() const = 0;
    virtual QString absentLineText() const = 0;
    // Remote commands and the chat pane's text colour (0x00BBGGRR) that shows them.
    virtual bool remoteEnabled() const = 0;
    virtual void setRemoteEnabled(bool on) = 0;
    virtual quint32 chatPaneTextColor() const = 0;
    virtual void setChatPaneTextColor(quint32 bgr) = 0;
    // Connections.
    virtual void disconnectAll() = 0;
    virtual void reConnect() = 0;
    // The station directory (Ctrl+L).
    virtual void openDirectory() {}
    // Settings and the timed power-off.
    virtual void saveOptions() = 0;
    // The EchoLink account and audio set-up (Ctrl+O).
    virtual void openAccountSetup() {}
    virtual bool shutdownPending() const = 0;
    virtual void startShutDownCountDown() = 0;
    virtual void cancelShutDownCountDown() = 0;
};

struct KeyboardMapParts
{
    Announcer& announcer;
    OptionBoxes& options;
    DisplaySettings& display;
    Platform& platform;
    Clock& clock;
    KeyboardMapView& view;
};

// The window-level key map (FormKeyDown sees every key before the focused control), the spoken Backspace
// feedback and the key echo of the two edit lines. Its time-outs send the focus home after an option key
// and end remote commands.
class KeyboardMap : public QObject
{
    Q_OBJECT
public:
    explicit KeyboardMap(const KeyboardMapParts& parts, QObject* parent = nullptr);

    Timer& checkBoxTimeOut() { return *m_timerCheckBoxTimeOut; }
    Timer& f9TimeOut() { return *m_timerF9TimeOut; }

    // Where the key goes; the window tells from the focused control.
    enum class Focus
    {
        ChatLine,
        AbsentLine,
        TextPane, // the station pane or the chat pane
        VolumeBar,
        Other,
    };

    // Runs the action of the key and tells whether the key is consumed. Ctrl and Alt are read from the
    // keyboard state at the moment of the call, passed in as modifiers.
    bool FormKeyDown(int qtKey, Qt::KeyboardModifiers modifiers, Focus focus);
    // Every key release: the edit lines' texts as the next Backspace will find them.
    void FormKeyUp();
    // The key echo of one typed character (a surrogate pair kept whole), for the line that has the focus.
    void KeyBoardSpeak(const QString& key, Focus focus);

    void TimerCheckBoxTimeOutTimer();
    void TimerF9TimeOutTimer();

    const QString& chatTextAtKeyUp() const { return m_chatTextAtKeyUp; }
    const QString& chatDeletedChar() const { return m_chatDeletedChar; }
    const QString& absentTextAtKeyUp() const { return m_absentTextAtKeyUp; }
    const QString& absentDeletedChar() const { return m_absentDeletedChar; }
    quint32 remoteSavedChatColor() const { return m_remoteSavedChatColor; }

private:
    void run(KeyMap::KeyAction action, Focus focus);
    void speakHelp();
    void speakStationInfo();
    void speakLastStation();
    void speakLastTexts();
    void optionKey(KeyMap::KeyAction action);
    void toggleRemoteCommands();
    void nextColorScheme();
    void toggleShutDown();
    void speakTime();
    void backspaceFeedback(Focus focus);
    void say(const Utterances& speech);

    KeyboardMapParts m_parts;
    Timer* m_timerCheckBoxTimeOut;
    Timer* m_timerF9TimeOut;
    QString m_chatTextAtKeyUp;
    QString m_chatDeletedChar;
    QString m_absentTextAtKeyUp;
    QString m_absentDeletedChar;
    quint32 m_remoteSavedChatColor = 0;
};
