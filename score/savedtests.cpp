#include "savedtests.h"

#include "csvwriter.h"
#include "report.h"
#include "savedtest.h"

#include <QFile>

namespace belva::score {

namespace {

// The line of each answer in a saved test, found in a report built with
// a distinct marker for each answer.
const std::array<int, ItemCount> &answerLines()
{
    static const std::array<int, ItemCount> lines = [] {
        ReportFields f;
        for (int i = 0; i < ItemCount; ++i)
            f.answers[size_t(i)] = QString(QChar(char16_t(0xE000 + i)));
        const QStringList report = BuildTestReport(f, ReportVariant::Text).split(QString::fromUtf16(ReportLineEnd));
        std::array<int, ItemCount> found{};
        for (qsizetype n = 0; n < report.size(); ++n) {
            const char16_t last = report[n].isEmpty() ? 0 : report[n].back().unicode();
            if (last >= 0xE000 && last < 0xE000 + ItemCount)
                found[size_t(last - 0xE000)] = int(n + 1);
        }
        return found;
    }();
    return lines;
}

} // namespace

void ScoreSavedTests(const QStringList &files, const Settings &settings, CsvWriter &out, Report &report)
{
    const char delimiter = settings.delimiter ? settings.delimiter : ';';
    out.setFormat(delimiter, "\r\n");
    RowScorer scorer(settings.missing, DecimalSeparatorFor(settings, delimiter));

    std::array<QString, ItemCount> columns;
    out.field(QByteArrayView("Fichier"));
    out.field(QByteArrayView("Patient"));
    out.field(QByteArrayView("Date"));
    for (int i = 0; i < ItemCount; ++i) {
        columns[size_t(i)] = QStringLiteral("q%1").arg(i + 1);
        out.field(columns[size_t(i)]);
    }
    for (const char *column : ScoreColumns)
        out.field(QByteArrayView(column));
    out.endRow();

    for (const QString &path : files) {
        QFile file(path);
        SavedTestReading reading;
        if (file.open(QIODevice::ReadOnly)) {
            reading = ReadSavedTest(file, path);
        } else {
            reading.refusal = QStringLiteral("Impossible de lire le fichier \"%1\".").arg(path);
        }
        const qint64 bytes = file.size();
        file.close();

        ScoreTexts scores{};
        QStringList messages;
        qint64 line = qMax(1, reading.line);
        const ReportFields &fields = reading.test.fields;
        if (reading.ok()) {
            messages = scorer.scoreTexts(fields.answers, columns, scores);
            // The reader takes one digit an answer: the first above the scale fails.
            for (int i = 0; i < ItemCount && !messages.isEmpty(); ++i) {
                if (fields.answers[size_t(i)] > QString::number(HighestAnswer)) {
                    line = answerLines()[size_t(i)];
                    break;
                }
            }
        } else {
            messages << reading.refusal;
        }

        out.field(path);
        out.field(fields.patient);
        out.field(fields.date);
        for (const QString &answer : fields.answers)
            out.field(answer);
        for (const ScoreText &s : scores)
            out.field(s.view());
        const QString error = messages.join(QLatin1String(" ; "));
        out.field(error);
        out.endRow();
        if (!error.isEmpty())
            report.rowFailed(path, line, error);
        report.advance(bytes, 1);
    }
}

} // namespace belva::score
