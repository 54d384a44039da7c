#pragma once

#include "questionnaire.h"
#include "savedtest.h"

#include <QChar>
#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <array>

// The patient follow-up: several saved tests of one patient put in date
// order, with the change of each score from the first test to the last.
namespace belva {

// The four dimension scores and the global score, in that order.
inline constexpr int FollowUpScoreCount = DimensionCount + 1;

struct FollowUpTest
{
    QString fileName;  // the name messages and notes show
    QString dateText;  // as the file holds it
    QString patient;
    std::array<long double, FollowUpScoreCount> scores{}; // rounded to two decimals
    QDate date;        // invalid when the date text could not be read
};

struct FollowUp
{
    QList<FollowUpTest> tests; // in date order
    QStringList patients;      // the distinct names, in that order
    QStringList notes;         // one per date that could not be read
};

// The scores of a test the reader accepted, with its date read as below.
[[nodiscard]] FollowUpTest MakeFollowUpTest(const SavedTest &test, const QString &fileName, const QLocale &locale,
                                            int currentYear = QDate::currentDate().year());

// A test's date: the locale's short date format first, then dd/MM/yyyy.
// A two-digit year is taken in the hundred years that end with currentYear.
// Invalid when neither reads it.
[[nodiscard]] QDate ReadTestDate(const QString &text, const QLocale &locale,
                                 int currentYear = QDate::currentDate().year());

// Puts the tests, given in the order the files were chosen, in date order.
// Tests of the same date keep their chosen order; a test whose date could
// not be read keeps its place in the chosen order, with a note.
[[nodiscard]] FollowUp OrderFollowUp(const QList<FollowUpTest> &chosen);

// Last test minus first test, per score; zeros with fewer than two tests.
[[nodiscard]] std::array<long double, FollowUpScoreCount> FollowUpChanges(const QList<FollowUpTest> &tests);

// Column captions: "PS", "PH", "S", "DG", "Global"; and the longer names
// the chart's legend shows.
[[nodiscard]] QString FollowUpScoreCaption(int score);
[[nodiscard]] QString FollowUpScoreName(int score);

// A score as the window shows it ("42,5"), and a change, signed ("+12,5",
// "-3,33", "0").
[[nodiscard]] QString FollowUpScoreText(long double score, QChar decimalSeparator);
[[nodiscard]] QString FollowUpChangeText(long double change, QChar decimalSeparator);

// The caption of the change row.
inline constexpr char16_t ChangeRowCaption[] = u"Évolution";

// The table as rows of cells: a header row, one row per test, then the
// change row when there are at least two tests.
[[nodiscard]] QList<QStringList> FollowUpTable(const QList<FollowUpTest> &tests, QChar decimalSeparator);

// The table as tab-separated text, every line ended by CR LF.
[[nodiscard]] QString FollowUpTableText(const QList<FollowUpTest> &tests, QChar decimalSeparator);

// A patient name as the window shows it: "(sans nom)" for an empty one.
[[nodiscard]] QString PatientShownName(const QString &patient);

// The warning shown when the tests carry different names; empty otherwise.
[[nodiscard]] QString PatientNamesWarning(const QStringList &patients);

// One message for the files that were left out, a reason (naming its file)
// per line, each ended by a full stop. Past `shown` reasons, one line counts
// the others.
[[nodiscard]] QString RefusedFilesMessage(const QStringList &reasons, int shown = 15);

} // namespace belva
