#include "app/IniFile.h"

#include "platform/TextEncoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <exception>
#include <limits>

namespace {

const QByteArray utf8Bom("\xEF\xBB\xBF", 3);
const QByteArray utf16LeBom("\xFF\xFE", 2);
const QByteArray utf16BeBom("\xFE\xFF", 2);
const QString lineEnd = QStringLiteral("\r\n");

// Spaces, tabs and the other control characters are all blanks to the reading rules.
bool isBlank(QChar c)
{
    return c.unicode() <= 0x20;
}

QStringView trimLeft(QStringView text)
{
    qsizetype start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    return text.mid(start);
}

QStringView trimRight(QStringView text)
{
    qsizetype end = text.size();
    while (end > 0 && isBlank(text[end - 1]))
        --end;
    return text.left(end);
}

QStringView trimBlanks(QStringView text)
{
    return trimRight(trimLeft(text));
}

QString foldedName(QStringView name)
{
    return name.toString().toCaseFolded();
}

// A line break inside a name or value would start a new line in the file, and with it keys or sections nobody wrote.
QString withoutLineBreaks(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

bool isSectionHeader(QStringView line)
{
    return line.size() >= 2 && line.front() == QLatin1Char('[') && line.back() == QLatin1Char(']');
}

QString decodeWith(QStringConverter::Encoding encoding, QByteArrayView bytes)
{
    // Stateless: a sequence cut off at the end of the file becomes a replacement character instead of vanishing.
    // ConvertInitialBom: the mark has already been taken off, so a second one is content.
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return decoder(bytes);
}

QByteArray encodeWith(QStringConverter::Encoding encoding, const QString& text)
{
    QStringEncoder encoder(encoding, QStringConverter::Flag::Stateless);
    return encoder(text);
}

// A file whose owner may not write it is read-only, whoever runs the program: the owner's write bit is the file's
// read-only attribute for every tool sharing the file, even for an administrator who could write it anyway. A file
// this process cannot write for any other reason counts as read-only as well.
bool isReadOnlyOnDisk(const QFileInfo& info)
{
    return !(info.permissions() & QFileDevice::WriteOwner) || !info.isWritable();
}

// Decimal digits with an optional sign; anything else, and numbers outside the int range, are rejected.
bool parseDecimal(QStringView text, int* result)
{
    bool negative = false;
    if (!text.isEmpty() && (text.front() == QLatin1Char('-') || text.front() == QLatin1Char('+'))) {
        negative = text.front() == QLatin1Char('-');
        text = text.mid(1);
    }
    if (text.isEmpty())
        return false;
    qint64 magnitude = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        magnitude = magnitude * 10 + (c.unicode() - '0');
        if (magnitude > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    const qint64 signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<int>::max())
        return false;
    *result = static_cast<int>(signedValue);
    return true;
}

} // namespace

IniConversionError::IniConversionError(const QString& value, const QString& typeName)
    : std::runtime_error(QStringLiteral("'%1' is not a valid %2 value").arg(value, typeName).toStdString())
    , m_message(QStringLiteral("'%1' is not a valid %2 value").arg(value, typeName))
    , m_value(value)
{
}

void IniFile::setFileName(const QString& path)
{
    m_fileName = path;
    m_readOnly = false;
    clear();
    const QFileInfo info(path);
    if (!info.exists())
        return;
    m_readOnly = isReadOnlyOnDisk(info);
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        loadFromData(file.readAll());
        return;
    }
    // Contents that could not be loaded must not be replaced by an empty copy on the next save.
    m_readOnly = true;
}

void IniFile::loadFromData(const QByteArray& bytes)
{
    clear();
    const QString text = decode(bytes);
    ParseState state;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n'))
            continue;
        parseLine(QStringView(text).mid(lineStart, i - lineStart), state);
        if (i + 1 < text.size() && text[i] == QLatin1Char('\r') && text[i + 1] == QLatin1Char('\n'))
            ++i;
        lineStart = i + 1;
    }
}

void IniFile::clear()
{
    m_sections.clear();
    m_groups.clear();
    m_encoding = Encoding::Locale;
}

