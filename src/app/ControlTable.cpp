#include "app/ControlTable.h"

#include <algorithm>
#include <stdexcept>

namespace {

// Flags of a row.
constexpr int Checked = 1; // a check box that starts checked
constexpr int ClickFocus = 2; // the Tab key skips it, the mouse still gives it the focus
constexpr int TextChanges = 4; // a label whose text changes while Corvane runs

std::vector<ControlRow> buildTable()
{
    using K = ControlKind;
    auto row = [](const char* name, ControlKind kind, const char* caption, const char* accessible,
                  const char* description, int tab = 0, int flags = 0) {
        return ControlRow { QString::fromUtf8(name),        kind,
                            QString::fromUtf8(caption),     QString::fromUtf8(accessible),
                            QString::fromUtf8(description), tab,
                            (flags & Checked) != 0,         (flags & ClickFocus) != 0,
                            (flags & TextChanges) != 0 };
    };
    std::vector<ControlRow> table = {
        row("ClockUniversalTime", K::Label, "", "Universal time", "Clock showing the date and time in UTC", 0,
            TextChanges),
        row("ClockLocalTime", K::Label, "", "Local time", "Clock showing the local date and time", 0, TextChanges),
        row("lblConnInfo", K::Label, "", "Connection information", "Callsigns and names of the connected stations", 0,
            TextChanges),
        row("lblTalkingNow", K::Label, "", "Talking now", "The station that is talking now", 0, TextChanges),
        row("lblStationCount", K::Label, "0", "Station count", "Number of connected stations", 0, TextChanges),
        row("edtChat", K::EditLine, "", "Chat line",
            "Type chat text and press Enter to send it; with no station connected, a callsign or node number to "
            "connect",
            1),
        row("btnLastConnect", K::Button, "ReConnect", "ReConnect",
            "Connect again to the last station, or to the callsign in the chat line. Alt R", 2),
        row("btnDisconnect", K::Button, "Disconnect All", "Disconnect All", "Disconnect all stations. Control D", 3),
        row("btnDisconnectLast", K::Button, "Disconnect Last", "Disconnect Last",
            "Disconnect the station that connected last", 4),
        row("bTxRx", K::Button, "Tx/Rx", "Transmit or receive", "Switch the transmitter on or off", 5),
        row("TrackBarVolume", K::Slider, "", "Speech volume", "Up and Down arrow keys change the speech volume", 6),
        row("redtChat", K::TextPane, "", "Chat pane", "Received and sent chat text and messages", 0, ClickFocus),
        row("redtStation", K::TextPane, "", "Station pane", "Information text of the connected station", 0, ClickFocus),
        row("pnlCalls", K::Panel, "", "Memory buttons", "Forty memory buttons holding callsigns"),
    };
    for (int n = 1; n <= MemoryButtonCount; ++n) {
        const QString name = memoryButtonName(n);
        table.push_back({ name, K::Button, name, QStringLiteral("Memory %1").arg(n),
                          QStringLiteral("Connect to the callsign stored in memory %1").arg(n), 6 + n });
    }
    const int afterMemories = 7 + MemoryButtonCount;
    const std::vector<ControlRow> rest = {
        row("cbCheckAway", K::CheckBox, "Away  F5", "Away", "Answer new stations with the away message. F5",
            afterMemories),
        row("SpeakCheckBox", K::CheckBox, "Speak F6", "Speak messages", "Speak received messages. F6",
            afterMemories + 1, Checked),
        row("ButtonAnnounceCheckBox", K::CheckBox, "Button Speak F7", "Button speak",
            "Announce controls when they get the focus. F7", afterMemories + 2, Checked),
        row("KeySpeakCheckBox", K::CheckBox, "Key Speak F8", "Key speak", "Echo typed keys by speech. F8",
            afterMemories + 3),
        row("edtAbsent", K::EditLine, "", "Away message", "Message sent to stations that connect while away mode is on",
            afterMemories + 4),
        row("SpeechEnableCheckBox", K::CheckBox, "Speech Enable", "Speech enable", "Switch all speech on or off",
            afterMemories + 5, Checked),
        row("btnUpDown", K::SpinBox, "", "Font size", "Font size of the text panes", 0, ClickFocus),
        row("lblFontSize", K::Label, "10", "Font size value", "The current font size", 0, TextChanges),
        row("Button1", K::Button, "Play Sound", "Play Sound", "Play the time-out sound and a volume test message", 0,
            ClickFocus),
        row("btnChatClear", K::Button, "Clear Text", "Clear Text", "Empty the chat and station panes", 0, ClickFocus),
        row("TxTimeFill", K::ProgressBar, "", "Transmit time", "Time left in the current transmission", 0, ClickFocus),
        row("FocusToFrontCheckBox", K::CheckBox, "Focus", "Focus",
            "Bring the window to the front when the station list updates", 0, Checked | ClickFocus),
        row("QRZLinkLabel", K::Label, "", "Callsign look-up", "Web page with details of the connected station", 0,
            ClickFocus | TextChanges),
        row("Button2", K::Button, "View Log", "View Log", "Show the chat log", 0, ClickFocus),
        row("StatusBarPanel0", K::Label, "Station Talking ", "Station talking label",
            "Caption of the talking-station panel"),
        row("StatusBarPanel1", K::Label, "", "Station talking", "The station that is talking now", 0, TextChanges),
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
