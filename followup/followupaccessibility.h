#pragma once

// The follow-up window as the screen reader sees it: announced as a window
// (Qt takes a plain top-level widget for a "filler", and tells no one when it
// opens), its table named, each column described by the full name of its
// score, and the chart named and described in words from the tests it shows.

#include "followup.h"

#include <QChar>
#include <QList>
#include <QString>

namespace belva {

// The accessible roles of the follow-up window and its chart; once per run.
void InstallFollowUpAccessibility();

// A score's full name: "Retentissement psychologique" ... "Sentiment de
// douleur généralisée", then "Score global".
[[nodiscard]] QString FollowUpScoreFullName(int score);

// What the chart shows, in words: how many tests, the first and last
// test's dates, then each score's first and last value and its change.
[[nodiscard]] QString FollowUpChartDescription(const QList<FollowUpTest> &tests, QChar decimalSeparator);

inline constexpr char16_t FollowUpTableName[] = u"Scores des tests";
inline constexpr char16_t FollowUpChartName[] = u"Graphique des scores";
inline constexpr char16_t FollowUpDateDescription[] = u"Date du test";

} // namespace belva
