// The chat line, the chat pane, the station pane's append and the chat log entries.
#include "chat/ChatLog.h"
#include "chat/ChatLogViewer.h"
#include "platform/Clock.h"
#include "echolink/EchoLinkSession.h"
#include "app/MainForm.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBrowser>

namespace {

// Web addresses in a pane line become links; everything else is shown as plain text.
QString linkified(const QString& line)
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

} // namespace

void TmainForm::insertPaneLine(QTextBrowser* pane, const QString& line)
{
    QTextCursor cursor(pane->document());
    cursor.movePosition(QTextCursor::End);
    if (!pane->document()->isEmpty())
        cursor.insertBlock();
    cursor.insertHtml(linkified(line));
}

void TmainForm::AppendChatLine(const QString& line)
{
    insertPaneLine(redtChat, line);
    redtChat->moveCursor(QTextCursor::End);
    redtChat->ensureCursorVisible();
    QScrollBar* bar = redtChat->verticalScrollBar();
    bar->setValue(bar->value() + 2 * bar->singleStep());
}

void TmainForm::AddChatLineQuietly(const QString& line)
{
    QScrollBar* bar = redtChat->verticalScrollBar();
    const int position = bar->value();
    insertPaneLine(redtChat, line);
    bar->setValue(position);
}

void TmainForm::AppendStationLine(const QString& line)
{
    insertPaneLine(redtStation, line);
    redtStation->moveCursor(QTextCursor::End);
    redtStation->ensureCursorVisible();
}

void TmainForm::addLogEntry(const QString& title, const QString& description)
{
    m_chatLog->add(timeText(), title, description);
}

void TmainForm::edtChatKeyPress(QChar key)
{
    const QString text = edtChat->text();
    if (key == QChar(u'\r')) {
        if (text.startsWith(QLatin1Char('/'))) {
            CmdDecode(text);
            return;
        }
        if (state.IsConnected) {
            AppendChatLine(state.MyCallsign + QStringLiteral("> ") + text);
            m_services.session->SendChatText(text);
            addLogEntry(QStringLiteral("TxText"), state.MyCallsign + QStringLiteral("> ") + text);
            letPendingMessagesRun();
            edtChat->clear();
        } else if (text.startsWith(QLatin1Char('.'))) {
            SpeakToMeNow(QStringLiteral("Invalid call sign. You started call with a full stop"));
            edtChat->clear();
            return;
        } else if (!text.isEmpty()) {
            AppendChatLine(state.MyCallsign + QStringLiteral(">Connecting To: ") + text);
            try {
                m_services.session->Connect1(text.toUpper(), true);
            } catch (const EchoLinkError& e) {
                AppendChatLine(QStringLiteral(">") + e.message());
                edtChat->clear();
                SpeakToMeNow(e.message());
                edtChat->setFocus(Qt::OtherFocusReason);
            }
        }
    }

    // Common tail for every key that was not a command or a refused call.
    if (!text.isEmpty() && !state.IsConnected)
        btnLastConnect->setEnabled(true);
    if (key == QChar(u' ') && text.isEmpty() && state.IsConnected)
        bTxRx->click();
    if (state.KeyboardSpeak) {
        const bool spaceInQso = key == QChar(u' ') && state.IsConnected;
        if (!spaceInQso || !text.isEmpty())
            KeyBoardSpeak(key);
    }
}

void TmainForm::elEchoLinkSessionChatTextReceived(const QString& text)
{
    addLogEntry(QStringLiteral("RxText"), text);
    const qsizetype p = text.indexOf(QLatin1Char('>')) + 1;
    const QString sender = text.left(p);
    const QString message = text.mid(p);
    AppendChatLine(timeText() + QLatin1Char(' ') + sender + QLatin1Char(' ') + message);
    state.LastChatText = message;
    if (state.SpeakMessage)
        SpeakWithVolume(message);
    if (state.RemoteEnabled && message.startsWith(QLatin1Char('.')))
        CmdDecode(message.toUpper());
}

void TmainForm::btnChatClearClick()
{
    redtChat->clear();
    redtStation->clear();
}

void TmainForm::TimerClearTextTimer()
{
    TimerClearText->stop();
    edtChat->clear();
}

void TmainForm::Button2Click()
{
    ChatLogViewer viewer(*m_chatLog, QStringLiteral("ChatLog"), this);
    viewer.exec();
}

// Commands typed with "/" or received with "."; the decoder arrives with the command tables.
void TmainForm::CmdDecode(const QString&) { }

// Key echo; arrives with the keyboard map.
void TmainForm::KeyBoardSpeak(QChar) { }
