// One QSO as a state machine in virtual time, and the gate that decides who may call in.
#include "EchoLinkQso.h"
#include "StationGate.h"

#include <QTest>

using namespace EchoLinkPackets;
using Qso = EchoLinkQso;

namespace {

struct Wire
{
    std::vector<std::pair<Qso::Port, QByteArray>> sent;
    Qso::Send send()
    {
        return [this](Qso::Port port, const QByteArray& datagram) { sent.emplace_back(port, datagram); };
    }
    int count(ControlKind kind) const
    {
        int n = 0;
        for (const auto& [port, datagram] : sent)
            n += port == Qso::Port::Control && parseControl(datagram).kind == kind;
        return n;
    }
};

const Qso::Own own { "Q1AAA", "Ann", "Q1AAA test station" };

Control description(const QByteArray& call, const QByteArray& name)
{
    return parseControl(buildDescription(call, name));
}

Control bye()
{
    return parseControl(buildBye());
}

} // namespace

class TestEchoLinkQso : public QObject
{
    Q_OBJECT

private slots:
    void callEndsAsItShould_data();
    void callEndsAsItShould();
    void answeredCallSendsInformationAndKeepsAlive();
    void takenCallIsConnectedAtOnce();
    void lateDescriptionAfterHangUpGetsBye();
    void laterDescriptionsDoNotRenameTheStation();
    void floodsAreThinnedPerStation();
    void receivingFollowsTheAudio();

    void gateTakesOnlyListedStationsAtTheirAddress_data();
    void gateTakesOnlyListedStationsAtTheirAddress();
    void gateRefreshesOnceThenSettles();
    void gateFloodCostsNoSlot();
};

void TestEchoLinkQso::callEndsAsItShould_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("byesSent");
    // Letters: t = 10 s pass, b = BYE arrives, s = SDES arrives, h = we hang up.
    QTest::newRow("nobody answers") << "tt" << int(Qso::End::DidNotAnswer) << 1;
    QTest::newRow("answered with BYE") << "b" << int(Qso::End::Refused) << 0;
    QTest::newRow("cancelled while calling") << "h" << int(Qso::End::HungUpHere) << 1;
    QTest::newRow("hung up there") << "sb" << int(Qso::End::HungUpThere) << 0;
    QTest::newRow("hung up here") << "sh" << int(Qso::End::HungUpHere) << 1;
    QTest::newRow("station falls silent") << "sttttt" << int(Qso::End::TimedOut) << 1;
    QTest::newRow("keep-alive holds it") << "stststststs" << int(Qso::End::None) << 0;
}

void TestEchoLinkQso::callEndsAsItShould()
{
    QFETCH(QString, script);
    QFETCH(int, end);
    QFETCH(int, byesSent);
    Wire wire;
    qint64 now = 1000;
    Qso qso(own, wire.send(), false, now);
    QCOMPARE(qso.state(), Qso::State::Connecting);
    int ended = 0;
    for (const QChar step : script) {
        Qso::Step result = Qso::Step::Nothing;
        if (step == QLatin1Char('t')) {
            for (int i = 0; i < 10; ++i) {
                now += 1000;
                if (qso.tick(now) == Qso::Step::Ended)
                    result = Qso::Step::Ended;
            }
        } else if (step == QLatin1Char('b')) {
            result = qso.controlReceived(bye(), now);
        } else if (step == QLatin1Char('s')) {
            result = qso.controlReceived(description("Q2BBB", "Bob"), now);
        } else if (step == QLatin1Char('h')) {
            qso.hangUp(now);
        }
        ended += result == Qso::Step::Ended;
    }
    QCOMPARE(int(qso.end()), end);
    QCOMPARE(wire.count(ControlKind::Bye), byesSent);
    QVERIFY(ended <= 1);
    // Whatever happened, it is gone for good after the linger.
    if (qso.end() != Qso::End::None) {
        qso.tick(now + Qso::LingerMs);
        QCOMPARE(qso.state(), Qso::State::Disconnected);
        QCOMPARE(qso.controlReceived(description("Q2BBB", "Bob"), now), Qso::Step::Nothing);
    }
}

