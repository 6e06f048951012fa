#pragma once

#include "speech/KeyMap.h"
#include "speech/KeyNames.h"
#include "speech/Utterance.h"

#include <QObject>
#include <QString>

class Announcer;
class ChatLine;
class Clock;
class CommandDecoder;
class ConnectionControl;
class DisplaySettings;
class Lifecycle;
class OptionBoxes;
class Platform;
class SettingsController;
class ShutDown;
class StationMonitor;
class StationRoster;
class Timer;

// What the key map needs of the window: the station pane, the focus and the two edit lines.
class KeyboardMapView
{
public:
    virtual ~KeyboardMapView() = default;
    virtual QString stationPaneText() const = 0;
    // Focus.
    virtual void focusControl(const QString& objectName) = 0;
    virtual void focusHomeControl() = 0;
    virtual void focusChatLine() = 0;
    // The texts of the two edit lines, as they stand now.
    virtual QString chatLineText() const = 0;
    virtual QString absentLineText() const = 0;
    // The chat pane's text colour (0x00BBGGRR), which shows whether remote commands are on.
    virtual quint32 chatPaneTextColor() const = 0;
    virtual void setChatPaneTextColor(quint32 bgr) = 0;
    // The station directory (Ctrl+L).
    virtual void openDirectory() { }
    // The EchoLink account and audio set-up (Ctrl+O).
    virtual void openAccountSetup() { }
};

struct KeyboardMapParts
{
    Announcer& announcer;
    OptionBoxes& options;
    DisplaySettings& display;
    Platform& platform;
    Clock& clock;
    const StationRoster& roster;
    const ChatLine& chatLine;
    const StationMonitor& stations;
    CommandDecoder& commands;
    ConnectionControl& connections;
    SettingsController& settings;
    ShutDown& shutDown;
    const Lifecycle& lifecycle;
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
};
