#pragma once

#include <QChar>
#include <QObject>
#include <QString>
#include <functional>

class Announcer;
class Clock;
class EchoLinkSession;
class OptionBoxes;
class Panes;
class StationRoster;
class Timer;

// What the away reply needs of the window.
class AwayReplyView
{
public:
    virtual ~AwayReplyView() = default;
    // The absent text of edtAbsent.
    virtual QString absentText() const = 0;
    // The home control: the transmit button during a QSO, else the chat line.
    virtual void focusHomeControl() = 0;
};

struct AwayReplyParts
{
    StationRoster& roster;
    EchoLinkSession& session;
    Announcer& announcer;
    OptionBoxes& options;
    Panes& panes;
    Clock& clock;
    AwayReplyView& view;
};

// The away auto-reply: five seconds after a station connects, in away mode, the absent message goes out.
// Away mode always starts off and is never saved.
class AwayReply : public QObject
{
    Q_OBJECT
public:
    explicit AwayReply(const AwayReplyParts& parts, QObject* parent = nullptr);

    // What goes after the absent text in the chat sent; the own pane shows the text without it.
    static const QString ReplySuffix;

    bool awayActive() const { return m_awayActive; }
    void setAwayActive(bool on) { m_awayActive = on; }
    Timer& replyTimer() { return *m_timer1; }
    // The key echo of typed characters; set by the keyboard map.
    void setKeyEcho(std::function<void(QChar)> echo) { m_keyEcho = std::move(echo); }

    // A station connected. A timer already running keeps its first deadline, so several stations
    // connecting within the five seconds get one reply.
    void stationConnected();
    void cbCheckAwayClick(bool checked);
    // The key that goes on after the away box saw it: a typed Space goes no further than the box's toggle.
    static QChar cbCheckAwayKeyPress(QChar key);
    void Timer1Timer();
    // A key typed in the absent-text edit, before it changes textBefore.
    void edtAbsentKeyPress(QChar key, const QString& textBefore);

private:
    AwayReplyParts m_parts;
    Timer* m_timer1;
    std::function<void(QChar)> m_keyEcho;
    bool m_awayActive = false;
};
