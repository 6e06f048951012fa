#pragma once

#include "account/AccountPassword.h"

#include <QAudioDevice>
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

class Announcer;
class Clock;
class DirectoryClient;
class QAudioSink;
class QAudioSource;
class QBuffer;
class QComboBox;
class QIODevice;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class Timer;

// What the set-up dialog works with. The window passes its own announcer and clock.
struct AccountDialogParts
{
    Announcer& announcer;
    Clock& clock;
    AccountPassword::SecretStore& secrets;
    QString configPath;
    // The directory servers the check logs in to; empty: the file's Servers= or the EchoLink network's own.
    QStringList directoryServers;
    quint16 directoryPort = 5200;
    // Whether the node is on the air with this account now: then a check that logged in does not sign off,
    // which would hide the running station from the directory until its next registration.
    std::function<bool()> nodeRunning;
};

// The EchoLink account and the node's audio, set up in the window (Ctrl+O): callsign, password, name,
// location (at most 27 characters, counted as typed), station information, microphone and speaker from
// the devices Qt Multimedia lists, a test tone and a spoken microphone level, and a check that logs in to
// the directory. Every field is named and described for screen readers; every step speaks.
// Saving writes the account file (keeping what the operator wrote by hand) and the password to the
// desktop's secret store, or to the file where there is none.
class AccountDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int MaxLocationChars = 27;
    static constexpr int MaxNameChars = 64;
    static constexpr int MaxInfoChars = 2048;
    static constexpr int LevelListenMs = 1500;
    static constexpr int ToneMs = 1000;

    explicit AccountDialog(const AccountDialogParts& parts, QWidget* parent = nullptr);
    ~AccountDialog() override;

    // Fills the fields from the file and the password from where it is kept, and says what the dialog is.
    void load();

    // The texts spoken and shown.
    static QString locationCountText(int used);
    // Said at start while no account is set up.
    static inline const QString StartOffer = QStringLiteral(
        "No EchoLink account is set up, so Corvane works with the stand-in. Press Control O to set one up.");
    static inline const QString LoggedIn = QStringLiteral("logged in");
    static inline const QString IncorrectPassword = QStringLiteral("incorrect password");
    static inline const QString NoDirectory = QStringLiteral("no directory reachable");

    // The last result of the check ("logged in", "incorrect password", "no directory reachable",
    // "refused: ..."), empty while none has come.
    QString checkResult() const { return m_checkResult; }
    bool isChecking() const { return m_checking; }

    // Starts the check, the tone, the level; saves. Each also runs from its button.
    void check();
    void playTestTone();
    void measureMicrophone();
    bool save();

Q_SIGNALS:
    void checkFinished(const QString& result);
    void saved();

protected:
    void reject() override;

private:
    void build();
    void describe();
    void listDevices();
    void locationEdited();
    void say(const QString& text);
    void finishCheck(const QString& result);
    void stopCheck();
    void stopTone();
    void finishLevel();
    QAudioDevice chosenDevice(const QComboBox* box, bool input) const;
    QString audioSetting(const QComboBox* box) const;
    QString infoText() const;

    AccountDialogParts m_parts;

    QLineEdit* m_callsign = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_location = nullptr;
    QLabel* m_locationCount = nullptr;
    QPlainTextEdit* m_info = nullptr;
    QComboBox* m_microphone = nullptr;
    QPushButton* m_level = nullptr;
    QComboBox* m_speaker = nullptr;
    QPushButton* m_tone = nullptr;
    QPushButton* m_check = nullptr;
    QLabel* m_result = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_cancel = nullptr;

    DirectoryClient* m_directory = nullptr;
    bool m_checking = false;
    QString m_checkResult;
    bool m_locationFullSaid = false;

    QAudioSink* m_sink = nullptr;
    QBuffer* m_toneBuffer = nullptr;
    std::unique_ptr<Timer> m_toneTimer;
    QAudioSource* m_source = nullptr;
    QPointer<QIODevice> m_sourceDevice;
    int m_peak = 0;
    std::unique_ptr<Timer> m_levelTimer;
};
