#include "chat/MemoryButtons.h"

#include "chat/CommandTable.h"
#include "speech/Announcer.h"
#include "speech/OptionBoxes.h"

#include <Qt>

MemoryPanel::MemoryPanel(const MemoryButtonsParts& parts)
    : m_parts(parts)
{
    // The captions the window is built with, until the settings replace them.
    for (int n = 1; n <= MemoryButtons::Count; ++n)
        m_captions << QStringLiteral("bCall%1").arg(n);
}

bool MemoryPanel::inRange(int button)
{
    return button >= 1 && button <= MemoryButtons::Count;
}

QString MemoryPanel::caption(int button) const
{
    return inRange(button) ? m_captions[button - 1] : QString();
}

void MemoryPanel::setCaption(int button, const QString& caption)
{
    if (!inRange(button))
        return;
    m_captions[button - 1] = MemoryButtons::sanitizedCaption(caption);
    m_parts.view.showMemoryCaption(button, m_captions[button - 1]);
}

// "NO CALL" and an empty caption go to EchoLink like any other; its refusal is reported by DoConnect.
void MemoryPanel::bCallClick(int button)
{
    if (inRange(button))
        m_parts.doConnect(caption(button));
}

void MemoryPanel::bCallEnter(int button)
{
    if (!inRange(button) || !m_parts.options.buttonAnnounce())
        return;
    m_parts.announcer.SpeakCallSign(caption(button), SpeechKind::Echo);
    m_parts.announcer.SpeakToMeNow(QStringLiteral("b%1").arg(button), SpeechKind::Echo);
}

int MemoryPanel::bCall1KeyDown(int key)
{
    return key == Qt::Key_Space ? 0 : key;
}

void MemoryPanel::StoreCallButton(int button, const QString& callsign)
{
    if (!inRange(button))
        return;
    setCaption(button, callsign);
    m_parts.announcer.SpeakCallSign(caption(button));
    m_parts.announcer.SpeakToMeNow(MemoryButtons::storeConfirmation(button));
}
