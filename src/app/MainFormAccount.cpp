// The EchoLink account and audio set-up, opened by Ctrl+O and offered (spoken) at start when no account is set up.

#include "account/AccountDialog.h"
#include "account/AccountFile.h"
#include "app/MainForm.h"
#include "platform/Processes.h"
#include "speech/Announcer.h"

AccountDialog* TmainForm::accountDialog() const
{
    return m_accountDialog;
}

void TmainForm::openAccountSetup()
{
    if (!m_accountSecrets)
        m_accountSecrets = std::make_unique<AccountPassword::DesktopSecretStore>();
    if (m_accountDialog) {
        // Already open: brought forward as it is, with what the operator typed so far.
        m_accountDialog->raise();
        m_accountDialog->activateWindow();
        return;
    }
    m_accountDialog
        = new AccountDialog(AccountDialogParts { *m_announcer,
                                                 *m_services.clock,
                                                 *m_accountSecrets,
                                                 AccountFile::defaultPath(),
                                                 {},
                                                 5200,
                                                 [] { return processExists(QStringLiteral("corvane-echolinkd")); } },
                            this);
    m_accountDialog->setAttribute(Qt::WA_DeleteOnClose);
    // The operator comes back to the chat line, as from every other window of Corvane.
    connect(m_accountDialog, &QDialog::finished, this, [this] {
        activateWindow();
        focusChatLine();
    });
    // Window-modal, without a nested event loop: the window's timers and EchoLink's events go on.
    m_accountDialog->open();
    m_accountDialog->raise();
    m_accountDialog->activateWindow();
    guarded([this] { m_accountDialog->load(); });
}

void TmainForm::offerAccountSetup()
{
    if (!m_accountSecrets)
        m_accountSecrets = std::make_unique<AccountPassword::DesktopSecretStore>();
    if (AccountPassword::namesStation(*m_accountSecrets, AccountFile::defaultPath()))
        return;
    // Said, not opened: a window that took the keyboard by itself seconds after the start would catch keys
    // meant for the chat line and transmit.
    m_announcer->SpeakToMeNow(AccountDialog::StartOffer);
}
