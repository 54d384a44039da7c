#include "rowscorer.h"

#include "scoring.h"
#include "values.h"

#include <cstring>
#include <vector>

namespace belva::score {

namespace {

constexpr int MaxAnswer = HighestAnswer;

// Dimension of each item, 0..3.
std::array<int, ItemCount> itemDimensions()
{
    std::array<int, ItemCount> dims{};
    for (const DimensionInfo &d : dimensions())
        for (int item = d.firstItem; item <= d.lastItem; ++item)
            dims[item - 1] = static_cast<int>(d.dimension);
    return dims;
}

int itemCount(const DimensionInfo &d)
{
    return d.lastItem - d.firstItem + 1;
}

// A whole number written with a decimal part of zeros, without that part.
QString withoutZeroDecimals(const QString &text)
{
    const qsizetype point = qMax(text.indexOf(u'.'), text.indexOf(u','));
    if (point < 1 || point == text.size() - 1)
        return text;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (i != point && (c < u'0' || c > u'9' || (i > point && c != u'0')))
            return text;
    }
    return text.left(point);
}

// An answer as messages quote it: on one line, and cut when long.
QString quoted(const QString &text)
{
    constexpr qsizetype Longest = 40;
    QString t = text.size() > Longest ? text.left(Longest) + u'…' : text;
    for (QChar &c : t)
        if (c.category() == QChar::Other_Control)
            c = u' ';
    return t;
}

} // namespace

void SetScoreText(ScoreText &out, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    out.size = std::uint8_t(qMin<qsizetype>(bytes.size(), sizeof out.bytes));
    std::memcpy(out.bytes, bytes.constData(), out.size);
}

// The scores of complete answers depend on the four dimension sums only. Each
// dimension's percentage and text are taken once for every sum from the
// window's own scoring. The global percentage, the mean of sum/divisor over
// the dimensions, is exactly a function of one weighted sum: with L the least
// common multiple of the divisors, Σ sum × L/divisor (0..720). Its text is
// made once for each weighted sum met, from the four percentages, as the
// window makes it.
struct RowScorer::Cache
{
    std::array<int, ItemCount> dimensionOf = itemDimensions();
    std::array<int, DimensionCount> weight{};
    std::array<std::vector<ScoreText>, DimensionCount> texts;
    std::array<std::vector<double>, DimensionCount> percents;
    std::vector<ScoreText> global;

    explicit Cache(QChar separator)
    {
        int lcm = 1;
        for (const DimensionInfo &dim : dimensions())
            lcm = std::lcm(lcm, dim.divisor);
        int weighted = 0;
        for (int d = 0; d < DimensionCount; ++d) {
            const DimensionInfo &dim = dimensions()[size_t(d)];
            const int sums = itemCount(dim) * MaxAnswer + 1;
            weight[size_t(d)] = lcm / dim.divisor;
            weighted += (sums - 1) * weight[size_t(d)];
            texts[size_t(d)].resize(size_t(sums));
            percents[size_t(d)].resize(size_t(sums));
            for (int sum = 0; sum < sums; ++sum) {
                AnswerTexts answers;
                answers.fill(QStringLiteral("0"));
                for (int item = dim.firstItem, left = sum; left > 0; ++item, left -= MaxAnswer)
                    answers[size_t(item - 1)] = QString::number(qMin(left, MaxAnswer));
                const Score score = ComputeScores(answers, separator).dimensions[size_t(d)];
                SetScoreText(texts[size_t(d)][size_t(sum)], score.text);
                percents[size_t(d)][size_t(sum)] = score.percent;
            }
        }
        global.resize(size_t(weighted + 1));
    }
};

RowScorer::RowScorer(MissingAnswers missing, QChar decimalSeparator, const QStringList &missingCodes)
    : m_missing(missing), m_separator(decimalSeparator), m_missingCodes(missingCodes),
      m_cache(std::make_unique<Cache>(decimalSeparator))
{
}

bool RowScorer::isMissing(const QString &trimmed) const
{
    return IsMissingText(trimmed, m_missingCodes);
}

RowScorer::~RowScorer() = default;

bool RowScorer::scoreDigits(const std::array<QByteArrayView, ItemCount> &answers, ScoreTexts &out)
{
    std::array<int, ItemCount> values;
    for (int i = 0; i < ItemCount; ++i) {
        const QByteArrayView a = answers[size_t(i)];
        const int value = a.size() == 1 ? a[0] - '0' : AnswerValue(a);
        if (value < 0 || value > MaxAnswer)
            return false;
        values[size_t(i)] = value;
    }
    scoreValues(values, out);
    return true;
}

