#pragma once

#include <QSet>
#include <QString>

namespace belva::score {

// Variable names that SPSS, Stata, R and pandas all take: ASCII letters,
// digits and "_", a letter first, at most 32 characters, no reserved word
// of SPSS or Stata, and unique whatever the letter case.
class VariableNames
{
public:
    static constexpr int Longest = 32;

    // Takes `name` as it is; false when it is not valid or already taken.
    [[nodiscard]] bool take(const QString &name);
    // A valid name made from a column's: accents dropped ("é" as "e", "œ"
    // as "oe"), every other character not allowed as "_", "v" ahead of a
    // digit or a reserved word, "v<column>" for a name with nothing left,
    // cut to 32 characters, then "_2", "_3"... when taken.
    [[nodiscard]] QString make(const QString &header, int column);

    [[nodiscard]] static bool isValid(const QString &name);

private:
    QSet<QString> m_taken; // in lower case
};

} // namespace belva::score
