// Corvane beside a screen reader on one real speech-dispatcher (started here, with its own socket and a
// stand-in output module that takes a real voice's time and logs each text's begin and end), with a
// second client playing the screen reader: after each Tab it cancels its own speech and describes the
// new control, as a screen reader does.
//   1. Tab delay: from the Tab to the moment the screen reader's description begins (target < 1 s), and
//      how often Corvane's own focus echo was heard as well (said twice).
//   2. A scripted QSO with typing: stations arrive and leave, chat arrives, while the operator types with
//      key echo on, deletes and moves with Tab. Counted: station events cut off or never spoken (target 0).
// Run: QT_QPA_PLATFORM=offscreen bench_shared_speech [tabs]
#include "util/SharedSpeech.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Mode
{
    const char* name;
    bool screenReader;
    bool takeEchoBack;
};

constexpr Mode Modes[] = {
    { "screen reader found, echo left to it (default)", true, false },
    { "screen reader found, Corvane's echo taken back (F8)", true, true },
    { "screen reader running but not found", false, false },
};

QString descriptionOf(const QWidget* w)
{
    const QString name = w ? w->accessibleName() : QString();
    return (name.isEmpty() ? QStringLiteral("control") : name) + QStringLiteral(" push button focused");
}

// Corvane's own texts in the module's log (everything the screen reader did not say) that were heard:
// spoken to their end, or for at least 300 ms before the next text cut them off.
int corvaneTextsHeard(const SpeechServer& server)
{
    const QList<SpeechServer::Line> lines = server.lines();
    int n = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].begin || lines[i].text.contains(QStringLiteral("focused")))
            continue;
        const bool ended = std::any_of(lines.begin() + i + 1, lines.end(), [&](const SpeechServer::Line& later) {
            return !later.begin && later.text == lines[i].text;
        });
        const bool cutSoon
            = i + 1 < lines.size() && lines[i + 1].begin && lines[i + 1].seconds - lines[i].seconds < 0.3;
        n += ended || !cutSoon ? 1 : 0;
    }
    return n;
}

void tabDelay(const Mode& mode, int tabs)
{
    SharedSpeech s(mode.screenReader, mode.takeEchoBack);
    s.chatLine()->setFocus(Qt::OtherFocusReason);
    s.quiet();
    std::vector<double> delays;
    int saidTwice = 0;
    for (int i = 0; i < tabs; ++i) {
        const int before = corvaneTextsHeard(s.server);
        const auto pressed = Clock::now();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::qWait(30); // the screen reader hears of the focus through the accessibility bus
        s.reader.cancel();
        const int id = s.reader.say(descriptionOf(QApplication::focusWidget()));
        const auto began = s.reader.waitFor(id, 701, 20000);
        delays.push_back(began ? ms(*began - pressed) : 20000.0);
        s.reader.waitForOutcome(id, 20000);
        s.quiet();
        const bool twice = corvaneTextsHeard(s.server) > before;
        saidTwice += twice ? 1 : 0;
        if (twice && qEnvironmentVariableIsSet("BENCH_VERBOSE")) {
            for (const SpeechServer::Line& line : s.server.lines())
                std::printf("    %.3f %s %s\n", line.seconds, line.begin ? "begin" : "end  ", qPrintable(line.text));
        }
    }
    std::sort(delays.begin(), delays.end());
    std::printf("  %-52s median %6.0f ms  max %6.0f ms  focus heard from Corvane too: %d of %d\n", mode.name,
                delays[delays.size() / 2], delays.back(), saidTwice, tabs);
}

void typeKeys(SharedSpeech& s, const QString& keys)
{
    for (QChar c : keys) {
        QTest::keyClick(s.chatLine(), c.toLatin1());
        s.reader.cancel(); // the screen reader's own key echo
        s.reader.say(QString(c));
        QTest::qWait(150);
    }
}

void tabAround(SharedSpeech& s, int tabs)
{
    for (int i = 0; i < tabs; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::qWait(30);
        s.reader.cancel();
        s.reader.say(descriptionOf(QApplication::focusWidget()));
        QTest::qWait(300);
    }
    s.chatLine()->setFocus(Qt::TabFocusReason);
}

void scriptedQso(const Mode& mode)
{
    SharedSpeech s(mode.screenReader, mode.takeEchoBack);
    s.keyEchoOn();
    s.quiet();
    s.server.clearLog();
    // What the stations do, each heard in full or counted as cut.
    const QStringList events { QStringLiteral("Quebec Two Charlie Delta"),
                               QStringLiteral("good morning from the lake shore"),
                               QStringLiteral("Quebec Three Echo Foxtrot"), QStringLiteral("the weather is fine here"),
                               QStringLiteral("has disconnected from conference") };
    s.session.raiseConnected(QStringLiteral("Q2CD"), QStringLiteral("Ann"), QStringLiteral("10.0.0.2"));
    s.chatLine()->setFocus(Qt::OtherFocusReason);
    typeKeys(s, QStringLiteral("hi ann"));
    QTest::keyClick(s.chatLine(), Qt::Key_Backspace);
    s.session.raiseChatTextReceived(QStringLiteral("Q2CD>good morning from the lake shore"));
    typeKeys(s, QStringLiteral("n good"));
    QTest::keyClick(s.chatLine(), Qt::Key_Backspace);
    QTest::keyClick(s.chatLine(), Qt::Key_Backspace);
    tabAround(s, 3);
    s.session.raiseConnected(QStringLiteral("Q3EF"), QStringLiteral("Bo"), QStringLiteral("10.0.0.3"));
    typeKeys(s, QStringLiteral("welcome"));
    s.session.raiseChatTextReceived(QStringLiteral("Q3EF>the weather is fine here"));
    tabAround(s, 2);
    typeKeys(s, QStringLiteral("bye"));
    QTest::keyClick(s.chatLine(), Qt::Key_Backspace);
    s.session.raiseDisconnected(QStringLiteral("Q2CD"));
    typeKeys(s, QStringLiteral("ok"));
    s.quiet();
    QTest::qWait(3000);
    s.quiet();
    int cut = 0;
    QStringList which;
    for (const QString& event : events) {
        if (s.server.ended(event) == 0) {
            ++cut;
            which << (s.server.begun(event) ? event + QStringLiteral(" (cut off)")
                                            : event + QStringLiteral(" (dropped)"));
        }
    }
    std::printf("  %-52s station events cut: %d of %lld%s%s\n", mode.name, cut, static_cast<long long>(events.size()),
                cut ? ": " : "", qPrintable(which.join(QStringLiteral(", "))));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (!SpeechServer::available()) {
        std::printf("speech-dispatcher with its generic module is not installed\n");
        return 1;
    }
    const int tabs = argc > 1 ? std::max(1, atoi(argv[1])) : 12;
    std::printf("Delay from Tab until the screen reader's description begins (%d Tabs):\n", tabs);
    for (const Mode& mode : Modes)
        tabDelay(mode, tabs);
    std::printf("Scripted QSO with typing, key echo on, the screen reader echoing keys and focus:\n");
    for (const Mode& mode : Modes)
        scriptedQso(mode);
    return 0;
}
