#pragma once

#include <QList>
#include <QString>
#include <optional>

// The seven colour schemes the operator steps through with F10, as 0x00BBGGRR values (blue in the high
// byte), and which controls each part of a scheme colours. The window applies them; nothing here needs one.
namespace ColorSchemes {

// Every scheme also sets the window back to the idle colour.
constexpr quint32 WindowBackground = 0x374A42;
constexpr int SchemeCount = 7;

struct ColorScheme
{
    quint32 textFont; // font of the panes, the edit lines and the connection information
    quint32 labelFont; // font of the option boxes and the small labels
    quint32 background; // background of the panes, the edit lines and the two top labels

    bool operator==(const ColorScheme&) const = default;
};

// Scheme 0 to 6; any other number (only an edited settings file can give one) has no scheme.
std::optional<ColorScheme> scheme(int number);

// The scheme after number: 0 follows 6, every other number counts up, so an out-of-range number keeps
// counting until it wraps round to a real scheme.
int nextSchemeNumber(int number);

// The talking-station label is restored to this after it has highlighted a talker.
inline quint32 talkingNowColor(const ColorScheme& s)
{
    return s.background;
}

// Controls by object name.
const QStringList& textGroup();
const QStringList& labelGroup();
const QStringList& backgroundGroup();

enum class ColorRole
{
    Font,
    Background
};

struct ColorAssignment
{
    QString objectName;
    ColorRole role;
    quint32 color;

    bool operator==(const ColorAssignment&) const = default;
};

// Applying a scheme, in order: the text group's fonts, the label group's fonts, then the backgrounds.
// The window background (WindowBackground) is set before all of them.
QList<ColorAssignment> assignments(const ColorScheme& s);

} // namespace ColorSchemes
