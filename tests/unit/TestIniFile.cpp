// The settings store: reading rules, value forms, what a save writes and how saving fails.
#include "app/IniFile.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

IniFile loaded(const QByteArray& bytes)
{
    IniFile ini;
    ini.setDefaultSection(QStringLiteral("Corvane"));
    ini.loadFromData(bytes);
    return ini;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void readingRules_data();
    void readingRules();
    void writtenCopy_data();
    void writtenCopy();
    void savedKeysKeepPlaceAndSpelling();
    void readBool_data();
    void readBool();
    void readInteger_data();
    void readInteger();
    void conversionError_data();
    void conversionError();
    void absentAndPresentEmptyValues();
    void valuesWrittenInTheirForms();
    void lineBreaksInWrittenText_data();
    void lineBreaksInWrittenText();
    void trailingBlankLostAfterReload();
    void repeatsKept_readsAndWritesGoToTheFirstOccurrence();
    void encodingKeptOnSave_data();
    void encodingKeptOnSave();
    void windows1252File_isWrittenBackInWindows1252_data();
    void windows1252File_isWrittenBackInWindows1252();
    void windows1252_everyByteRoundTrips();
    void missingFileGivesEmptyCopy();
    void newFileInMissingFolder();
    void commentGoneAfterSave();
    void readOnlyAtLoadIsNeverWritten();
    void fileMadeReadOnlyAfterLoadIsLeftAlone();
    void saveFailureReported_data();
    void saveFailureReported();
    void permissionsKeptOnSave();

private:
    QTemporaryDir m_dir;
};

void TestIniFile::readingRules_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("value");

    QTest::newRow("key and value") << QByteArray("[S]\r\nk=v\r\n") << "S"
                                   << "k" << true << "v";
    QTest::newRow("blanks around key and value") << QByteArray("[S]\r\n  k \t=  v w \t\r\n") << "S"
                                                 << "k" << true << "v w";
    QTest::newRow("value keeps later equals signs") << QByteArray("[S]\nk==a=b\n") << "S"
                                                    << "k" << true << "=a=b";
    QTest::newRow("no equals sign: empty value") << QByteArray("[S]\nlonely\n") << "S"
                                                 << "lonely" << true << "";
    QTest::newRow("empty key") << QByteArray("[S]\n=v\n") << "S"
                               << "" << true << "v";
    QTest::newRow("comment") << QByteArray("[S]\n;k=v\n") << "S"
                             << ";k" << false << "";
    QTest::newRow("indented comment") << QByteArray("[S]\n  ; k=v\n") << "S"
                                      << "; k" << false << "";
    QTest::newRow("hash is no comment") << QByteArray("[S]\n#k=v\n") << "S"
                                        << "#k" << true << "v";
    QTest::newRow("line before first section") << QByteArray("k=v\n[S]\n") << "S"
                                               << "k" << false << "";
    QTest::newRow("section name in any case") << QByteArray("[CorVane]\nk=v") << "CORVANE"
                                              << "k" << true << "v";
    QTest::newRow("key in any case") << QByteArray("[S]\nSpeakMessage=v") << "S"
                                     << "speakMESSAGE" << true << "v";
    QTest::newRow("indented section header") << QByteArray(" \t[S]  \nk=v") << "S"
                                             << "k" << true << "v";
    QTest::newRow("unclosed bracket is a key") << QByteArray("[S]\n[T\n") << "S"
                                               << "[T" << true << "";
    QTest::newRow("section name kept as written") << QByteArray("[ a]b ]\nk=v") << " a]b "
                                                  << "k" << true << "v";
    QTest::newRow("key of another section") << QByteArray("[S]\n[T]\nk=v") << "S"
                                            << "k" << false << "";
    QTest::newRow("CR line ends") << QByteArray("[S]\rk=v\rj=w\r") << "S"
                                  << "j" << true << "w";
    QTest::newRow("mixed line ends") << QByteArray("[S]\r\nk=v\nj=w\rl=x") << "S"
                                     << "l" << true << "x";
    QTest::newRow("repeated key: first wins") << QByteArray("[S]\nk=1\nK=2\n") << "S"
                                              << "k" << true << "1";
    QTest::newRow("key of a repeated section") << QByteArray("[S]\nk=1\n[T]\n[s]\nj=2\n") << "S"
                                               << "j" << true << "2";
    QTest::newRow("repeated key in a repeated section: first wins") << QByteArray("[s]\nk=1\n[S]\nk=2\n") << "S"
                                                                    << "k" << true << "1";
}

