// Connection control: the record of connected stations and the operator's connect and disconnect requests.
#include "chat/ChatLog.h"
#include "platform/Clock.h"
#include "echolink/EchoLinkSession.h"
#include "app/MainForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <algorithm>

// The slot of the newest station, kept inside the arrays whatever the count says.
int TmainForm::topSlot() const
{
    return std::clamp(state.ConnectionCount, 0, StationSlots - 1);
}

void TmainForm::rebuildConnectionInfo(const QString& separator)
{
    QString info;
    state.ConferenceCalls.clear();
    for (int i = 1; i <= topSlot(); ++i) {
        info += state.StationCalls[i] + QLatin1Char(' ') + state.StationNames[i] + separator;
        state.ConferenceCalls += state.StationCalls[i] + QLatin1Char(' ');
    }
    lblConnInfo->setText(info);
}

// With no station left the transmit time bar stops and hides, full again for the next QSO.
void TmainForm::stopTransmitBar()
{
    TxTimer->stop();
    TxTimeFill->hide();
    TxTimeFill->setValue(100);
}

void TmainForm::elEchoLinkSessionConnected(const QString& call, const QString& name, const QString& address)
{
    ++state.ConnectionCount;
    letPendingMessagesRun();
    lblStationCount->setText(QString::number(state.ConnectionCount));

    if (state.ConnectionCount > MaxStations) {
        AppendChatLine(timeText() + QStringLiteral(">Connection To: ") + name + QLatin1Char(' ') + call
                       + QStringLiteral(". Will be disconnected in 5 Seconds, Exceeded Maximum number of stations."));
        m_services.session->SendChatText(
            call + QStringLiteral(" Sorry too many connections, Disconnecting, Please try Later. "));
        letPendingMessagesRun();
        if (state.ConnectionCount >= StationSlots)
            m_beyondLastSlot << call;
        DisconnectTimer->setInterval(7000);
        DisconnectTimer->start();
    }

    if (state.ConnectionCount < StationSlots) {
        state.StationCalls[state.ConnectionCount] = call;
        state.StationNames[state.ConnectionCount] = name;
    }
    lblConnInfo->clear();
    if (state.ConnectionCount == 1) {
        state.ConnectedCall = call;
        state.ConferenceCalls = call;
        lblConnInfo->setText(call + QLatin1Char(' ') + name + QLatin1Char(' ') + address);
    } else {
        state.ConnectedCall = call;
        rebuildConnectionInfo(QStringLiteral(" + "));
    }
    setQrzCaption(QStringLiteral("/db/") + call);

    if (state.ConnectionCount < 2)
        setWindowColor(WindowColors::Qso);
    bTxRx->setEnabled(true);
    btnDisconnect->setEnabled(true);
    if (state.ConnectionCount > 1)
        btnDisconnectLast->setEnabled(true);
    btnLastConnect->setEnabled(false);
    bTxRx->setFocus(Qt::OtherFocusReason);
    state.IsConnected = true;
    edtChat->clear();

    AppendChatLine(timeText() + QStringLiteral(">Connected To: ") + name + QLatin1Char(' ') + call);
    addLogEntry(QStringLiteral("Connect"), name + QLatin1Char(' ') + call);

    Timer1->start();
    letPendingMessagesRun();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();

    SpeakCallSign(state.ConnectedCall);
    state.NotTransmitting = true;
}

void TmainForm::elEchoLinkSessionDisconnected(const QString& call)
{
    --state.ConnectionCount;
    lblStationCount->setText(QString::number(state.ConnectionCount));
    if (state.ConnectionCount > 0)
        conferenceMemberLeft(call);
    else
        lastStationLeft(call);
}

void TmainForm::conferenceMemberLeft(const QString& call)
{
    if (state.ConnectionCount < 2)
        btnDisconnectLast->setEnabled(false);
    SpeakCallSign(call);
    SpeakToMeNow(QStringLiteral(" has disconnected from conference"));
    AppendChatLine(timeText() + QLatin1Char('>') + call + QStringLiteral(" Disconnected From Conference."));
    rebuildConnectionInfo(QStringLiteral(" - "));
    redtStation->clear();
    redtStation->setCurrentCharFormat(QTextCharFormat());
    AppendStationLine(state.StationTexts[topSlot()]);
}

