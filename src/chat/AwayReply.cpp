#include "chat/AwayReply.h"

#include "platform/Clock.h"

AwayReply::AwayReply(Clock& clock, QObject* parent)
    : QObject(parent)
    , m_timer1(new Timer(clock, 5000, this))
{
}

void AwayReply::stationConnected()
{
    m_timer1->start();
}

// The reply itself arrives with the away mode.
void AwayReply::Timer1Timer()
{
    m_timer1->stop();
}
