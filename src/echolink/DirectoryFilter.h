#pragma once

#include "echolink/StationDirectory.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What the operator types into the directory, and the entries it leaves. Every blank-separated term of the
// text must match, each in one of three ways, regardless of case:
//   - it is part of the callsign ("1AB" finds Q1AB-L, "lake" finds *LAKEVIEW*);
//   - the node number starts with it ("1234" finds 123456);
//   - a word of the description starts with it ("elm" finds "Elm Falls, 146.52").
// An empty text matches every entry; a kind, when chosen, leaves only entries of that kind.
struct DirectoryQuery
{
    QString text;
    std::optional<StationDirectory::Kind> kind;
};

// The entries with their search keys made once, so that filtering on each keystroke costs only comparisons.
class DirectoryFilter
{
public:
    void setEntries(const QList<StationDirectory::Entry>& entries);
    const QList<StationDirectory::Entry>& entries() const { return m_entries; }

    // The positions in entries() of the matching ones, in list order.
    QList<int> filter(const DirectoryQuery& query) const;
    bool matches(int position, const DirectoryQuery& query) const;

    // The terms a text is taken as: folded to lower case, split at white space.
    static QStringList terms(const QString& text);

private:
    struct Keys
    {
        QString callsign;
        QString node;
        QStringList words;
    };
    bool matchesTerms(const Keys& keys, const QStringList& terms) const;

    QList<StationDirectory::Entry> m_entries;
    QList<Keys> m_keys;
};
