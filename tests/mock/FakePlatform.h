#pragma once

#include "platform/Platform.h"
#include "platform/PowerControl.h"

#include <QList>
#include <QStringList>

// A desktop that starts nothing and plays nothing. processExists answers from a script: each check takes
// the next answer, and the last answer repeats.
class FakePlatform : public Platform
{
public:
    QList<bool> processAnswers { true };
    int processChecks = 0;
    QStringList started;
    QStringList opened;
    QStringList sounds;
    int beeps = 0;
    QString documents;
    QString programFiles = QStringLiteral("/opt/programfiles");

    bool processExists(const QString&) override
    {
        const int index = std::min<int>(processChecks, static_cast<int>(processAnswers.size()) - 1);
        ++processChecks;
        return processAnswers.value(index, false);
    }
    void startProgram(const QString& path) override { started << path; }
    QString documentsFolder() override { return documents; }
    QString programFilesFolder() override { return programFiles; }
    void beep() override { ++beeps; }
    void openUrl(const QString& url) override { opened << url; }
    void playSound(const QString& wavPath) override { sounds << wavPath; }
};

// Records every power-off request and switches nothing off.
class FakePowerControl : public PowerControl
{
public:
    QList<int> requests;
    bool accept = true;
    bool powerOff(int mode) override
    {
        requests << mode;
        return accept;
    }
};
