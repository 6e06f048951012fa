// Any bytes as an account file the operator edited by hand: setting a key gives back that value, leaves every
// other line (comments, unknown keys, broken lines) as it was, and a second identical change changes nothing;
// a value with a line break is refused before anything is written. The first bytes choose the key and value.
#include "account/AccountFile.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

const char* const Keys[] = { "Callsign", "Password", "Name", "Location", "Info", "AudioIn", "Servers", "MyOwnKey" };

// The lines that are not active lines of `key`, in order.
QList<QByteArray> otherLines(const QByteArray& text, const QByteArray& key)
{
    QList<QByteArray> lines;
    for (const QByteArray& line : text.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        const qsizetype equals = trimmed.indexOf('=');
        const bool active
            = !trimmed.startsWith('#') && equals > 0 && trimmed.left(equals).trimmed().toLower() == key.toLower();
        if (!active && !line.isEmpty())
            lines << line;
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const QByteArray key = Keys[data[0] % std::size(Keys)];
    const int valueBytes = data[1] % 40;
    const QByteArray rest(reinterpret_cast<const char*>(data) + 2, static_cast<qsizetype>(size - 2));
    const QString value = QString::fromUtf8(rest.left(valueBytes));
    const QByteArray text = rest.mid(valueBytes);
    const QString keyText = QString::fromLatin1(key);

    const bool writable = AccountFile::encodedValue(keyText, value).has_value();
    QByteArray once;
    try {
        once = AccountFile::updated(text, { { keyText, value } });
    } catch (const std::invalid_argument&) {
        require(!writable);
        return 0;
    }
    require(writable);
    // Station information keeps its line breaks, CR LF and CR each as one LF.
    QString expected = value;
    if (key == "Info")
        expected.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    require(AccountFile::value(once, keyText) == expected);
    require(AccountFile::updated(once, { { keyText, value } }) == once);
    // Only the key's own lines changed (the new line may sit where its example was).
    const QList<QByteArray> before = otherLines(text, key);
    require(otherLines(once, key) == before);

    const QByteArray removed = AccountFile::updated(once, { { keyText, std::nullopt } });
    require(!AccountFile::value(removed, keyText));
    require(otherLines(removed, key) == before);
    return 0;
}
