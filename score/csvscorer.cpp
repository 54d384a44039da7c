#include "csvscorer.h"

#include "failure.h"
#include "pseudonyms.h"
#include "report.h"
#include "rowsink.h"

namespace belva::score {

namespace {

// 0..99 in `digits`.
QByteArrayView countText(int n, char (&digits)[2])
{
    if (n < 10) {
        digits[0] = char('0' + n);
        return QByteArrayView(digits, 1);
    }
    digits[0] = char('0' + n / 10);
    digits[1] = char('0' + n % 10);
    return QByteArrayView(digits, 2);
}

bool isBlank(QByteArrayView field)
{
    for (const char c : field)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

} // namespace

// One input: its rows as the reader gives them, scored and handed on.
class CsvScorer::Input final : public CsvRowHandler
{
public:
    Input(CsvScorer &scorer, const QString &name)
        : m_s(scorer), m_name(name), m_nameUtf8(name.toUtf8()), m_text(scorer.m_settings.encoding)
    {
    }

    void start(const CsvStart &start) override;
    qsizetype header(const CsvRow &row) override;
    void row(const CsvRow &row) override;

private:
    void checkText(const CsvRow &row);
    [[nodiscard]] Failure failure(const CsvRow &row, const QString &message) const
    {
        return Failure{QStringLiteral("%1:%2: %3").arg(m_name, QString::number(row.line()), message)};
    }

    CsvScorer &m_s;
    const QString m_name;
    const QByteArray m_nameUtf8;
    InputText m_text;
    CsvStart m_start{};
    qsizetype m_columns = 0;

