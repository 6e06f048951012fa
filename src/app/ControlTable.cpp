#include "app/ControlTable.h"

#include <algorithm>
#include <stdexcept>

namespace {

std::vector<ControlRow> buildTable()
{
    auto row = [](const char* name, const char* caption, const char* accessible, const char* description, int tab = 0) {
        return ControlRow { QString::fromUtf8(name), QString::fromUtf8(caption), QString::fromUtf8(accessible),
                             QString::fromUtf8(description), tab };
    };
    std::vector<ControlRow> table = {
        row("ClockUniversalTime", "", "Universal time", "Clock showing the date and time in UTC"),
        row("ClockLocalTime", "", "Local time", "Clock showing the local date and time"),
        row("lblConnInfo", "", "Connection information", "Callsigns and names of the connected stations"),
        row("lblTalkingNow", "", "Talking now", "The station that is talking now"),
        row("lblStationCount", "0", "Station count", "Number of connected stations"),
        row("edtChat", "", "Chat line",
            "Type chat text and press Enter to send it; with no station connected, a callsign or node number to "
            "connect",
            1),
        row("btnLastConnect", "ReConnect", "ReConnect",
            "Connect again to the last station, or to the callsign in the chat line. Alt R", 2),
        row("btnDisconnect", "Disconnect All", "Disconnect All", "Disconnect all stations. Control D", 3),
        row("btnDisconnectLast", "Disconnect Last", "Disconnect Last", "Disconnect the station that connected last", 4),
        row("bTxRx", "Tx/Rx", "Transmit or receive", "Switch the transmitter on or off", 5),
        row("TrackBarVolume", "", "Speech volume", "Up and Down arrow keys change the speech volume", 6),
        row("redtChat", "", "Chat pane", "Received and sent chat text and messages"),
        row("redtStation", "", "Station pane", "Information text of the connected station"),
        row("pnlCalls", "", "Memory buttons", "Forty memory buttons holding callsigns"),
    };
    for (int n = 1; n <= MemoryButtonCount; ++n) {
        const QString name = memoryButtonName(n);
        table.push_back({ name, name, QStringLiteral("Memory %1").arg(n),
                          QStringLiteral("Connect to the callsign stored in memory %1").arg(n), 6 + n });
    }
    const int afterMemories = 7 + MemoryButtonCount;
    const std::vector<ControlRow> rest = {
        row("cbCheckAway", "Away  F5", "Away", "Answer new stations with the away message. F5", afterMemories),
        row("SpeakCheckBox", "Speak F6", "Speak messages", "Speak received messages. F6", afterMemories + 1),
        row("ButtonAnnounceCheckBox", "Button Speak F7", "Button speak",
            "Announce controls when they get the focus. F7", afterMemories + 2),
        row("KeySpeakCheckBox", "Key Speak F8", "Key speak", "Echo typed keys by speech. F8", afterMemories + 3),
        row("edtAbsent", "", "Away message", "Message sent to stations that connect while away mode is on",
            afterMemories + 4),
        row("SpeechEnableCheckBox", "Speech Enable", "Speech enable", "Switch all speech on or off", afterMemories + 5),
        row("btnUpDown", "", "Font size", "Font size of the text panes"),
        row("lblFontSize", "10", "Font size value", "The current font size"),
        row("Button1", "Play Sound", "Play Sound", "Play the time-out sound and a volume test message"),
        row("btnChatClear", "Clear Text", "Clear Text", "Empty the chat and station panes"),
        row("TxTimeFill", "", "Transmit time", "Time left in the current transmission"),
        row("FocusToFrontCheckBox", "Focus", "Focus", "Bring the window to the front when the station list updates"),
        row("QRZLinkLabel", "", "Callsign look-up", "Web page with details of the connected station"),
        row("Button2", "View Log", "View Log", "Show the chat log"),
        row("StatusBarPanel0", "Station Talking ", "Station talking label", "Caption of the talking-station panel"),
        row("StatusBarPanel1", "", "Station talking", "The station that is talking now"),
    };
    table.insert(table.end(), rest.begin(), rest.end());
    return table;
}

} // namespace

QString memoryButtonName(int number)
{
    return QStringLiteral("bCall%1").arg(number);
}

const std::vector<ControlRow>& controlTable()
{
    static const std::vector<ControlRow> table = buildTable();
    return table;
}

const ControlRow& controlRow(const QString& objectName)
{
    for (const ControlRow& control : controlTable()) {
        if (control.objectName == objectName)
            return control;
    }
    throw std::out_of_range("no control named " + objectName.toStdString());
}

std::vector<QString> tabOrder()
{
    std::vector<const ControlRow*> visited;
    for (const ControlRow& control : controlTable()) {
        if (control.tabPosition > 0)
            visited.push_back(&control);
    }
    std::sort(visited.begin(), visited.end(),
              [](const ControlRow* a, const ControlRow* b) { return a->tabPosition < b->tabPosition; });
    std::vector<QString> names;
    for (const ControlRow* control : visited)
        names.push_back(control->objectName);
    return names;
}
