#include "account/AccountDialog.h"

#include "DirectoryClient.h"
#include "account/AccountFile.h"
#include "platform/Clock.h"
#include "speech/Announcer.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QAudioSource>
#include <QBuffer>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMediaDevices>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <numbers>

namespace {

const QString DefaultDevice = QStringLiteral("alsa:default");

QString deviceSetting(const QAudioDevice& device, const QAudioDevice& defaultDevice)
{
    if (device.isNull() || device.id() == defaultDevice.id())
        return DefaultDevice;
    return QStringLiteral("alsa:") + QString::fromUtf8(device.id());
}

// The fields a screen reader names, in tab order, with what each is for.
struct Field
{
    const char* objectName;
    const char* name;
    const char* description;
};

} // namespace

AccountDialog::AccountDialog(const AccountDialogParts& parts, QWidget* parent)
    : QDialog(parent)
    , m_parts(parts)
    , m_toneTimer(std::make_unique<Timer>(parts.clock, ToneMs))
    , m_levelTimer(std::make_unique<Timer>(parts.clock, LevelListenMs))
{
    setObjectName(QStringLiteral("AccountDialog"));
    setWindowTitle(QStringLiteral("EchoLink account and audio"));
    build();
    describe();
    listDevices();
    auto* devices = new QMediaDevices(this);
    connect(devices, &QMediaDevices::audioInputsChanged, this, &AccountDialog::listDevices);
    connect(devices, &QMediaDevices::audioOutputsChanged, this, &AccountDialog::listDevices);
    connect(m_toneTimer.get(), &Timer::timeout, this, [this] {
        stopTone();
        say(QStringLiteral("Test tone ended"));
    });
    connect(m_levelTimer.get(), &Timer::timeout, this, &AccountDialog::finishLevel);
}

AccountDialog::~AccountDialog()
{
    stopCheck();
    stopTone();
    if (m_source)
        m_source->stop();
}

void AccountDialog::build()
{
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    // Each label is its field's buddy: screen readers on Linux take a combo box's name from its label.
    const auto label = [this](const QString& text, QWidget* field) {
        auto* made = new QLabel(text, this);
        made->setBuddy(field);
        return made;
    };

    m_callsign = new QLineEdit(this);
    m_callsign->setMaxLength(14);
    form->addRow(label(QStringLiteral("&Callsign"), m_callsign), m_callsign);

    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMaxLength(64);
    form->addRow(label(QStringLiteral("&Password"), m_password), m_password);

    m_name = new QLineEdit(this);
    m_name->setMaxLength(MaxNameChars);
    form->addRow(label(QStringLiteral("&Name"), m_name), m_name);

    m_location = new QLineEdit(this);
    m_location->setMaxLength(MaxLocationChars);
    m_locationCount = new QLabel(locationCountText(0), this);
    auto* locationRow = new QHBoxLayout;
    locationRow->addWidget(m_location, 1);
    locationRow->addWidget(m_locationCount);
    form->addRow(label(QStringLiteral("&Location"), m_location), locationRow);
    connect(m_location, &QLineEdit::textEdited, this, &AccountDialog::locationEdited);
    connect(m_location, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_locationCount->setText(locationCountText(static_cast<int>(text.size())));
        m_location->setAccessibleDescription(
            QStringLiteral("The description the directory shows beside your callsign. %1")
                .arg(locationCountText(static_cast<int>(text.size()))));
    });

    m_info = new QPlainTextEdit(this);
    m_info->setTabChangesFocus(true);
    m_info->setFixedHeight(m_info->fontMetrics().lineSpacing() * 4 + 12);
    form->addRow(label(QStringLiteral("Station &information"), m_info), m_info);

    m_microphone = new QComboBox(this);
    m_level = new QPushButton(QStringLiteral("Microphone le&vel"), this);
    auto* micRow = new QHBoxLayout;
    micRow->addWidget(m_microphone, 1);
    micRow->addWidget(m_level);
    form->addRow(label(QStringLiteral("&Microphone"), m_microphone), micRow);

    m_speaker = new QComboBox(this);
    m_tone = new QPushButton(QStringLiteral("Test &tone"), this);
    auto* speakerRow = new QHBoxLayout;
    speakerRow->addWidget(m_speaker, 1);
    speakerRow->addWidget(m_tone);
    form->addRow(label(QStringLiteral("Spea&ker"), m_speaker), speakerRow);

    m_check = new QPushButton(QStringLiteral("C&heck the login"), this);
    m_result = new QLabel(this);
    m_result->setTextFormat(Qt::PlainText);
    m_result->setObjectName(QStringLiteral("lblCheckResult"));
    auto* checkRow = new QHBoxLayout;
    checkRow->addWidget(m_check);
    checkRow->addWidget(m_result, 1);
    layout->addLayout(checkRow);

    m_save = new QPushButton(QStringLiteral("&Save"), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_save->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);

    connect(m_level, &QPushButton::clicked, this, &AccountDialog::measureMicrophone);
    connect(m_tone, &QPushButton::clicked, this, &AccountDialog::playTestTone);
    connect(m_check, &QPushButton::clicked, this, &AccountDialog::check);
    connect(m_save, &QPushButton::clicked, this, [this] {
        if (save())
            accept();
    });
    connect(m_cancel, &QPushButton::clicked, this, &AccountDialog::reject);
}

