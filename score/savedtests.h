#pragma once

#include "rowscorer.h"
#include "settings.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace belva::score {

class Pseudonymizer;
class Report;
class RowSink;

// Scores saved test files, one output row each:
//   Fichier;Patient;Date;q1;...;q20;PS;PH;S;DG;Global;Erreur
// (Manquantes before Erreur with --missing=prorate). A file the saved-test
// reader refuses gets the reader's message as its Erreur. The sink is told
// the columns with the first file. With pseudonyms, Patient holds the
// patient's, Fichier is left out and Erreur names no file (the report does).
class SavedTestScorer
{
public:
    SavedTestScorer(const Settings &settings, RowSink &sink, Report &report, Pseudonymizer *pseudonyms = nullptr);

    void score(const QString &path);

private:
    void begin();

    const Settings m_settings;
    RowSink &m_sink;
    Report &m_report;
    const char m_delimiter;
    RowScorer m_scorer;
    Pseudonymizer *const m_pseudonyms;
    std::array<QString, ItemCount> m_columns;
    bool m_begun = false;
};

} // namespace belva::score
