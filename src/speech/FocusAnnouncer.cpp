#include "speech/FocusAnnouncer.h"

#include "speech/Announcer.h"
#include "speech/OptionBoxes.h"

namespace {

struct Row
{
    const char* control;
    bool always; // heard even with Button Speak off
    SpeakOp op;
    const char* text;
};

constexpr Row Rows[] = {
    { "edtChat", false, SpeakOp::Queued, " " },
    { "edtAbsent", false, SpeakOp::Queued, "Edit Away Message Or TAB to Next Item" },
    { "btnLastConnect", false, SpeakOp::Queued, "re con" },
    { "btnDisconnect", false, SpeakOp::Queued, "Disconnect All" },
    { "btnDisconnectLast", false, SpeakOp::Queued, "Disconnect Last" },
    { "bTxRx", false, SpeakOp::Queued, "T R" },
    { "TrackBarVolume", false, SpeakOp::Queued, "Speech Volume Control. Up, Down, Arrow Keys To Change" },
    { "btnUpDown", false, SpeakOp::Purge, "Font" },
    { "btnChatClear", true, SpeakOp::Purge, "Clear Text" },
    { "cbCheckAway", false, SpeakOp::Purge, "Away Tick. Space To Toggle" },
    { "SpeakCheckBox", false, SpeakOp::Purge, "Speak Tick. Space To Toggle" },
    // Whoever has switched announcements off still has to find the switch again.
    { "ButtonAnnounceCheckBox", true, SpeakOp::Purge, "Button Speak Tick. Space To Toggle" },
    { "KeySpeakCheckBox", false, SpeakOp::Purge, "Key Speak Tick. Space To Toggle" },
};

} // namespace

FocusAnnouncer::FocusAnnouncer(Announcer& announcer, const OptionBoxes& options, OptionBoxesView& view)
    : m_announcer(announcer)
    , m_options(options)
    , m_view(view)
{
}

bool FocusAnnouncer::focusReallyMoved(Qt::FocusReason reason)
{
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

std::optional<Utterance> FocusAnnouncer::announcement(const QString& control, bool buttonAnnounce)
{
    for (const Row& row : Rows) {
        if (control != QLatin1String(row.control))
            continue;
        if (!buttonAnnounce && !row.always)
            return std::nullopt;
        return Utterance { row.op, QString::fromUtf8(row.text) };
    }
    return std::nullopt;
}

void FocusAnnouncer::controlEntered(const QString& control)
{
    const auto said = announcement(control, m_options.buttonAnnounce());
    if (!said)
        return;
    if (said->op == SpeakOp::Purge)
        m_announcer.SpeakToMeNowPurge(said->text, SpeechKind::Echo);
    else
        m_announcer.SpeakToMeNow(said->text, SpeechKind::Echo);
}

bool FocusAnnouncer::spaceIsGuarded(const QString& control)
{
    return control == QLatin1String("btnLastConnect") || control == QLatin1String("btnDisconnect")
        || control == QLatin1String("btnDisconnectLast");
}

bool FocusAnnouncer::ButtonAnnounceCheckBoxKeyPress(QChar typed)
{
    // Space toggles the box; Tab moves on as everywhere else.
    if (typed == u' ' || typed == u'\t')
        return false;
    m_view.focusHomeControl();
    return true;
}
