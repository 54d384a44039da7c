#pragma once

#include "settings.h"

#include <QStringList>

namespace belva::score {

class CsvWriter;
class Report;

// Scores saved test files, one output row each:
//   Fichier;Patient;Date;q1;...;q20;PS;PH;S;DG;Global;Erreur
// A file the saved-test reader refuses gets the reader's message as its Erreur.
void ScoreSavedTests(const QStringList &files, const Settings &settings, CsvWriter &out, Report &report);

} // namespace belva::score
