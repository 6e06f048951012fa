#pragma once

#include "chat/Panes.h"

#include <QObject>

class QTextBrowser;

// The chat and station panes of the window.
class ChatPanes : public QObject, public Panes
{
    Q_OBJECT
public:
    ChatPanes(QTextBrowser* chat, QTextBrowser* station, QObject* parent = nullptr);

    void AppendChatLine(const QString& line) override;
    void AppendChatLineAtCaret(const QString& line) override;
    void AddChatLineQuietly(const QString& line) override;
    void AppendStationLine(const QString& line) override;
    void clearStationPane() override;
    void clearBothPanes() override;

    // The most characters of one line a pane shows.
    static constexpr qsizetype MaxShownLineLength = 4000;
    // Where the rest of a cut line can still be read.
    enum class Rest
    {
        InChatLog, // chat text, which the chat log keeps whole
        NotShown, // station text and labels, which nothing keeps
    };
    // The part of a line a pane or label shows: the whole line, or its first MaxShownLineLength characters
    // (never splitting a surrogate pair) followed by a note of how much was left out and where it is.
    static QString shownPart(const QString& line, Rest rest);
    // The HTML one pane line becomes: escaped text with its web addresses as links, blanks kept.
    static QString linkified(const QString& line);

signals:
    // A link in either pane was activated.
    void linkActivated(const QString& url);

private:
    static void insertPaneLine(QTextBrowser* pane, const QString& line, Rest rest);

    QTextBrowser* m_chat;
    QTextBrowser* m_station;
};
