#include "Conference.h"

#include "AudioEnds.h"
#include "NodeText.h"

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <algorithm>

using namespace EchoLinkPackets;

namespace {

constexpr int MaxDatagramBytes = 4096;

QString reasonFor(EchoLinkQso::End end, const QString& call)
{
    switch (end) {
    case EchoLinkQso::End::DidNotAnswer:
        return QStringLiteral("Station %1 did not answer").arg(call);
    case EchoLinkQso::End::Refused:
        return QStringLiteral("Station %1 refused the connection").arg(call);
    case EchoLinkQso::End::HungUpHere:
        return QStringLiteral("Connection to %1 cancelled").arg(call);
    default:
        return QStringLiteral("Station %1 ended the connection").arg(call);
    }
}

} // namespace

struct Conference::Link
{
    QHostAddress address;
    QString call;
    QByteArray callBytes;
    QString description;
    std::unique_ptr<EchoLinkQso> qso;
    GsmCodec decoder;
    bool announced = false;
    bool ended = false;
    bool thinnedSaid = false;

    bool live() const { return !ended; }
    bool connected() const { return !ended && qso->state() == EchoLinkQso::State::Connected; }
};

Conference::Conference(Station own, AudioOutput& output, Events events)
    : own_(std::move(own))
    , output_(output)
    , events_(std::move(events))
{
    clock_.start();
    ticker_.setInterval(TickMs);
    connect(&ticker_, &QTimer::timeout, this, [this] { tick(); });
}

Conference::~Conference()
{
    hangUpAll();
}

bool Conference::open(const QHostAddress& bind, int portBase, QString* error)
{
    const QHostAddress where = bind.isNull() ? QHostAddress(QHostAddress::AnyIPv4) : bind;
    audio_ = std::make_unique<QUdpSocket>();
    control_ = std::make_unique<QUdpSocket>();
    portBase_ = static_cast<quint16>(portBase);
    if (!audio_->bind(where, portBase_) || !control_->bind(where, portBase_ + 1)) {
        *error = QStringLiteral("The EchoLink node cannot open its UDP ports %1 and %2 (another EchoLink program "
                                "may be using them)")
                     .arg(portBase)
                     .arg(portBase + 1);
        audio_.reset();
        control_.reset();
        return false;
    }
    connect(audio_.get(), &QUdpSocket::readyRead, this, [this] { readAudioPort(); });
    connect(control_.get(), &QUdpSocket::readyRead, this, [this] { readControlPort(); });
    ticker_.start();
    return true;
}

void Conference::sendTo(const QHostAddress& address, EchoLinkQso::Port port, const QByteArray& datagram)
{
    QUdpSocket* socket = port == EchoLinkQso::Port::Audio ? audio_.get() : control_.get();
    if (socket)
        socket->writeDatagram(datagram, address, port == EchoLinkQso::Port::Audio ? portBase_ : portBase_ + 1);
}

Conference::Link* Conference::linkAt(const QHostAddress& address) const
{
    Link* lingering = nullptr;
    for (const auto& link : links_) {
        if (link->address == address) {
            if (link->live())
                return link.get();
            lingering = link.get();
        }
    }
    return lingering;
}

Conference::Link* Conference::linkFor(const QString& callsign) const
{
    for (const auto& link : links_) {
        if (link->live() && link->call.compare(callsign, Qt::CaseInsensitive) == 0)
            return link.get();
    }
    return nullptr;
}

bool Conference::has(const QString& callsign) const
{
    return linkFor(callsign) != nullptr;
}

bool Conference::hasAddress(const QHostAddress& address) const
{
    const Link* link = linkAt(address);
    return link && link->live();
}

int Conference::connectedCount() const
{
    return static_cast<int>(std::count_if(links_.begin(), links_.end(),
                                          [](const auto& link) { return link->connected() && link->announced; }));
}

bool Conference::receiving() const
{
    const qint64 at = now();
    return std::any_of(links_.begin(), links_.end(),
                       [at](const auto& link) { return link->live() && link->qso->receiving(at); });
}

Conference::Link& Conference::add(const QHostAddress& address, bool incoming, const QString& callsign)
{
    // A QSO that still lingers at this address gives way to the new one.
    for (const auto& old : links_) {
        if (old->address == address && !old->live())
            old->address = QHostAddress();
    }
    auto link = std::make_unique<Link>();
    link->address = address;
    link->call = callsign;
    link->callBytes = NodeText::toWindows1252(callsign);
    EchoLinkQso::Own own { own_.callsign, own_.name, information(), own_.connectTimeoutMs };
    link->qso = std::make_unique<EchoLinkQso>(
        own, [this, address](EchoLinkQso::Port port, const QByteArray& datagram) { sendTo(address, port, datagram); },
        incoming, now());
    links_.push_back(std::move(link));
    return *links_.back();
}

void Conference::call(const QString& callsign, const QHostAddress& address, const QString& description)
{
    Link& link = add(address, false, callsign);
    link.description = description;
    if (events_.note)
        events_.note(QStringLiteral("calling %1 at %2").arg(callsign, address.toString()));
}

