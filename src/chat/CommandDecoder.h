#pragma once

#include <QString>

// Commands typed in the chat line with "/" or received in chat with "." while remote commands are enabled.
class CommandDecoder
{
public:
    bool remoteEnabled() const { return m_remoteEnabled; }
    void setRemoteEnabled(bool on) { m_remoteEnabled = on; }

    void CmdDecode(const QString& commandText);

private:
    bool m_remoteEnabled = false;
};
