#pragma once

#include "account/AccountFile.h"

#include <QDialog>

class Announcer;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

// The EchoLink account set-up, worked by keyboard and by ear: callsign, password, name, location (counted as
// it is typed, 27 characters at most) and station information, saved into the node's configuration file.
// Every field is named and described for a screen reader; Save and the counter speak.
class AccountDialog : public QDialog
{
    Q_OBJECT
public:
    AccountDialog(Announcer& announcer, QString path, QWidget* parent = nullptr);

    // Reads the file into the fields, shows the dialog with the focus on the callsign and says what it is.
    void present();
    // The spoken and shown count of the location field.
    static QString locationCountText(int used);

    AccountFile::Account account() const;
    void accept() override;

private:
    void locationEdited();

    Announcer& m_announcer;
    QString m_path;
    QLineEdit* m_callsign;
    QLineEdit* m_password;
    QLineEdit* m_name;
    QLineEdit* m_location;
    QLabel* m_locationCount;
    QPlainTextEdit* m_info;
};
