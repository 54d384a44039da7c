#pragma once

#include "columns.h"
#include "csvreader.h"
#include "inputtext.h"
#include "rowscorer.h"
#include "settings.h"

#include <QString>

#include <optional>
#include <vector>

class QIODevice;

namespace belva::score {

class Pseudonymizer;
class Report;
class RowSink;

// Scores CSV inputs, one test a row, into one output: each input's rows are
// read, scored and handed to the sink one by one. All inputs must have the
// header of the first; with several, a first column Fichier names each
// row's input. With pseudonyms, the columns of --identifiers get theirs.
class CsvScorer
{
public:
    CsvScorer(const Settings &settings, RowSink &sink, Report &report, bool fileColumn,
              Pseudonymizer *pseudonyms = nullptr);

    // Reads one input to its end; `name` is what messages call it. Rows that
    // cannot be scored are written with their Erreur and told to the report.
    // Throws Failure on a usage or reading error.
    void read(QIODevice &in, const QString &name);

    [[nodiscard]] qint64 rowsWritten() const { return m_rows; }

private:
    class Input;

    const Settings m_settings;
    RowSink &m_sink;
    Report &m_report;
    const bool m_fileColumn;
    Pseudonymizer *const m_pseudonyms;
    std::optional<RowScorer> m_scorer;
    ColumnPlan m_plan;
    QStringList m_header;
    QString m_firstInput;
    qint64 m_rows = 0;
};

} // namespace belva::score
