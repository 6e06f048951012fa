#pragma once

#include <QObject>
#include <QString>
#include <functional>

class Announcer;
class ChatJournal;
class Clock;
class CommandDecoder;
class EchoLinkSession;
class OptionBoxes;
class Panes;
class StationRoster;
class Timer;

// What the chat line's handlers need of the window.
class ChatLineView
{
public:
    virtual ~ChatLineView() = default;
    virtual QString chatLineText() const = 0;
    virtual void clearChatLine() = 0;
    virtual void focusChatLine() = 0;
    virtual void setReConnectEnabled(bool enabled) = 0;
    // Presses the transmit button as a click would.
    virtual void pressTransmit() = 0;
    // Shows the chat log viewer and returns when it is closed.
    virtual void showChatLog() = 0;
};

struct ChatLineParts
{
    StationRoster& roster;
    EchoLinkSession& session;
    Announcer& announcer;
    OptionBoxes& options;
    Panes& panes;
    ChatJournal& journal;
    CommandDecoder& commands;
    Clock& clock;
    ChatLineView& view;
};

// The chat line (Enter sends, connects or runs a command; Space in an empty line keys the transmitter),
// received chat, and the pane-clearing controls.
class ChatLine : public QObject
{
    Q_OBJECT
public:
    explicit ChatLine(const ChatLineParts& parts, QObject* parent = nullptr);

    const QString& lastChatText() const { return m_lastChatText; }
    // The chat line holds text of the operator's own: not empty, and not the callsign or node number it
    // has just asked EchoLink to connect to.
    bool holdsOperatorText() const;
    Timer& clearTextTimer() { return *m_timerClearText; }
    // The key echo of typed characters; set by the keyboard map.
    void setKeyEcho(std::function<void(const QString&)> echo) { m_keyEcho = std::move(echo); }

    // key is the one character the line is about to receive (a surrogate pair kept whole): a printable
    // character, a space, carriage return for Enter or the Backspace character.
    void edtChatKeyPress(const QString& key);
    void elEchoLinkSessionChatTextReceived(const QString& text);
    void btnChatClearClick();
    void TimerClearTextTimer();
    void Button2Click();
    void KeyBoardSpeak(const QString& key);

private:
    void sendChat(const QString& text);
    void connectTo(const QString& text);

    ChatLineParts m_parts;
    Timer* m_timerClearText;
    std::function<void(const QString&)> m_keyEcho;
    QString m_lastChatText;
    QString m_connectRequest;
};
