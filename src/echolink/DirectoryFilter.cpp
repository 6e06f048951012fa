#include "echolink/DirectoryFilter.h"

namespace {

// The words of a description: runs of letters and digits.
QStringList wordsOf(const QString& text)
{
    QStringList words;
    QString word;
    for (const QChar c : text) {
        if (c.isLetterOrNumber()) {
            word.append(c);
        } else if (!word.isEmpty()) {
            words.append(word);
            word.clear();
        }
    }
    if (!word.isEmpty())
        words.append(word);
    return words;
}

} // namespace

void DirectoryFilter::setEntries(const QList<StationDirectory::Entry>& entries)
{
    m_entries = entries;
    m_keys.clear();
    m_keys.reserve(entries.size());
    for (const StationDirectory::Entry& entry : entries) {
        m_keys.append(Keys {
            entry.callsign.toCaseFolded(),
            entry.node > 0 ? QString::number(entry.node) : QString(),
            wordsOf(entry.description.toCaseFolded()),
        });
    }
}

QStringList DirectoryFilter::terms(const QString& text)
{
    return text.toCaseFolded().simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool DirectoryFilter::matchesTerms(const Keys& keys, const QStringList& terms) const
{
    for (const QString& term : terms) {
        if (keys.callsign.contains(term) || (!keys.node.isEmpty() && keys.node.startsWith(term)))
            continue;
        bool inWords = false;
        for (const QString& word : keys.words) {
            if (word.startsWith(term)) {
                inWords = true;
                break;
            }
        }
        if (!inWords)
            return false;
    }
    return true;
}

bool DirectoryFilter::matches(int position, const DirectoryQuery& query) const
{
    if (position < 0 || position >= m_entries.size())
        return false;
    if (query.kind && m_entries.at(position).kind != *query.kind)
        return false;
    return matchesTerms(m_keys.at(position), terms(query.text));
}

QList<int> DirectoryFilter::filter(const DirectoryQuery& query) const
{
    const QStringList wanted = terms(query.text);
    QList<int> out;
    out.reserve(m_entries.size());
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (query.kind && m_entries.at(i).kind != *query.kind)
            continue;
        if (matchesTerms(m_keys.at(i), wanted))
            out.append(static_cast<int>(i));
    }
    return out;
}
