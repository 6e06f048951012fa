// Text from stations shown in the window: never read as markup, and never costly to show.
#include "chat/ChatLine.h"
#include "chat/ChatLog.h"
#include "chat/ChatPanes.h"
#include "util/FormFixture.h"

#include <QLabel>
#include <QTest>
#include <QTextBrowser>

class TestHostileText : public QObject
{
    Q_OBJECT
private slots:
    void stationNamesWithMarkupAreShownAsTheyStand_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("image from a pipe") << QStringLiteral("<img src='/tmp/fifo'>");
        QTest::newRow("image of endless zeros") << QStringLiteral("<img src='/dev/zero'>");
        QTest::newRow("fake heading") << QStringLiteral("<h1>Q9ZZZ Disconnected</h1>");
        QTest::newRow("bold") << QStringLiteral("<b>loud</b>");
    }
    void stationNamesWithMarkupAreShownAsTheyStand()
    {
        QFETCH(QString, name);
        FormFixture f;
        f.startUp();
        f.session.raiseConnected(QStringLiteral("Q1AB"), name, QStringLiteral("10.1.2.3"));
        auto* info = f.widget<QLabel>(QStringLiteral("lblConnInfo"));
        QCOMPARE(info->textFormat(), Qt::PlainText);
        QCOMPARE(info->text(), QStringLiteral("Q1AB ") + name + QStringLiteral(" 10.1.2.3"));
        f.session.raiseConnected(name, QStringLiteral("Op"), QStringLiteral("10.1.2.4"));
        QVERIFY(info->text().contains(name));
        QVERIFY(f.chatLines().contains(f.timeText() + QStringLiteral(">Connected To: Op ") + name));
    }

    void everyLabelShowsPlainText()
    {
        FormFixture f;
        for (QLabel* label : f.form->findChildren<QLabel*>()) {
            // The labels whose markup Corvane writes itself, with the callsign or the date and time escaped.
            static const QStringList ownMarkup { "QRZLinkLabel", "ClockUniversalTime", "ClockLocalTime" };
            if (ownMarkup.contains(label->objectName()))
                continue;
            QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
        }
    }

    void aHugeChatLineIsCutInThePaneButKeptWholeInTheLogAndForReadBack()
    {
        FormFixture f;
        f.startUp();
        f.session.raiseConnected(QStringLiteral("Q1AB"), QStringLiteral("Op"), QStringLiteral("10.1.2.3"));
        const QString message(1024 * 1024 - 64, QLatin1Char('x'));
        f.session.raiseChatTextReceived(QStringLiteral("Q1AB>") + message);
        const QString shown = f.lastChatLine();
        QVERIFY(shown.size() < ChatPanes::MaxShownLineLength + 100);
        QVERIFY(shown.endsWith(QStringLiteral(" more characters are in the chat log]")));
        QCOMPARE(f.form->chatLine().lastChatText(), message);
        QCOMPARE(f.form->journal().chatLog().records().back().description, QStringLiteral("Q1AB>") + message);
    }

    // Station text is never logged: the note of a cut station line says the rest is not shown, and F2 reads
    // that note as the pane shows it.
    void aHugeStationLineIsCutWithANoteThatSaysTheRestIsNotShown()
    {
        FormFixture f;
        f.startUp();
        f.session.raiseConnected(QStringLiteral("Q1AB"), QStringLiteral("Op"), QStringLiteral("10.1.2.3"));
        const int extra = 5000;
        f.session.raiseStationTextReceived(QString(ChatPanes::MaxShownLineLength + extra, QLatin1Char('s')));
        const QString pane = f.widget<QTextBrowser>(QStringLiteral("redtStation"))->toPlainText();
        const QString note = QStringLiteral(" [line cut here: %1 more characters not shown]").arg(extra);
        QVERIFY2(pane.contains(note), qPrintable(pane.right(80)));
        QVERIFY(!pane.contains(QStringLiteral("chat log")));
        f.voice.spoken.clear();
        QTest::keyClick(f.form->focusWidget(), Qt::Key_F2);
        const QString heard = f.voice.texts().join(QLatin1Char('|'));
        QVERIFY2(heard.contains(QStringLiteral("more characters not shown")), qPrintable(heard.right(120)));
        QVERIFY(!heard.contains(QStringLiteral("chat log")));
    }

    void aMalformedMessageFromEchoLinkIsShownQuietlyAndNothingElseHappens()
    {
        FormFixture f;
        f.startUp();
        const qsizetype spokenBefore = f.voice.spoken.size();
        f.session.raiseProtocolError(QStringLiteral("a Connect event needs 3 text arguments"));
        QCOMPARE(f.lastChatLine(),
                 QStringLiteral("EchoLink sent a message Corvane could not read: a Connect event needs 3 text arguments"));
        QCOMPARE(f.voice.spoken.size(), spokenBefore);
        QVERIFY(!f.form->roster().isConnected());
    }

    void aHugeStationNameIsCutInTheConnectionLabel()
    {
        FormFixture f;
        f.startUp();
        f.session.raiseConnected(QStringLiteral("Q1AB"), QString(512 * 1024, QLatin1Char('n')),
                                 QStringLiteral("10.1.2.3"));
        const QString shown = f.widget<QLabel>(QStringLiteral("lblConnInfo"))->text();
        QVERIFY(shown.size() < ChatPanes::MaxShownLineLength + 100);
        QVERIFY(shown.endsWith(QStringLiteral(" more characters not shown]")));
    }

    void aCutNeverSplitsACharacter()
    {
        QString line(ChatPanes::MaxShownLineLength - 1, QLatin1Char('a'));
        line += QString::fromUtf8("\xF0\x9F\x93\xBB"); // a character outside the basic plane: two UTF-16 units
        line += QStringLiteral("tail");
        const QString shown = ChatPanes::shownPart(line, ChatPanes::Rest::InChatLog);
        QCOMPARE(shown.left(ChatPanes::MaxShownLineLength - 1), line.left(ChatPanes::MaxShownLineLength - 1));
        QVERIFY(!shown.at(ChatPanes::MaxShownLineLength - 1).isHighSurrogate());
        QCOMPARE(ChatPanes::shownPart(QStringLiteral("short"), ChatPanes::Rest::NotShown), QStringLiteral("short"));
    }
};

QTEST_MAIN(TestHostileText)
#include "TestHostileText.moc"
