#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

// The alarm log: the watched stations' state in each station list compared with the list before.
// Each change appends "HH:MM CALL on|off|busy" and a line break. The first list only sets the baseline.
class AlarmWatch
{
public:
    enum class State
    {
        Off,
        On,
        Busy,
    };
    struct Change
    {
        QString call;
        State state;
    };
    // Kept bounded, dropping the oldest whole lines, as a log window that scrolls off would.
    static constexpr qsizetype MaxLogChars = 256 * 1024;

    explicit AlarmWatch(const QStringList& calls = {});

    // The states of the listed stations; a watched station missing from them is off.
    QList<Change> update(const QHash<QString, State>& listed, const QTime& now);
    QString logText() const { return log_; }
    // The number OnAlarm carries for a state.
    static int statusCode(State state);
    static QString stateWord(State state);

private:
    void append(const QString& line);

    QStringList calls_;
    QHash<QString, State> last_;
    bool haveBaseline_ = false;
    QString log_;
};
