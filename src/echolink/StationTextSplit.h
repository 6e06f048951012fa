#pragma once
// Station text as EchoLink sends it for the connected station or conference: an information head, then, after
// the first ">", the line of the station talking now (up to and including its carriage return) and the rest.
// The parts are shown as plain text only: they come from other stations.

#include <QString>
#include <QStringList>

namespace StationText {

// What lblTalkingNow shows before the talker.
inline const QString TalkingNowCaption = QStringLiteral(" Station Now Talking    > ");
// What the station pane's last line begins with.
inline const QString TalkingNowPaneLabel = QStringLiteral(" Station Now Talking ");

struct Split
{
    bool hasTalker = false; // the text holds a ">"
    // Without a ">": the whole text. With one: the text before it less the one character just before it, so a
    // CR LF ending the head keeps its CR; empty when the ">" is the first or second character.
    QString head;
    // After the ">" up to and including the first carriage return; empty when none follows.
    QString talkerLine;
    // What follows the talker line; everything after the ">" when no carriage return follows it.
    QString rest;

    // The talking-now label's caption: TalkingNowCaption and the talker line from its second character.
    // Empty without a talker.
    QString talkingNowCaption() const;
    // Panel 1 of the status bar: the talker line from its second character. Empty without a talker.
    QString statusText() const;
    // The station pane's lines, in the order AppendStationLine writes them.
    QStringList paneLines() const;
};

Split split(const QString& text);

} // namespace StationText