void TestIniFile::readingRules()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(bool, present);
    QFETCH(QString, value);

    const IniFile ini = loaded(file);
    QCOMPARE(ini.hasKey(section, key), present);
    QCOMPARE(ini.value(section, key, QStringLiteral("absent")), present ? value : QStringLiteral("absent"));
}

void TestIniFile::writtenCopy_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("empty file") << QByteArray() << QByteArray();
    QTest::newRow("only comments") << QByteArray("; nothing\n") << QByteArray();
    QTest::newRow("comments and empty lines dropped")
        << QByteArray("orphan=1\r\n; note\r\n[S]\r\n\r\n;c\r\nk=v\r\n") << QByteArray("[S]\r\nk=v\r\n\r\n");
    QTest::newRow("unknown sections and keys kept in order and spelling")
        << QByteArray("[Zeta]\r\nB=1\r\na=2\r\n[alpha]\r\nx=y\r\n")
        << QByteArray("[Zeta]\r\nB=1\r\na=2\r\n\r\n[alpha]\r\nx=y\r\n\r\n");
    QTest::newRow("LF and CR become CR LF") << QByteArray("[S]\nk=v\rj=w") << QByteArray("[S]\r\nk=v\r\nj=w\r\n\r\n");
    QTest::newRow("blanks around the equals sign dropped")
        << QByteArray("[S]\n  k \t= v \n") << QByteArray("[S]\r\nk=v\r\n\r\n");
    QTest::newRow("key without value gains equals sign")
        << QByteArray("[S]\nlonely") << QByteArray("[S]\r\nlonely=\r\n\r\n");
    QTest::newRow("section without keys kept")
        << QByteArray("[S]\n[T]\nk=v") << QByteArray("[S]\r\n\r\n[T]\r\nk=v\r\n\r\n");
    QTest::newRow("repeats kept where they stand")
        << QByteArray("[S]\nk=1\nk=0\n[T]\n[s]\nK=2\nj=3")
        << QByteArray("[S]\r\nk=1\r\nk=0\r\n\r\n[T]\r\n\r\n[s]\r\nK=2\r\nj=3\r\n\r\n");
}

void TestIniFile::writtenCopy()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, written);

    QCOMPARE(loaded(file).serialized(), written);
}

void TestIniFile::savedKeysKeepPlaceAndSpelling()
{
    IniFile ini = loaded("[Other]\r\nz=9\r\n[corvane]\r\nleft=1\r\nOther=x\r\n");
    ini.writeInteger(QStringLiteral("LEFT"), 5);
    ini.writeString(QStringLiteral("AbsentMsg"), QStringLiteral("hi"));
    ini.writeBool(QStringLiteral("SpeakMessage"), true);
    ini.writeString(QStringLiteral("absentmsg"), QStringLiteral("again"));
    ini.setDefaultSection(QStringLiteral("New"));
    ini.writeString(QStringLiteral("k"), QStringLiteral("v"));

    QCOMPARE(ini.serialized(),
             QByteArray("[Other]\r\nz=9\r\n\r\n"
                        "[corvane]\r\nleft=5\r\nOther=x\r\nAbsentMsg=again\r\nSpeakMessage=TRUE\r\n\r\n"
                        "[New]\r\nk=v\r\n\r\n"));
}

void TestIniFile::readBool_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("expected");

    for (const char* word : { "TRUE", "true", "tRuE", "YES", "yes", "Y", "y", "1", "-1", "42", "+3" })
        QTest::newRow(word) << QString::fromLatin1(word) << true;
    for (const char* word : { "FALSE", "false", "No", "NO", "N", "n", "0", "-0" })
        QTest::newRow(word) << QString::fromLatin1(word) << false;
    QTest::newRow("empty is zero") << QString() << false;
}

void TestIniFile::readBool()
{
    QFETCH(QString, stored);
    QFETCH(bool, expected);

    QCOMPARE(loaded("[Corvane]\r\nk=" + stored.toUtf8()).readBool(QStringLiteral("k"), !expected), expected);
}

void TestIniFile::readInteger_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("expected");

    QTest::newRow("empty is zero") << "" << 0;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("positive") << "680" << 680;
    QTest::newRow("negative") << "-80" << -80;
    QTest::newRow("plus sign") << "+7" << 7;
    QTest::newRow("leading zeros") << "007" << 7;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << int(-2147483648LL);
}

