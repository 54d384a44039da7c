// Prints, in UTF-8 on standard output, the report the program should hand out
// today for the given answers, in the locale of the environment, so that the
// end-to-end tests can compare the clipboard, saved files and printouts with
// it byte for byte whatever the machine's locale.
//
//   expected_report summary|text|print PATIENT ANSWERS SCORES [DATE]
//     ANSWERS  the twenty answer texts as twenty characters, item 1 first
//     SCORES   "PS PH S DG GLOBAL", each with "," for the decimal separator
//     DATE     the test's date text (a reopened test's); today's by default
//   expected_report decimal      the locale's decimal separator
//   expected_report date         today's date as reports show it
#include "reports.h"

#include <QCoreApplication>
#include <QDate>
#include <QLocale>
#include <QStringList>

#include <cstdio>

namespace {

int usage()
{
    std::fputs("usage: expected_report summary|text|print PATIENT ANSWERS SCORES [DATE]\n"
               "       expected_report decimal|date\n",
               stderr);
    return 2;
}

void print(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    // The program reads the first character of the locale's decimal point.
    const QString decimalPoint = QLocale().decimalPoint();
    const QString separator = decimalPoint.isEmpty() ? QStringLiteral(".") : decimalPoint.left(1);
    const QString today = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    if (args == QStringList{QStringLiteral("decimal")}) {
        print(separator);
        return 0;
    }
    if (args == QStringList{QStringLiteral("date")}) {
        print(today);
        return 0;
    }
    if (args.size() != 4 && args.size() != 5)
        return usage();

    const QString &kind = args[0];
    const QString &answers = args[2];
    QStringList scores = args[3].split(u' ');
    if (answers.size() != belva::ItemCount || scores.size() != belva::DimensionCount + 1)
        return usage();
    for (QString &score : scores)
        score.replace(u',', separator);

    belva::ReportFields fields;
    fields.date = args.size() == 5 ? args[4] : today;
    fields.patient = args[1];
    for (int i = 0; i < belva::ItemCount; ++i)
        fields.answers[size_t(i)] = answers.at(i);
    for (int i = 0; i < belva::DimensionCount; ++i)
        fields.scores[size_t(i)] = scores[i];
    fields.status = QStringLiteral("Score global (%) : ") + scores.last();

    if (kind == QLatin1String("summary"))
        print(belva::BuildScoresSummary(fields));
    else if (kind == QLatin1String("text"))
        print(belva::BuildTestReport(fields, belva::ReportVariant::Text));
    else if (kind == QLatin1String("print"))
        print(belva::BuildTestReport(fields, belva::ReportVariant::Print));
    else
        return usage();
    return 0;
}
