#include "DemoScript.h"

#include "ControlCommand.h"
#include "StandInStation.h"

#include <QTime>
#include <algorithm>
#include <iterator>

namespace {

struct Step
{
    int afterMs;
    // A step about a station is left out when the operator has already disconnected it.
    const char* needs;
    const char* command;
};

// Station texts mark the station talking now with "> " at the start of its line.
// The first station comes once a freshly launched Corvane has waited for EchoLink, attached and applied
// its settings (about 11 seconds), so the newcomer hears it arrive instead of the start-up sweeping it away.
const Step script[] = {
    { 16000, nullptr, R"(connect *LAKEVIEW* "Lakeview Conference" 10.20.30.40)" },
    { 3000, "*LAKEVIEW*",
      R"(stationtext "*LAKEVIEW* Lakeview Conference\r\nQ1AB Jo Smith\r\nQ2CD-R Mesa Repeater\r\nQ6LM Ann Lee\r\n")" },
    { 4000, "*LAKEVIEW*", "chat Q1AB>Good evening all, Jo here in Elm Falls." },
    { 0, nullptr, "rx on" },
    { 4000, "*LAKEVIEW*",
      R"(stationtext "*LAKEVIEW* Lakeview Conference\r\n> Q1AB Jo Smith\r\nQ2CD-R Mesa Repeater\r\nQ6LM Ann Lee\r\n")" },
    { 5000, "*LAKEVIEW*",
      R"(stationtext "*LAKEVIEW* Lakeview Conference\r\nQ1AB Jo Smith\r\n> Q2CD-R Mesa Repeater\r\nQ6LM Ann Lee\r\n")" },
    { 5000, nullptr, "rx off" },
    { 0, "*LAKEVIEW*",
      R"(stationtext "*LAKEVIEW* Lakeview Conference\r\nQ1AB Jo Smith\r\nQ2CD-R Mesa Repeater\r\nQ6LM Ann Lee\r\n")" },
    { 4000, nullptr, R"(alarmlog "%TIME% Q3EF on\r\n")" },
    { 1000, nullptr, "stationlist" },
    { 5000, nullptr, R"(connect Q4GH "Eva Novak" 10.44.12.9)" },
    { 4000, "Q4GH", "chat Q4GH>Hello from Port Ardon, good to hear you all." },
    { 5000, nullptr, R"(alarmlog "%TIME% Q5JK-L busy\r\n%TIME% Q3EF off\r\n")" },
    { 1000, nullptr, "stationlist" },
    { 4000, "Q4GH", "disconnect Q4GH" },
    { 4000, nullptr, "alarm Q3EF 0" },
    { 4000, "*LAKEVIEW*", "chat Q1AB>73 everyone, thanks for listening." },
    { 4000, "*LAKEVIEW*", "disconnect *LAKEVIEW*" },
};

constexpr int PauseBetweenRunsMs = 30000;

bool isConnected(const StandInStation& station, const QString& call)
{
    const auto stations = station.connectedStations();
    return std::any_of(stations.cbegin(), stations.cend(),
                       [&call](const StandInStation::Station& connected) { return connected.call == call; });
}

} // namespace

DemoScript::DemoScript(StandInStation* station, QObject* parent)
    : QObject(parent)
    , station_(station)
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &DemoScript::playNext);
}

void DemoScript::start()
{
    next_ = 0;
    timer_.start(script[0].afterMs);
}

void DemoScript::playNext()
{
    const Step& step = script[next_];
    if (!step.needs || isConnected(*station_, QString::fromLatin1(step.needs))) {
        QString command = QString::fromLatin1(step.command);
        command.replace(QLatin1String("%TIME%"), QTime::currentTime().toString(QStringLiteral("HH:mm")));
        const auto parsed = ControlCommand::parse(command, nullptr);
        if (parsed)
            station_->execute(*parsed);
    }
    next_ = (next_ + 1) % static_cast<int>(std::size(script));
    timer_.start(next_ == 0 ? PauseBetweenRunsMs : script[next_].afterMs);
}
