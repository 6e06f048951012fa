#include "speech/KeyboardMap.h"

#include "platform/Clock.h"

KeyboardMap::KeyboardMap(Clock& clock, QObject* parent)
    : QObject(parent)
    , m_timerCheckBoxTimeOut(new Timer(clock, 10000, this))
    , m_timerF9TimeOut(new Timer(clock, 600000, this))
{
}
