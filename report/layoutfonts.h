#pragma once

// Fonts of template layouts written as constant tables: a font spelled as a
// literal (name, height in pixels, bold), or inherited from the band or page.

#include "macc.h"
#include "template.h"

#include <QString>

#include <optional>

namespace tarel::report::layout {

struct FontSpec {
    const char *name = nullptr; // nullptr: inherited
    double height = 0;
    bool bold = false;
};

// The fonts the report layouts use.
inline constexpr FontSpec kInherited{};
inline constexpr FontSpec kSwiss12{kMaccSwiss, 12};
inline constexpr FontSpec kSwiss12Bold{kMaccSwiss, 12, true};
inline constexpr FontSpec kSwiss13{kMaccSwiss, 13};
inline constexpr FontSpec kSwiss13Bold{kMaccSwiss, 13, true};
inline constexpr FontSpec kSwiss15{kMaccSwiss, 15};
inline constexpr FontSpec kSwiss15Bold{kMaccSwiss, 15, true};
inline constexpr FontSpec kSwiss16Bold{kMaccSwiss, 16, true};
inline constexpr FontSpec kMacTimes13{kMaccTimes, 13};
inline constexpr FontSpec kArial12{"Arial", 12};
inline constexpr FontSpec kArial13{"Arial", 13};
inline constexpr FontSpec kArial13Bold{"Arial", 13, true};
inline constexpr FontSpec kArial15{"Arial", 15};
inline constexpr FontSpec kArial15Bold{"Arial", 15, true};
inline constexpr FontSpec kArial16{"Arial", 16};
inline constexpr FontSpec kArial16Bold{"Arial", 16, true};
inline constexpr FontSpec kTimes13{"Times New Roman", 13};
inline constexpr FontSpec kTimes13Bold{"Times New Roman", 13, true};

// The cell's own font, or none where it inherits.
inline std::optional<Font> toFont(const FontSpec &stated)
{
    if (!stated.name)
        return std::nullopt;
    Font font;
    font.name = QString::fromLatin1(stated.name);
    font.height = stated.height;
    font.bold = stated.bold;
    return font;
}

// "Memo" and a number: the name of most cells.
inline QString memoName(int number) { return QStringLiteral("Memo") + QString::number(number); }

} // namespace tarel::report::layout