void TestEchoLinkQso::answeredCallSendsInformationAndKeepsAlive()
{
    Wire wire;
    Qso qso(own, wire.send(), false, 0);
    QCOMPARE(wire.count(ControlKind::Description), 1);
    qso.tick(Qso::CallRetryMs);
    QCOMPARE(wire.count(ControlKind::Description), 2); // called again
    QCOMPARE(qso.controlReceived(description("Q2BBB", "Bob Jones"), 3000), Qso::Step::Connected);
    QCOMPARE(qso.remote().name, QByteArray("Bob Jones"));
    const auto info = parseText(wire.sent.back().second);
    QVERIFY(info && info->kind == TextKind::Info);
    QCOMPARE(info->body, own.info);
    const int before = wire.count(ControlKind::Description);
    qso.tick(3000 + Qso::KeepAliveMs - 1);
    qso.tick(3000 + Qso::KeepAliveMs + 1000);
    QCOMPARE(wire.count(ControlKind::Description), before + 1);
}

void TestEchoLinkQso::takenCallIsConnectedAtOnce()
{
    Wire wire;
    Qso qso(own, wire.send(), true, 0);
    QCOMPARE(qso.state(), Qso::State::Connected);
    QCOMPARE(wire.count(ControlKind::Description), 1);
    QVERIFY(parseText(wire.sent.back().second));
}

void TestEchoLinkQso::lateDescriptionAfterHangUpGetsBye()
{
    Wire wire;
    Qso qso(own, wire.send(), true, 0);
    qso.hangUp(100);
    QCOMPARE(qso.state(), Qso::State::Disconnecting);
    QCOMPARE(qso.controlReceived(description("Q2BBB", "Bob"), 200), Qso::Step::Nothing);
    QCOMPARE(wire.count(ControlKind::Bye), 2);
    qso.sendChat("Q1AAA", "not sent");
    QVERIFY(!parseText(wire.sent.back().second));
}

void TestEchoLinkQso::laterDescriptionsDoNotRenameTheStation()
{
    Wire wire;
    Qso qso(own, wire.send(), false, 0);
    qso.controlReceived(description("Q2BBB", "Bob"), 10);
    qso.controlReceived(description("Q9EVE", "Eve"), 20);
    QCOMPARE(qso.remote().callsign, QByteArray("Q2BBB"));
}

void TestEchoLinkQso::floodsAreThinnedPerStation()
{
    Wire wire;
    Qso qso(own, wire.send(), true, 0);
    int chats = 0;
    int audio = 0;
    // 10,000 chats and 10,000 audio packets in one second.
    for (int i = 0; i < 10000; ++i) {
        chats += qso.admitText(i / 10);
        audio += qso.admitAudio(i / 10);
    }
    QVERIFY2(chats <= 20, qPrintable(QString::number(chats)));
    QVERIFY2(audio <= 100, qPrintable(QString::number(audio)));
    QVERIFY(qso.dropped() >= 19800);
    // Ordinary traffic passes: 12.5 audio packets and a chat line a second.
    int passed = 0;
    for (int i = 0; i < 125; ++i)
        passed += qso.admitAudio(5000 + i * 80);
    QCOMPARE(passed, 125);
}

void TestEchoLinkQso::receivingFollowsTheAudio()
{
    Wire wire;
    Qso qso(own, wire.send(), true, 0);
    QVERIFY(!qso.receiving(0));
    QVERIFY(qso.admitAudio(100));
    QVERIFY(qso.receiving(100 + Qso::ReceivingHoldMs - 1));
    QVERIFY(!qso.receiving(100 + Qso::ReceivingHoldMs));
}