void TestIniFile::readInteger()
{
    QFETCH(QString, stored);
    QFETCH(int, expected);

    QCOMPARE(loaded("[Corvane]\r\nk=" + stored.toUtf8()).readInteger(QStringLiteral("k"), 12345), expected);
}

void TestIniFile::conversionError_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("asBool");
    QTest::addColumn<QString>("message");

    const auto integerRow = [](const char* name, const QString& stored) {
        QTest::newRow(name) << stored << false << QStringLiteral("'%1' is not a valid integer value").arg(stored);
    };
    integerRow("letters", QStringLiteral("abc"));
    integerRow("trailing letters", QStringLiteral("12abc"));
    integerRow("inner blank", QStringLiteral("1 2"));
    integerRow("hexadecimal", QStringLiteral("0x10"));
    integerRow("fraction", QStringLiteral("1.5"));
    integerRow("sign alone", QStringLiteral("-"));
    integerRow("two signs", QStringLiteral("--1"));
    integerRow("too large", QStringLiteral("2147483648"));
    integerRow("far too large", QStringLiteral("99999999999999999999"));
    integerRow("too small", QStringLiteral("-2147483649"));
    integerRow("non-ASCII digits", QStringLiteral("\u0663"));
    integerRow("Boolean word", QStringLiteral("TRUE"));
    QTest::newRow("unknown Boolean word") << "maybe" << true << "'maybe' is not a valid boolean value";
    QTest::newRow("word and more") << "yes please" << true << "'yes please' is not a valid boolean value";
    QTest::newRow("Boolean fraction") << "1.0" << true << "'1.0' is not a valid boolean value";
}

void TestIniFile::conversionError()
{
    QFETCH(QString, stored);
    QFETCH(bool, asBool);
    QFETCH(QString, message);

    const IniFile ini = loaded("[Corvane]\r\nk=" + stored.toUtf8());
    try {
        asBool ? (void)ini.readBool(QStringLiteral("k"), false) : (void)ini.readInteger(QStringLiteral("k"), 0);
        QFAIL("no conversion error raised");
    } catch (const IniConversionError& error) {
        QCOMPARE(error.message(), message);
        QCOMPARE(QString::fromStdString(error.what()), message);
    }
}

void TestIniFile::absentAndPresentEmptyValues()
{
    const IniFile ini = loaded("[Corvane]\r\nKeyboardSpeak=\r\nLeft=\r\nAbsentMsg=\r\nCallsign7\r\n");

    QCOMPARE(ini.readBool(QStringLiteral("KeyboardSpeak"), true), false);
    QCOMPARE(ini.readInteger(QStringLiteral("Left"), 40), 0);
    QCOMPARE(ini.readString(QStringLiteral("AbsentMsg"), QStringLiteral("Sorry")), QString());
    QCOMPARE(ini.readString(QStringLiteral("Callsign7"), QStringLiteral("NO CALL")), QString());
    QCOMPARE(ini.readBool(QStringLiteral("SpeakMessage"), true), true);
    QCOMPARE(ini.readInteger(QStringLiteral("Top"), 70), 70);
    QCOMPARE(ini.readString(QStringLiteral("Callsign8"), QStringLiteral("NO CALL")), QStringLiteral("NO CALL"));
}

void TestIniFile::valuesWrittenInTheirForms()
{
    IniFile ini = loaded("[Corvane]\r\nSpeakMessage=yes\r\nColorToggle=0\r\n");
    ini.writeBool(QStringLiteral("SpeakMessage"), ini.readBool(QStringLiteral("SpeakMessage"), false));
    ini.writeBool(QStringLiteral("ColorToggle"), ini.readBool(QStringLiteral("ColorToggle"), true));
    ini.writeInteger(QStringLiteral("VolumeLevel"), -80);

    QCOMPARE(ini.serialized(),
             QByteArray("[Corvane]\r\nSpeakMessage=TRUE\r\nColorToggle=FALSE\r\nVolumeLevel=-80\r\n\r\n"));
}

