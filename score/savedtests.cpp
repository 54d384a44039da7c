#include "savedtests.h"

#include "pseudonyms.h"
#include "report.h"
#include "rowsink.h"
#include "savedtestfile.h"
#include "scoring.h"

#include <algorithm>

namespace belva::score {

namespace {

// The line of an answer in a saved test, found in a report built with a
// marker for that answer. Only a refused answer needs it.
int answerLine(int item)
{
    ReportFields f;
    const QChar marker(char16_t(0xE000));
    f.answers[size_t(item)] = marker;
    const QStringList report = BuildTestReport(f, ReportVariant::Text).split(QString::fromUtf16(ReportLineEnd));
    for (qsizetype n = 0; n < report.size(); ++n)
        if (report[n].endsWith(marker))
            return int(n + 1);
    return 1;
}

// Where a refusal names the file when the output must not: no path holds
// this character.
const QString FileMarker(QChar(u'\0'));
const QString FileNotNamed = QStringLiteral("(nom retiré)");

} // namespace

SavedTestScorer::SavedTestScorer(const Settings &settings, RowSink &sink, Report &report, Pseudonymizer *pseudonyms)
    : m_settings(settings), m_sink(sink), m_report(report), m_delimiter(settings.delimiter ? settings.delimiter : ';'),
      m_scorer(settings.missing, DecimalSeparatorFor(settings, m_delimiter), settings.missingCodes),
      m_pseudonyms(pseudonyms)
{
    Q_ASSERT(pseudonyms || !settings.pseudonymize);
    for (int i = 0; i < ItemCount; ++i)
        m_columns[size_t(i)] = QStringLiteral("q%1").arg(i + 1);
}

void SavedTestScorer::begin()
{
    std::vector<Column> columns{{QLatin1String(FileColumn), ColumnKind::Text},
                                {QStringLiteral("Patient"), ColumnKind::Text},
                                {QStringLiteral("Date"), ColumnKind::Text}};
    if (m_pseudonyms)
        columns.erase(columns.begin());
    for (int i = 0; i < ItemCount; ++i)
        columns.push_back({m_columns[size_t(i)], ColumnKind::Answer, i + 1});
    for (const char *score : ScoreColumns)
        columns.push_back({QLatin1String(score), ColumnKind::Score});
    if (m_settings.missing == MissingAnswers::Prorate)
        columns.push_back({QLatin1String(MissingColumn), ColumnKind::Count});
    columns.push_back({QLatin1String(ErrorColumn), ColumnKind::Text});
    // Saved tests are Windows-1252, with CR LF.
    m_sink.sourceEncoding(SourceEncoding::Windows1252);
    m_sink.begin(columns, {m_delimiter, "\r\n", SourceEncoding::Windows1252});
    m_begun = true;
}

void SavedTestScorer::score(const QString &path)
{
    if (!m_begun)
        begin();
    const SavedTestReading reading = ReadSavedTestFile(path, m_pseudonyms ? FileMarker : path);
    ScoreTexts scores{};
    QStringList messages;
    int unanswered = 0;
    qint64 line = qMax(1, reading.line);
    const ReportFields &fields = reading.test.fields;
    const auto inScale = [&fields] {
        return std::all_of(fields.answers.cbegin(), fields.answers.cend(),
                           [](const QString &a) { return a <= QString::number(HighestAnswer); });
    };
    if (reading.ok() && inScale()) {
        // The scores the reader computed to check the file.
        const QChar separator = DecimalSeparatorFor(m_settings, m_delimiter);
        const ScoreSet &set = reading.test.scores;
        for (int d = 0; d < DimensionCount; ++d)
            SetScoreText(scores[size_t(d)], FormatScore(set.dimensions[size_t(d)].rounded, separator));
        SetScoreText(scores[DimensionCount], FormatScore(set.global.rounded, separator));
    } else if (reading.ok()) {
        messages = m_scorer.scoreTexts(fields.answers, m_columns, scores, &unanswered);
        // The reader takes one digit an answer: the first above the scale fails.
        for (int i = 0; i < ItemCount && !messages.isEmpty(); ++i) {
            if (fields.answers[size_t(i)] > QString::number(HighestAnswer)) {
                line = answerLine(i);
                break;
            }
        }
    } else {
        messages << reading.refusal;
    }

    QString error = messages.join(QLatin1String(" ; "));
    QByteArray errorText;
    std::vector<QByteArray> texts;
    if (m_pseudonyms) {
        errorText = QString(error).replace(FileMarker, FileNotNamed).toUtf8();
        error.replace(FileMarker, path);
        texts = {m_pseudonyms->of(fields.patient).view().toByteArray(), fields.date.toUtf8()};
    } else {
        errorText = error.toUtf8();
        texts = {path.toUtf8(), fields.patient.toUtf8(), fields.date.toUtf8()};
    }
    for (const QString &answer : fields.answers)
        texts.push_back(answer.toUtf8());
    const QByteArray missing = reading.ok() ? QByteArray::number(unanswered) : QByteArray();
    std::vector<QByteArrayView> values(texts.begin(), texts.end());
    for (const ScoreText &s : scores)
        values.push_back(s.view());
    if (m_settings.missing == MissingAnswers::Prorate)
        values.push_back(missing);
    values.push_back(errorText);
    m_sink.row(values.data());
    if (!error.isEmpty())
        m_report.rowFailed(path, line, error);
    m_report.advance(1, 1);
}

} // namespace belva::score
