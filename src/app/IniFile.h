#pragma once
// The settings store: an in-memory copy of an INI-style file, loaded once when the file name is given and written
// back whole on save().
//
// Reading rules. Every line is taken without leading and trailing blanks (a blank is any character up to and
// including U+0020: space, tab and the other control characters). A line that starts with "[" and ends with "]"
// starts a section named by the text between the brackets, kept as written. Inside a section, every other non-empty
// line is key=value: the key is the text before the first "=" without trailing blanks, the value the text after it
// without leading blanks; a line without "=" is a key with an empty value. Empty lines, lines starting with ";" and
// lines before the first section are dropped. Lines may end in CR LF, LF or CR.
//
// Names are compared without regard to letter case. Every section and key line is kept where it stands, repeats
// included: a section that appears again stays a section of its own, and a key that appears again stays beside the
// first, so a file written by hand or by another tool keeps every key it had. Reads see the first occurrence: the
// first line of that key in any section of that name, in file order. A write changes that first occurrence in
// place; a key the copy does not hold yet joins the end of the first section of that name, and a section it does
// not hold yet is appended. A save followed by a reload gives back exactly the same copy.
//
// Writing: every section in copy order as "[name]", its keys as key=value in copy order, then an empty line, all
// ending in CR LF (the files are shared with tools that expect those). A line break inside a written name or value
// becomes a blank, so text set remotely (an away message) can never add keys or sections of its own.
//
// Encoding: the file is written in the encoding it was loaded in. A byte-order mark names it (UTF-8 or UTF-16
// LE/BE, written back with the mark). Without a mark the text is in the locale's encoding (UTF-8) when it is valid
// there, and otherwise in Windows-1252, the code page of a file carried over from a Windows machine; either is
// written back without a mark, so not one byte of a Windows-1252 text changes on its way through the copy. Text
// that a Windows-1252 file cannot hold is written as "?", and the copy holds the "?" too, so it always says what the
// file says. A new file is written in the locale's encoding without a mark. A Windows-1252 file whose only bytes
// beyond ASCII sat in dropped lines (a comment) is plain ASCII once written and reads as the locale's encoding
// from then on; nothing of its text changes.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>

// A stored value that cannot be read in the type asked for.
class IniConversionError : public std::runtime_error
{
public:
    IniConversionError(const QString& value, const QString& typeName);
    QString message() const { return m_message; } // "'abc' is not a valid integer value"
    QString value() const { return m_value; }

private:
    QString m_message;
    QString m_value;
};

class IniFile
{
public:
    enum class Encoding
    {
        Locale,
        Utf8WithBom,
        Utf16LeWithBom,
        Utf16BeWithBom,
        Windows1252
    };

    struct Entry
    {
        QString key;
        QString value;
        friend bool operator==(const Entry&, const Entry&) = default;
    };
    struct Section
    {
        QString name;
        QList<Entry> entries;
        friend bool operator==(const Section&, const Section&) = default;
    };

    // Loads the file into the copy (an empty copy when it is missing or unreadable) and notes whether it is
    // read-only now. Changes other programs make to the file later are not seen.
    void setFileName(const QString& path);
    QString fileName() const { return m_fileName; }

    // Replaces the copy with the contents of a file image, as setFileName() does with the file's bytes. The file
    // name and the read-only state stay as they are.
    void loadFromData(const QByteArray& bytes);

    void setDefaultSection(const QString& name);
    QString defaultSection() const { return m_defaultSection; }

    // Reads from the default section. An absent key yields the default; a present key its stored value, even an
    // empty one.
    QString readString(const QString& key, const QString& defaultValue) const;
    bool readBool(const QString& key, bool defaultValue) const; // throws IniConversionError
    int readInteger(const QString& key, int defaultValue) const; // throws IniConversionError
    bool hasKey(const QString& key) const;

    // Writes to the default section of the copy; ignored when the file was read-only at load.
    void writeString(const QString& key, const QString& value);
    void writeBool(const QString& key, bool value); // "TRUE" / "FALSE"
    void writeInteger(const QString& key, int value);

    // True when the file existed at load without write permission (see isReadOnlyOnDisk() in the source).
    bool isReadOnly() const { return m_readOnly; }
    Encoding encoding() const { return m_encoding; }

    // Writes the whole copy to the file, replacing it atomically; the folder is created when missing. Returns false
    // and sets *error to a reason a person can read when nothing was written. Never throws.
    bool save(QString* error = nullptr);
    QByteArray serialized() const; // exactly what save() writes

    // The names a read can find, each once, in the order and spelling of its first occurrence.
    QStringList sectionNames() const;
    QStringList keyNames(const QString& section) const;
    // Every section line and key line the copy holds, in file order, repeats included.
    const QList<Section>& sections() const { return m_sections; }
    bool hasKey(const QString& section, const QString& key) const;
    QString value(const QString& section, const QString& key, const QString& defaultValue = {}) const;

    // Boolean and integer forms of stored text, shared by the typed reads.
    static bool parseBool(const QString& text); // throws IniConversionError
    static int parseInteger(const QString& text); // throws IniConversionError

private:
    // Where the first occurrence of a key sits.
    struct Place
    {
        qsizetype section = -1;
        qsizetype entry = -1;
    };
    // All sections of one name, compared without letter case.
    struct NameGroup
    {
        qsizetype firstSection = -1;
        QHash<QString, Place> firstKeys; // case-folded key -> first occurrence
    };
    struct ParseState
    {
        qsizetype section = -1;
        QString foldedSection;
    };

    void clear();
    QString decode(const QByteArray& bytes);
    QByteArray encode(const QString& text) const;
    QString storable(const QString& text) const;
    void parseLine(QStringView line, ParseState& state);
    void addEntry(qsizetype section, const QString& foldedSection, const Entry& entry);
    const Entry* findEntry(const QString& section, const QString& key) const;
    void setEntry(const QString& section, const QString& key, const QString& value);

    QString m_fileName;
    QString m_defaultSection;
    QList<Section> m_sections;
    QHash<QString, NameGroup> m_groups; // case-folded section name -> its sections and first keys
    Encoding m_encoding = Encoding::Locale;
    bool m_readOnly = false;
};
