#pragma once
// Files carried over from Windows hold text in its Western 8-bit code page, Windows-1252. Qt reads it only through
// ICU, and not byte for byte, so the code page is kept here: every byte reads as one character and every such
// character writes back as the same byte. The five bytes the code page leaves unassigned (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) read as the control characters of the same number, as Windows itself reads them.
//
// Text that is not valid UTF-8 is taken to be Windows-1252: valid UTF-8 with bytes above 0x7F is rare in that code
// page (it needs a lead byte such as "Ã" followed by a punctuation byte each time), while a single accented letter
// written by Windows already makes the text invalid UTF-8.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace TextEncoding {

QString decodeWindows1252(QByteArrayView bytes);

// Characters the code page has no byte for are written as "?", as Windows writes them.
QByteArray encodeWindows1252(QStringView text);

// True when every character of text has a byte of its own in the code page.
bool canEncodeWindows1252(QStringView text);

// The text of bytes that are valid UTF-8 (a leading byte-order mark kept as a character), or nothing.
std::optional<QString> decodeUtf8(QByteArrayView bytes);

// The text as UTF-8 when the bytes are valid UTF-8, else as Windows-1252.
QString decodeUtf8OrWindows1252(QByteArrayView bytes);

} // namespace TextEncoding
