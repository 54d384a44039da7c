#include "savedtests.h"

#include "csvwriter.h"
#include "report.h"
#include "savedtestfile.h"
#include "scoring.h"

#include <QFileInfo>

#include <algorithm>

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
    const QChar separator = DecimalSeparatorFor(settings, delimiter);
    RowScorer scorer(settings.missing, separator);

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
        const SavedTestReading reading = ReadSavedTestFile(path, path);
        const qint64 bytes = QFileInfo(path).size();

        ScoreTexts scores{};
        QStringList messages;
        qint64 line = qMax(1, reading.line);
        const ReportFields &fields = reading.test.fields;
        const auto inScale = [&fields] {
            return std::all_of(fields.answers.cbegin(), fields.answers.cend(),
                               [](const QString &a) { return a <= QString::number(HighestAnswer); });
        };
        if (reading.ok() && inScale()) {
            // The scores the reader computed to check the file.
            const ScoreSet &s = reading.test.scores;
            for (int d = 0; d < DimensionCount; ++d)
                SetScoreText(scores[size_t(d)], FormatScore(s.dimensions[size_t(d)].rounded, separator));
            SetScoreText(scores[DimensionCount], FormatScore(s.global.rounded, separator));
        } else if (reading.ok()) {
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
