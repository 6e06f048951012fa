#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <optional>

// The datagrams EchoLink stations exchange, as plain functions: nothing here owns a socket or a timer.
// The audio port (PortBase, 5198) carries RTP audio (four codec frames per packet) and two kinds of text,
// chat and station information; the control port (PortBase + 1) carries RTCP: a source description (SDES)
// that opens a QSO and keeps it alive, and BYE that ends it. Every parser takes any bytes at all and reads
// nothing outside them.
namespace EchoLinkPackets {

constexpr int RtpHeaderBytes = 12;
constexpr int FramesPerPacket = 4;
constexpr int SamplesPerFrame = 160; // 20 ms at 8 kHz
constexpr int GsmFrameBytes = 33;
constexpr int GsmPayloadBytes = FramesPerPacket * GsmFrameBytes;
constexpr quint8 PayloadGsm = 0x03;
constexpr quint8 PayloadSpeex = 0x96;
// The one first byte of an audio packet (the protocol's own RTP version); nothing else starts with it.
constexpr quint8 AudioMark = 0xC0;
// Text beyond this is cut; a chat line or station information is far shorter.
constexpr int MaxTextBytes = 2048;
// An SDES item holds at most 255 bytes by its format.
constexpr int MaxItemBytes = 255;

// ---- audio port ----

struct Audio
{
    quint16 sequence = 0;
    quint8 payloadType = PayloadGsm;
    QByteArray payload; // GSM: exactly GsmPayloadBytes
};

QByteArray buildAudio(quint16 sequence, quint8 payloadType, const QByteArray& payload);
// nullopt for anything but an audio packet; a GSM packet must carry its four whole frames.
std::optional<Audio> parseAudio(const QByteArray& datagram);

enum class TextKind { Chat, Info };

struct Text
{
    TextKind kind = TextKind::Chat;
    QByteArray body; // up to the terminating NUL (or the end), at most MaxTextBytes; still Windows-1252
};

// "CALL>message" and the line end the protocol adds.
QByteArray buildChat(const QByteArray& callsign, const QByteArray& message);
// A whole "CALL>message" line as it came, relayed.
QByteArray buildChatLine(const QByteArray& line);
// Line feeds travel as carriage returns.
QByteArray buildInfo(const QByteArray& info);
std::optional<Text> parseText(const QByteArray& datagram);

// ---- control port ----

struct Description
{
    QByteArray callsign; // upper case, letters, digits, '-', '/', '*' only; may be empty when none was given
    QByteArray name; // everything after the callsign, whole (not only its first word)
    QByteArray privateItem; // the codec offer ("SPEEX") when the station makes one
};

// The SDES a station sends when it calls, answers and every few seconds after.
QByteArray buildDescription(const QByteArray& callsign, const QByteArray& name, const QByteArray& privateItem = {});
QByteArray buildBye();

enum class ControlKind { Description, Bye, Invalid };

struct Control
{
    ControlKind kind = ControlKind::Invalid;
    Description description; // for ControlKind::Description
};

// A compound RTCP packet: it must start with a sender or receiver report; BYE wins over SDES when a
// packet holds both. A subpacket that runs past the datagram ends the walk.
Control parseControl(const QByteArray& datagram);

} // namespace EchoLinkPackets
