// The station list as it travels (its entries checked and cleaned) and the directory's filter.
#include "echolink/DirectoryFilter.h"
#include "echolink/EchoLinkWire.h"
#include "echolink/StationDirectory.h"

#include <QJsonObject>
#include <QTest>

using StationDirectory::Entry;
using StationDirectory::Kind;

Q_DECLARE_METATYPE(std::optional<Kind>)

namespace {

QList<Entry> sample()
{
    return {
        { "Q1ABC", "Jo Smith, Elm Falls", "on", 123456, Kind::Station },
        { "Q1ABC-L", "Elm Falls 146.520 link", "on", 123458, Kind::Link },
        { "Q2XY-R", "Millbrook 442.100+ PL 123.5", "busy", 231000, Kind::Repeater },
        { "*LAKEVIEW*", "Lakeview Linked Repeaters", "on", 910003, Kind::Conference },
        { "Q3ELM", "Ana Lopez, Harbor Point", "in conference *LAKEVIEW*", 45123, Kind::Station },
        { "Q4ZZ", "", "on", 0, Kind::Station },
    };
}

QJsonObject entryObject(const QString& call, const QJsonValue& node = 1234, const QString& kind = "station")
{
    return {
        { "callsign", call }, { "description", "Elm Falls" }, { "status", "on" }, { "node", node }, { "kind", kind }
    };
}

} // namespace

class TestStationDirectory : public QObject
{
    Q_OBJECT

private slots:
    void filterMatchesCallsignNumberAndWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<Kind>>("kind");
        QTest::addColumn<QStringList>("expected");
        const std::optional<Kind> any;

