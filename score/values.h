#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// A value's text read as the scorer reads an answer, or as a plain number,
// for the outputs that hold numbers rather than texts.
namespace belva::score {

// 0..5 for an answer the scorer takes: one digit, alone or with a decimal
// part of zeros ("4", "4,0", "4.00"), blanks around it ignored; -1 for
// anything else (a missing answer, a refused one).
[[nodiscard]] int AnswerValue(QByteArrayView text);

// An empty text, "NA", "NaN", "#N/A", "." (as R, pandas, Excel and SAS write
// what is missing) or one of `codes` (--na); `trimmed` without blanks around.
[[nodiscard]] bool IsMissingText(const QString &trimmed, const QStringList &codes);

// A number as a spreadsheet writes one: an optional sign, digits without
// padding zeros ("7", not "007", which is a code), and a decimal part after
// "." (or after `decimalSeparator`), blanks around it ignored; at most 15
// digits, so that the number gives its text back. Nothing else is a number.
struct Number
{
    double value = 0;
    std::uint8_t integerDigits = 0;
    std::uint8_t decimals = 0;
};
[[nodiscard]] std::optional<Number> ReadNumber(QByteArrayView text, char decimalSeparator);

} // namespace belva::score
