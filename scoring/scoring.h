#pragma once

#include "errors.h"
#include "questionnaire.h"

#include <QChar>
#include <QString>
#include <array>

namespace belva {

struct Score
{
    double percent = 0;       // unrounded
    long double rounded = 0;  // rounded to two decimals
    QString text;             // display text
};

struct ScoreSet
{
    std::array<Score, DimensionCount> dimensions; // PS, PH, S, DG
    Score global;
    QString status;           // "Score global (%) : " + global text
};

using AnswerTexts = std::array<QString, ItemCount>;

inline constexpr char16_t StatusPrefix[] = u"Score global (%) : ";

// The general integer conversion: leading blanks, an optional sign, decimal
// digits or a hexadecimal form ("$1F", "0x1F"). Throws ConversionError.
[[nodiscard]] int ParseAnswer(const QString &text);

// Scores the twenty answers, in item order. Throws the ConversionError of
// the first answer that does not convert; there is no partial result.
[[nodiscard]] ScoreSet ComputeScores(const AnswerTexts &answers, QChar decimalSeparator);

// The decimal separator of the user's locale (QLocale()); "." when it has none.
[[nodiscard]] QChar LocaleDecimalSeparator();

// The percentage of a dimension from the sum of its answers (a pro-rated sum
// need not be whole): the division first, then × 100, in extended precision.
[[nodiscard]] double DimensionPercent(long double sum, int divisor);

// The global percentage: the mean of the four dimension percentages.
[[nodiscard]] double GlobalPercent(const std::array<double, DimensionCount> &dimensionPercents);

// A percentage, its rounded value and its display text.
[[nodiscard]] Score MakeScore(double percent, QChar decimalSeparator);

// value × 10^digits rounded half to even, divided back.
[[nodiscard]] long double RoundScore(long double value, int digits);

// General format, up to 15 significant digits, no exponent, no trailing zeros.
[[nodiscard]] QString FormatScore(long double value, QChar decimalSeparator);

} // namespace belva
