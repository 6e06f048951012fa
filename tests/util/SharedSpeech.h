#pragma once

#include "app/MainForm.h"
#include "mock/FakePlatform.h"
#include "mock/FakeSession.h"
#include "platform/Clock.h"
#include "speech/QueuedVoice.h"
#include "speech/SpeechdEngine.h"
#include "util/SpeechServer.h"
#include "util/SsipClient.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

// Corvane's window with its real speech-dispatcher voice on a service of its own, and a second client of
// that service playing the screen reader; fake EchoLink, desktop and clock.
// About four seconds at the module's pace: long enough for keys, Tabs and events to arrive meanwhile.
inline const QString ReaderSentence
    = QStringLiteral("screen reader describing the window title and the list of controls of the main window");

struct SharedSpeech
{
    SpeechServer server;
    QTemporaryDir home;
    FakeSession session;
    FakePlatform platform;
    FakePowerControl power;
    VirtualClock clock;
    std::unique_ptr<Voice> voice;
    std::unique_ptr<TmainForm> form;
    SsipClient reader;

    // With a screen reader found, the operator takes Corvane's own echo back (F8) unless told otherwise, as
    // one who wants Corvane's key echo beside the screen reader's does.
    explicit SharedSpeech(bool screenReader, bool takeEchoBack = true)
    {
        qputenv("SPEECHD_ADDRESS", server.address());
        auto engine = std::make_unique<SpeechdEngine>();
        engine->setScreenReaderRunning(screenReader);
        voice = std::make_unique<QueuedVoice>(std::move(engine));
        platform.documents = home.path() + QStringLiteral("/Documents");
        QDir().mkpath(platform.documents);
        form = std::make_unique<TmainForm>(
            MainFormServices { &session, voice.get(), &clock, &platform, &power, [](QDialog&) {}, screenReader });
        form->startUp().FormCreate();
        form->show();
        clock.advance(4000);
        if (screenReader && takeEchoBack) {
            chatLine()->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(chatLine(), Qt::Key_F8);
        }
        reader.open(server.socketPath());
    }

    template<class W = QWidget> W* widget(const char* name) const { return form->findChild<W*>(QLatin1String(name)); }
    QLineEdit* chatLine() const { return widget<QLineEdit>("edtChat"); }
    void keyEchoOn() const { widget<QCheckBox>("KeySpeakCheckBox")->setChecked(true); }
    void typeIntoChatLine(const QString& text) const
    {
        chatLine()->setFocus(Qt::OtherFocusReason);
        for (QChar c : text)
            QTest::keyClick(chatLine(), c.toLatin1());
    }
    // The screen reader starts speaking; returns its message once the module has begun it.
    int readerSpeaks()
    {
        const int id = reader.say(ReaderSentence);
        reader.waitFor(id, 701, 10000);
        return id;
    }
    // Waits until the speech so far has been said: the module's log has stood still a while after an end
    // (a text cut off leaves no end, so a longer stillness will do as well).
    void quiet() const
    {
        int still = 0;
        auto last = server.lines();
        for (int waited = 0; waited < 30000; waited += 100) {
            QTest::qWait(100);
            const auto now = server.lines();
            still = now.size() == last.size() ? still + 100 : 0;
            last = now;
            const bool ended = !now.isEmpty() && !now.constLast().begin;
            if ((ended && still >= 1000) || still >= 6000)
                return;
        }
    }
};
