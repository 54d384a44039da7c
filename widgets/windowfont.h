#pragma once

// The program's window font, and the average character width that dialog
// layouts and the report buffer's tab stops count in.

#include <QFont>

namespace belva {

inline constexpr char16_t WindowFontFamily[] = u"Tahoma";

// The window font: `family` (Tahoma) at 11 pixels, 8.25 points at 96 dots
// per inch; a sans serif of that size where the family is missing.
[[nodiscard]] QFont WindowFont(const QString &family = QString::fromUtf16(WindowFontFamily));

// The average width of the font's letters: the width of "a".."z" and
// "A".."Z" over 52, rounded.
[[nodiscard]] int AverageCharWidth(const QFont &font);

} // namespace belva
