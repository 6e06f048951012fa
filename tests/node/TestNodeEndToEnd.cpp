// Corvane's window working the network through the EchoLink node: a second node answers through the
// fake directory, all on loopback. What the operator does is typed into the real widgets.
#include "NodeHarness.h"
#include "WavFile.h"
#include "chat/ChatLog.h"
#include "directory/DirectoryWindow.h"
#include "speech/Phonetics.h"
#include "util/FormFixture.h"

#include <QApplication>
#include <QLineEdit>

using namespace NodeHarness;

class TestNodeEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void operatorWorksAQsoThroughTheNode();
    void operatorFindsTheStationInTheDirectoryAndConnects();
};

namespace {

bool hasRecord(TmainForm& form, const QString& title, const QString& description)
{
    for (const ChatLogRecord& r : form.journal().chatLog().records()) {
        if (r.title == title && r.description == description)
            return true;
    }
    return false;
}

bool spokeStarting(const FakeVoice& voice, const QString& start)
{
    for (const FakeVoice::Request& request : voice.spoken) {
        if (request.text.startsWith(start))
            return true;
    }
    return false;
}

} // namespace

void TestNodeEndToEnd::operatorWorksAQsoThroughTheNode()
{
    const auto folder = scratchFolder();
    QTemporaryDir& dir = *folder;
    TwoNodes nodes(dir);
    NodeProcess& own = nodes.own;
    NodeProcess& other = nodes.other;

    FormFixture f;
    SocketSession session;
    session.setServerPath(own.socketPath());
    TmainForm form(MainFormServices { &session, &f.voice, &f.clock, &f.platform, &f.power, {} });
    form.startUp().FormCreate();
    f.clock.advance(4000);
    QVERIFY(form.lifecycle().settingsLoaded());
    auto* chatLine = form.findChild<QLineEdit*>(QStringLiteral("edtChat"));
    QVERIFY(chatLine);
    QCOMPARE(form.windowTitle(), QStringLiteral("Corvane - Q1AAA Version 1.4.7.3"));

    // A callsign typed into the chat line connects, and the station is spoken phonetically.
    f.voice.spoken.clear();
    QSignalSpy otherSees(other.session.get(), &EchoLinkSession::OnConnected);
    chatLine->setText(QStringLiteral("Q2BBB"));
    QTest::keyClick(chatLine, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(form.roster().connectionCount(), 1, 10000);
    QVERIFY(spokeStarting(f.voice, QStringLiteral("Quebec Two Bravo Bravo Bravo")));
    QTRY_COMPARE_WITH_TIMEOUT(otherSees.count(), 1, 5000);

    // Its chat is logged and spoken.
    other.session->SendChatText(QStringLiteral("hello Corvane"));
    QTRY_VERIFY_WITH_TIMEOUT(hasRecord(form, QStringLiteral("RxText"), QStringLiteral("Q2BBB>hello Corvane")), 5000);
    QVERIFY(spokeStarting(f.voice, QStringLiteral("<volume level=\"80\">hello Corvane")));

    // Enter sends chat that the other node receives.
    QSignalSpy otherHears(other.session.get(), &EchoLinkSession::OnChatTextReceived);
    chatLine->setText(QStringLiteral("fine business"));
    QTest::keyClick(chatLine, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(otherHears.count(), 1, 5000);
    QCOMPARE(otherHears.at(0).at(0).toString(), QStringLiteral("Q1AAA>fine business"));

    // Space in the empty chat line keys the transmitter; the tone arrives.
    chatLine->clear();
    QTest::keyClick(chatLine, Qt::Key_Space);
    QVERIFY(session.Transmitting());
    QTRY_VERIFY_WITH_TIMEOUT(other.session->Receiving(), 3000);
    QTest::qWait(2300);
    f.clock.advance(300); // the window clears the first Space from the chat line on a timer
    QTest::keyClick(chatLine, Qt::Key_Space);
    QTRY_VERIFY_WITH_TIMEOUT(!session.Transmitting(), 3000);
    other.stop();
    QString error;
    const auto received = WavFile::read(other.outputWav(), &error);
    QVERIFY2(received, qPrintable(error));
    QVERIFY2(shareOfEnergy(*received, 700) > 0.9, qPrintable(QString::number(shareOfEnergy(*received, 700))));
    own.stop();
}

// Ctrl+L, part of the other callsign typed into the directory, the one match heard, Enter: the QSO.
void TestNodeEndToEnd::operatorFindsTheStationInTheDirectoryAndConnects()
{
    const auto folder = scratchFolder();
    QTemporaryDir& dir = *folder;
    TwoNodes nodes(dir);
    NodeProcess& other = nodes.other;

    FormFixture f;
    SocketSession session;
    session.setServerPath(nodes.own.socketPath());
    TmainForm form(MainFormServices { &session, &f.voice, &f.clock, &f.platform, &f.power, {} });
    form.startUp().FormCreate();
    f.clock.advance(4000);
    QVERIFY(form.lifecycle().settingsLoaded());
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* chatLine = form.findChild<QLineEdit*>(QStringLiteral("edtChat"));
    QVERIFY(chatLine);
    chatLine->setFocus();
    f.voice.spoken.clear();

    QTest::keyClick(chatLine, Qt::Key_L, Qt::ControlModifier);
    DirectoryWindow* window = form.directoryWindow();
    QVERIFY(window);
    QVERIFY(QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }));
    // The node's list from the directory: both stations, as they logged in.
    QCOMPARE(window->matchCount(), 2);
    QVERIFY2(f.voice.texts().contains(QStringLiteral("Station directory. 2 stations")),
             qPrintable(f.voice.texts().join(QStringLiteral(" | "))));

    f.voice.spoken.clear();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("2bb"));
    QCOMPARE(window->matchCount(), 1);
    const QString row = Phonetics::callSignSpeechText(QStringLiteral("Q2BBB"), QString()).trimmed()
        + QStringLiteral(". Loopback");
    const QStringList heard = f.voice.texts();
    QVERIFY2(heard.size() >= 2 && heard.mid(heard.size() - 2) == (QStringList { QStringLiteral("1 match"), row }),
             qPrintable(heard.join(QStringLiteral(" | "))));

    f.voice.spoken.clear();
    QSignalSpy otherSees(other.session.get(), &EchoLinkSession::OnConnected);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(form.roster().connectionCount(), 1, 10000);
    QVERIFY(!window->isVisible());
    QVERIFY(spokeStarting(f.voice, QStringLiteral("Quebec Two Bravo Bravo Bravo")));
    QTRY_COMPARE_WITH_TIMEOUT(otherSees.count(), 1, 5000);
    QCOMPARE(otherSees.at(0).at(0).toString(), QStringLiteral("Q1AAA"));
}

QTEST_MAIN(TestNodeEndToEnd)
#include "TestNodeEndToEnd.moc"
