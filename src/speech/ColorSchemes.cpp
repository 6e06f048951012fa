#include "speech/ColorSchemes.h"

#include <array>

namespace ColorSchemes {

namespace {

constexpr quint32 Black = 0x000000;
constexpr quint32 White = 0xFFFFFF;
constexpr quint32 Yellow = 0x00FFFF;
constexpr quint32 Aqua = 0xFFFF00;
constexpr quint32 Lime = 0x00FF00;
constexpr quint32 Red = 0x0000FF;
constexpr quint32 Navy = 0x800000;

constexpr std::array<ColorScheme, SchemeCount> schemes { {
    { Black, Black, White },
    { White, White, Black },
    { Yellow, Yellow, Navy },
    { Aqua, Aqua, Navy },
    { Lime, Yellow, Black },
    { Red, Yellow, Black },
    { Aqua, Aqua, Black },
} };

void assign(QList<ColorAssignment>& out, const QStringList& group, ColorRole role, quint32 color)
{
    for (const QString& name : group)
        out.append({ name, role, color });
}

} // namespace

std::optional<ColorScheme> scheme(int number)
{
    if (number < 0 || number >= SchemeCount)
        return std::nullopt;
    return schemes[static_cast<size_t>(number)];
}

int nextSchemeNumber(int number)
{
    if (number == SchemeCount - 1)
        return 0;
    // Counting on past the largest number wraps round instead of overflowing.
    return static_cast<int>(static_cast<unsigned>(number) + 1u);
}

const QStringList& textGroup()
{
    static const QStringList names { QStringLiteral("redtChat"), QStringLiteral("edtChat"),
                                     QStringLiteral("redtStation"), QStringLiteral("edtAbsent"),
                                     QStringLiteral("lblConnInfo") };
    return names;
}

const QStringList& labelGroup()
{
    static const QStringList names { QStringLiteral("lblFontSize"),      QStringLiteral("cbCheckAway"),
                                     QStringLiteral("SpeakCheckBox"),    QStringLiteral("ButtonAnnounceCheckBox"),
                                     QStringLiteral("KeySpeakCheckBox"), QStringLiteral("lblStationCount") };
    return names;
}

const QStringList& backgroundGroup()
{
    static const QStringList names { QStringLiteral("redtChat"),      QStringLiteral("redtStation"),
                                     QStringLiteral("edtAbsent"),     QStringLiteral("lblConnInfo"),
                                     QStringLiteral("lblTalkingNow"), QStringLiteral("edtChat") };
    return names;
}

QList<ColorAssignment> assignments(const ColorScheme& s)
{
    QList<ColorAssignment> out;
    assign(out, textGroup(), ColorRole::Font, s.textFont);
    assign(out, labelGroup(), ColorRole::Font, s.labelFont);
    assign(out, backgroundGroup(), ColorRole::Background, s.background);
    return out;
}

} // namespace ColorSchemes
