#pragma once

#include "reports.h"
#include "scoring.h"

#include <QByteArrayView>
#include <QString>

class QIODevice;

// Reading back a test saved by Sauvegarder sous: the text variant of the test
// report in Windows-1252. The reader is strict: it accepts exactly what the
// program writes (CR LF line ends, or LF throughout, and at most one line end
// after the final tab), with any maker's notice on line 4, a date line that is
// not blank and holds at most SavedTestDateMaxLength characters, and one
// decimal separator throughout the scores. It refuses everything else with
// one French message naming the first line that does not match. It never
// repairs or guesses.
namespace belva {

// A saved test is refused unread beyond this size.
inline constexpr qsizetype SavedTestMaxBytes = 64 * 1024;

// The longest date text a saved test may hold: a short date of any locale
// fits many times over.
inline constexpr qsizetype SavedTestDateMaxLength = 64;

struct SavedTest
{
    // Date, patient, answers, score texts and status text as the file holds
    // them (score texts with the file's decimal separator).
    ReportFields fields;
    // Line 4 after PrintedBy ("Imprimé sur BelvaMG 1.0 "): the notice of the
    // program that wrote the file.
    QString notice;
    // The scores of the answers, computed to check the file: their texts
    // carry the file's decimal separator ("," when it shows none).
    ScoreSet scores;
};

struct SavedTestReading
{
    SavedTest test;
    QString refusal; // empty when the file was accepted
    int line = 0;    // the first line that does not match; 0 when none applies

    [[nodiscard]] bool ok() const { return refusal.isEmpty(); }
};

// Reads a saved test from the file's bytes. `fileName` is the name the
// messages show, e.g.
//   "test.txt" n'est pas un test BELVA MG enregistré (ligne 12).
//   Les scores enregistrés dans "test.txt" ne correspondent pas à ses réponses (ligne 45).
[[nodiscard]] SavedTestReading ReadSavedTest(QByteArrayView bytes, const QString &fileName);

// The same from an open device; one larger than SavedTestMaxBytes is refused
// before it is read whole.
[[nodiscard]] SavedTestReading ReadSavedTest(QIODevice &device, const QString &fileName);

// The text the test was read from, line ends as the program writes them.
[[nodiscard]] QString RebuildSavedTest(const SavedTest &test);

} // namespace belva
