#pragma once

#include <QString>
#include <optional>

// The EchoLink account in the node's configuration file ($XDG_CONFIG_HOME/corvane/echolink.conf), as the
// set-up dialog reads and writes it. Only the account's own keys are touched: every other line (comments,
// servers, audio, alarms) stays exactly as the operator wrote it, so the file keeps working by hand.
namespace AccountFile {

constexpr int MaxLocationChars = 27;

struct Account
{
    QString callsign;
    QString password;
    QString name;
    QString location; // the directory description, at most MaxLocationChars
    QString info; // the station information; line breaks as typed ("\n" in the file)

    bool operator==(const Account&) const = default;
};

// Where the node looks for it: $XDG_CONFIG_HOME/corvane/echolink.conf, else ~/.config/corvane/echolink.conf.
QString defaultPath();

// The account's values in a file's text; keys that are absent read as empty.
Account read(const QString& text);
// The text with the account's keys set: each replaced where it stands, the missing ones appended.
// A value never breaks its line, whatever it holds.
QString update(const QString& text, const Account& account);

// Reads the file; an absent file is an empty account. nullopt, with the reason, when it cannot be read.
std::optional<Account> load(const QString& path, QString* error);
// Writes the account into the file (made with its folder when absent), readable by the owner only, and
// replaces the old file in one step. False, with the reason, when it cannot.
bool save(const QString& path, const Account& account, QString* error);

} // namespace AccountFile
