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

// The patient follow-up: several saved tests put in date order, the change of
// each score from one test to the next and from the first to the last, and
// the texts the window, Copier and the printed page share.
namespace belva {

// The four dimension scores and the global score, in that order.
inline constexpr int FollowUpScoreCount = DimensionCount + 1;

// A test's date as read from its date text.
struct TestDate
{
    QDate date;           // invalid when no form reads the text
    QString form;         // the form that read it, as "jj/mm/aaaa"
    bool localForm = false;  // that form is the running locale's short date
    QList<QDate> others;  // the different dates other forms read in the text
};

// Reads a date text in the forms the program writes: the locale's short date
// first, then dd/MM/yyyy and dd/MM/yy (French), M/d/yy (English), the C
// locale's "8 Dec 2026" and yyyy-MM-dd; where the locale puts the month
// before the day, M/d/yy comes before the French forms. A two-digit year is
// taken in the hundred years that end with currentYear. Blanks around the
// text are ignored.
[[nodiscard]] TestDate ReadTestDate(const QString &text, const QLocale &locale,
                                    int currentYear = QDate::currentDate().year());

struct FollowUpTest
{
    QString fileName;  // the name messages and notes show
    QString dateText;  // as the file holds it, without blanks around it
    QString patient;   // without blanks around it
    std::array<long double, FollowUpScoreCount> scores{}; // rounded to two decimals
    QDate date;
    QString dateNote;  // when other forms read the date text differently
};

// A saved test as the follow-up takes it, or the reason it is left out.
struct FollowUpTestReading
{
    FollowUpTest test;
    QString refusal; // empty when taken

    [[nodiscard]] bool ok() const { return refusal.isEmpty(); }
};

// The test the saved-test reader accepted, with the reader's scores and its
// date read as ReadTestDate does; left out, naming the file, when no form
// reads the date:
//   "c.txt" : date du test illisible (« hier »).
[[nodiscard]] FollowUpTestReading MakeFollowUpTest(const SavedTest &test, const QString &fileName,
                                                   const QLocale &locale,
                                                   int currentYear = QDate::currentDate().year());

struct FollowUp
{
    QList<FollowUpTest> tests; // in date order
    QStringList patients;      // the distinct names, in that order
    QStringList notes;         // one per date other forms read differently

    // The physician's choices in the window, which Copier and the printed
    // page follow: a change smaller than `threshold` in absolute value reads
    // "stable" (0: no threshold); the chart shows the scores marked shown.
    double threshold = 0;
    std::array<bool, FollowUpScoreCount> shown{true, true, true, true, true};
};

// Puts the tests, given in the order the files were chosen, in date order;
// tests of the same date keep their chosen order.
[[nodiscard]] FollowUp OrderFollowUp(const QList<FollowUpTest> &chosen);

// Later test minus earlier test, per score, from the rounded scores.
[[nodiscard]] std::array<long double, FollowUpScoreCount> ScoreChanges(const FollowUpTest &earlier,
                                                                       const FollowUpTest &later);

// Column captions: "PS", "PH", "S", "DG", "Global"; and the longer names
// the chart's legend shows.
[[nodiscard]] QString FollowUpScoreCaption(int score);
[[nodiscard]] QString FollowUpScoreName(int score);

// A score as the window shows it ("42,5").
[[nodiscard]] QString FollowUpScoreText(long double score, QChar decimalSeparator);

// A change in points, signed: "+12,5 points", "-1,5 point", "0 point".
[[nodiscard]] QString FollowUpChangeText(long double change, QChar decimalSeparator);

// The direction of a change: the scores measure the disease's impact, so a
// fall is "amélioration" and a rise "aggravation"; "inchangé" for none, and
// "stable" for one smaller than a threshold above 0.
[[nodiscard]] QString ChangeDirection(long double change, double threshold);

// The caption of the change row.
inline constexpr char16_t ChangeRowCaption[] = u"Évolution";

// A cell of the follow-up table: a text (a date, a name, a score), and for a
// change the change in points and its direction.
struct FollowUpCell
{
    QString text;
    QString change;
    QString direction;

    // The cell's lines, the empty ones left out.
    [[nodiscard]] QStringList lines() const;
    // On one line: "46,67 (+6,67 points, aggravation)".
    [[nodiscard]] QString oneLine() const;
};
using FollowUpRow = QList<FollowUpCell>;

// Whether the table has a Patient column: the tests carry different names.
[[nodiscard]] bool HasPatientColumn(const FollowUp &followUp);

// The table: a header row ("Date", "Patient" when the names differ, then the
// score captions), one row per test whose scores carry their change since
// the previous test, then the change row (last minus first) when there are
// at least two tests.
[[nodiscard]] QList<FollowUpRow> FollowUpTable(const FollowUp &followUp, QChar decimalSeparator);

// A patient name as shown: "(sans nom)" for an empty one.
[[nodiscard]] QString PatientShownName(const QString &patient);

// "Dupont Jean", or the names quoted: "« Dupont Jean », « Dupond Jean »".
[[nodiscard]] QString FollowUpPatientsText(const FollowUp &followUp);

// "Suivi du patient : " and the name or names.
[[nodiscard]] QString FollowUpTitle(const FollowUp &followUp);

// "1 test, le 08/12/2025" or "6 tests, du 08/12/2025 au 30/11/2026".
[[nodiscard]] QString FollowUpPeriodText(const FollowUp &followUp);

// "Seuil de changement : 5 points ..." when a threshold is set; empty otherwise.
[[nodiscard]] QString FollowUpThresholdText(const FollowUp &followUp, QChar decimalSeparator);

// The warning shown when the tests carry different names; empty otherwise.
[[nodiscard]] QString PatientNamesWarning(const QStringList &patients);

// The question asked before tests of different names are shown together:
// the names one a line (past `shown` of them, one line counts the others).
[[nodiscard]] QString MixedNamesQuestion(const QStringList &patients, int shown = 15);

// What Copier puts on the clipboard: the title, the period, the warning and
// threshold when there are any, then the table as tab-separated text, each
// cell on one line; every line ended by CR LF.
[[nodiscard]] QString FollowUpCopyText(const FollowUp &followUp, QChar decimalSeparator);

// One message for the files that were left out, a reason (naming its file)
// per line, each ended by a full stop. Past `shown` reasons, one line counts
// the others.
[[nodiscard]] QString RefusedFilesMessage(const QStringList &reasons, int shown = 15);

} // namespace belva