void AccountDialog::describe()
{
    const QList<std::pair<QWidget*, Field>> fields {
        { m_callsign,
          { "edtCallsign", "Callsign", "Your callsign as validated by EchoLink; -L for a link, -R for a repeater" } },
        { m_password, { "edtPassword", "Password", "Your EchoLink password; kept in the desktop's secret store" } },
        { m_name, { "edtName", "Name", "Your name, sent to the stations you work" } },
        { m_location, { "edtLocation", "Location", "The description the directory shows beside your callsign" } },
        { m_info,
          { "edtInfo", "Station information",
            "Sent to stations when they connect; several lines. Tab moves on to the next field" } },
        { m_microphone, { "cbMicrophone", "Microphone", "The sound input the node transmits from" } },
        { m_level,
          { "btnMicrophoneLevel", "Microphone level",
            "Listens to the microphone for a moment and says how loud it is; speak into it meanwhile" } },
        { m_speaker, { "cbSpeaker", "Speaker", "The sound output the node plays received stations on" } },
        { m_tone, { "btnTestTone", "Test tone", "Plays a one-second tone on the chosen speaker" } },
        { m_check,
          { "btnCheckLogin", "Check the login",
            "Logs in to the EchoLink directory with this callsign and password and says the result" } },
        { m_save, { "btnSave", "Save", "Saves the account and audio settings and closes" } },
        { m_cancel, { "btnCancel", "Cancel", "Closes without saving" } },
    };
    QWidget* previous = nullptr;
    for (const auto& [widget, field] : fields) {
        widget->setObjectName(QLatin1String(field.objectName));
        widget->setAccessibleName(QLatin1String(field.name));
        widget->setAccessibleDescription(QLatin1String(field.description));
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
    m_location->setAccessibleDescription(
        QStringLiteral("The description the directory shows beside your callsign. %1").arg(locationCountText(0)));
    m_locationCount->setObjectName(QStringLiteral("lblLocationCount"));
    m_locationCount->setAccessibleName(QStringLiteral("Location characters"));
    m_result->setAccessibleName(QStringLiteral("Check result"));
}

void AccountDialog::listDevices()
{
    // Devices plugged in or out while the dialog is open: the lists follow, the choices stay.
    const QString microphone = m_microphone->currentData().toString();
    const QString speaker = m_speaker->currentData().toString();
    m_microphone->clear();
    m_speaker->clear();
    const QAudioDevice defaultIn = QMediaDevices::defaultAudioInput();
    const QAudioDevice defaultOut = QMediaDevices::defaultAudioOutput();
    m_microphone->addItem(QStringLiteral("The desktop's default microphone"), DefaultDevice);
    for (const QAudioDevice& device : QMediaDevices::audioInputs()) {
        if (device.id() != defaultIn.id())
            m_microphone->addItem(device.description(), deviceSetting(device, defaultIn));
    }
    m_speaker->addItem(QStringLiteral("The desktop's default speaker"), DefaultDevice);
    for (const QAudioDevice& device : QMediaDevices::audioOutputs()) {
        if (device.id() != defaultOut.id())
            m_speaker->addItem(device.description(), deviceSetting(device, defaultOut));
    }
    for (auto [box, setting] : { std::pair { m_microphone, microphone }, std::pair { m_speaker, speaker } }) {
        if (setting.isEmpty())
            continue;
        if (box->findData(setting) < 0)
            box->addItem(setting, setting); // not plugged in now: kept as chosen
        box->setCurrentIndex(box->findData(setting));
    }
}

QString AccountDialog::locationCountText(int used)
{
    return QStringLiteral("%1 of %2 characters").arg(used).arg(MaxLocationChars);
}

void AccountDialog::locationEdited()
{
    const int used = static_cast<int>(m_location->text().size());
    // The count is in the field's description at every key; the voice says it when the field is full.
    if (used >= MaxLocationChars) {
        if (!m_locationFullSaid)
            say(QStringLiteral("Location full, %1").arg(locationCountText(used)));
        m_locationFullSaid = true;
    } else {
        m_locationFullSaid = false;
    }
}

void AccountDialog::say(const QString& text)
{
    m_parts.announcer.SpeakToMeNow(text);
}

void AccountDialog::load()
{
    QByteArray text;
    QString error;
    if (!AccountFile::read(m_parts.configPath, &text, &error)) {
        say(error);
        m_result->setText(error);
    }
    const auto field
        = [&](const char* key) { return AccountFile::value(text, QLatin1String(key)).value_or(QString()); };
    m_callsign->setText(field("Callsign"));
    m_name->setText(field("Name"));
    m_location->setText(field("Location").left(MaxLocationChars));
    m_info->setPlainText(field("Info"));
    for (auto [box, key] : { std::pair { m_microphone, "AudioIn" }, std::pair { m_speaker, "AudioOut" } }) {
        const QString setting = field(key);
        if (setting.isEmpty())
            continue;
        int index = box->findData(setting);
        if (index < 0) {
            // A device not plugged in now, or a test file: kept as it is written.
            box->addItem(setting, setting);
            index = box->count() - 1;
        }
        box->setCurrentIndex(index);
    }
    const AccountPassword::Found found = AccountPassword::read(m_parts.secrets, m_callsign->text(), m_parts.configPath);
    m_password->setText(found.password);
    if (!found.problem.isEmpty())
        m_result->setText(found.problem);
    const bool configured = !m_callsign->text().isEmpty() && !found.password.isEmpty();
    if (!found.problem.isEmpty())
        say(found.problem);
    say(configured ? QStringLiteral("EchoLink account and audio set-up for %1.").arg(m_callsign->text())
                   : QStringLiteral("EchoLink account and audio set-up. No account is set up yet: type your "
                                    "callsign, then Tab to each field."));
    m_callsign->setFocus(Qt::OtherFocusReason);
}

QString AccountDialog::infoText() const
{
    QString text = m_info->toPlainText().trimmed();
    return text.left(MaxInfoChars);
}

QAudioDevice AccountDialog::chosenDevice(const QComboBox* box, bool input) const
{
    const QString setting = box->currentData().toString();
    const QAudioDevice fallback = input ? QMediaDevices::defaultAudioInput() : QMediaDevices::defaultAudioOutput();
    if (setting == DefaultDevice)
        return fallback;
    const auto devices = input ? QMediaDevices::audioInputs() : QMediaDevices::audioOutputs();
    for (const QAudioDevice& device : devices) {
        if (QStringLiteral("alsa:") + QString::fromUtf8(device.id()) == setting)
            return device;
    }
    return {};
}

QString AccountDialog::audioSetting(const QComboBox* box) const
{
    const QString setting = box->currentData().toString();
    return setting.isEmpty() ? DefaultDevice : setting;
}

void AccountDialog::check()
{
    const QString callsign = m_callsign->text().trimmed().toUpper();
    if (!AccountFile::isCallsign(callsign)) {
        say(QStringLiteral("Type a callsign before the check"));
        m_callsign->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (m_password->text().isEmpty()) {
        say(QStringLiteral("Type the password before the check"));
        m_password->setFocus(Qt::OtherFocusReason);
        return;
    }
    stopCheck();
    DirectoryClient::Settings settings;
    QStringList servers = m_parts.directoryServers;
    if (servers.isEmpty()) {
        QByteArray text;
        QString error;
        if (AccountFile::read(m_parts.configPath, &text, &error)) {
            for (const QString& server :
                 AccountFile::value(text, QStringLiteral("Servers")).value_or(QString()).split(',')) {
                if (!server.trimmed().isEmpty())
                    servers << server.trimmed();
            }
        }
    }
    if (!servers.isEmpty())
        settings.servers = servers;
    settings.port = m_parts.directoryPort;
    settings.login = { callsign, m_password->text(), m_location->text() };
    settings.listRefreshSeconds = 0;
    m_directory = new DirectoryClient(settings, m_parts.clock, this);
    connect(m_directory, &DirectoryClient::statusChanged, this, [this](DirectoryProtocol::Status status) {
        if (m_checking && status != DirectoryProtocol::Status::Offline)
            finishCheck(LoggedIn);
    });
    connect(m_directory, &DirectoryClient::loginRefused, this, [this](const QString& reason) {
        if (!m_checking)
            return;
        const QString incorrect = QStringLiteral(": incorrect password");
        if (reason.endsWith(incorrect))
            finishCheck(IncorrectPassword);
        else
            finishCheck(QStringLiteral("refused: ") + reason.section(QStringLiteral(": "), 1));
    });
    connect(m_directory, &DirectoryClient::loginFailed, this, [this](const QString&) {
        if (m_checking)
            finishCheck(NoDirectory);
    });
    m_checking = true;
    m_checkResult.clear();
    m_result->setText(QStringLiteral("Checking"));
    say(QStringLiteral("Checking the login with the EchoLink directory"));
    m_directory->setStatus(DirectoryProtocol::Status::Online);
}

void AccountDialog::finishCheck(const QString& result)
{
    m_checking = false;
    m_checkResult = result;
    m_result->setText(result);
    say(result);
    // A check only looks: the station signs off at once (after a login) and asks no more, unless the node
    // holds the same login, which stays as the node set it.
    if (m_directory) {
        const bool keepNodeListed = result == LoggedIn && m_parts.nodeRunning && m_parts.nodeRunning();
        if (keepNodeListed) {
            DirectoryClient* done = m_directory;
            m_directory = nullptr;
            done->disconnect(this);
            done->deleteLater();
        } else {
            m_directory->setStatus(DirectoryProtocol::Status::Offline);
        }
    }
    Q_EMIT checkFinished(result);
}

void AccountDialog::stopCheck()
{
    m_checking = false;
    if (m_directory) {
        m_directory->disconnect(this);
        m_directory->setStatus(DirectoryProtocol::Status::Offline);
        // The sign-off (when logged in) finishes on its own; the client goes after it.
        DirectoryClient* old = m_directory;
        m_directory = nullptr;
        old->setParent(nullptr);
        connect(old, &DirectoryClient::statusChanged, old, &QObject::deleteLater);
        connect(old, &DirectoryClient::loginFailed, old, &QObject::deleteLater);
        if (!old->isLoggedIn())
            old->deleteLater();
    }
}

void AccountDialog::playTestTone()
{
    stopTone();
    const QAudioDevice device = chosenDevice(m_speaker, false);
    if (device.isNull()) {
        say(QStringLiteral("No speaker found: the test tone cannot play"));
        return;
    }
    QAudioFormat format = device.preferredFormat();
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        format.setSampleRate(48000);
    const int rate = format.sampleRate() > 0 ? format.sampleRate() : 48000;
    QByteArray samples(static_cast<qsizetype>(rate) * ToneMs / 1000 * 2, Qt::Uninitialized);
    auto* out = reinterpret_cast<qint16*>(samples.data());
    const qsizetype count = samples.size() / 2;
    for (qsizetype i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        out[i] = static_cast<qint16>(std::lround(8000.0 * std::sin(2.0 * std::numbers::pi * 440.0 * t)));
    }
    m_toneBuffer = new QBuffer(this);
    m_toneBuffer->setData(samples);
    m_toneBuffer->open(QIODevice::ReadOnly);
    m_sink = new QAudioSink(device, format, this);
    say(QStringLiteral("Test tone on %1").arg(m_speaker->currentText()));
    m_sink->start(m_toneBuffer);
    if (m_sink->error() != QAudio::NoError) {
        stopTone();
        say(QStringLiteral("The speaker cannot play the test tone"));
        return;
    }
    m_toneTimer->start();
}

void AccountDialog::stopTone()
{
    m_toneTimer->stop();
    if (m_sink) {
        m_sink->stop();
        m_sink->deleteLater();
        m_sink = nullptr;
    }
    if (m_toneBuffer) {
        m_toneBuffer->deleteLater();
        m_toneBuffer = nullptr;
    }
}

void AccountDialog::measureMicrophone()
{
    if (m_source)
        return;
    const QAudioDevice device = chosenDevice(m_microphone, true);
    if (device.isNull()) {
        say(QStringLiteral("No microphone found"));
        return;
    }
    QAudioFormat format;
    format.setSampleRate(8000);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
        format = device.preferredFormat();
        format.setSampleFormat(QAudioFormat::Int16);
        format.setChannelCount(1);
    }
    m_peak = 0;
    m_source = new QAudioSource(device, format, this);
    m_sourceDevice = m_source->start();
    if (!m_sourceDevice) {
        m_source->deleteLater();
        m_source = nullptr;
        say(QStringLiteral("The microphone cannot be opened"));
        return;
    }
    connect(m_sourceDevice, &QIODevice::readyRead, this, [this] {
        const QByteArray data = m_sourceDevice->readAll();
        const auto* samples = reinterpret_cast<const qint16*>(data.constData());
        for (qsizetype i = 0; i < data.size() / 2; ++i)
            m_peak = qMax(m_peak, std::abs(static_cast<int>(samples[i])));
    });
    say(QStringLiteral("Listening to the microphone; speak now"));
    m_levelTimer->start();
}

void AccountDialog::finishLevel()
{
    m_levelTimer->stop();
    if (m_source) {
        m_source->stop();
        m_source->deleteLater();
        m_source = nullptr;
    }
    if (m_peak <= 0) {
        say(QStringLiteral("Microphone level: silent"));
        return;
    }
    const double dbfs = 20.0 * std::log10(m_peak / 32768.0);
    const int percent = qBound(1, static_cast<int>(std::lround(m_peak * 100.0 / 32768.0)), 100);
    say(QStringLiteral("Microphone level %1 percent, %2 decibels below full scale")
            .arg(percent)
            .arg(static_cast<int>(std::lround(-dbfs))));
}

bool AccountDialog::save()
{
    const QString callsign = m_callsign->text().trimmed().toUpper();
    const auto refuse = [this](QWidget* field, const QString& why) {
        say(why);
        m_result->setText(why);
        field->setFocus(Qt::OtherFocusReason);
        return false;
    };
    if (!AccountFile::isCallsign(callsign))
        return refuse(m_callsign,
                      QStringLiteral("The callsign is not one EchoLink takes: letters and digits, -L or -R after "
                                     "them"));
    const QString password = m_password->text();
    if (password.isEmpty())
        return refuse(m_password, QStringLiteral("Type your EchoLink password"));
    // The directory's login separates its fields with these; the node refuses such a password.
    for (const QChar c : password) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == QChar(0xAC))
            return refuse(m_password, QStringLiteral("The password holds a character the directory cannot take"));
    }
    const QString location = m_location->text().trimmed();
    const QList<AccountFile::Change> changes {
        { QStringLiteral("Callsign"), callsign },
        { QStringLiteral("Name"), m_name->text().trimmed() },
        { QStringLiteral("Location"), location },
        { QStringLiteral("Info"), infoText() },
        { QStringLiteral("AudioIn"), audioSetting(m_microphone) },
        { QStringLiteral("AudioOut"), audioSetting(m_speaker) },
    };
    for (const AccountFile::Change& change : changes) {
        if (!AccountFile::encodedValue(change.key, *change.value))
            return refuse(this, QStringLiteral("%1 holds characters that cannot be saved").arg(change.key));
    }
    QString error;
    if (!AccountFile::write(m_parts.configPath, changes, &error))
        return refuse(this, error);
    const AccountPassword::Saved saved = AccountPassword::save(m_parts.secrets, callsign, password, m_parts.configPath);
    if (saved.place == AccountPassword::Place::Nowhere)
        return refuse(m_password, saved.problem);
    say(saved.place == AccountPassword::Place::SecretStore
            ? QStringLiteral("Account saved; the password is in the desktop's secret store")
            : QStringLiteral("Account saved; no secret store here, so the password is in the private "
                             "configuration file"));
    Q_EMIT this->saved();
    return true;
}

void AccountDialog::reject()
{
    stopCheck();
    stopTone();
    say(QStringLiteral("Account set-up closed"));
    QDialog::reject();
}
