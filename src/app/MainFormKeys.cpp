// The window's side of the key map: the key preview, the edit lines' key presses and what the key map
// asks of the other subsystems.
#include "app/MainForm.h"
#include "app/Settings.h"
#include "chat/CommandDecoder.h"
#include "chat/CommandTable.h"
#include "directory/DirectoryWindow.h"
#include "echolink/ConnectionControl.h"
#include "echolink/SessionLink.h"
#include "echolink/StationRoster.h"
#include "platform/Clock.h"

#include <QLineEdit>
#include <QSlider>
#include <QTextBrowser>

namespace {

QColor toColor(quint32 bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

quint32 fromColor(const QColor& c)
{
    return static_cast<quint32>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

bool within(const QWidget* widget, const QWidget* control)
{
    return widget && control && (widget == control || control->isAncestorOf(widget));
}

} // namespace

void TmainForm::wireKeys()
{
    auto on = [this](Timer& timer, auto handler) {
        connect(&timer, &Timer::timeout, this, [this, handler] { guarded(handler); });
    };
    on(m_keys->checkBoxTimeOut(), [this] { m_keys->TimerCheckBoxTimeOutTimer(); });
    on(m_keys->f9TimeOut(), [this] { m_keys->TimerF9TimeOutTimer(); });
    m_chatLine->setKeyEcho([this](const QString& key) { m_keys->KeyBoardSpeak(key, KeyboardMap::Focus::ChatLine); });
    m_keyPreviewFilter = std::make_unique<KeyPreview>(*this, static_cast<KeyPreviewTarget&>(*this));
}

KeyboardMap::Focus TmainForm::keyFocus(const QWidget* receiver) const
{
    using Focus = KeyboardMap::Focus;
    if (within(receiver, edtChat))
        return Focus::ChatLine;
    if (within(receiver, edtAbsent))
        return Focus::AbsentLine;
    if (within(receiver, redtStation) || within(receiver, redtChat))
        return Focus::TextPane;
    if (within(receiver, TrackBarVolume))
        return Focus::VolumeBar;
    return Focus::Other;
}

bool TmainForm::previewKeyDown(QWidget* receiver, int qtKey, Qt::KeyboardModifiers modifiers)
{
    bool consumed = false;
    guarded([&] { consumed = m_keys->FormKeyDown(qtKey, modifiers, keyFocus(receiver)); });
    return consumed;
}

void TmainForm::keyPress(QWidget* receiver, const QString& character)
{
    switch (keyFocus(receiver)) {
    case KeyboardMap::Focus::ChatLine:
        guarded([&] { m_chatLine->edtChatKeyPress(character); });
        break;
    case KeyboardMap::Focus::AbsentLine:
        guarded([&] { m_away->edtAbsentKeyPress(character.at(0), edtAbsent->text()); });
        break;
    default:
        break;
    }
}

void TmainForm::previewKeyUp(QWidget*)
{
    guarded([this] { m_keys->FormKeyUp(); });
}

// --- what the key map asks of the other subsystems

QString TmainForm::stationPaneText() const
{
    return redtStation->toPlainText();
}

void TmainForm::focusControl(const QString& objectName)
{
    if (QWidget* control = findChild<QWidget*>(objectName))
        control->setFocus(Qt::OtherFocusReason);
}

QString TmainForm::absentLineText() const
{
    return edtAbsent->text();
}

quint32 TmainForm::chatPaneTextColor() const
{
    return fromColor(redtChat->palette().color(QPalette::Text));
}

void TmainForm::setChatPaneTextColor(quint32 bgr)
{
    QPalette palette = redtChat->palette();
    palette.setColor(QPalette::Text, toColor(bgr));
    redtChat->setPalette(palette);
}

// Made at its first use; it follows EchoLink's station list while it is shown.
void TmainForm::openDirectory()
{
    if (!m_directory) {
        m_directory = new DirectoryWindow(
            DirectoryWindowParts {
                *m_announcer,
                [this] { return m_session->StationList(); },
                [this](const QString& call) { guarded([&] { m_connections->DoConnect(call); }); },
                [this] {
                    activateWindow();
                    focusChatLine();
                },
                [this](int button, const QString& call) {
                    guarded([&] { m_memories->StoreCallButton(button, MemoryButtons::sanitizedCaption(call)); });
                },
            },
            this);
        connect(m_session.get(), &EchoLinkSession::OnStationListReceived, m_directory, [this] {
            if (m_directory->isVisible())
                guarded([this] { m_directory->refresh(); });
        });
    }
    m_directory->present();
}