void TestEchoLinkQso::gateTakesOnlyListedStationsAtTheirAddress_data()
{
    QTest::addColumn<int>("listing");
    QTest::addColumn<QByteArray>("callsign");
    QTest::addColumn<int>("verdict");
    QTest::newRow("listed here") << int(StationGate::Listing::ListedHere) << QByteArray("Q2BBB")
                                 << int(StationGate::Verdict::Accept);
    QTest::newRow("listed elsewhere: one new list") << int(StationGate::Listing::ListedElsewhere)
                                                    << QByteArray("Q2BBB") << int(StationGate::Verdict::Hold);
    QTest::newRow("unlisted: one new list") << int(StationGate::Listing::NotListed) << QByteArray("Q7XYZ")
                                            << int(StationGate::Verdict::Hold);
    QTest::newRow("no callsign") << int(StationGate::Listing::NotListed) << QByteArray()
                                 << int(StationGate::Verdict::Refuse);
}

void TestEchoLinkQso::gateTakesOnlyListedStationsAtTheirAddress()
{
    QFETCH(int, listing);
    QFETCH(QByteArray, callsign);
    QFETCH(int, verdict);
    StationGate gate;
    EchoLinkPackets::Description d;
    d.callsign = callsign;
    QCOMPARE(int(gate.judge({ QHostAddress("127.0.0.2"), d }, StationGate::Listing(listing), 0)), verdict);
}

void TestEchoLinkQso::gateRefreshesOnceThenSettles()
{
    StationGate gate;
    EchoLinkPackets::Description d;
    d.callsign = "Q7XYZ";
    const QHostAddress where("127.0.0.7");
    QCOMPARE(gate.judge({ where, d }, StationGate::Listing::NotListed, 0), StationGate::Verdict::Hold);
    QVERIFY(gate.takeRefreshRequest());
    QVERIFY(!gate.takeRefreshRequest());
    // Its call again while the list comes: nothing.
    QCOMPARE(gate.judge({ where, d }, StationGate::Listing::NotListed, 100), StationGate::Verdict::Ignore);
    // A second unknown station joins the same refresh.
    d.callsign = "Q8XYZ";
    QCOMPARE(gate.judge({ QHostAddress("127.0.0.8"), d }, StationGate::Listing::NotListed, 200),
             StationGate::Verdict::Hold);
    QVERIFY(!gate.takeRefreshRequest());
    QCOMPARE(gate.takeHeld().size(), std::size_t(2));
    QCOMPARE(StationGate::settle(StationGate::Listing::NotListed), StationGate::Verdict::Refuse);
    QCOMPARE(StationGate::settle(StationGate::Listing::ListedHere), StationGate::Verdict::Accept);
    // Straight after, an unknown caller is refused without another list.
    d.callsign = "Q9XYZ";
    QCOMPARE(gate.judge({ QHostAddress("127.0.0.9"), d }, StationGate::Listing::NotListed, 1000),
             StationGate::Verdict::Refuse);
    QVERIFY(!gate.takeRefreshRequest());
}

void TestEchoLinkQso::gateFloodCostsNoSlot()
{
    StationGate gate;
    EchoLinkPackets::Description d;
    d.callsign = "Q2BBB";
    int accepted = 0;
    // 5,000 calls from one address in five seconds: a handful pass the rate limit.
    for (int i = 0; i < 5000; ++i)
        accepted += gate.judge({ QHostAddress("127.0.0.2"), d }, StationGate::Listing::ListedHere, i) == StationGate::Verdict::Accept;
    QVERIFY2(accepted <= 6, qPrintable(QString::number(accepted)));
    // Spoofed callers from 100,000 addresses: none held beyond the bound, the table stays bounded.
    int held = 0;
    for (quint32 i = 0; i < 100000; ++i) {
        d.callsign = "Q" + QByteArray::number(i);
        held += gate.judge({ QHostAddress(0x0A000000 + i), d }, StationGate::Listing::NotListed, 6000)
            == StationGate::Verdict::Hold;
    }
    QVERIFY(held <= StationGate::MaxHeld);
    // A listed station at its own, new address still gets in once the quiet ones are forgotten.
    d.callsign = "Q3CCC";
    QCOMPARE(gate.judge({ QHostAddress("127.0.0.3"), d }, StationGate::Listing::ListedHere, 70000),
             StationGate::Verdict::Accept);
}

QTEST_GUILESS_MAIN(TestEchoLinkQso)
#include "TestEchoLinkQso.moc"