    // The row being written: a value for each output column.
    std::vector<QByteArrayView> m_values;
    std::vector<Pseudonym> m_pseudonyms;
    QByteArray m_error;
    char m_missing[2] = {};
};

void CsvScorer::Input::start(const CsvStart &start)
{
    m_start = start;
    if (start.byteOrderMark) {
        m_text.sawByteOrderMark();
        if (!m_s.m_scorer)
            m_s.m_sink.sourceEncoding(m_text.encoding());
    }
}

// Before a row's text is used: its encoding, as far as the row tells it.
void CsvScorer::Input::checkText(const CsvRow &row)
{
    const SourceEncoding before = m_text.encoding();
    if (m_text.check(row) == InputText::Change::Windows1252AfterUtf8)
        m_s.m_report.warning(m_name, row.line(), QStringLiteral("texte non UTF-8 : lu en Windows-1252 à partir de cette ligne"));
    if (m_text.encoding() != before)
        m_s.m_sink.sourceEncoding(m_text.encoding());
}

qsizetype CsvScorer::Input::header(const CsvRow &row)
{
    if (row.hasNonAscii()) {
        checkText(row);
        const qsizetype bad = m_text.firstInvalidField(row);
        if (bad >= 0)
            throw failure(row, QStringLiteral("en-tête : la colonne %1 n'est pas de l'UTF-8 (%2)").arg(bad + 1).arg(m_text.whyUtf8()));
    }
    QStringList names;
    names.reserve(row.kept());
    for (qsizetype i = 0; i < row.kept(); ++i)
        names << m_text.text(row.field(i));

    ColumnPlan plan;
    try {
        plan = PlanColumns(names, m_s.m_settings, m_s.m_fileColumn);
    } catch (const HeaderError &e) {
        throw failure(row, e.message);
    }
    if (m_s.m_scorer) {
        if (names != m_s.m_header)
            throw failure(row, QStringLiteral("en-tête différent de celui de %1 ; %2").arg(m_s.m_firstInput, ColumnsFound(names)));
    } else {
        m_s.m_header = names;
        m_s.m_firstInput = m_name;
        m_s.m_plan = std::move(plan);
        m_s.m_scorer.emplace(m_s.m_settings.missing, DecimalSeparatorFor(m_s.m_settings, m_start.delimiter),
                             m_s.m_settings.missingCodes);
        m_s.m_sink.begin(m_s.m_plan.columns, {m_start.delimiter, m_start.lineEnd, m_text.encoding()});
    }
    if (m_s.m_plan.scoresInPlace)
        m_s.m_report.warning(m_name, row.line(),
                             QStringLiteral("colonnes PS, PH, S, DG, Global et Erreur déjà présentes : calculées à "
                                            "nouveau à leur place"));
    m_values.resize(m_s.m_plan.output.size());
    m_pseudonyms.resize(m_s.m_plan.output.size());
    m_columns = names.size();
    return m_columns;
}

void CsvScorer::Input::row(const CsvRow &row)
{
    const qsizetype stored = row.kept();
    const bool extra = row.hasMoreNonBlank();
    if (!extra) {
        bool blank = true;
        for (qsizetype i = 0; i < stored && blank; ++i)
            blank = isBlank(row.field(i));
        if (blank)
            return; // a row without anything in it is no test
    }
    qsizetype invalid = -1;
    if (row.hasNonAscii()) {
        checkText(row);
        if (m_text.isFixed())
            invalid = m_text.firstInvalidField(row);
    }

    const ColumnPlan &plan = m_s.m_plan;
    ScoreTexts scores;
    QStringList messages;
    int unanswered = 0;
    std::array<QByteArrayView, ItemCount> answers;
    for (int i = 0; i < ItemCount; ++i)
        answers[size_t(i)] = row.field(plan.items[size_t(i)]);
    if (extra || invalid >= 0 || !m_s.m_scorer->scoreDigits(answers, scores)) {
        std::array<QString, ItemCount> texts;
        for (int i = 0; i < ItemCount; ++i)
            texts[size_t(i)] = m_text.text(answers[size_t(i)]);
        messages = m_s.m_scorer->scoreTexts(texts, plan.itemNames, scores, &unanswered);
        if (extra || invalid >= 0) {
            scores = ScoreTexts{};
            messages = QStringList{extra ? QStringLiteral("la ligne a %1 colonnes, l'en-tête %2").arg(row.fieldCount()).arg(m_columns)
                                         : QStringLiteral("%1 : texte qui n'est pas de l'UTF-8 (%2)").arg(m_s.m_header.value(invalid), m_text.whyUtf8())};
        }
    }

    const bool convert = row.hasNonAscii();
    if (convert)
        m_text.beginRow(row.bytes());
    m_error.clear();
    if (!messages.isEmpty())
        m_error = messages.join(QLatin1String(" ; ")).toUtf8();
    QByteArrayView *values = m_values.data();
    const OutputColumn *columns = plan.output.data();
    const size_t count = plan.output.size();
    for (size_t c = 0; c < count; ++c) {
        const OutputColumn &from = columns[c];
        QByteArrayView &value = values[c];
        switch (from.source) {
        case Source::Field:
            value = convert ? m_text.utf8(row.field(from.index)) : row.field(from.index);
            break;
        case Source::Pseudonym:
            m_pseudonyms[c] = m_s.m_pseudonyms->of(convert ? m_text.utf8(row.field(from.index)) : row.field(from.index));
            value = m_pseudonyms[c].view();
            break;
        case Source::InputName:
            value = m_nameUtf8;
            break;
        case Source::Score:
            value = scores[size_t(from.index)].view();
            break;
        case Source::Missing:
            value = countText(unanswered, m_missing);
            break;
        case Source::Error:
            value = m_error;
            break;
        }
    }
    m_s.m_sink.row(values);
    if (!messages.isEmpty())
        m_s.m_report.rowFailed(m_name, row.line(), QString::fromUtf8(m_error));
    ++m_s.m_rows;
}

CsvScorer::CsvScorer(const Settings &settings, RowSink &sink, Report &report, bool fileColumn,
                     Pseudonymizer *pseudonyms)
    : m_settings(settings), m_sink(sink), m_report(report), m_fileColumn(fileColumn), m_pseudonyms(pseudonyms)
{
    Q_ASSERT(pseudonyms || !settings.pseudonymize);
}

void CsvScorer::read(QIODevice &in, const QString &name)
{
    Input input(*this, name);
    CsvReader reader(in, name, m_settings.delimiter, m_report);
    reader.read(input);
}

} // namespace belva::score