QString IniFile::decode(const QByteArray& bytes)
{
    if (bytes.startsWith(utf8Bom)) {
        m_encoding = Encoding::Utf8WithBom;
        return decodeWith(QStringConverter::Utf8, QByteArrayView(bytes).sliced(utf8Bom.size()));
    }
    if (bytes.startsWith(utf16LeBom)) {
        m_encoding = Encoding::Utf16LeWithBom;
        return decodeWith(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(utf16LeBom.size()));
    }
    if (bytes.startsWith(utf16BeBom)) {
        m_encoding = Encoding::Utf16BeWithBom;
        return decodeWith(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(utf16BeBom.size()));
    }
    // Replacing what does not decode would lose those bytes at the next save; a file that is not valid in the
    // locale's encoding comes from a Windows machine, whose code page gives every byte a character of its own.
    QStringDecoder decoder(QStringConverter::System,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    if (!decoder.hasError()) {
        m_encoding = Encoding::Locale;
        return text;
    }
    m_encoding = Encoding::Windows1252;
    return TextEncoding::decodeWindows1252(bytes);
}

QByteArray IniFile::encode(const QString& text) const
{
    switch (m_encoding) {
    case Encoding::Utf8WithBom:
        return utf8Bom + text.toUtf8();
    case Encoding::Utf16LeWithBom:
        return utf16LeBom + encodeWith(QStringConverter::Utf16LE, text);
    case Encoding::Utf16BeWithBom:
        return utf16BeBom + encodeWith(QStringConverter::Utf16BE, text);
    case Encoding::Windows1252:
        return TextEncoding::encodeWindows1252(text);
    case Encoding::Locale:
        break;
    }
    return encodeWith(QStringConverter::System, text);
}

QString IniFile::storable(const QString& text) const
{
    const QString oneLine = withoutLineBreaks(text);
    if (m_encoding != Encoding::Windows1252 || TextEncoding::canEncodeWindows1252(oneLine))
        return oneLine;
    return TextEncoding::decodeWindows1252(TextEncoding::encodeWindows1252(oneLine));
}

void IniFile::parseLine(QStringView rawLine, ParseState& state)
{
    const QStringView line = trimBlanks(rawLine);
    if (line.isEmpty() || line.front() == QLatin1Char(';'))
        return;
    if (isSectionHeader(line)) {
        const QString name = line.mid(1, line.size() - 2).toString();
        state.section = m_sections.size();
        state.foldedSection = foldedName(name);
        m_sections.append({ name, {} });
        if (!m_groups.contains(state.foldedSection))
            m_groups.insert(state.foldedSection, { state.section, {} });
        return;
    }
    if (state.section < 0)
        return;
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    const QStringView key = equals < 0 ? line : trimRight(line.left(equals));
    const QStringView value = equals < 0 ? QStringView() : trimLeft(line.mid(equals + 1));
    addEntry(state.section, state.foldedSection, { key.toString(), value.toString() });
}

void IniFile::addEntry(qsizetype section, const QString& foldedSection, const Entry& entry)
{
    QList<Entry>& entries = m_sections[section].entries;
    // Only the first line of a key is ever read or changed; a repeat is carried along as it stands.
    QHash<QString, Place>& firstKeys = m_groups[foldedSection].firstKeys;
    const QString foldedKey = foldedName(entry.key);
    if (!firstKeys.contains(foldedKey))
        firstKeys.insert(foldedKey, { section, entries.size() });
    entries.append(entry);
}

const IniFile::Entry* IniFile::findEntry(const QString& sectionName, const QString& key) const
{
    const auto group = m_groups.constFind(foldedName(sectionName));
    if (group == m_groups.constEnd())
        return nullptr;
    const auto place = group->firstKeys.constFind(foldedName(key));
    if (place == group->firstKeys.constEnd())
        return nullptr;
    return &m_sections[place->section].entries[place->entry];
}

void IniFile::setEntry(const QString& sectionName, const QString& key, const QString& value)
{
    const QString foldedSection = foldedName(sectionName);
    auto group = m_groups.find(foldedSection);
    if (group == m_groups.end()) {
        group = m_groups.insert(foldedSection, { m_sections.size(), {} });
        m_sections.append({ sectionName, {} });
    }
    const auto place = group->firstKeys.constFind(foldedName(key));
    if (place != group->firstKeys.constEnd()) {
        m_sections[place->section].entries[place->entry].value = value;
        return;
    }
    addEntry(group->firstSection, foldedSection, { key, value });
}

void IniFile::setDefaultSection(const QString& name)
{
    m_defaultSection = withoutLineBreaks(name);
}

QString IniFile::readString(const QString& key, const QString& defaultValue) const
{
    return value(m_defaultSection, key, defaultValue);
}

bool IniFile::readBool(const QString& key, bool defaultValue) const
{
    const Entry* entry = findEntry(m_defaultSection, key);
    return entry ? parseBool(entry->value) : defaultValue;
}

int IniFile::readInteger(const QString& key, int defaultValue) const
{
    const Entry* entry = findEntry(m_defaultSection, key);
    return entry ? parseInteger(entry->value) : defaultValue;
}

bool IniFile::hasKey(const QString& key) const
{
    return hasKey(m_defaultSection, key);
}

void IniFile::writeString(const QString& key, const QString& value)
{
    if (m_readOnly)
        return;
    setEntry(storable(m_defaultSection), storable(key), storable(value));
}

void IniFile::writeBool(const QString& key, bool value)
{
    writeString(key, value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
}

void IniFile::writeInteger(const QString& key, int value)
{
    writeString(key, QString::number(value));
}

bool IniFile::save(QString* error)
{
    const auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    try {
        if (m_fileName.isEmpty())
            return fail(QStringLiteral("No settings file has been named"));
        if (m_readOnly)
            return fail(QStringLiteral("%1 was read-only when it was loaded and has not been changed").arg(m_fileName));
        const QFileInfo info(m_fileName);
        // An atomic replace would slip past a read-only mark set since loading; leave such a file alone too.
        if (info.exists() && isReadOnlyOnDisk(info))
            return fail(QStringLiteral("%1 is read-only").arg(m_fileName));
        const QString folder = info.absolutePath();
        if (!QDir(folder).exists() && !QDir().mkpath(folder))
            return fail(QStringLiteral("Cannot create the folder %1").arg(folder));
        // The file is written beside its final name and then renamed over it, so a crash half-way leaves the old
        // file whole. The replacement keeps the old file's permissions.
        QSaveFile file(m_fileName);
        if (!file.open(QIODevice::WriteOnly))
            return fail(QStringLiteral("Cannot write %1: %2").arg(m_fileName, file.errorString()));
        const QByteArray bytes = serialized();
        if (file.write(bytes) != bytes.size())
            return fail(QStringLiteral("Cannot write %1: %2").arg(m_fileName, file.errorString()));
        if (!file.commit())
            return fail(QStringLiteral("Cannot write %1: %2").arg(m_fileName, file.errorString()));
        return true;
    } catch (const std::exception& e) {
        return fail(QStringLiteral("Cannot write %1: %2").arg(m_fileName, QString::fromLocal8Bit(e.what())));
    }
}

QByteArray IniFile::serialized() const
{
    QString text;
    for (const Section& section : m_sections) {
        text += QLatin1Char('[') + section.name + QLatin1Char(']') + lineEnd;
        for (const Entry& entry : section.entries)
            text += entry.key + QLatin1Char('=') + entry.value + lineEnd;
        text += lineEnd;
    }
    return encode(text);
}

QStringList IniFile::sectionNames() const
{
    QStringList names;
    for (qsizetype i = 0; i < m_sections.size(); ++i) {
        if (m_groups.value(foldedName(m_sections[i].name)).firstSection == i)
            names.append(m_sections[i].name);
    }
    return names;
}

QStringList IniFile::keyNames(const QString& sectionName) const
{
    QStringList names;
    const QString foldedSection = foldedName(sectionName);
    const auto group = m_groups.constFind(foldedSection);
    if (group == m_groups.constEnd())
        return names;
    for (qsizetype s = group->firstSection; s < m_sections.size(); ++s) {
        if (foldedName(m_sections[s].name) != foldedSection)
            continue;
        const QList<Entry>& entries = m_sections[s].entries;
        for (qsizetype e = 0; e < entries.size(); ++e) {
            const Place first = group->firstKeys.value(foldedName(entries[e].key));
            if (first.section == s && first.entry == e)
                names.append(entries[e].key);
        }
    }
    return names;
}

bool IniFile::hasKey(const QString& section, const QString& key) const
{
    return findEntry(section, key) != nullptr;
}

QString IniFile::value(const QString& section, const QString& key, const QString& defaultValue) const
{
    const Entry* entry = findEntry(section, key);
    return entry ? entry->value : defaultValue;
}

bool IniFile::parseBool(const QString& text)
{
    const QStringView word = trimBlanks(text);
    for (const char* yes : { "TRUE", "YES", "Y" }) {
        if (word.compare(QLatin1StringView(yes), Qt::CaseInsensitive) == 0)
            return true;
    }
    for (const char* no : { "FALSE", "NO", "N" }) {
        if (word.compare(QLatin1StringView(no), Qt::CaseInsensitive) == 0)
            return false;
    }
    int number = 0;
    if (word.isEmpty() || parseDecimal(word, &number))
        return number != 0;
    throw IniConversionError(text, QStringLiteral("boolean"));
}

int IniFile::parseInteger(const QString& text)
{
    // Blanks around the number are ignored: the file loses them on the next load anyway, so the copy and the
    // file must agree on what the value means.
    const QStringView digits = trimBlanks(text);
    int number = 0;
    if (digits.isEmpty() || parseDecimal(digits, &number))
        return number;
    throw IniConversionError(text, QStringLiteral("integer"));
}
