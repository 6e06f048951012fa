#pragma once

#include "StationList.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QTime>

// The EchoLink directory's TCP protocol (port 5200) as pure functions, with no sockets: every command goes
// on a connection of its own, the server answers and closes.
//
//   log in / status   "l" CALL 0xAC 0xAC PASSWORD CR STATUS CR LOCATION CR      ->  "OK..." or a refusal text
//                     STATUS is "ONLINE3.38(HH:MM)", "BUSY3.40(HH:MM)" or "OFF-V3.40" (signing off)
//   station list      "s"   ->  "@@@" LF COUNT LF, then COUNT records of four lines
//                             CALL LF  DESCRIPTION " [" STATUS " " HH:MM "]" LF  NODE-NUMBER LF  ADDRESS LF
//                             and finally "+++". A record whose CALL is blank carries a line of the server's
//                             message in DESCRIPTION; one whose CALL is "." is a separator and not counted.
//
// What the directory sends is treated as hostile: lines, fields, entries and the whole reply are bounded,
// malformed records are skipped and counted, and a reply that breaks the format fails with a reason.
namespace DirectoryProtocol {

constexpr quint16 Port = 5200;
// The directory keeps at most this much of a location; more is cut before sending.
constexpr qsizetype MaxLocationBytes = 27;
constexpr qsizetype MaxCallsignChars = 15;
// A login answer is one short line; more than this is not waited for.
constexpr qsizetype MaxLoginReplyBytes = 256;
constexpr qsizetype MaxReplyTextChars = 80;

enum class Status
{
    Offline,
    Online,
    Busy,
};

struct Login
{
    QString callsign;
    QString password;
    QString location;
};

// A callsign the directory can take: 1 to 15 of A-Z, 0-9, '-', '/', and '*' for conferences.
bool isValidCallsign(QStringView callsign);

// The login command that sets `status` ("l..."). The callsign is upper-cased; carriage returns, line feeds,
// the 0xAC separator and other control characters are removed from every field so no field can forge
// another; the location is cut to MaxLocationBytes. Empty when the callsign is not valid.
// `localTime` is the time the directory shows beside the status.
QByteArray loginRequest(const Login& login, Status status, QTime localTime);

// The station list request.
QByteArray listRequest();

struct LoginReply
{
    enum Kind
    {
        Incomplete, // wait for more bytes
        Accepted, // "OK"
        Refused, // any other answer; `text` holds it (cleaned, bounded)
        NoReply, // the connection closed without a byte
    };
    Kind kind = Incomplete;
    QString text;
    // The refusal names the password ("INCORRECT PASSWORD"): retrying will not help.
    bool incorrectPassword = false;
};

// Judges what the directory answered to a login so far; `closed` when the connection has ended.
LoginReply parseLoginReply(QByteArrayView bytes, bool closed);

struct ListLimits
{
    qsizetype maxEntries = 30000; // the real network lists a few thousand
    qsizetype maxLineBytes = 256; // a longer line makes its record malformed
    qsizetype maxTotalBytes = 4 * 1024 * 1024;
    qsizetype maxDescriptionChars = 64;
    qsizetype maxMessageLines = 20;
};

// Reads the station list as it arrives, in pieces of any size. Memory stays within the limits whatever
// the input: bytes past the end or past a failure are not kept.
class ListParser
{
public:
    enum class State
    {
        Reading,
        Done,
        Failed,
    };

    explicit ListParser(ListLimits limits = {});

    State feed(QByteArrayView bytes);
    // The connection has ended: a list without its end mark fails.
    State finish();

    State state() const { return m_state; }
    // Why the list failed, in words for the operator ("The station list ended early").
    const QString& error() const { return m_error; }
    qsizetype bytesRead() const { return m_total; }
    // Records dropped because a field was malformed (bad address, node number, callsign, overlong line).
    qsizetype skipped() const { return m_skipped; }
    // The list read so far; complete once state() is Done.
    StationList list() const { return StationList(m_entries, m_message); }

private:
    enum class Step
    {
        Start,
        Count,
        Call,
        Data,
        Id,
        Address,
        End
    };

    void line(QByteArrayView text, bool tooLong);
    void record(QByteArrayView address);
    void fail(QString reason);

    ListLimits m_limits;
    State m_state = State::Reading;
    Step m_step = Step::Start;
    QString m_error;
    QByteArray m_line;
    bool m_lineTooLong = false;
    qsizetype m_total = 0;
    qsizetype m_remaining = 0;
    qsizetype m_skipped = 0;
    // The record being read: its four lines, and whether any was too long.
    QByteArray m_call, m_data, m_id;
    bool m_recordBad = false;
    QVector<StationEntry> m_entries;
    QStringList m_message;
};

struct ListResult
{
    ListParser::State state = ListParser::State::Failed;
    StationList list;
    QString error;
    qsizetype skipped = 0;
};

// A whole reply at once (the connection closed after it).
ListResult parseList(QByteArrayView reply, ListLimits limits = {});

// Fills in a record's description, status and time from its second line ("Jo, Elm Falls [ON 12:34]").
void parseStationData(QByteArrayView data, qsizetype maxDescriptionChars, StationEntry& entry);

} // namespace DirectoryProtocol
