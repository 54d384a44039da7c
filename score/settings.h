#pragma once

#include "rowscorer.h"

#include <QChar>
#include <QStringList>

namespace belva::score {

enum class TextEncoding { Detect, Utf8, Windows1252 };
enum class OutputEncoding { LikeInput, Utf8, Utf8WithBom, Windows1252 };
enum class OutputFormat { Csv, Sav, Dta }; // CSV, SPSS, Stata 14 and later

// What the command line sets.
struct Settings
{
    MissingAnswers missing = MissingAnswers::Refuse;
    QStringList missingCodes;                     // --na: more texts that mean "no answer"
    QStringList items;                            // the twenty item columns; empty: found by name
    char delimiter = 0;                           // 0: detected from the header (';' for saved tests)
    TextEncoding encoding = TextEncoding::Detect;
    OutputEncoding outputEncoding = OutputEncoding::LikeInput;
    QChar decimalSeparator;                       // null: ',' when the delimiter is ';', '.' otherwise
    bool recursive = false;                       // folders: their sub-folders too
    // Pseudonyms in place of the patients' names: saved tests' Patient, or
    // the CSV columns named by `identifiers`; no Fichier column.
    bool pseudonymize = false;
    QStringList identifiers;
    OutputFormat format = OutputFormat::Csv;      // --format
    bool reliability = false;                     // --reliability: the scales' reliability instead of the rows
};

[[nodiscard]] inline QChar DecimalSeparatorFor(const Settings &settings, char delimiter)
{
    if (!settings.decimalSeparator.isNull())
        return settings.decimalSeparator;
    return delimiter == ';' ? QChar(u',') : QChar(u'.');
}

} // namespace belva::score
