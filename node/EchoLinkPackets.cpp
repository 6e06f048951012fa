#include "EchoLinkPackets.h"

namespace EchoLinkPackets {

namespace {

constexpr quint8 RtcpVersion = 3; // the protocol's own, in the top two bits
constexpr quint8 RtcpSenderReport = 200;
constexpr quint8 RtcpReceiverReport = 201;
constexpr quint8 RtcpSdes = 202;
constexpr quint8 RtcpBye = 203;
constexpr quint8 ItemEnd = 0;
constexpr quint8 ItemCname = 1;
constexpr quint8 ItemName = 2;
constexpr quint8 ItemEmail = 3;
constexpr quint8 ItemPhone = 4;
constexpr quint8 ItemPrivate = 8;
constexpr int NamePadding = 15; // the callsign is padded to this width before the name
constexpr int MaxCallsignBytes = 16;
const QByteArray TextMark = QByteArrayLiteral("oNDATA");

quint8 byteAt(const QByteArray& data, qsizetype at)
{
    return static_cast<quint8>(data.at(at));
}

quint16 word16(const QByteArray& data, qsizetype at)
{
    return static_cast<quint16>((byteAt(data, at) << 8) | byteAt(data, at + 1));
}

void put16(QByteArray& out, quint16 value)
{
    out.append(static_cast<char>(value >> 8));
    out.append(static_cast<char>(value & 0xFF));
}

// The empty receiver report every compound packet starts with.
QByteArray emptyReport()
{
    return QByteArray("\xC0\xC9\x00\x01\x00\x00\x00\x00", 8);
}

void addItem(QByteArray& out, quint8 type, const QByteArray& text)
{
    const QByteArray bounded = text.left(MaxItemBytes);
    out.append(static_cast<char>(type));
    out.append(static_cast<char>(bounded.size()));
    out.append(bounded);
}

// Closes a subpacket that starts at `start`: pads it to whole words and writes its length in words less one.
void closeSubpacket(QByteArray& out, qsizetype start)
{
    while ((out.size() - start) % 4 != 0)
        out.append('\0');
    const auto words = static_cast<quint16>((out.size() - start) / 4 - 1);
    out[start + 2] = static_cast<char>(words >> 8);
    out[start + 3] = static_cast<char>(words & 0xFF);
}

QByteArray subpacketHeader(quint8 type)
{
    // Version, one source; the length is filled in by closeSubpacket; the source id is zero.
    QByteArray header(8, '\0');
    header[0] = static_cast<char>((RtcpVersion << 6) | 1);
    header[1] = static_cast<char>(type);
    return header;
}

bool isCallsignByte(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '/' || c == '*';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// "CALL           Full Name": the callsign up to the first blank, the name after the blanks, whole.
Description splitName(const QByteArray& item)
{
    Description description;
    qsizetype i = 0;
    while (i < item.size() && !isBlank(item.at(i)))
        ++i;
    const QByteArray call = item.left(i).toUpper();
    for (const char c : call) {
        if (isCallsignByte(c) && description.callsign.size() < MaxCallsignBytes)
            description.callsign.append(c);
    }
    while (i < item.size() && isBlank(item.at(i)))
        ++i;
    description.name = item.mid(i);
    while (!description.name.isEmpty() && isBlank(description.name.back()))
        description.name.chop(1);
    return description;
}

// The items of one SDES subpacket, within [begin, end).
void readItems(const QByteArray& data, qsizetype begin, qsizetype end, Description& description, bool& named)
{
    qsizetype at = begin;
    while (at + 2 <= end) {
        const quint8 type = byteAt(data, at);
        if (type == ItemEnd)
            return;
        const int length = byteAt(data, at + 1);
        if (at + 2 + length > end)
            return;
        const QByteArray text = data.mid(at + 2, length);
        if (type == ItemName && !named) {
            const QByteArray privateItem = description.privateItem;
            description = splitName(text);
            description.privateItem = privateItem;
            named = true;
        } else if (type == ItemPrivate && description.privateItem.isEmpty()) {
            description.privateItem = text;
        }
        at += 2 + length;
    }
}

} // namespace

QByteArray buildAudio(quint16 sequence, quint8 payloadType, const QByteArray& payload)
{
    QByteArray out;
    out.reserve(RtpHeaderBytes + payload.size());
    out.append(static_cast<char>(AudioMark));
    out.append(static_cast<char>(payloadType));
    put16(out, sequence);
    out.append(QByteArray(8, '\0')); // time stamp and source id, which stations leave at zero
    out.append(payload);
    return out;
}

std::optional<Audio> parseAudio(const QByteArray& datagram)
{
    if (datagram.size() < RtpHeaderBytes || byteAt(datagram, 0) != AudioMark)
        return std::nullopt;
    Audio audio;
    audio.payloadType = byteAt(datagram, 1) & 0x7F;
    audio.sequence = word16(datagram, 2);
    audio.payload = datagram.mid(RtpHeaderBytes);
    if (audio.payloadType == PayloadGsm) {
        if (audio.payload.size() < GsmPayloadBytes)
            return std::nullopt;
        audio.payload.truncate(GsmPayloadBytes);
    } else if (audio.payloadType != PayloadSpeex || audio.payload.isEmpty()) {
        return std::nullopt;
    }
    return audio;
}

QByteArray buildChat(const QByteArray& callsign, const QByteArray& message)
{
    return buildChatLine(callsign + '>' + message.left(MaxTextBytes));
}

QByteArray buildChatLine(const QByteArray& line)
{
    QByteArray out = TextMark + line.left(MaxTextBytes + 64) + "\r\n";
    out.append('\0');
    return out;
}

QByteArray buildInfo(const QByteArray& info)
{
    QByteArray body = info.left(MaxTextBytes);
    body.replace('\n', '\r');
    QByteArray out = TextMark + '\r' + body;
    out.append('\0');
    return out;
}

std::optional<Text> parseText(const QByteArray& datagram)
{
    // The first letter varies among stations; the rest is fixed.
    if (datagram.size() < TextMark.size() + 1 || datagram.mid(1, 5) != TextMark.mid(1))
        return std::nullopt;
    Text text;
    qsizetype start = TextMark.size();
    if (datagram.at(start) == '\r') {
        text.kind = TextKind::Info;
        ++start;
    }
    qsizetype end = datagram.indexOf('\0', start);
    if (end < 0)
        end = datagram.size();
    text.body = datagram.mid(start, qMin<qsizetype>(end - start, MaxTextBytes));
    return text;
}

QByteArray buildDescription(const QByteArray& callsign, const QByteArray& name, const QByteArray& privateItem)
{
    QByteArray out = emptyReport();
    const qsizetype start = out.size();
    out.append(subpacketHeader(RtcpSdes));
    QByteArray paddedCall = callsign.left(MaxCallsignBytes);
    if (paddedCall.size() < NamePadding)
        paddedCall.append(QByteArray(NamePadding - paddedCall.size(), ' '));
    else
        paddedCall.append(' ');
    addItem(out, ItemCname, QByteArrayLiteral("CALLSIGN"));
    addItem(out, ItemName, paddedCall + name);
    addItem(out, ItemEmail, QByteArrayLiteral("CALLSIGN"));
    addItem(out, ItemPhone, QByteArrayLiteral("08:30"));
    if (!privateItem.isEmpty())
        addItem(out, ItemPrivate, privateItem);
    out.append(static_cast<char>(ItemEnd));
    out.append('\0');
    closeSubpacket(out, start);
    return out;
}

QByteArray buildBye()
{
    QByteArray out = emptyReport();
    const qsizetype start = out.size();
    out.append(subpacketHeader(RtcpBye));
    const QByteArray reason = QByteArrayLiteral("jan2002");
    out.append(static_cast<char>(reason.size()));
    out.append(reason);
    closeSubpacket(out, start);
    return out;
}

Control parseControl(const QByteArray& datagram)
{
    Control control;
    if (datagram.size() < 4)
        return control;
    const quint8 first = byteAt(datagram, 0);
    const quint8 firstType = byteAt(datagram, 1);
    const quint8 version = first >> 6;
    if ((version != RtcpVersion && version != 1) || (first & 0x20) != 0
        || (firstType != RtcpSenderReport && firstType != RtcpReceiverReport))
        return control;

    bool sawBye = false;
    bool sawDescription = false;
    bool named = false;
    qsizetype at = 0;
    while (at + 4 <= datagram.size()) {
        const quint8 head = byteAt(datagram, at);
        if ((head >> 6) != RtcpVersion && (head >> 6) != 1)
            break;
        const qsizetype length = (qsizetype(word16(datagram, at + 2)) + 1) * 4;
        if (at + length > datagram.size())
            break; // runs past the end: the rest is not read
        const quint8 type = byteAt(datagram, at + 1);
        if (type == RtcpBye) {
            sawBye = true;
        } else if (type == RtcpSdes && (head & 0x1F) > 0 && length >= 8) {
            sawDescription = true;
            readItems(datagram, at + 8, at + length, control.description, named);
        }
        at += length;
    }
    if (sawBye)
        control.kind = ControlKind::Bye;
    else if (sawDescription)
        control.kind = ControlKind::Description;
    return control;
}

} // namespace EchoLinkPackets
