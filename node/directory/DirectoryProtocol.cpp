#include "DirectoryProtocol.h"

#include "platform/TextEncoding.h"

namespace DirectoryProtocol {

namespace {

constexpr char FieldMark = '\xac';
constexpr QByteArrayView EndMark("+++");

bool isCallsignChar(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
        || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') || c == QLatin1Char('/')
        || c == QLatin1Char('*');
}

// A field for the login command: Windows-1252, without any byte that could end or split a field.
QByteArray field(const QString& text, qsizetype maxBytes = -1)
{
    QByteArray bytes = TextEncoding::encodeWindows1252(text);
    bytes.removeIf([](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f || c == FieldMark;
    });
    if (maxBytes >= 0 && bytes.size() > maxBytes)
        bytes.truncate(maxBytes);
    return bytes;
}

// Text from the directory for people: decoded once, control characters gone, one trimmed line, bounded.
QString cleanText(QByteArrayView bytes, qsizetype maxChars)
{
    QString text = TextEncoding::decodeWindows1252(bytes);
    text.removeIf([](QChar c) { return c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() < 0xa0); });
    text = text.simplified();
    if (text.size() > maxChars)
        text = text.left(maxChars).trimmed();
    return text;
}

QByteArrayView withoutCr(QByteArrayView line)
{
    while (!line.isEmpty() && line.back() == '\r')
        line.chop(1);
    return line;
}

// A node number: 1 to 7 digits, not zero.
int parseId(QByteArrayView text)
{
    text = text.trimmed();
    if (text.isEmpty() || text.size() > 7)
        return 0;
    int id = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return 0;
        id = id * 10 + (c - '0');
    }
    return id;
}

bool isTime(QByteArrayView text)
{
    if (text.size() != 5 || text.at(2) != ':')
        return false;
    for (const int i : { 0, 1, 3, 4 }) {
        if (text.at(i) < '0' || text.at(i) > '9')
            return false;
    }
    return true;
}

} // namespace

bool isValidCallsign(QStringView callsign)
{
    if (callsign.isEmpty() || callsign.size() > MaxCallsignChars)
        return false;
    for (const QChar c : callsign) {
        if (!isCallsignChar(c))
            return false;
    }
    return true;
}

QByteArray loginRequest(const Login& login, Status status, QTime localTime)
{
    const QString call = login.callsign.trimmed().toUpper();
    if (!isValidCallsign(call))
        return {};
    const QByteArray time = localTime.isValid() ? localTime.toString(QStringLiteral("HH:mm")).toLatin1() : "00:00";
    QByteArray state;
    switch (status) {
    case Status::Online:
        state = "ONLINE3.38(" + time + ')';
        break;
    case Status::Busy:
        state = "BUSY3.40(" + time + ')';
        break;
    case Status::Offline:
        state = "OFF-V3.40";
        break;
    }
    return 'l' + call.toLatin1() + FieldMark + FieldMark + field(login.password) + '\r' + state + '\r'
        + field(login.location, MaxLocationBytes) + '\r';
}

QByteArray listRequest()
{
    return QByteArrayLiteral("s");
}

LoginReply parseLoginReply(QByteArrayView bytes, bool closed)
{
    LoginReply reply;
    if (bytes.startsWith("OK")) {
        reply.kind = LoginReply::Accepted;
        return reply;
    }
    const qsizetype end = [&] {
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (bytes.at(i) == '\r' || bytes.at(i) == '\n' || bytes.at(i) == '\0')
                return i;
        }
        return qsizetype(-1);
    }();
    // "O" alone may still become "OK".
    const bool maybeOk = bytes == QByteArrayView("O");
    if (!closed && (end < 0 || maybeOk) && bytes.size() < MaxLoginReplyBytes)
        return reply;
    if (bytes.isEmpty()) {
        reply.kind = LoginReply::NoReply;
        return reply;
    }
    const QByteArrayView first = bytes.first(end < 0 ? qMin(bytes.size(), MaxLoginReplyBytes) : end);
    reply.kind = LoginReply::Refused;
    reply.text = cleanText(first, MaxReplyTextChars);
    reply.incorrectPassword = reply.text.contains(QLatin1String("PASSWORD"), Qt::CaseInsensitive);
    return reply;
}

void parseStationData(QByteArrayView data, qsizetype maxDescriptionChars, StationEntry& entry)
{
    data = withoutCr(data);
    entry.status = StationStatus::Unknown;
    entry.since.clear();
    const qsizetype open = data.lastIndexOf('[');
    QByteArrayView description = data;
    if (open >= 0) {
        description = data.first(open);
        QByteArrayView mark = data.sliced(open + 1);
        const qsizetype close = mark.indexOf(']');
        if (close >= 0)
            mark = mark.first(close);
        mark = mark.trimmed();
        const qsizetype space = mark.indexOf(' ');
        const QByteArrayView word = space < 0 ? mark : mark.first(space);
        if (word == QByteArrayView("ON"))
            entry.status = StationStatus::Online;
        else if (word == QByteArrayView("BUSY"))
            entry.status = StationStatus::Busy;
        if (space >= 0 && isTime(mark.sliced(space + 1).trimmed()))
            entry.since = QString::fromLatin1(mark.sliced(space + 1).trimmed());
    }
    entry.description = cleanText(description, maxDescriptionChars);
    if (entry.status != StationStatus::Unknown && !entry.conference().isEmpty())
        entry.status = StationStatus::InConference;
}

ListParser::ListParser(ListLimits limits)
    : m_limits(limits)
{
}