void Conference::hangUp(const QString& callsign)
{
    if (Link* link = linkFor(callsign)) {
        link->qso->hangUp(now());
        stepped(*link, EchoLinkQso::Step::Ended);
    }
}

void Conference::hangUpAll()
{
    for (std::size_t i = 0; i < links_.size(); ++i) {
        Link& link = *links_[i];
        if (link.live()) {
            link.qso->hangUp(now());
            stepped(link, EchoLinkQso::Step::Ended);
        }
    }
}

void Conference::stepped(Link& link, EchoLinkQso::Step step)
{
    if (step == EchoLinkQso::Step::Connected && !link.announced && link.live()) {
        link.announced = true;
        QString name = NodeText::nameFromWire(link.qso->remote().name);
        if (name.isEmpty())
            name = link.description;
        if (events_.connected)
            events_.connected(link.call, name, link.address.toString());
        membershipChanged();
    } else if (step == EchoLinkQso::Step::Ended && !link.ended) {
        link.ended = true;
        if (talker_ == &link)
            talker_ = nullptr;
        if (!link.announced) {
            if (!link.qso->incoming() && events_.callFailed)
                events_.callFailed(link.call, reasonFor(link.qso->end(), link.call));
            return;
        }
        if (events_.disconnected)
            events_.disconnected(link.call);
        membershipChanged();
    }
}

void Conference::tick()
{
    const qint64 at = now();
    for (std::size_t i = 0; i < links_.size(); ++i)
        stepped(*links_[i], links_[i]->qso->tick(at));
    std::erase_if(links_, [](const auto& link) { return link->qso->state() == EchoLinkQso::State::Disconnected; });
}

void Conference::readControlPort()
{
    while (control_ && control_->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = control_->receiveDatagram(MaxDatagramBytes);
        controlFrom(QHostAddress(datagram.senderAddress().toIPv4Address()), datagram.data());
    }
}

void Conference::readAudioPort()
{
    while (audio_ && audio_->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = audio_->receiveDatagram(MaxDatagramBytes);
        Link* link = linkAt(QHostAddress(datagram.senderAddress().toIPv4Address()));
        if (!link) {
            ++strays_; // from no station in a QSO: nothing to say, nothing to answer
            continue;
        }
        audioFrom(*link, datagram.data());
    }
}

void Conference::controlFrom(const QHostAddress& from, const QByteArray& datagram)
{
    const qint64 at = now();
    Link* link = linkAt(from);
    if (link && link->live()) {
        if (link->qso->admitControl(at))
            stepped(*link, link->qso->controlReceived(parseControl(datagram), at));
        return;
    }
    const Control control = parseControl(datagram);
    if (control.kind != ControlKind::Description)
        return; // a BYE or anything else from nobody we know, or from a QSO that has ended
    // A description from a station whose QSO has just ended is a new call: it goes through the gate again.
    const StationGate::Attempt attempt { from, control.description };
    const QString call = NodeText::callFromWire(control.description.callsign);
    const auto listing = events_.listing ? events_.listing(call, from) : StationGate::Listing::NotListed;
    switch (gate_.judge(attempt, listing, at)) {
    case StationGate::Verdict::Accept:
        take(attempt);
        break;
    case StationGate::Verdict::Refuse:
        sendTo(from, EchoLinkQso::Port::Control, buildBye());
        if (events_.note)
            events_.note(QStringLiteral("refused a call from %1 at %2").arg(call, from.toString()));
        break;
    case StationGate::Verdict::Hold:
        if (gate_.takeRefreshRequest() && events_.refreshList)
            events_.refreshList();
        break;
    case StationGate::Verdict::Ignore:
        break;
    }
}

void Conference::listSettled()
{
    for (const StationGate::Attempt& attempt : gate_.takeHeld()) {
        const QString call = NodeText::callFromWire(attempt.description.callsign);
        const auto listing = events_.listing ? events_.listing(call, attempt.address) : StationGate::Listing::NotListed;
        if (StationGate::settle(listing) == StationGate::Verdict::Accept && !hasAddress(attempt.address))
            take(attempt);
        else
            sendTo(attempt.address, EchoLinkQso::Port::Control, buildBye());
    }
}

void Conference::take(const StationGate::Attempt& attempt)
{
    const QString call = NodeText::callFromWire(attempt.description.callsign);
    const auto live = std::count_if(links_.begin(), links_.end(), [](const auto& link) { return link->live(); });
    if (live >= MaxStations || linkFor(call)) {
        // Full, or that station is here already (at its listed address, so this is a second copy).
        sendTo(attempt.address, EchoLinkQso::Port::Control, buildBye());
        return;
    }
    Link& link = add(attempt.address, true, call);
    Control control;
    control.kind = ControlKind::Description;
    control.description = attempt.description;
    link.qso->controlReceived(control, now());
    stepped(link, EchoLinkQso::Step::Connected);
}

