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
    void AddChatLineQuietly(const QString& line) override;
    void AppendStationLine(const QString& line) override;
    void clearStationPane() override;
    void clearBothPanes() override;

    // The HTML one pane line becomes: escaped text with its web addresses as links, blanks kept.
    static QString linkified(const QString& line);

signals:
    // A link in either pane was activated.
    void linkActivated(const QString& url);

private:
    static void insertPaneLine(QTextBrowser* pane, const QString& line);

    QTextBrowser* m_chat;
    QTextBrowser* m_station;
};