void TmainForm::lastStationLeft(const QString& call)
{
    state.ConnectionCount = 0;
    lblStationCount->setText(QStringLiteral("0"));
    lblConnInfo->setText(call + QStringLiteral(" Disconnected ") + timeText());
    state.LastStation = call;
    state.IsConnected = false;
    stopTransmitBar();
    setQrzCaption(QStringLiteral("/db/"));
    SpeakCallSign(call);
    SpeakToMeNow(QStringLiteral(" Disconnected At  ") + timeText());
    setWindowColor(WindowColors::Idle);
    bTxRx->setEnabled(false);
    btnDisconnect->setEnabled(false);
    btnDisconnectLast->setEnabled(false);
    btnLastConnect->setEnabled(true);
    for (QPushButton* button : bCall)
        button->setEnabled(true);
    btnLastConnect->setFocus(Qt::OtherFocusReason);
    redtStation->clear();
    AppendChatLine(timeText() + QStringLiteral(">Disconnected From: ") + call);
    StatusBarPanel1->clear();
    addLogEntry(QStringLiteral("Disconnect"), call);
    state.NotTransmitting = true;
}

void TmainForm::DoConnect(const QString& callsign)
{
    if (state.ButtonAnnounce)
        SpeakToMeNow(QStringLiteral("Connecting"));
    btnDisconnect->setEnabled(true);
    btnLastConnect->setEnabled(false);
    AppendChatLine(state.MyCallsign + QStringLiteral(">Connecting To: ") + callsign);
    try {
        m_services.session->Connect1(callsign.toUpper(), true);
    } catch (const EchoLinkError& e) {
        AppendChatLine(QStringLiteral(">") + e.message());
        edtChat->clear();
        SpeakToMeNow(e.message());
        btnDisconnect->setEnabled(true);
        btnLastConnect->setEnabled(true);
        for (QPushButton* button : bCall)
            button->setEnabled(true);
        edtChat->setFocus(Qt::OtherFocusReason);
    }
}

void TmainForm::btnLastConnectClick()
{
    const QString typed = edtChat->text();
    if (!typed.isEmpty()) {
        try {
            m_services.session->Connect1(typed.toUpper(), true);
        } catch (const EchoLinkError& e) {
            AddChatLineQuietly(QStringLiteral(">ReConnect [chat text call] ") + e.message());
            SpeakToMeNow(QStringLiteral("ReConnect ") + e.message());
        }
        edtChat->clear();
        return;
    }
    if (state.LastStation.isEmpty())
        return;
    try {
        m_services.session->Connect1(state.LastStation, true);
    } catch (const EchoLinkError& e) {
        AppendChatLine(QStringLiteral(">ReConnect ") + e.message());
        SpeakToMeNow(QStringLiteral("ReConnect ") + e.message());
    }
}

void TmainForm::btnDisconnectLastClick()
{
    m_services.session->Disconnect1(state.StationCalls[topSlot()]);
}

void TmainForm::DisconnectTimerTimer()
{
    DisconnectTimer->stop();
    m_services.session->Disconnect1(state.StationCalls[topSlot()]);
    const QStringList beyond = std::exchange(m_beyondLastSlot, {});
    for (const QString& call : beyond)
        m_services.session->Disconnect1(call);
}

void TmainForm::btnDisconnectClick()
{
    m_services.session->DisconnectAll();
    letPendingMessagesRun();
    state.IsConnected = false;
    state.ConnectionCount = 0;
    stopTransmitBar();
    setQrzCaption(QStringLiteral("/db/"));
    QPalette palette = lblTalkingNow->palette();
    palette.setColor(QPalette::Window, WindowColors::toColor(state.TalkingNowColor));
    lblTalkingNow->setPalette(palette);
    lblTalkingNow->clear();
}
