#include "ControlCommand.h"

#include <QTest>

using ControlCommand::Verb;
Q_DECLARE_METATYPE(ControlCommand::Verb)

class TestStandInControl : public QObject
{
    Q_OBJECT

private slots:
    void commandsAreUnderstood_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<Verb>("verb");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("status");
        const QStringList none;
        QTest::newRow("connect") << "connect Q1AB Jo 1.2.3.4" << Verb::Connect
                                 << QStringList { "Q1AB", "Jo", "1.2.3.4" } << false << 0;
        QTest::newRow("connect, quoted name") << "connect Q1AB \"Jo Smith\" 1.2.3.4" << Verb::Connect
                                              << QStringList { "Q1AB", "Jo Smith", "1.2.3.4" } << false << 0;
        QTest::newRow("connect, call only")
            << "connect *LAKEVIEW*" << Verb::Connect << QStringList { "*LAKEVIEW*", "", "" } << false << 0;
        QTest::newRow("connect, quote inside quotes")
            << "connect Q1AB \"Jo \\\"JJ\\\" Smith\" 1.2.3.4" << Verb::Connect
            << QStringList { "Q1AB", "Jo \"JJ\" Smith", "1.2.3.4" } << false << 0;
        QTest::newRow("disconnect") << "disconnect Q1AB-R" << Verb::Disconnect << QStringList { "Q1AB-R" } << false
                                    << 0;
        QTest::newRow("chat keeps the rest of the line")
            << "chat Q1AB>hello  there " << Verb::Chat << QStringList { "Q1AB>hello  there " } << false << 0;
        QTest::newRow("chat, quoted whole")
            << "chat \"  leading blanks\"" << Verb::Chat << QStringList { "  leading blanks" } << false << 0;
        QTest::newRow("chat, quotes inside text are text")
            << "chat \"quoted\" word" << Verb::Chat << QStringList { "\"quoted\" word" } << false << 0;
        QTest::newRow("chat, empty quoted") << "chat \"\"" << Verb::Chat << QStringList { "" } << false << 0;
        QTest::newRow("station text with escapes")
            << "stationtext *LAKEVIEW*\\r\\n> Q1AB Jo\\r\\n"
            << Verb::StationText << QStringList { "*LAKEVIEW*\r\n> Q1AB Jo\r\n" } << false << 0;
        QTest::newRow("alarm") << "alarm Q1AB 1" << Verb::Alarm << QStringList { "Q1AB" } << false << 1;
        QTest::newRow("alarm, negative status")
            << "alarm Q1AB -1" << Verb::Alarm << QStringList { "Q1AB" } << false << -1;
        QTest::newRow("alarm log") << "alarmlog 12:34 Q1AB-R on\\r\\n"
                                   << Verb::AlarmLog << QStringList { "12:34 Q1AB-R on\r\n" } << false << 0;
        QTest::newRow("alarm log clear") << "alarmlog-clear" << Verb::AlarmLogClear << none << false << 0;
        QTest::newRow("station list") << "stationlist" << Verb::StationList << none << false << 0;
        QTest::newRow("tx on") << "tx on" << Verb::Tx << none << true << 0;
        QTest::newRow("rx off") << "rx off" << Verb::Rx << none << false << 0;
        QTest::newRow("link ON, any case") << "LINK ON" << Verb::Link << none << true << 0;
        QTest::newRow("fail names the operation as the session does")
            << "fail systemconfig.callsign Not ready yet" << Verb::Fail
            << QStringList { "SystemConfig.Callsign", "Not ready yet" } << false << 0;
        QTest::newRow("calls, surrounding blanks") << "  calls \t" << Verb::Calls << none << false << 0;
        QTest::newRow("close") << "close" << Verb::Close << none << false << 0;
    }
    void commandsAreUnderstood()
    {
        QFETCH(QString, line);
        QString error;
        const auto command = ControlCommand::parse(line, &error);
        QVERIFY2(command, qPrintable(error));
        QTEST(command->verb, "verb");
        QTEST(command->texts, "texts");
        QTEST(command->on, "on");
        QTEST(command->status, "status");
    }

    void mistakesAreRefusedWithAReason_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty") << ""
                               << "no command";
        QTest::newRow("blanks") << "   "
                                << "no command";
        QTest::newRow("unknown command") << "dance Q1AB"
                                         << "unknown command";
        QTest::newRow("connect without call") << "connect"
                                              << "usage: connect";
        QTest::newRow("unquoted name with blanks") << "connect Q1AB Jo Smith 1.2.3.4"
                                                   << "usage: connect";
        QTest::newRow("open quote") << "connect Q1AB \"Jo Smith 1.2.3.4"
                                    << "quote is not closed";
        QTest::newRow("chat without text") << "chat"
                                           << "usage: chat";
        QTest::newRow("tx maybe") << "tx maybe"
                                  << "expected on or off";
        QTest::newRow("tx without state") << "tx"
                                          << "usage: tx";
        QTest::newRow("alarm status not a number") << "alarm Q1AB on"
                                                   << "16-bit";
        QTest::newRow("alarm status too large") << "alarm Q1AB 70000"
                                                << "16-bit";
        QTest::newRow("fail unknown operation") << "fail Dance no"
                                                << "unknown operation";
        QTest::newRow("fail without message") << "fail Connect1"
                                              << "usage: fail";
        QTest::newRow("fail with empty message") << "fail Connect1 \"\""
                                                 << "usage: fail";
        QTest::newRow("calls with extra") << "calls all"
                                          << "usage: calls";
    }
    void mistakesAreRefusedWithAReason()
    {
        QFETCH(QString, line);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(!ControlCommand::parse(line, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
    }

    void quotedArgumentsReadBackUnchanged_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("written");
        QTest::newRow("bare") << "Q1AB"
                              << "Q1AB";
        QTest::newRow("blank") << "Jo Smith"
                               << "\"Jo Smith\"";
        QTest::newRow("empty") << ""
                               << "\"\"";
        QTest::newRow("line break") << "a\r\nb"
                                    << "a\\r\\nb";
        QTest::newRow("leading quote") << "\"hi"
                                       << "\"\\\"hi\"";
        QTest::newRow("backslash and quote in blanks") << "a b\\\""
                                                       << "\"a b\\\\\\\"\"";
    }
    void quotedArgumentsReadBackUnchanged()
    {
        QFETCH(QString, argument);
        QFETCH(QString, written);
        QCOMPARE(ControlCommand::quoteArgument(argument), written);
        QCOMPARE(ControlCommand::splitArguments(written, nullptr), QStringList { argument });
    }
};

QTEST_GUILESS_MAIN(TestStandInControl)
#include "TestStandInControl.moc"
