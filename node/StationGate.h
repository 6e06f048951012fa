#pragma once

#include "EchoLinkPackets.h"
#include "EchoLinkQso.h"

#include <QHash>
#include <QHostAddress>
#include <vector>

// Who may call in. As established EchoLink software does, a station is taken only when its callsign is
// listed in the directory and the call comes from the address listed for it. A station not (yet) listed
// there is held while the node fetches one new list, then taken or refused. Attempts are rate-limited per
// address and the table of addresses is bounded, so a flood of calls costs memory and time in proportion
// to nothing but the table, and never a QSO slot.
class StationGate
{
public:
    static constexpr int MaxAddresses = 1024;
    static constexpr int MaxHeld = 16;
    // One new list at most this often on behalf of callers; others are refused meanwhile.
    static constexpr qint64 RefreshSpacingMs = 10000;

    enum class Listing { ListedHere, ListedElsewhere, NotListed };
    enum class Verdict { Accept, Refuse, Hold, Ignore };

    struct Attempt
    {
        QHostAddress address;
        EchoLinkPackets::Description description;
    };

    Verdict judge(const Attempt& attempt, Listing listing, qint64 nowMs);
    // True once after a Hold that needs a new list: the owner fetches it and then settles what is held.
    bool takeRefreshRequest();
    std::vector<Attempt> takeHeld();
    // After the new list: no second refresh.
    static Verdict settle(Listing listing) { return listing == Listing::ListedHere ? Verdict::Accept : Verdict::Refuse; }

private:
    struct Tracked
    {
        RateLimit attempts { 0.5, 3 };
        qint64 lastSeen = 0;
    };
    bool admit(quint32 address, qint64 nowMs);

    QHash<quint32, Tracked> addresses_;
    std::vector<Attempt> held_;
    qint64 lastRefresh_ = -RefreshSpacingMs;
    bool refreshWanted_ = false;
};
