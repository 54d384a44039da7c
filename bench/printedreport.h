#pragma once

// The test report the print benchmarks lay out: the print variant of a whole
// test in the main window's report buffer, split into the lines the print
// command sends (52), with the buffer's font.

#include "printing.h"
#include "reports.h"
#include "tform1.h"

#include <QPlainTextEdit>

namespace belva::bench {

struct PrintedReport
{
    ReportFields fields;
    QStringList lines;
    QFont windowFont;
};

inline PrintedReport MakePrintedReport()
{
    TForm1 form;
    PrintedReport report;
    report.fields = form.reportFields();
    report.fields.date = QStringLiteral("08/12/2026");
    report.fields.patient = QStringLiteral("Dupont-Lefebvre Jean-Étienne");
    form.memo()->setPlainText(BuildTestReport(report.fields, ReportVariant::Print));
    report.lines = MemoLines(form.memo());
    report.windowFont = form.memo()->font();
    return report;
}

} // namespace belva::bench
