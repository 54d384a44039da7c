#pragma once

#include "questionnaire.h"

#include <QString>
#include <array>

namespace belva {

// The texts a report is built from, exactly as the window shows them.
struct ReportFields
{
    QString date;
    QString patient;
    std::array<QString, ItemCount> answers;
    std::array<QString, DimensionCount> scores; // PS, PH, S, DG
    QString status;
};

enum class ReportVariant { Text, Print };

// Every report's lines end in CR LF, the last one excepted.
inline constexpr char16_t ReportLineEnd[] = u"\r\n";

// "SCORES DU TEST BELVA du : <date>" and the five score lines (8 lines).
[[nodiscard]] QString BuildScoresSummary(const ReportFields &fields);

// The whole test (52 lines); the print variant has shorter separators and one
// more tab before the answer of item 16.
[[nodiscard]] QString BuildTestReport(const ReportFields &fields, ReportVariant variant);

} // namespace belva
