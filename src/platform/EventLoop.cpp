#include "platform/EventLoop.h"

#include "platform/Clock.h"

#include <QCoreApplication>
#include <QLocale>

void letPendingMessagesRun()
{
    QCoreApplication::processEvents();
}

QString timeOfDayText(const Clock& clock)
{
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    format = format.trimmed();
    if (format.isEmpty())
        format = QStringLiteral("HH:mm:ss");
    return QLocale::system().toString(clock.now().time(), format);
}
