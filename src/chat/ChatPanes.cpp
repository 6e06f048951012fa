#include "chat/ChatPanes.h"

#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBrowser>

ChatPanes::ChatPanes(QTextBrowser* chat, QTextBrowser* station, QObject* parent)
    : QObject(parent)
    , m_chat(chat)
    , m_station(station)
{
    for (QTextBrowser* pane : { chat, station }) {
        pane->setOpenLinks(false);
        pane->setOpenExternalLinks(false);
        pane->setUndoRedoEnabled(false);
        connect(pane, &QTextBrowser::anchorClicked, this,
                [this](const QUrl& url) { emit linkActivated(url.toString()); });
    }
}

QString ChatPanes::linkified(const QString& line)
{
    static const QRegularExpression address(QStringLiteral(R"((\b(?:https?|ftp)://[^\s<>"]+|\bwww\.[^\s<>"]+))"),
                                            QRegularExpression::CaseInsensitiveOption);
    QString html;
    qsizetype last = 0;
    auto it = address.globalMatch(line);
    while (it.hasNext()) {
        const auto match = it.next();
        html += line.mid(last, match.capturedStart() - last).toHtmlEscaped();
        const QString text = match.captured();
        const QString target
            = text.startsWith(QLatin1String("www."), Qt::CaseInsensitive) ? QStringLiteral("http://") + text : text;
        html += QStringLiteral("<a href=\"%1\">%2</a>").arg(target.toHtmlEscaped(), text.toHtmlEscaped());
        last = match.capturedEnd();
    }
    html += line.mid(last).toHtmlEscaped();
    // Blanks are part of what the operator hears and reads ("time, two blanks, text"); keep them all.
    return QStringLiteral("<span style=\"white-space:pre-wrap\">") + html + QStringLiteral("</span>");
}

QString ChatPanes::shownPart(const QString& line, Rest rest)
{
    if (line.size() <= MaxShownLineLength)
        return line;
    qsizetype cut = MaxShownLineLength;
    if (line.at(cut - 1).isHighSurrogate())
        --cut;
    const QString note = rest == Rest::InChatLog
        ? QStringLiteral(" [line cut here: %1 more characters are in the chat log]")
        : QStringLiteral(" [line cut here: %1 more characters not shown]");
    return line.left(cut) + note.arg(line.size() - cut);
}

void ChatPanes::insertPaneLine(QTextBrowser* pane, const QString& line, Rest rest)
{
    QTextCursor cursor(pane->document());
    cursor.movePosition(QTextCursor::End);
    if (!pane->document()->isEmpty())
        cursor.insertBlock();
    cursor.insertHtml(linkified(shownPart(line, rest)));
}

void ChatPanes::AppendChatLine(const QString& line)
{
    insertPaneLine(m_chat, line, Rest::InChatLog);
    m_chat->moveCursor(QTextCursor::End);
    m_chat->ensureCursorVisible();
    QScrollBar* bar = m_chat->verticalScrollBar();
    bar->setValue(bar->value() + 2 * bar->singleStep());
}

void ChatPanes::AppendChatLineAtCaret(const QString& line)
{
    insertPaneLine(m_chat, line, Rest::InChatLog);
    m_chat->moveCursor(QTextCursor::End);
    m_chat->ensureCursorVisible();
}

void ChatPanes::AddChatLineQuietly(const QString& line)
{
    QScrollBar* bar = m_chat->verticalScrollBar();
    const int position = bar->value();
    insertPaneLine(m_chat, line, Rest::InChatLog);
    bar->setValue(position);
}

void ChatPanes::AppendStationLine(const QString& line)
{
    insertPaneLine(m_station, line, Rest::NotShown);
    m_station->moveCursor(QTextCursor::End);
    m_station->ensureCursorVisible();
}

void ChatPanes::clearStationPane()
{
    m_station->clear();
    m_station->setCurrentCharFormat(QTextCharFormat());
}

void ChatPanes::clearBothPanes()
{
    m_chat->clear();
    m_station->clear();
}