void TestIniFile::lineBreaksInWrittenText_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("storedKey");
    QTest::addColumn<QString>("stored");

    QTest::newRow("CR LF inside") << "AbsentMsg"
                                  << "back\r\nsoon"
                                  << "AbsentMsg"
                                  << "back  soon";
    QTest::newRow("lone CR and LF") << "AbsentMsg"
                                    << "a\rb\nc"
                                    << "AbsentMsg"
                                    << "a b c";
    QTest::newRow("forged section and key") << "AbsentMsg"
                                            << "away\n[Evil]\nSpeechEnable=FALSE"
                                            << "AbsentMsg"
                                            << "away [Evil] SpeechEnable=FALSE";
    QTest::newRow("line break in a key") << "Bad\nKey"
                                         << "v"
                                         << "Bad Key"
                                         << "v";
}

void TestIniFile::lineBreaksInWrittenText()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(QString, storedKey);
    QFETCH(QString, stored);

    IniFile ini = loaded({});
    ini.writeString(key, text);
    const IniFile reloaded = loaded(ini.serialized());

    QCOMPARE(reloaded.sectionNames(), QStringList { QStringLiteral("Corvane") });
    QCOMPARE(reloaded.keyNames(QStringLiteral("Corvane")), QStringList { storedKey });
    QCOMPARE(reloaded.readString(storedKey, {}), stored);
}

void TestIniFile::trailingBlankLostAfterReload()
{
    const QString message = QStringLiteral("Sorry I am out of the shack. ");
    IniFile ini = loaded({});
    ini.writeString(QStringLiteral("AbsentMsg"), QStringLiteral("  ") + message);

    QCOMPARE(ini.readString(QStringLiteral("AbsentMsg"), {}), QStringLiteral("  ") + message);
    QCOMPARE(loaded(ini.serialized()).readString(QStringLiteral("AbsentMsg"), {}), message.trimmed());
}

void TestIniFile::repeatsKept_readsAndWritesGoToTheFirstOccurrence()
{
    const QByteArray file("[Corvane]\r\nLeft=1\r\nleft=2\r\n\r\n"
                          "[Other]\r\nx=1\r\n\r\n"
                          "[corvane]\r\nLeft=3\r\nTop=4\r\n\r\n");
    IniFile ini = loaded(file);
    QCOMPARE(ini.serialized(), file);
    QCOMPARE(ini.sections().size(), 3);
    QCOMPARE(ini.sectionNames(), QStringList({ "Corvane", "Other" }));
    QCOMPARE(ini.keyNames(QStringLiteral("CORVANE")), QStringList({ "Left", "Top" }));
    QCOMPARE(ini.readInteger(QStringLiteral("left"), 0), 1);
    QCOMPARE(ini.readInteger(QStringLiteral("Top"), 0), 4);

    ini.writeInteger(QStringLiteral("Left"), 9);
    ini.writeInteger(QStringLiteral("Top"), 8);
    ini.writeInteger(QStringLiteral("Width"), 7);
    QCOMPARE(ini.serialized(),
             QByteArray("[Corvane]\r\nLeft=9\r\nleft=2\r\nWidth=7\r\n\r\n"
                        "[Other]\r\nx=1\r\n\r\n"
                        "[corvane]\r\nLeft=3\r\nTop=8\r\n\r\n"));
    QCOMPARE(loaded(ini.serialized()).sections(), ini.sections());
}

void TestIniFile::encodingKeptOnSave_data()
{
    QTest::addColumn<QByteArray>("mark");
    QTest::addColumn<int>("converter");
    QTest::addColumn<IniFile::Encoding>("encoding");

    QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF") << int(QStringConverter::Utf8)
                                     << IniFile::Encoding::Utf8WithBom;
    QTest::newRow("UTF-16 LE with mark") << QByteArray("\xFF\xFE") << int(QStringConverter::Utf16LE)
                                         << IniFile::Encoding::Utf16LeWithBom;
    QTest::newRow("UTF-16 BE with mark") << QByteArray("\xFE\xFF") << int(QStringConverter::Utf16BE)
                                         << IniFile::Encoding::Utf16BeWithBom;
    QTest::newRow("no mark: locale") << QByteArray() << int(QStringConverter::System) << IniFile::Encoding::Locale;
}