void RowScorer::scoreValues(const std::array<int, ItemCount> &values, ScoreTexts &out)
{
    Cache &c = *m_cache;
    std::array<int, DimensionCount> sums{};
    for (int i = 0; i < ItemCount; ++i)
        sums[size_t(c.dimensionOf[size_t(i)])] += values[size_t(i)];
    int key = 0;
    for (int d = 0; d < DimensionCount; ++d) {
        key += sums[size_t(d)] * c.weight[size_t(d)];
        out[size_t(d)] = c.texts[size_t(d)][size_t(sums[size_t(d)])];
    }
    ScoreText &global = c.global[size_t(key)];
    if (global.size == 0) {
        std::array<double, DimensionCount> percent;
        for (int d = 0; d < DimensionCount; ++d)
            percent[size_t(d)] = c.percents[size_t(d)][size_t(sums[size_t(d)])];
        SetScoreText(global, MakeScore(GlobalPercent(percent), m_separator).text);
    }
    out[DimensionCount] = global;
}

QStringList RowScorer::scoreTexts(const std::array<QString, ItemCount> &answers,
                                  const std::array<QString, ItemCount> &columns, ScoreTexts &out, int *unanswered)
{
    out = ScoreTexts{};
    int notAnswered = 0;
    // Every problem of the row, in column order; a missing answer is one only
    // when missing answers are refused.
    QStringList problems;
    bool missing = false;
    std::array<int, ItemCount> values{};
    std::array<bool, ItemCount> given{};
    for (int i = 0; i < ItemCount; ++i) {
        const QString text = answers[size_t(i)].trimmed();
        const QString &column = columns[size_t(i)];
        if (isMissing(text)) {
            missing = true;
            ++notAnswered;
            if (m_missing == MissingAnswers::Refuse)
                problems << QStringLiteral("%1 : réponse manquante").arg(column);
            continue;
        }
        const QString whole = withoutZeroDecimals(text);
        int value;
        try {
            value = ParseAnswer(whole);
        } catch (const ConversionError &) {
            problems << QStringLiteral("%1 : %2").arg(column, ConversionError(quoted(text)).message());
            continue;
        }
        if (value < LowestAnswer || value > HighestAnswer) {
            problems << QStringLiteral("%1 : %2 est hors de l'échelle %3 à %4")
                            .arg(column, quoted(text), QString::number(LowestAnswer), QString::number(HighestAnswer));
        } else if (whole.size() != 1) {
            problems << QStringLiteral("%1 : '%2' n'est pas une réponse de %3 à %4")
                            .arg(column, quoted(text), QString::number(LowestAnswer), QString::number(HighestAnswer));
        } else {
            values[size_t(i)] = value;
            given[size_t(i)] = true;
        }
    }
    if (unanswered)
        *unanswered = notAnswered;
    if (!problems.isEmpty())
        return problems;
    if (!missing) {
        scoreValues(values, out);
        return {};
    }
    // Pro-rating: a dimension with at least half of its items answered is
    // scored from the mean of its answers times its item count.
    QStringList messages;
    std::array<double, DimensionCount> percent{};
    bool allDimensions = true;
    for (const DimensionInfo &dim : dimensions()) {
        const int count = itemCount(dim);
        int answered = 0;
        int sum = 0;
        for (int item = dim.firstItem; item <= dim.lastItem; ++item) {
            if (given[size_t(item - 1)]) {
                ++answered;
                sum += values[size_t(item - 1)];
            }
        }
        const int needed = (count + 1) / 2;
        if (answered < needed) {
            allDimensions = false;
            messages << QStringLiteral("%1 non calculé : %2 %3 sur %4, il en faut au moins %5")
                            .arg(QString::fromUtf16(dim.code))
                            .arg(answered)
                            .arg(answered > 1 ? QStringLiteral("réponses") : QStringLiteral("réponse"))
                            .arg(count)
                            .arg(needed);
            continue;
        }
        // sum × count / answered: the mean times the item count, with one rounding.
        const int d = static_cast<int>(dim.dimension);
        percent[size_t(d)] = DimensionPercent(static_cast<long double>(sum) * count / answered, dim.divisor);
        SetScoreText(out[size_t(d)], MakeScore(percent[size_t(d)], m_separator).text);
    }
    if (allDimensions)
        SetScoreText(out[DimensionCount], MakeScore(GlobalPercent(percent), m_separator).text);
    else
        messages << QStringLiteral("Global non calculé");
    return messages;
}

} // namespace belva::score
