#include "account/AccountDialog.h"

#include "speech/Announcer.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace {

QLineEdit* field(QWidget* parent, const char* objectName, const QString& name, const QString& description)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(objectName));
    edit->setAccessibleName(name);
    edit->setAccessibleDescription(description);
    return edit;
}

} // namespace

AccountDialog::AccountDialog(Announcer& announcer, QString path, QWidget* parent)
    : QDialog(parent)
    , m_announcer(announcer)
    , m_path(std::move(path))
{
    setObjectName(QStringLiteral("AccountDialog"));
    setWindowTitle(QStringLiteral("EchoLink Account"));
    setAccessibleName(QStringLiteral("EchoLink account"));
    setAccessibleDescription(QStringLiteral("The callsign and password the EchoLink node logs in with"));

    m_callsign = field(this, "edtAccountCallsign", QStringLiteral("Callsign"),
                       QStringLiteral("Your callsign as validated by EchoLink"));
    m_callsign->setMaxLength(10);
    m_callsign->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z0-9/-]*")), m_callsign));
    m_password = field(this, "edtAccountPassword", QStringLiteral("Password"),
                       QStringLiteral("Your EchoLink password; it is never shown or spoken"));
    m_password->setEchoMode(QLineEdit::Password);
    m_name = field(this, "edtAccountName", QStringLiteral("Name"), QStringLiteral("Your name, sent to stations"));
    m_location = field(this, "edtAccountLocation", QStringLiteral("Location"),
                       QStringLiteral("Shown in the directory, at most 27 characters; the count is spoken as you "
                                      "type"));
    m_location->setMaxLength(AccountFile::MaxLocationChars);
    m_locationCount = new QLabel(this);
    m_locationCount->setObjectName(QStringLiteral("lblAccountLocationCount"));
    m_locationCount->setAccessibleName(QStringLiteral("Location characters"));
    m_locationCount->setTextFormat(Qt::PlainText);
    m_info = new QPlainTextEdit(this);
    m_info->setObjectName(QStringLiteral("edtAccountInfo"));
    m_info->setAccessibleName(QStringLiteral("Station information"));
    m_info->setAccessibleDescription(QStringLiteral("Sent to stations when they connect; Tab leaves it"));
    m_info->setTabChangesFocus(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Callsign:"), m_callsign);
    form->addRow(QStringLiteral("&Password:"), m_password);
    form->addRow(QStringLiteral("&Name:"), m_name);
    form->addRow(QStringLiteral("&Location:"), m_location);
    form->addRow(QString(), m_locationCount);
    form->addRow(QStringLiteral("Station &information:"), m_info);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Save)->setObjectName(QStringLiteral("btnAccountSave"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btnAccountCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &AccountDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AccountDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(m_location, &QLineEdit::textEdited, this, &AccountDialog::locationEdited);
}

QString AccountDialog::locationCountText(int used)
{
    return QStringLiteral("%1 of %2 characters").arg(used).arg(AccountFile::MaxLocationChars);
}

void AccountDialog::locationEdited()
{
    const QString count = locationCountText(static_cast<int>(m_location->text().size()));
    m_locationCount->setText(count);
    m_announcer.SpeakToMeNowPurge(count);
}

void AccountDialog::present()
{
    QString error;
    const auto account = AccountFile::load(m_path, &error);
    const AccountFile::Account values = account.value_or(AccountFile::Account {});
    m_callsign->setText(values.callsign);
    m_password->setText(values.password);
    m_name->setText(values.name);
    m_location->setText(values.location.left(AccountFile::MaxLocationChars));
    m_locationCount->setText(locationCountText(static_cast<int>(m_location->text().size())));
    m_info->setPlainText(values.info);
    show();
    raise();
    activateWindow();
    m_callsign->setFocus(Qt::OtherFocusReason);
    m_announcer.SpeakToMeNowPurge(account ? QStringLiteral("EchoLink account") : error);
}

AccountFile::Account AccountDialog::account() const
{
    return { m_callsign->text().trimmed().toUpper(), m_password->text(), m_name->text().trimmed(),
             m_location->text().trimmed(), m_info->toPlainText() };
}

void AccountDialog::accept()
{
    QString error;
    if (!AccountFile::save(m_path, account(), &error)) {
        m_announcer.SpeakToMeNowPurge(error);
        return;
    }
    m_announcer.SpeakToMeNowPurge(QStringLiteral("Account saved. The EchoLink node uses it when it next starts"));
    QDialog::accept();
}