        QTest::newRow("empty: every entry")
            << "" << any << QStringList { "Q1ABC", "Q1ABC-L", "Q2XY-R", "*LAKEVIEW*", "Q3ELM", "Q4ZZ" };
        QTest::newRow("blanks only: every entry")
            << "  \t " << any << QStringList { "Q1ABC", "Q1ABC-L", "Q2XY-R", "*LAKEVIEW*", "Q3ELM", "Q4ZZ" };
        QTest::newRow("part of a callsign, any case") << "1ab" << any << QStringList { "Q1ABC", "Q1ABC-L" };
        QTest::newRow("suffix of a link") << "c-l" << any << QStringList { "Q1ABC-L" };
        QTest::newRow("inside a conference name") << "keview" << any << QStringList { "*LAKEVIEW*" };
        QTest::newRow("node number from its start") << "1234" << any << QStringList { "Q1ABC", "Q1ABC-L" };
        QTest::newRow("node number not from the middle") << "3456" << any << QStringList {};
        QTest::newRow("whole node number") << "45123" << any << QStringList { "Q3ELM" };
        QTest::newRow("a word of the description") << "harbor" << any << QStringList { "Q3ELM" };
        QTest::newRow("the start of a word") << "mill" << any << QStringList { "Q2XY-R" };
        QTest::newRow("not the middle of a word") << "brook" << any << QStringList {};
        QTest::newRow("word after punctuation") << "falls" << any << QStringList { "Q1ABC", "Q1ABC-L" };
        // "elm" is part of Q3ELM's callsign and a word of two descriptions.
        QTest::newRow("callsign or word") << "ELM" << any << QStringList { "Q1ABC", "Q1ABC-L", "Q3ELM" };
        QTest::newRow("every term must match") << "elm link" << any << QStringList { "Q1ABC-L" };
        QTest::newRow("terms in any order") << "link elm" << any << QStringList { "Q1ABC-L" };
        QTest::newRow("status is not searched") << "busy" << any << QStringList {};
        QTest::newRow("a zero node number is no number") << "0" << any << QStringList {};
        QTest::newRow("nothing matches") << "zz9" << any << QStringList {};
        QTest::newRow("kind: links") << "" << std::optional(Kind::Link) << QStringList { "Q1ABC-L" };
        QTest::newRow("kind: repeaters") << "" << std::optional(Kind::Repeater) << QStringList { "Q2XY-R" };
        QTest::newRow("kind: conferences") << "" << std::optional(Kind::Conference) << QStringList { "*LAKEVIEW*" };
        QTest::newRow("kind: stations") << "" << std::optional(Kind::Station)
                                        << QStringList { "Q1ABC", "Q3ELM", "Q4ZZ" };
        QTest::newRow("kind and text") << "elm" << std::optional(Kind::Station) << QStringList { "Q1ABC", "Q3ELM" };
    }
    void filterMatchesCallsignNumberAndWords()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<Kind>, kind);
        QFETCH(QStringList, expected);
        DirectoryFilter filter;
        filter.setEntries(sample());
        QStringList found;
        const DirectoryQuery query { text, kind };
        for (const int position : filter.filter(query)) {
            found << filter.entries().at(position).callsign;
            QVERIFY(filter.matches(position, query));
        }
        QCOMPARE(found, expected);
    }

    void kindFollowsTheCallsign_data()
    {
        QTest::addColumn<QString>("callsign");
        QTest::addColumn<Kind>("kind");
        QTest::newRow("station") << "Q1ABC" << Kind::Station;
        QTest::newRow("link") << "Q1ABC-L" << Kind::Link;
        QTest::newRow("repeater, lower case") << "q1abc-r" << Kind::Repeater;
        QTest::newRow("conference") << "*LAKEVIEW*" << Kind::Conference;
        QTest::newRow("a lone star is no conference") << "*" << Kind::Station;
        QTest::newRow("a star at one end only") << "*LAKE" << Kind::Station;
    }
    void kindFollowsTheCallsign()
    {
        QFETCH(QString, callsign);
        QFETCH(Kind, kind);
        QCOMPARE(StationDirectory::kindOfCallsign(callsign), kind);
    }

    void listsTravelUnchanged()
    {
        const QJsonArray json = StationDirectory::toJson(sample());
        QCOMPARE(StationDirectory::fromJson(json), sample());
        QVERIFY(StationDirectory::isStationList(json));
        QVERIFY(StationDirectory::isStationList(QJsonArray {}));
    }

    void malformedListsAreRefusedWithTheReason_data()
    {
        QTest::addColumn<QJsonValue>("value");
        QTest::newRow("not a list") << QJsonValue(QJsonObject { { "callsign", "Q1AB" } });
        QTest::newRow("one text") << QJsonValue("Q1AB Elm Falls on 1234");
        QTest::newRow("an element that is text") << QJsonValue(QJsonArray { entryObject("Q1AB"), "Q2CD" });
        QJsonObject noDescription = entryObject("Q1AB");
        noDescription.remove("description");
        QTest::newRow("no description") << QJsonValue(QJsonArray { noDescription });
        QTest::newRow("callsign a number") << QJsonValue(QJsonArray { QJsonObject {
            { "callsign", 5 }, { "description", "" }, { "status", "on" }, { "node", 1 }, { "kind", "station" } } });
        QTest::newRow("node a text") << QJsonValue(QJsonArray { entryObject("Q1AB", "1234") });
        QTest::newRow("node negative") << QJsonValue(QJsonArray { entryObject("Q1AB", -1) });
        QTest::newRow("node a fraction") << QJsonValue(QJsonArray { entryObject("Q1AB", 12.5) });
        QTest::newRow("node too long") << QJsonValue(QJsonArray { entryObject("Q1AB", 10000000) });
        QTest::newRow("unknown kind") << QJsonValue(QJsonArray { entryObject("Q1AB", 1, "Station") });
    }
    void malformedListsAreRefusedWithTheReason()
    {
        QFETCH(QJsonValue, value);
        QString error;
        QVERIFY(!StationDirectory::fromJson(value, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!StationDirectory::isStationList(value));
        // The client takes no such answer as the list.
        const QJsonObject reply = EchoLinkWire::reply(7, value);
        QVERIFY(!EchoLinkWire::readReply(reply, EchoLinkWire::Operation::StationList, &error));
    }

    // Station text is hostile: a row is one line of bounded length whatever arrives.
    void textsAreCleanedAndBounded()
    {
        QJsonObject object = entryObject(QString(100, 'Q'));
        object["description"] = QString("Elm\r\nFalls\t<b>bold</b>\x01") + QString(500, 'x');
        object["status"] = QString("busy\n");
        const auto entries = StationDirectory::fromJson(QJsonArray { object });
        QVERIFY(entries);
        const Entry& entry = entries->first();
        QCOMPARE(entry.callsign.size(), StationDirectory::MaxCallsignChars);
        QCOMPARE(entry.description.size(), StationDirectory::MaxTextChars);
        QVERIFY(entry.description.startsWith("Elm  Falls <b>bold</b> x"));
        QCOMPARE(entry.status, QString("busy"));
        // A character outside the basic plane is not cut in half at the limit.
        QJsonObject astral = entryObject(QString(StationDirectory::MaxCallsignChars - 1, 'Q') + QString::fromUtf8("😀"));
        const auto cut = StationDirectory::fromJson(QJsonArray { astral });
        QVERIFY(cut);
        QCOMPARE(cut->first().callsign, QString(StationDirectory::MaxCallsignChars - 1, 'Q'));
    }

    // The whole directory is one line: twenty thousand entries of full-length fields still fit.
    void aLargeDirectoryFitsOneLine()
    {
        QList<Entry> many;
        for (int i = 0; i < 20000; ++i)
            many.append({ QString("Q%1-L").arg(i), QString(27, 'x'), "in conference *LAKEVIEWLINKED*", 1000000 + i,
                          Kind::Link });
        const QByteArray line = EchoLinkWire::encode(EchoLinkWire::reply(1, StationDirectory::toJson(many)));
        const auto message = EchoLinkWire::decode(line);
        QVERIFY(message);
        QCOMPARE(StationDirectory::fromJson(message->value("value"))->size(), 20000);
    }

    void theOperationIsInTheTable()
    {
        const auto* row = EchoLinkWire::findOperation("StationList");
        QVERIFY(row);
        QCOMPARE(row->operation, EchoLinkWire::Operation::StationList);
        QVERIFY(row->arguments.isEmpty());
        QCOMPARE(row->result, EchoLinkWire::Type::StationList);
        QString error;
        const auto reply = EchoLinkWire::readReply(EchoLinkWire::reply(3, StationDirectory::toJson(sample())),
                                                   EchoLinkWire::Operation::StationList, &error);
        QVERIFY2(reply, qPrintable(error));
        QCOMPARE(StationDirectory::fromJson(reply->value), sample());
    }
};

QTEST_GUILESS_MAIN(TestStationDirectory)
#include "TestStationDirectory.moc"