void TestIniFile::encodingKeptOnSave()
{
    QFETCH(QByteArray, mark);
    QFETCH(int, converter);
    QFETCH(IniFile::Encoding, encoding);
    const auto textEncoding = static_cast<QStringConverter::Encoding>(converter);
    const QString path = m_dir.filePath(QStringLiteral("encoded-%1.ini").arg(converter));
    writeFile(path, mark + QStringEncoder(textEncoding)(QStringLiteral("[Corvane]\r\nAbsentMsg=Grüße ☺\r\n")));

    IniFile ini;
    ini.setFileName(path);
    ini.setDefaultSection(QStringLiteral("Corvane"));
    QCOMPARE(ini.encoding(), encoding);
    QCOMPARE(ini.readString(QStringLiteral("AbsentMsg"), {}), QStringLiteral("Grüße ☺"));
    ini.writeString(QStringLiteral("Callsign1"), QStringLiteral("Ω1ÄB"));
    QVERIFY(ini.save());

    const QByteArray written = fileBytes(path);
    QVERIFY(written.startsWith(mark));
    QVERIFY(!written.startsWith("\xEF\xBB\xBF") || !mark.isEmpty());
    QCOMPARE(QString(QStringDecoder(textEncoding)(written.mid(mark.size()))),
             QStringLiteral("[Corvane]\r\nAbsentMsg=Grüße ☺\r\nCallsign1=Ω1ÄB\r\n\r\n"));
}

void TestIniFile::windows1252File_isWrittenBackInWindows1252_data()
{
    QTest::addColumn<QString>("written"); // AbsentMsg after the load; empty: no write
    QTest::addColumn<QByteArray>("storedBytes");
    QTest::addColumn<QString>("readBack");

    QTest::newRow("unchanged file") << QString() << QByteArray("caf\xE9 \x80\x9C\x81")
                                    << "caf\u00e9 \u20ac\u0153\u0081";
    QTest::newRow("accented letters written") << "Gr\u00fc\u00dfe \u2013 \u20ac5"
                                              << QByteArray("Gr\xFC\xDF"
                                                            "e \x96 \x80"
                                                            "5")
                                              << "Gr\u00fc\u00dfe \u2013 \u20ac5";
    QTest::newRow("what the code page lacks becomes ?") << "\u03a91\u00c4B \U0001F4E1"
                                                        << QByteArray("?1\xC4"
                                                                      "B ?")
                                                        << "?1\u00c4B ?";
}

void TestIniFile::windows1252File_isWrittenBackInWindows1252()
{
    QFETCH(QString, written);
    QFETCH(QByteArray, storedBytes);
    QFETCH(QString, readBack);
    const QString path = m_dir.filePath(QStringLiteral("windows-%1.ini").arg(QTest::currentDataTag()));
    const QByteArray original("[Corvane]\r\nAbsentMsg=caf\xE9 \x80\x9C\x81\r\nCallsign1=Jos\xE9\r\n\r\n");
    writeFile(path, original);

    IniFile ini;
    ini.setFileName(path);
    ini.setDefaultSection(QStringLiteral("Corvane"));
    QCOMPARE(ini.encoding(), IniFile::Encoding::Windows1252);
    QCOMPARE(ini.readString(QStringLiteral("Callsign1"), {}), QStringLiteral("Jos\u00e9"));
    if (!written.isNull())
        ini.writeString(QStringLiteral("AbsentMsg"), written);
    QCOMPARE(ini.readString(QStringLiteral("AbsentMsg"), {}), readBack);
    QVERIFY(ini.save());

    QCOMPARE(fileBytes(path), "[Corvane]\r\nAbsentMsg=" + storedBytes + "\r\nCallsign1=Jos\xE9\r\n\r\n");
    IniFile reloaded;
    reloaded.setFileName(path);
    QCOMPARE(reloaded.encoding(), IniFile::Encoding::Windows1252);
    QCOMPARE(reloaded.sections(), ini.sections());
}

void TestIniFile::windows1252_everyByteRoundTrips()
{
    QByteArray value;
    for (int byte = 0x21; byte <= 0xFF; ++byte)
        value += char(byte);
    const QByteArray file = "[Corvane]\r\nk=" + value + "\r\n\r\n";
    const IniFile ini = loaded(file);
    QCOMPARE(ini.encoding(), IniFile::Encoding::Windows1252);
    QCOMPARE(ini.readString(QStringLiteral("k"), {}).size(), value.size());
    QCOMPARE(ini.serialized(), file);
}

void TestIniFile::missingFileGivesEmptyCopy()
{
    IniFile ini;
    ini.setFileName(m_dir.filePath(QStringLiteral("none/Corvane.ini")));
    ini.setDefaultSection(QStringLiteral("Corvane"));

    QVERIFY(ini.sectionNames().isEmpty());
    QVERIFY(!ini.isReadOnly());
    QCOMPARE(ini.readInteger(QStringLiteral("Left"), 40), 40);
}

