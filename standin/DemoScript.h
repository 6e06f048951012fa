#pragma once

#include <QObject>
#include <QTimer>

class StandInStation;

// A short scripted session for a newcomer's first run: a conference connects, stations talk and chat,
// alarm-log entries arrive, another station joins and leaves. It plays in a loop with a pause between.
class DemoScript : public QObject
{
    Q_OBJECT
public:
    explicit DemoScript(StandInStation* station, QObject* parent = nullptr);
    void start();

private:
    void playNext();

    StandInStation* station_;
    QTimer timer_;
    int next_ = 0;
};