ListParser::State ListParser::feed(QByteArrayView bytes)
{
    if (m_state != State::Reading)
        return m_state;
    // Bytes past the limit are never looked at; what came before it is read as usual, so that a list
    // read in pieces fails where a list read whole does.
    const bool overLimit = bytes.size() > m_limits.maxTotalBytes - m_total;
    if (overLimit)
        bytes = bytes.first(m_limits.maxTotalBytes - m_total);
    m_total += bytes.size();
    while (!bytes.isEmpty() && m_state == State::Reading) {
        const bool markMayStart = m_step == Step::End
            || (m_step == Step::Call && !m_lineTooLong && m_line.size() < 3 && EndMark.startsWith(m_line));
        if (markMayStart) {
            // The end mark usually comes without a line feed, just before the server closes.
            if (m_step == Step::End && m_line.isEmpty() && (bytes.front() == '\n' || bytes.front() == '\r')) {
                bytes = bytes.sliced(1);
                continue;
            }
            const QByteArrayView head = bytes.first(qMin(3 - m_line.size(), bytes.size()));
            if (EndMark.sliced(m_line.size()).startsWith(head)) {
                m_line.append(head);
                bytes = bytes.sliced(head.size());
                if (m_line.size() == 3) {
                    m_state = State::Done;
                    m_line.clear();
                }
                continue;
            }
            if (m_step == Step::End) {
                fail(QStringLiteral("The station list does not end as it should"));
                break;
            }
        }
        const qsizetype newline = bytes.indexOf('\n');
        const QByteArrayView piece = newline < 0 ? bytes : bytes.first(newline);
        if (!m_lineTooLong) {
            if (m_line.size() + piece.size() > m_limits.maxLineBytes) {
                if (m_step == Step::Start || m_step == Step::Count) {
                    line({}, true);
                    break;
                }
                m_lineTooLong = true;
                m_line.truncate(0);
            } else {
                m_line.append(piece);
            }
        }
        if (newline < 0)
            break;
        bytes = bytes.sliced(newline + 1);
        const bool tooLong = m_lineTooLong;
        m_lineTooLong = false;
        const QByteArray text = std::exchange(m_line, {});
        line(text, tooLong);
    }
    if (overLimit && m_state == State::Reading)
        fail(QStringLiteral("The station list is larger than %1 bytes").arg(m_limits.maxTotalBytes));
    return m_state;
}

ListParser::State ListParser::finish()
{
    if (m_state == State::Reading)
        fail(m_total == 0                ? QStringLiteral("The directory sent no station list")
                 : m_step == Step::Start ? QStringLiteral("The directory's answer is not a station list")
                                         : QStringLiteral("The station list ended early"));
    return m_state;
}

void ListParser::fail(QString reason)
{
    m_state = State::Failed;
    m_error = std::move(reason);
    m_line.clear();
    m_line.squeeze();
}

void ListParser::line(QByteArrayView text, bool tooLong)
{
    text = withoutCr(text);
    switch (m_step) {
    case Step::Start:
        if (tooLong || text != QByteArrayView("@@@"))
            return fail(QStringLiteral("The directory's answer is not a station list"));
        m_step = Step::Count;
        return;
    case Step::Count: {
        const QByteArrayView digits = text.trimmed();
        bool ok = !tooLong && !digits.isEmpty() && digits.size() <= 9;
        for (const char c : digits)
            ok = ok && c >= '0' && c <= '9';
        const qsizetype count = ok ? digits.toLongLong() : -1;
        if (count < 0)
            return fail(QStringLiteral("The station list has no valid count"));
        if (count > m_limits.maxEntries)
            return fail(QStringLiteral("The station list has too many entries (%1, at most %2)")
                            .arg(count)
                            .arg(m_limits.maxEntries));
        m_remaining = count;
        m_entries.reserve(qMin<qsizetype>(count, 1024));
        m_step = count == 0 ? Step::End : Step::Call;
        return;
    }
    case Step::Call:
        m_call = text.toByteArray();
        m_recordBad = tooLong;
        m_step = Step::Data;
        return;
    case Step::Data:
        m_data = text.toByteArray();
        m_recordBad = m_recordBad || tooLong;
        m_step = Step::Id;
        return;
    case Step::Id:
        m_id = text.toByteArray();
        m_recordBad = m_recordBad || tooLong;
        m_step = Step::Address;
        return;
    case Step::Address:
        m_recordBad = m_recordBad || tooLong;
        m_step = Step::Call;
        if (!m_recordBad && m_call == ".")
            return; // a separator, not counted
        if (!m_recordBad && m_call.trimmed().isEmpty()) {
            if (m_message.size() < m_limits.maxMessageLines)
                m_message.append(cleanText(m_data, m_limits.maxDescriptionChars));
        } else {
            record(text);
        }
        m_call.clear();
        m_data.clear();
        m_id.clear();
        if (--m_remaining <= 0)
            m_step = Step::End;
        return;
    case Step::End:
        return;
    }
}

void ListParser::record(QByteArrayView address)
{
    const QString call = QString::fromLatin1(m_call.trimmed()).toUpper();
    StationEntry entry;
    entry.id = parseId(m_id);
    const auto host = StationAddress::parse(address.trimmed());
    if (m_recordBad || !isValidCallsign(call) || entry.id == 0 || !host) {
        ++m_skipped;
        return;
    }
    entry.callsign = call;
    entry.address = *host;
    parseStationData(m_data, m_limits.maxDescriptionChars, entry);
    m_entries.append(std::move(entry));
}

ListResult parseList(QByteArrayView reply, ListLimits limits)
{
    ListParser parser(limits);
    parser.feed(reply);
    ListResult result;
    result.state = parser.finish();
    result.error = parser.error();
    result.skipped = parser.skipped();
    if (result.state == ListParser::State::Done)
        result.list = parser.list();
    return result;
}

} // namespace DirectoryProtocol