void TestIniFile::newFileInMissingFolder()
{
    const QString path = m_dir.filePath(QStringLiteral("Documents/EchoLink/Corvane.ini"));
    IniFile ini;
    ini.setFileName(path);
    ini.setDefaultSection(QStringLiteral("Corvane"));
    ini.writeBool(QStringLiteral("SpeakMessage"), false);
    ini.writeString(QStringLiteral("Callsign1"), QStringLiteral("Q1AB"));

    QString error;
    QVERIFY2(ini.save(&error), qPrintable(error));
    QCOMPARE(fileBytes(path), QByteArray("[Corvane]\r\nSpeakMessage=FALSE\r\nCallsign1=Q1AB\r\n\r\n"));
}

void TestIniFile::commentGoneAfterSave()
{
    const QString path = m_dir.filePath(QStringLiteral("comment.ini"));
    writeFile(path, "; my notes\r\n[Corvane]\r\n; keep left\r\nLeft=3\r\n");
    IniFile ini;
    ini.setFileName(path);

    QVERIFY(ini.save());
    QCOMPARE(fileBytes(path), QByteArray("[Corvane]\r\nLeft=3\r\n\r\n"));
}

void TestIniFile::readOnlyAtLoadIsNeverWritten()
{
    const QString path = m_dir.filePath(QStringLiteral("readonly.ini"));
    const QByteArray original("; hands off\n[Corvane]\nLeft=3\n");
    writeFile(path, original);
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    IniFile ini;
    ini.setFileName(path);
    ini.setDefaultSection(QStringLiteral("Corvane"));
    QVERIFY(ini.isReadOnly());
    ini.writeInteger(QStringLiteral("Left"), 99);
    QCOMPARE(ini.readInteger(QStringLiteral("Left"), 0), 3);

    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner)); // writable again: still left alone
    QString error;
    QVERIFY(!ini.save(&error));
    QVERIFY2(error.contains(QStringLiteral("read-only")), qPrintable(error));
    QCOMPARE(fileBytes(path), original);
}

void TestIniFile::fileMadeReadOnlyAfterLoadIsLeftAlone()
{
    const QString path = m_dir.filePath(QStringLiteral("later-readonly.ini"));
    writeFile(path, "[Corvane]\r\nLeft=3\r\n");
    IniFile ini;
    ini.setFileName(path);
    ini.setDefaultSection(QStringLiteral("Corvane"));
    ini.writeInteger(QStringLiteral("Left"), 99);
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));

    QString error;
    QVERIFY(!ini.save(&error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(fileBytes(path), QByteArray("[Corvane]\r\nLeft=3\r\n"));
}

void TestIniFile::saveFailureReported_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("unreadable"); // a file that cannot be loaded is treated as read-only

    writeFile(m_dir.filePath(QStringLiteral("blocker")), "not a folder");
    QTest::newRow("parent path is a regular file")
        << m_dir.filePath(QStringLiteral("blocker/EchoLink/Corvane.ini")) << false;
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder.ini")));
    QTest::newRow("file name is a folder") << m_dir.filePath(QStringLiteral("folder.ini")) << true;
    QTest::newRow("no file name") << QString() << false;
}

void TestIniFile::saveFailureReported()
{
    QFETCH(QString, path);
    QFETCH(bool, unreadable);
    IniFile ini;
    ini.setFileName(path);
    ini.setDefaultSection(QStringLiteral("Corvane"));
    ini.writeString(QStringLiteral("Callsign1"), QStringLiteral("Q1AB"));

    QString error;
    QVERIFY(!ini.save(&error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(ini.isReadOnly(), unreadable);
    QCOMPARE(ini.readString(QStringLiteral("Callsign1"), {}), unreadable ? QString() : QStringLiteral("Q1AB"));
    QVERIFY(!ini.save()); // without a place for the reason
}

void TestIniFile::permissionsKeptOnSave()
{
    const QString path = m_dir.filePath(QStringLiteral("permissions.ini"));
    writeFile(path, "[Corvane]\r\n");
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(path, permissions));
    IniFile ini;
    ini.setFileName(path);
    ini.setDefaultSection(QStringLiteral("Corvane"));
    ini.writeInteger(QStringLiteral("Left"), 1);

    QVERIFY(ini.save());
    QCOMPARE(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser), permissions);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "TestIniFile.moc"
