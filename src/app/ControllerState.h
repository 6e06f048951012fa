#pragma once

#include <QColor>
#include <QString>
#include <array>

// Window colours as 0x00BBGGRR values, blue in the high byte.
namespace WindowColors {
constexpr quint32 Waiting = 0x808080;
constexpr quint32 Idle = 0x374A42;
constexpr quint32 Qso = 0x008000;
constexpr quint32 Transmit = 0x0000FF;

inline QColor toColor(quint32 bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}
inline quint32 fromColor(const QColor& c)
{
    return static_cast<quint32>(c.red() | (c.green() << 8) | (c.blue() << 16));
}
} // namespace WindowColors

// Slots 1..10 hold the connected stations as a stack; slot 11 holds a station beyond the maximum for the
// few seconds until it is disconnected; slot 0 of the texts takes station text that arrives with none counted.
constexpr int StationSlots = 12;
constexpr int MaxStations = 10;

// What the handlers share. Every value starts as the program starts; only the user-interface thread
// reads or writes it.
struct ControllerState
{
    bool IsConnected = false;
    int ConnectionCount = 0;
    std::array<QString, StationSlots> StationCalls;
    std::array<QString, StationSlots> StationNames;
    std::array<QString, StationSlots> StationTexts;
    QString ConnectedCall;
    QString ConferenceCalls;
    QString LastStation;
    QString MyCallsign;
    QString LastChatText;
    QString LastAlarmText;
    int AlarmLogLength = 0;
    bool FirstListReceived = false;
    bool NotBringToFront = false;
    bool SpeakMessage = true;
    bool ButtonAnnounce = true;
    bool KeyboardSpeak = false;
    bool AlarmMsgAnnounce = true;
    bool TimerBell = true;
    bool ColorToggle = false;
    int ColorSetNumber = 0;
    int VolumeLevel = -70;
    const int FontSizeMax = 45;
    const int FontSizeMin = 8;
    quint32 TalkingNowColor = 0;
    bool AwayActive = false;
    bool RemoteEnabled = false;
    bool ShutdownPending = false;
    bool EchoLinkAttached = false;
    bool SettingsLoaded = false;
    int StartRetryCount = 0;
    QString IniFilePath;
    QString ChatLogPath;
    QString EchoLinkExePath;
    // False while EchoLink reports that it transmits.
    bool NotTransmitting = true;
};
