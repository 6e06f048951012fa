#pragma once

#include "app/ControlTable.h"
#include "app/MainForm.h"
#include "app/Settings.h"
#include "chat/AwayReply.h"
#include "chat/ChatJournal.h"
#include "chat/Panes.h"
#include "echolink/ConnectionControl.h"
#include "echolink/StationRoster.h"
#include "mock/FakePlatform.h"
#include "mock/FakeSession.h"
#include "mock/FakeVoice.h"
#include "platform/Clock.h"
#include "platform/EventLoop.h"
#include "platform/WindowColors.h"
#include "speech/Announcer.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <memory>

// A window on fake EchoLink, voice, desktop and a virtual clock, with its documents in a fresh folder.
// Modal dialogs are recorded by their title instead of blocking.
struct FormFixture
{
    QTemporaryDir home;
    FakeSession session;
    FakeVoice voice;
    FakePlatform platform;
    FakePowerControl power;
    VirtualClock clock;
    QStringList dialogs;
    std::unique_ptr<TmainForm> form;

    // screenReader: the program entry found a screen reader running at start.
    explicit FormFixture(bool screenReader = false)
    {
        platform.documents = home.path() + QStringLiteral("/Documents");
        QDir().mkpath(platform.documents);
        form = std::make_unique<TmainForm>(MainFormServices { &session, &voice, &clock, &platform, &power,
                                                              [this](QDialog& d) { dialogs << d.windowTitle(); },
                                                              screenReader });
    }

    QString documentsFile(const QString& name) const
    {
        return platform.documents + QStringLiteral("/EchoLink/") + name;
    }

    // A settings file for the next start-up.
    void writeSettings(const QByteArray& body) const
    {
        QDir().mkpath(platform.documents + QStringLiteral("/EchoLink"));
        QFile file(documentsFile(QStringLiteral("Corvane.ini")));
        if (!file.open(QIODevice::WriteOnly) || file.write(body) != body.size())
            qFatal("cannot write the settings file");
    }

    // The start as the program entry makes it: the start-up inside the exception guard, then the window
    // shown, and activated as a desktop activates a new window. The start-up timer has not fired yet.
    bool startLikeTheProgram()
    {
        form->guarded([this] { form->startUp().FormCreate(); });
        form->show();
        form->activateWindow();
        return QTest::qWaitForWindowActive(form.get());
    }

    // Runs the start-up up to the end of the start-up timer, with settings taken from the file if one was written.
    void startUp()
    {
        form->startUp().FormCreate();
        form->show();
        clock.advance(4000);
    }

    // A control of the window by its object name.
    template<class W = QWidget> W* widget(const QString& name) const
    {
        W* found = form->findChild<W*>(name);
        if (!found)
            qFatal("no control named %s", qPrintable(name));
        return found;
    }
    // Memory button n, 1..40.
    QPushButton* memory(int n) const { return widget<QPushButton>(memoryButtonName(n)); }

    QStringList chatLines() const
    {
        return widget<QTextBrowser>(QStringLiteral("redtChat"))->toPlainText().split(QLatin1Char('\n'));
    }
    QString lastChatLine() const { return chatLines().constLast(); }
    QString timeText() const { return timeOfDayText(clock); }
};