void Conference::audioFrom(Link& link, const QByteArray& datagram)
{
    const qint64 at = now();
    if (datagram.isEmpty())
        return;
    if (static_cast<quint8>(datagram.at(0)) != AudioMark) {
        const auto text = parseText(datagram);
        if (!text)
            return;
        if (!link.qso->live())
            return;
        if (!link.qso->admitText(at)) {
            if (!std::exchange(link.thinnedSaid, true) && events_.chat)
                events_.chat(QStringLiteral("%1 sends faster than the node passes on; some of it is left out")
                                 .arg(link.call));
            return;
        }
        textFrom(link, *text);
        return;
    }
    const auto audio = parseAudio(datagram);
    if (!audio || audio->payloadType != PayloadGsm || !link.qso->admitAudio(at))
        return;
    if (talker_ && talker_ != &link && at - talkerLast_ < FloorHoldMs)
        return; // another station has the floor
    talker_ = &link;
    talkerLast_ = at;
    qint16 samples[FramesPerPacket * GsmCodec::FrameSamples];
    for (int frame = 0; frame < FramesPerPacket; ++frame)
        link.decoder.decode(audio->payload.constData() + frame * GsmFrameBytes, samples + frame * GsmCodec::FrameSamples);
    output_.write(samples, FramesPerPacket * GsmCodec::FrameSamples);
    for (const auto& other : links_) {
        if (other.get() != &link && other->connected() && other->announced)
            other->qso->sendAudio(PayloadGsm, audio->payload);
    }
}

void Conference::textFrom(Link& link, const Text& text)
{
    if (text.kind == TextKind::Info) {
        if (events_.stationText)
            events_.stationText(NodeText::stationTextFromWire(text.body));
        return;
    }
    // Chat comes as "CALL>text": a station's own line, or, from a conference or link, the line of one of the
    // stations it relays, which stays as it is. A line that claims no sender, or claims this node or a station
    // in a QSO here (which would speak for itself), is put under the callsign the QSO was verified for.
    QByteArray line = text.body;
    while (line.endsWith('\r') || line.endsWith('\n'))
        line.chop(1);
    if (!claimsOwnSender(link, line))
        line = link.callBytes + '>' + line;
    if (events_.chat)
        events_.chat(NodeText::chatFromWire(line));
    for (const auto& other : links_) {
        if (other.get() != &link && other->connected() && other->announced)
            other->qso->sendChatLine(line);
    }
}

bool Conference::claimsOwnSender(const Link& link, const QByteArray& line) const
{
    const qsizetype mark = line.indexOf('>');
    if (mark <= 0 || mark > 16)
        return false;
    const QByteArray claimed = line.left(mark);
    for (const char c : claimed) {
        const bool callsignByte = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'
            || c == '/' || c == '*';
        if (!callsignByte)
            return false;
    }
    const QByteArray upper = claimed.toUpper();
    if (upper == link.callBytes.toUpper())
        return true;
    if (upper == own_.callsign.toUpper())
        return false;
    return std::none_of(links_.begin(), links_.end(), [&](const auto& other) {
        return other.get() != &link && other->live() && other->callBytes.toUpper() == upper;
    });
}

void Conference::sendChat(const QByteArray& message)
{
    for (const auto& link : links_) {
        if (link->connected() && link->announced)
            link->qso->sendChat(own_.callsign, message);
    }
}

void Conference::transmitBlock(const qint16* samples)
{
    constexpr int packetSamples = FramesPerPacket * GsmCodec::FrameSamples;
    transmitBuffer_.insert(transmitBuffer_.end(), samples, samples + GsmCodec::FrameSamples);
    if (static_cast<int>(transmitBuffer_.size()) < packetSamples)
        return;
    QByteArray payload;
    for (int frame = 0; frame < FramesPerPacket; ++frame)
        payload += encoder_.encode(transmitBuffer_.data() + frame * GsmCodec::FrameSamples);
    transmitBuffer_.clear();
    for (const auto& link : links_) {
        if (link->connected() && link->announced)
            link->qso->sendAudio(PayloadGsm, payload);
    }
}

void Conference::endTransmit()
{
    if (transmitBuffer_.empty())
        return;
    transmitBuffer_.resize(FramesPerPacket * GsmCodec::FrameSamples - GsmCodec::FrameSamples, 0);
    const std::vector<qint16> silence(GsmCodec::FrameSamples, 0);
    transmitBlock(silence.data());
}

QByteArray Conference::information() const
{
    QByteArray info = own_.info;
    int listed = 0;
    QByteArray stations;
    for (const auto& link : links_) {
        if (link->connected() && link->announced) {
            stations += '\r' + link->callBytes;
            ++listed;
        }
    }
    if (listed >= 2)
        info += "\r\rConnected stations:" + stations;
    return info;
}

void Conference::membershipChanged()
{
    // A single QSO keeps the plain information; a conference tells everyone who is in it.
    const int count = connectedCount();
    if (count < 2 && !listing_)
        return;
    listing_ = count >= 2;
    const QByteArray info = information();
    for (const auto& link : links_) {
        if (link->connected() && link->announced)
            link->qso->sendInfo(info);
    }
}
