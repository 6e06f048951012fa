#include "StationGate.h"

bool StationGate::admit(quint32 address, qint64 nowMs)
{
    auto found = addresses_.find(address);
    if (found == addresses_.end()) {
        if (addresses_.size() >= MaxAddresses) {
            // Forget the addresses quiet for a minute; with none of those the newcomer waits its turn.
            for (auto it = addresses_.begin(); it != addresses_.end();)
                it = nowMs - it->lastSeen > 60000 ? addresses_.erase(it) : std::next(it);
            if (addresses_.size() >= MaxAddresses)
                return false;
        }
        found = addresses_.insert(address, Tracked {});
    }
    found->lastSeen = nowMs;
    return found->attempts.take(nowMs);
}

StationGate::Verdict StationGate::judge(const Attempt& attempt, Listing listing, qint64 nowMs)
{
    const quint32 address = attempt.address.toIPv4Address();
    for (const Attempt& waiting : held_) {
        if (waiting.address.toIPv4Address() == address)
            return Verdict::Ignore; // its call again while the list is fetched
    }
    if (!admit(address, nowMs))
        return Verdict::Ignore;
    if (attempt.description.callsign.isEmpty())
        return Verdict::Refuse;
    if (listing == Listing::ListedHere)
        return Verdict::Accept;
    const bool refreshing = refreshWanted_ || nowMs - lastRefresh_ < RefreshSpacingMs;
    if (static_cast<int>(held_.size()) >= MaxHeld || (refreshing && held_.empty()))
        return Verdict::Refuse;
    held_.push_back(attempt);
    if (!refreshing) {
        refreshWanted_ = true;
        lastRefresh_ = nowMs;
    }
    return Verdict::Hold;
}

bool StationGate::takeRefreshRequest()
{
    return std::exchange(refreshWanted_, false);
}

std::vector<StationGate::Attempt> StationGate::takeHeld()
{
    return std::exchange(held_, {});
}
