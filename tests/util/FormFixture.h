#pragma once

#include "platform/Clock.h"
#include "app/MainForm.h"
#include "mock/FakePlatform.h"
#include "mock/FakeSession.h"
#include "mock/FakeVoice.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <memory>

// A window on fake EchoLink, voice, desktop and a virtual clock, with its documents in a fresh folder.
struct FormFixture
{
    QTemporaryDir home;
    FakeSession session;
    FakeVoice voice;
    FakePlatform platform;
    VirtualClock clock;
    std::unique_ptr<TmainForm> form;

    FormFixture()
    {
        platform.documents = home.path() + QStringLiteral("/Documents");
        QDir().mkpath(platform.documents);
        form = std::make_unique<TmainForm>(MainFormServices { &session, &voice, &clock, &platform });
    }

    QString documentsFile(const QString& name) const
    {
        return platform.documents + QStringLiteral("/EchoLink/") + name;
    }

    // Runs the start-up up to the end of the start-up timer, with settings taken from the file if one was written.
    void startUp()
    {
        form->FormCreate();
        form->show();
        clock.advance(4000);
    }

    QStringList chatLines() const { return form->redtChat->toPlainText().split(QLatin1Char('\n')); }
    QString lastChatLine() const { return chatLines().constLast(); }
};
