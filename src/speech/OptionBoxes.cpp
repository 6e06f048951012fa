// The three speech-option boxes: each keeps its mirror switch, confirms the change aloud and sends the
// focus home. They run whenever the box changes state, by hand, by the settings or by a command.
#include "app/MainForm.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

QWidget* TmainForm::homeControl() const
{
    return state.IsConnected ? static_cast<QWidget*>(bTxRx) : static_cast<QWidget*>(edtChat);
}

void TmainForm::focusHomeControl()
{
    homeControl()->setFocus(Qt::OtherFocusReason);
}

void TmainForm::SpeakCheckBoxClick()
{
    state.SpeakMessage = SpeakCheckBox->isChecked();
    SpeakToMeNow(state.SpeakMessage ? QStringLiteral("Speak Messages Active") : QStringLiteral("Speak Messages Off"));
    focusHomeControl();
}

void TmainForm::ButtonAnnounceCheckBoxClick()
{
    state.ButtonAnnounce = ButtonAnnounceCheckBox->isChecked();
    SpeakToMeNow(state.ButtonAnnounce ? QStringLiteral("Button Speak Active") : QStringLiteral("Button Speak Off"));
    focusHomeControl();
    // With announcements off the home control stays silent, so say where the focus went.
    if (!state.ButtonAnnounce)
        SpeakToMeNow(state.IsConnected ? QStringLiteral("TR") : QStringLiteral(" "));
}

void TmainForm::KeySpeakCheckBoxClick()
{
    state.KeyboardSpeak = KeySpeakCheckBox->isChecked();
    SpeakToMeNow(state.KeyboardSpeak ? QStringLiteral("Keyboard Speak Active") : QStringLiteral("Keyboard Speak Off"));
    focusHomeControl();
}
