#pragma once

#include "rowscorer.h"

#include <QChar>
#include <QStringList>

namespace belva::score {

enum class TextEncoding { Detect, Utf8, Windows1252 };

// What the command line sets.
struct Settings
{
    MissingAnswers missing = MissingAnswers::Refuse;
    QStringList items;                            // the twenty item columns; empty: found by name
    char delimiter = 0;                           // 0: detected from the header (';' for saved tests)
    TextEncoding encoding = TextEncoding::Detect;
    QChar decimalSeparator;                       // null: ',' when the delimiter is ';', '.' otherwise
};

[[nodiscard]] inline QChar DecimalSeparatorFor(const Settings &settings, char delimiter)
{
    if (!settings.decimalSeparator.isNull())
        return settings.decimalSeparator;
    return delimiter == ';' ? QChar(u',') : QChar(u'.');
}

// Score columns appended to every output row.
inline constexpr const char *ScoreColumns[] = {"PS", "PH", "S", "DG", "Global", "Erreur"};

} // namespace belva::score
