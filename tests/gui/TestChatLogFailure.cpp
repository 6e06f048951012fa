// A chat log that cannot be written never silences the station.
#include "chat/ChatLog.h"
#include "util/FormFixture.h"

#include <QTest>

class TestChatLogFailure : public QObject
{
    Q_OBJECT
private slots:
    void anUnwritableLogIsReportedOnceAndEveryHandlerGoesOn()
    {
        FormFixture f;
        // The log's name is taken by a folder: no entry can be written, from "Log Started" on.
        QVERIFY(QDir().mkpath(f.documentsFile(QStringLiteral("ChatLog.txt"))));
        f.startUp();
        QVERIFY(f.form->lifecycle().settingsLoaded());
        QVERIFY(f.session.calls.contains(QStringLiteral("SystemConfig.Callsign()")));
        f.session.raiseConnected(QStringLiteral("Q1AB"), QStringLiteral("Op"), QStringLiteral("10.0.0.1"));
        for (int i = 0; i < 5; ++i)
            f.session.raiseChatTextReceived(QStringLiteral("Q1AB>message %1").arg(i));
        QVERIFY(f.chatLines().contains(f.timeText() + QStringLiteral(" Q1AB> message 4")));
        QVERIFY(f.voice.texts().contains(QStringLiteral("<volume level=\"80\">message 4</volume>")));
        QCOMPARE(f.chatLines().filter(QStringLiteral(">Chat log not written: ")).size(), 1);
        QCOMPARE(f.voice.texts().count(QStringLiteral("Chat log can not be written")), 1);

        // The disk takes entries again: everything held is written, in order, and the recovery is said.
        QVERIFY(QDir(f.documentsFile(QStringLiteral("ChatLog.txt"))).removeRecursively());
        f.session.raiseChatTextReceived(QStringLiteral("Q1AB>back"));
        QVERIFY(f.chatLines().contains(QStringLiteral(">Chat log written again")));
        QFile file(f.documentsFile(QStringLiteral("ChatLog.txt")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString written = QString::fromUtf8(file.readAll());
        const qsizetype started = written.indexOf(QStringLiteral(">Log Started>"));
        const qsizetype first = written.indexOf(QStringLiteral("Q1AB>message 0"));
        const qsizetype last = written.indexOf(QStringLiteral("Q1AB>back"));
        QVERIFY(started >= 0 && started < first && first < last);
    }
};

QTEST_MAIN(TestChatLogFailure)
#include "TestChatLogFailure.moc"
