// The directory's protocol as pure functions: the login command, the login answer, the station list with
// its bounds, station addresses, and the station list's lookups.
#include "DirectoryProtocol.h"
#include "StationList.h"

#include <QtTest>

using namespace DirectoryProtocol;

Q_DECLARE_METATYPE(DirectoryProtocol::Status)
Q_DECLARE_METATYPE(DirectoryProtocol::LoginReply::Kind)
Q_DECLARE_METATYPE(StationStatus)
Q_DECLARE_METATYPE(StationKind)

namespace {

QByteArray record(const QByteArray& call, const QByteArray& data, const QByteArray& id, const QByteArray& address)
{
    return call + '\n' + data + '\n' + id + '\n' + address + '\n';
}

QByteArray list(const QList<QByteArray>& records, int count = -1)
{
    QByteArray reply = "@@@\n" + QByteArray::number(count < 0 ? records.size() : count) + '\n';
    for (const QByteArray& one : records)
        reply += one;
    return reply + "+++";
}

const QByteArray Jo = record("Q1ABC", "Jo, Elm Falls [ON 12:34]", "123456", "192.0.2.7");
const QByteArray Link = record("Q2XYZ-L", "Hill top link [BUSY 09:05]", "234567", "198.51.100.9");
const QByteArray Conference = record("*TESTCONF*", "Test conference [ON 00:01]", "345678", "203.0.113.1");

} // namespace

class TestDirectoryProtocol : public QObject
{
    Q_OBJECT
private slots:
    void loginRequest_data()
    {
        QTest::addColumn<Login>("login");
        QTest::addColumn<Status>("status");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("online") << Login { "q1abc", "secret", "Elm Falls" } << Status::Online
                                << QByteArray("lQ1ABC\xac\xacsecret\rONLINE3.38(07:05)\rElm Falls\r");
        QTest::newRow("busy") << Login { "Q1ABC", "secret", "Elm Falls" } << Status::Busy
                              << QByteArray("lQ1ABC\xac\xacsecret\rBUSY3.40(07:05)\rElm Falls\r");
        QTest::newRow("off") << Login { "Q1ABC", "secret", "Elm Falls" } << Status::Offline
                             << QByteArray("lQ1ABC\xac\xacsecret\rOFF-V3.40\rElm Falls\r");
        // A location cannot add fields, nor a password end its own.
        QTest::newRow("fields cannot be forged")
            << Login { "Q1ABC", QStringLiteral("pa\rss\u00ac"), "Elm\rOFF-V3.40\nFalls" } << Status::Online
            << QByteArray("lQ1ABC\xac\xacpass\rONLINE3.38(07:05)\rElmOFF-V3.40Falls\r");
        QTest::newRow("location cut to 27 bytes, Windows-1252")
            << Login { "Q1ABC", "pw", QStringLiteral("José at the very long hill top station") } << Status::Online
            << QByteArray("lQ1ABC\xac\xacpw\rONLINE3.38(07:05)\rJos\xe9 at the very long hill \r");
        QTest::newRow("callsign with a space") << Login { "Q1 ABC", "pw", "" } << Status::Online << QByteArray();
        QTest::newRow("empty callsign") << Login { "", "pw", "" } << Status::Online << QByteArray();
        QTest::newRow("overlong callsign")
            << Login { "Q1ABCDEFGHIJKLMNOP", "pw", "" } << Status::Online << QByteArray();
    }
    void loginRequest()
    {
        QFETCH(Login, login);
        QFETCH(Status, status);
        QFETCH(QByteArray, expected);
        QCOMPARE(DirectoryProtocol::loginRequest(login, status, QTime(7, 5)), expected);
    }

