#include "echolink/StationTextSplit.h"

namespace StationText {

Split split(const QString& text)
{
    Split result;
    const qsizetype marker = text.indexOf(u'>');
    if (marker < 0) {
        result.head = text;
        return result;
    }
    result.hasTalker = true;
    // The character just before the marker is the line feed of the break that ends the head.
    result.head = text.left(qMax<qsizetype>(marker - 1, 0));
    const QString afterMarker = text.mid(marker + 1);
    const qsizetype lineEnd = afterMarker.indexOf(u'\r');
    result.talkerLine = afterMarker.left(lineEnd + 1);
    result.rest = afterMarker.mid(lineEnd + 1);
    return result;
}

QString Split::talkingNowCaption() const
{
    return hasTalker ? TalkingNowCaption + talkerLine.mid(1) : QString();
}

QString Split::statusText() const
{
    return hasTalker ? talkerLine.mid(1) : QString();
}

QStringList Split::paneLines() const
{
    if (!hasTalker)
        return { head };
    return { head, rest + u'\r', TalkingNowPaneLabel + talkerLine };
}

} // namespace StationText
