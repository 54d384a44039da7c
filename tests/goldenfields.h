#pragma once

// The report fields shared by the tests and the benchmarks.

#include "reports.h"

namespace belva::test {

// The fields the golden reports under tests/data were written for.
inline ReportFields GoldenFields(const QString &patient = QStringLiteral("Dupont Jean-Étienne"))
{
    ReportFields f;
    f.date = QStringLiteral("08/12/2026");
    f.patient = patient;
    const char *answers[] = {"3", "0", "1", "5", "2", "4", "0", "1", "2", "5",
                             "0", "3", "1", "4", "2", "5", "1", "0", "3", "2"};
    for (int i = 0; i < ItemCount; ++i)
        f.answers[i] = QString::fromLatin1(answers[i]);
    f.scores = {QStringLiteral("20"), QStringLiteral("42,5"), QStringLiteral("73,33"), QStringLiteral("30")};
    f.status = QStringLiteral("Score global (%) : 41,46");
    return f;
}

// A patient name too long for one line of the report buffer.
inline const QString LongName = QStringLiteral(
    "Dupont-Lefebvre Jean-Étienne Marie Alexandre Hippolyte de la Tour d'Auvergne et de Montmorency-Laval");

} // namespace belva::test
