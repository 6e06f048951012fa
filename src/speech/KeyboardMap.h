#pragma once

#include <QObject>

class Clock;
class Timer;

// The window-level key map; its time-outs send the focus home after an option key and end remote commands.
class KeyboardMap : public QObject
{
    Q_OBJECT
public:
    explicit KeyboardMap(Clock& clock, QObject* parent = nullptr);

    Timer& checkBoxTimeOut() { return *m_timerCheckBoxTimeOut; }
    Timer& f9TimeOut() { return *m_timerF9TimeOut; }

private:
    Timer* m_timerCheckBoxTimeOut;
    Timer* m_timerF9TimeOut;
};