    void loginReply_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<LoginReply::Kind>("kind");
        QTest::addColumn<bool>("incorrectPassword");
        QTest::addColumn<QString>("text");
        QTest::newRow("ok") << QByteArray("OK2.6\r") << false << LoginReply::Accepted << false << QString();
        QTest::newRow("ok without end") << QByteArray("OK") << false << LoginReply::Accepted << false << QString();
        QTest::newRow("half an ok waits") << QByteArray("O") << false << LoginReply::Incomplete << false << QString();
        QTest::newRow("half an ok, closed") << QByteArray("O") << true << LoginReply::Refused << false << "O";
        QTest::newRow("nothing yet") << QByteArray() << false << LoginReply::Incomplete << false << QString();
        QTest::newRow("closed silent") << QByteArray() << true << LoginReply::NoReply << false << QString();
        QTest::newRow("incorrect password")
            << QByteArray("INCORRECT PASSWORD\r") << false << LoginReply::Refused << true << "INCORRECT PASSWORD";
        QTest::newRow("refusal still arriving")
            << QByteArray("INCORRECT PASS") << false << LoginReply::Incomplete << false << QString();
        QTest::newRow("other refusal, closed")
            << QByteArray("Callsign not validated") << true << LoginReply::Refused << false << "Callsign not validated";
        QTest::newRow("control characters go")
            << QByteArray("\x1b[31mNO\x07\r") << false << LoginReply::Refused << false << "[31mNO";
        QTest::newRow("endless line is cut")
            << QByteArray(5000, 'x') << false << LoginReply::Refused << false << QString(MaxReplyTextChars, 'x');
        QTest::newRow("ok not at the start is no ok")
            << QByteArray(" OK\r") << false << LoginReply::Refused << false << "OK";
    }
    void loginReply()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, closed);
        QFETCH(LoginReply::Kind, kind);
        QFETCH(bool, incorrectPassword);
        QFETCH(QString, text);
        const LoginReply reply = parseLoginReply(bytes, closed);
        QCOMPARE(reply.kind, kind);
        QCOMPARE(reply.incorrectPassword, incorrectPassword);
        if (kind == LoginReply::Refused)
            QCOMPARE(reply.text, text);
    }

    void stationList()
    {
        const QByteArray reply = list({ record(" ", "Welcome to the test directory", "0", "0.0.0.0"), Jo,
                                        record(".", "", "", ""), Link, Conference },
                                      4);
        const ListResult result = parseList(reply);
        QCOMPARE(result.state, ListParser::State::Done);
        QCOMPARE(result.skipped, 0);
        const StationList& stations = result.list;
        QCOMPARE(stations.size(), 3);
        QCOMPARE(stations.serverMessage(), QStringList { "Welcome to the test directory" });
        const StationEntry* jo = stations.findCallsign("q1abc");
        QVERIFY(jo);
        QCOMPARE(jo->description, "Jo, Elm Falls");
        QCOMPARE(jo->status, StationStatus::Online);
        QCOMPARE(jo->since, "12:34");
        QCOMPARE(jo->id, 123456);
        QCOMPARE(jo->address, QHostAddress("192.0.2.7"));
        QCOMPARE(jo->kind(), StationKind::Station);
        QCOMPARE(stations.findId(234567)->callsign, "Q2XYZ-L");
        QCOMPARE(stations.findId(234567)->status, StationStatus::Busy);
        QCOMPARE(stations.findId(234567)->kind(), StationKind::Link);
        QCOMPARE(stations.findCallsign("*TESTCONF*")->kind(), StationKind::Conference);
        QCOMPARE(stations.ofKind(StationKind::Conference).size(), 1);
        QVERIFY(!stations.findCallsign("Q9NONE"));
        QVERIFY(!stations.findId(999));
    }

    // Every way of cutting the reply into pieces gives the same list.
    void stationListInPieces_data()
    {
        QTest::addColumn<int>("piece");
        for (const int piece : { 1, 2, 3, 7, 64 })
            QTest::addRow("%d bytes", piece) << piece;
    }
    void stationListInPieces()
    {
        QFETCH(int, piece);
        const QByteArray reply = list({ Jo, Link, Conference });
        ListParser parser;
        for (qsizetype at = 0; at < reply.size(); at += piece)
            parser.feed(QByteArrayView(reply).sliced(at, qMin<qsizetype>(piece, reply.size() - at)));
        QCOMPARE(parser.state(), ListParser::State::Done);
        QCOMPARE(parser.list().entries(), parseList(reply).list.entries());
        QCOMPARE(parser.list().size(), 3);
    }

    // Records that cannot be used are skipped and counted; the rest of the list stands.
    void skippedRecords_data()
    {
        QTest::addColumn<QByteArray>("bad");
        QTest::newRow("broadcast") << record("Q9A", "x [ON 12:00]", "900001", "255.255.255.255");
        QTest::newRow("any address") << record("Q9A", "x [ON 12:00]", "900001", "0.0.0.0");
        QTest::newRow("multicast") << record("Q9A", "x [ON 12:00]", "900001", "224.0.0.1");
        QTest::newRow("reserved") << record("Q9A", "x [ON 12:00]", "900001", "240.1.2.3");
        QTest::newRow("name") << record("Q9A", "x [ON 12:00]", "900001", "not.an.address");
        QTest::newRow("three octets") << record("Q9A", "x [ON 12:00]", "900001", "1.2.3");
        QTest::newRow("octet too big") << record("Q9A", "x [ON 12:00]", "900001", "300.1.1.1");
        QTest::newRow("leading zero") << record("Q9A", "x [ON 12:00]", "900001", "010.1.1.1");
        QTest::newRow("many digits") << record("Q9A", "x [ON 12:00]", "900001", "1525512552551");
        QTest::newRow("five octets") << record("Q9A", "x [ON 12:00]", "900001", "1.2.3.4.5");
        QTest::newRow("ipv6") << record("Q9A", "x [ON 12:00]", "900001", "::1");
        QTest::newRow("node number with letters") << record("Q9A", "x [ON 12:00]", "12x4", "192.0.2.1");
        QTest::newRow("node number zero") << record("Q9A", "x [ON 12:00]", "0", "192.0.2.1");
        QTest::newRow("node number too long") << record("Q9A", "x [ON 12:00]", "12345678", "192.0.2.1");
        QTest::newRow("negative node number") << record("Q9A", "x [ON 12:00]", "-5", "192.0.2.1");
        QTest::newRow("callsign with a space") << record("Q9 A", "x [ON 12:00]", "900001", "192.0.2.1");
        QTest::newRow("callsign with control") << record("Q9\x01", "x [ON 12:00]", "900001", "192.0.2.1");
        QTest::newRow("callsign too long") << record("Q9ABCDEFGHIJKLMNOP", "x [ON]", "900001", "192.0.2.1");
        QTest::newRow("overlong description")
            << record("Q9A", QByteArray(5000, 'd') + " [ON 12:00]", "900001", "192.0.2.1");
        QTest::newRow("overlong address line") << record("Q9A", "x [ON 12:00]", "900001", QByteArray(300, '1'));
    }
    void skippedRecords()
    {
        QFETCH(QByteArray, bad);
        const ListResult result = parseList(list({ Jo, bad, Link }));
        QCOMPARE(result.state, ListParser::State::Done);
        QCOMPARE(result.skipped, 1);
        QCOMPARE(result.list.size(), 2);
        QVERIFY(result.list.findCallsign("Q1ABC"));
        QVERIFY(result.list.findCallsign("Q2XYZ-L"));
    }

    // Replies that break the format fail as a whole, with a reason.
    void failedLists_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("error");
        QTest::newRow("empty") << QByteArray() << "The directory sent no station list";
        QTest::newRow("not a list") << QByteArray("OK\r") << "The directory's answer is not a station list";
        QTest::newRow("no count") << QByteArray("@@@\nmany\n") << "The station list has no valid count";
        QTest::newRow("negative count") << QByteArray("@@@\n-3\n") << "The station list has no valid count";
        QTest::newRow("too many") << QByteArray("@@@\n30001\n")
                                  << "The station list has too many entries (30001, at most 30000)";
        QTest::newRow("cut in a record") << list({ Jo, Link }).left(40) << "The station list ended early";
        QTest::newRow("no end mark") << list({ Jo }).chopped(3) << "The station list ended early";
        QTest::newRow("wrong end mark") << list({ Jo }).chopped(3) + "---"
                                        << "The station list does not end as it should";
        QTest::newRow("more records than counted")
            << list({ Jo, Link }, 1) << "The station list does not end as it should";
        QTest::newRow("endless first line") << QByteArray(1000, '@') << "The directory's answer is not a station list";
    }
    void failedLists()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, error);
        const ListResult result = parseList(reply);
        QCOMPARE(result.state, ListParser::State::Failed);
        QCOMPARE(result.error, error);
        QVERIFY(result.list.isEmpty());
    }

    // A list that claims fewer records than it holds ends where the end mark comes.
    void endMarkBeforeCount()
    {
        const ListResult result = parseList(list({ Jo }, 5));
        QCOMPARE(result.state, ListParser::State::Done);
        QCOMPARE(result.list.size(), 1);
    }

    // An endless reply stops costing memory at the byte limit.
    void byteLimit()
    {
        ListLimits limits;
        limits.maxTotalBytes = 10000;
        ListParser parser(limits);
        parser.feed("@@@\n25000\n");
        ListParser::State state = ListParser::State::Reading;
        for (int i = 0; i < 1000 && state == ListParser::State::Reading; ++i)
            state = parser.feed(
                record("Q1F" + QByteArray::number(i), "Flood [ON 12:00]", QByteArray::number(100000 + i), "192.0.2.1"));
        QCOMPARE(state, ListParser::State::Failed);
        QCOMPARE(parser.error(), "The station list is larger than 10000 bytes");
        QVERIFY(parser.bytesRead() <= limits.maxTotalBytes);
        QVERIFY(parser.list().size() < 300);
    }

    // The byte limit strikes at the same place whether the list comes whole or in pieces.
    void byteLimitInPieces()
    {
        ListLimits limits;
        limits.maxTotalBytes = 60;
        const QByteArray reply = list({ Jo, Link });
        const ListResult whole = parseList(reply, limits);
        ListParser parser(limits);
        for (qsizetype at = 0; at < reply.size(); at += 5)
            parser.feed(QByteArrayView(reply).sliced(at, qMin<qsizetype>(5, reply.size() - at)));
        QCOMPARE(whole.error, "The station list is larger than 60 bytes");
        QCOMPARE(parser.error(), whole.error);
        // Bad data before the limit is reported as what it is.
        const ListResult early = parseList("@@@\nmany\n" + QByteArray(100, 'x'), limits);
        QCOMPARE(early.error, "The station list has no valid count");
    }

    void stationData_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("description");
        QTest::addColumn<StationStatus>("status");
        QTest::addColumn<QString>("since");
        QTest::newRow("on") << QByteArray("Jo [ON 12:34]") << "Jo" << StationStatus::Online << "12:34";
        QTest::newRow("busy") << QByteArray("Jo [BUSY 01:02]") << "Jo" << StationStatus::Busy << "01:02";
        QTest::newRow("no status") << QByteArray("Just words") << "Just words" << StationStatus::Unknown << "";
        QTest::newRow("unknown word") << QByteArray("Jo [OFF 12:34]") << "Jo" << StationStatus::Unknown << "12:34";
        QTest::newRow("bad time") << QByteArray("Jo [ON 1x:34]") << "Jo" << StationStatus::Online << "";
        QTest::newRow("brackets in the description")
            << QByteArray("Jo [home] [ON 12:34]") << "Jo [home]" << StationStatus::Online << "12:34";
        QTest::newRow("in conference") << QByteArray("In Conference *TESTCONF* [BUSY 12:34]")
                                       << "In Conference *TESTCONF*" << StationStatus::InConference << "12:34";
        QTest::newRow("Windows-1252, decoded once")
            << QByteArray("\x93Jos\xe9\x94 [ON 12:34]") << QStringLiteral("“José”") << StationStatus::Online << "12:34";
        QTest::newRow("control characters go")
            << QByteArray("A\x1b\x07\x85Z [ON 12:34]") << QStringLiteral("A…Z") << StationStatus::Online << "12:34";
        QTest::newRow("description cut") << QByteArray(100, 'd') + " [ON 12:34]" << QString(64, 'd')
                                         << StationStatus::Online << "12:34";
    }
    void stationData()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, description);
        QFETCH(StationStatus, status);
        QFETCH(QString, since);
        StationEntry entry;
        parseStationData(data, 64, entry);
        QCOMPARE(entry.description, description);
        QCOMPARE(entry.status, status);
        QCOMPARE(entry.since, since);
    }

    void kinds_data()
    {
        QTest::addColumn<QString>("callsign");
        QTest::addColumn<StationKind>("kind");
        QTest::newRow("station") << "Q1ABC" << StationKind::Station;
        QTest::newRow("link") << "Q1ABC-L" << StationKind::Link;
        QTest::newRow("repeater") << "Q1ABC-R" << StationKind::Repeater;
        QTest::newRow("conference") << "*TESTCONF*" << StationKind::Conference;
        QTest::newRow("lone star") << "*" << StationKind::Station;
    }
    void kinds()
    {
        QFETCH(QString, callsign);
        QFETCH(StationKind, kind);
        QCOMPARE(StationEntry::kindOf(callsign), kind);
    }

    void callableAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("callable");
        QTest::newRow("public") << "192.0.2.7" << true;
        QTest::newRow("loopback") << "127.0.0.3" << true;
        QTest::newRow("mapped") << "::ffff:192.0.2.7" << true;
        QTest::newRow("broadcast") << "255.255.255.255" << false;
        QTest::newRow("any") << "0.0.0.0" << false;
        QTest::newRow("multicast") << "239.1.1.1" << false;
        QTest::newRow("ipv6") << "2001:db8::1" << false;
        QTest::newRow("null") << "" << false;
    }
    void callableAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, callable);
        QCOMPARE(StationAddress::isCallable(QHostAddress(address)), callable);
    }

    void lookups_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("callsign");
        QTest::newRow("callsign") << "Q1ABC"
                                  << "Q1ABC";
        QTest::newRow("lower case, blanks") << " q2xyz-l "
                                            << "Q2XYZ-L";
        QTest::newRow("node number") << "345678"
                                     << "*TESTCONF*";
        QTest::newRow("unlisted number") << "999"
                                         << "";
        QTest::newRow("eight digits") << "12345678"
                                      << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void lookups()
    {
        QFETCH(QString, key);
        QFETCH(QString, callsign);
        const StationList stations = parseList(list({ Jo, Link, Conference })).list;
        const StationEntry* entry = stations.find(key);
        QCOMPARE(entry ? entry->callsign : QString(), callsign);
    }

    // An incoming station must be listed under its callsign at the address it sends from.
    void listedAt_data()
    {
        QTest::addColumn<QString>("callsign");
        QTest::addColumn<QString>("from");
        QTest::addColumn<bool>("listed");
        QTest::newRow("listed") << "Q1ABC"
                                << "192.0.2.7" << true;
        QTest::newRow("mapped") << "q1abc"
                                << "::ffff:192.0.2.7" << true;
        QTest::newRow("other address") << "Q1ABC"
                                       << "192.0.2.8" << false;
        QTest::newRow("another station's address") << "Q1ABC"
                                                   << "198.51.100.9" << false;
        QTest::newRow("unlisted") << "Q9NONE"
                                  << "192.0.2.7" << false;
        QTest::newRow("no address") << "Q1ABC"
                                    << "" << false;
    }
    void listedAt()
    {
        QFETCH(QString, callsign);
        QFETCH(QString, from);
        QFETCH(bool, listed);
        const StationList stations = parseList(list({ Jo, Link })).list;
        QCOMPARE(stations.isListedAt(callsign, QHostAddress(from)), listed);
    }

    // The first of two entries with one callsign or node number stands.
    void duplicates()
    {
        const ListResult result
            = parseList(list({ Jo, record("q1abc", "Impostor [ON 12:00]", "999999", "203.0.113.66"),
                               record("Q3NEW", "Same number [ON 12:00]", "123456", "203.0.113.67") }));
        QCOMPARE(result.list.size(), 1);
        QCOMPARE(result.list.findCallsign("Q1ABC")->address, QHostAddress("192.0.2.7"));
        QCOMPARE(result.list.findId(123456)->callsign, "Q1ABC");
    }
};

QTEST_GUILESS_MAIN(TestDirectoryProtocol)
#include "TestDirectoryProtocol.moc"
