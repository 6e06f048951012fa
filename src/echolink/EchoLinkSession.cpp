#include "echolink/EchoLinkSession.h"

void raiseEvent(EchoLinkSession& session, const EchoLinkWire::IncomingEvent& event)
{
    using EchoLinkWire::Event;
    const QJsonArray& args = event.arguments;
    const auto text = [&args](int i) { return args.at(i).toString(); };
    const auto flag = [&args](int i) { return args.at(i).toBool(); };
    switch (event.event) {
    case Event::OnClosing:
        emit session.OnClosing();
        break;
    case Event::OnTX:
        emit session.OnTX(flag(0));
        break;
    case Event::OnConnected:
        emit session.OnConnected(text(0), text(1), text(2));
        break;
    case Event::OnDisconnected:
        emit session.OnDisconnected(text(0));
        break;
    case Event::OnStationListReceived:
        emit session.OnStationListReceived();
        break;
    case Event::OnChatTextReceived:
        emit session.OnChatTextReceived(text(0));
        break;
    case Event::OnStationTextReceived:
        emit session.OnStationTextReceived(text(0));
        break;
    case Event::OnAlarm:
        emit session.OnAlarm(text(0), args.at(1).toInt());
        break;
    case Event::OnLinkStatusChange:
        emit session.OnLinkStatusChange(flag(0));
        break;
    }
}
