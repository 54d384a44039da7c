#pragma once

#include "settings.h"

#include <QString>

#include <memory>

class QIODevice;

namespace belva::score {

class CsvWriter;
class Report;

// Scores CSV inputs, one test a row, into one CSV output: each input's rows
// are read, scored and written one by one, with the columns of the first
// input's header followed by PS, PH, S, DG, Global and Erreur.
class CsvScorer
{
public:
    CsvScorer(const Settings &settings, CsvWriter &out, Report &report);
    ~CsvScorer();
    CsvScorer(const CsvScorer &) = delete;
    CsvScorer &operator=(const CsvScorer &) = delete;

    // Reads one input to its end; `name` is what messages call it. Rows that
    // cannot be scored are written with their Erreur and told to the report.
    // Throws Failure on a usage or reading error.
    void read(QIODevice &in, const QString &name);

    // Inputs read so far; rows written.
    [[nodiscard]] qint64 rowsWritten() const;

    struct Output;

private:
    std::unique_ptr<Output> m_output;
};

} // namespace belva::score
