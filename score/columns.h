#pragma once

#include "questionnaire.h"
#include "rowsink.h"
#include "settings.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

// From a CSV header to the output's columns: which columns hold the twenty
// answers, and where each output column's value comes from.
namespace belva::score {

// 1..20 for the column names an item column may have: "7", "q7", "Q07",
// "q_7", "item7", "Item-7", "item 7"; 0 otherwise.
[[nodiscard]] int ItemNumber(const QString &name);

// "colonnes trouvées : id, q1, ..." for the messages about a header.
[[nodiscard]] QString ColumnsFound(const QStringList &names);

enum class Source : std::uint8_t {
    Field,     // the input's field `index`
    Pseudonym, // the pseudonym of the input's field `index` (--identifiers)
    InputName, // the name of the input the row comes from
    Score,     // PS, PH, S, DG, Global: `index` 0..4
    Missing,   // the number of items not answered
    Error,     // Erreur
};

struct OutputColumn
{
    Source source;
    qint32 index = 0;
};

struct ColumnPlan
{
    std::array<qsizetype, ItemCount> items{}; // the input field of each answer
    std::array<QString, ItemCount> itemNames; // as the header spells them
    std::vector<OutputColumn> output;
    std::vector<Column> columns;
    // The header already held PS, PH, S, DG, Global and Erreur (an output of
    // this program): they are written afresh where they are.
    bool scoresInPlace = false;
};

// A header that cannot be scored; the message says why, with the columns found.
struct HeaderError
{
    QString message;
};

// The output of a CSV header: its columns (the earlier score columns in
// place), then those of the scores; Manquantes before Erreur with
// --missing=prorate; Fichier first when `fileColumn`, unless pseudonyms are
// written: then the columns of --identifiers hold pseudonyms, and each name
// given must be a column that is neither an answer nor computed afresh.
// Throws HeaderError.
[[nodiscard]] ColumnPlan PlanColumns(const QStringList &header, const Settings &settings, bool fileColumn);

} // namespace belva::score
