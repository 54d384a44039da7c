#include "reliabilitytable.h"

#include "failure.h"
#include "questionnaire.h"
#include "report.h"
#include "values.h"

namespace belva::score {

namespace {

const char *const Header[] = {"Échelle", "Tests", "Alpha", "Moyenne", "Écart-type", "Plancher (%)", "Plafond (%)",
                              "Corrélation item-total corrigée", "Alpha sans l'item"};
constexpr size_t Columns = std::size(Header);

int itemCount(const DimensionInfo &d)
{
    return d.lastItem - d.firstItem + 1;
}

} // namespace

ReliabilityTable::ReliabilityTable(RowSink &out, const Settings &settings, Report &report)
    : m_out(out), m_settings(settings), m_report(report)
{
    for (const DimensionInfo &d : dimensions())
        m_scales.emplace_back(itemCount(d), HighestAnswer);
}

void ReliabilityTable::sourceEncoding(SourceEncoding encoding)
{
    m_out.sourceEncoding(encoding);
}

void ReliabilityTable::begin(const std::vector<Column> &columns, const SourceStyle &style)
{
    m_style = style;
    m_separator = DecimalSeparatorFor(m_settings, style.delimiter);
    std::array<bool, ItemCount> found{};
    for (size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].item > 0) {
            m_answerColumn[size_t(columns[c].item - 1)] = c;
            found[size_t(columns[c].item - 1)] = true;
        }
    }
    for (int i = 0; i < ItemCount; ++i)
        if (!found[size_t(i)])
            throw Failure{QStringLiteral("fiabilité : pas de colonne pour les réponses à l'item %1").arg(i + 1)};
    m_begun = true;
}

void ReliabilityTable::row(const QByteArrayView *values)
{
    for (size_t d = 0; d < m_scales.size(); ++d) {
        const DimensionInfo &dim = dimensions()[d];
        m_answers.clear();
        for (int item = dim.firstItem; item <= dim.lastItem; ++item) {
            const int answer = AnswerValue(values[m_answerColumn[size_t(item - 1)]]);
            if (answer < 0)
                break;
            m_answers.push_back(answer);
        }
        if (int(m_answers.size()) == itemCount(dim))
            m_scales[d].add(m_answers.data());
    }
}

QByteArray ReliabilityTable::number(double value) const
{
    QByteArray text = QByteArray::number(value, 'f', 4);
    if (text == "-0.0000")
        text = "0.0000";
    text.replace('.', char(m_separator.unicode()));
    return text;
}

void ReliabilityTable::end()
{
    if (!m_begun) {
        m_out.end();
        return;
    }
    std::vector<Column> columns;
    for (size_t c = 0; c < Columns; ++c)
        columns.push_back({QString::fromUtf8(Header[c]), c == 0 ? ColumnKind::Text : ColumnKind::Score});
    columns[1].kind = ColumnKind::Count;
    m_out.begin(columns, m_style);

    std::vector<ScaleFigures> figures(m_scales.size());
    for (size_t d = 0; d < m_scales.size(); ++d) {
        const QString code = QString::fromUtf16(dimensions()[d].code);
        const qint64 n = m_scales[d].tests();
        if (n < 2) {
            m_report.note(QStringLiteral("fiabilité de %1 : %2 test%3 avec une réponse à chacun de ses items, il en "
                                         "faut au moins 2 : ses chiffres restent vides")
                              .arg(code)
                              .arg(n)
                              .arg(n > 1 ? QLatin1String("s") : QLatin1String()));
            writeScale(int(d), nullptr);
            continue;
        }
        figures[d] = ComputeFigures(m_scales[d]);
        if (!figures[d].alpha)
            m_report.note(QStringLiteral("fiabilité de %1 : alpha non calculé, le total de l'échelle est le même "
                                         "pour les %2 tests")
                              .arg(code)
                              .arg(n));
        writeScale(int(d), &figures[d]);
    }
    for (size_t d = 0; d < m_scales.size(); ++d) {
        const DimensionInfo &dim = dimensions()[d];
        const bool computed = m_scales[d].tests() >= 2;
        for (int item = dim.firstItem; item <= dim.lastItem; ++item) {
            const ItemFigures *f = computed ? &figures[d].items[size_t(item - dim.firstItem)] : nullptr;
            if (f)
                tellMissing(item, QString::fromUtf16(dim.code), m_scales[d].tests(), *f);
            writeItem(item, m_scales[d].tests(), f);
        }
    }
    m_out.end();
}

// Why an item's figures are left empty: its answers, or the other items'
// total, the same for every test.
void ReliabilityTable::tellMissing(int item, const QString &scale, qint64 tests, const ItemFigures &f)
{
    if (f.correctedItemTotal && f.alphaWithoutItem)
        return;
    // Without the alpha, there is no correlation either: both need the
    // other items' total to vary.
    const QString what = f.alphaWithoutItem ? QStringLiteral("corrélation item-total non calculée")
                                            : QStringLiteral("corrélation item-total et alpha sans l'item non calculés");
    const QString why = f.alphaWithoutItem ? QStringLiteral("la réponse à l'item est la même")
                                           : QStringLiteral("le total des autres items de %1 est le même").arg(scale);
    m_report.note(QStringLiteral("fiabilité de q%1 : %2, %3 pour les %4 tests").arg(item).arg(what, why).arg(tests));
}

void ReliabilityTable::writeScale(int dimension, const ScaleFigures *f)
{
    std::array<QByteArray, Columns> cells;
    cells[0] = QString::fromUtf16(dimensions()[size_t(dimension)].code).toUtf8();
    cells[1] = QByteArray::number(m_scales[size_t(dimension)].tests());
    if (f) {
        if (f->alpha)
            cells[2] = number(*f->alpha);
        cells[3] = number(f->mean);
        cells[4] = number(f->standardDeviation);
        cells[5] = number(f->floorPercent);
        cells[6] = number(f->ceilingPercent);
    }
    std::array<QByteArrayView, Columns> values;
    std::copy(cells.begin(), cells.end(), values.begin());
    m_out.row(values.data());
}

void ReliabilityTable::writeItem(int item, qint64 tests, const ItemFigures *f)
{
    std::array<QByteArray, Columns> cells;
    cells[0] = "q" + QByteArray::number(item);
    cells[1] = QByteArray::number(tests);
    if (f) {
        cells[3] = number(f->mean);
        cells[4] = number(f->standardDeviation);
        if (f->correctedItemTotal)
            cells[7] = number(*f->correctedItemTotal);
        if (f->alphaWithoutItem)
            cells[8] = number(*f->alphaWithoutItem);
    }
    std::array<QByteArrayView, Columns> values;
    std::copy(cells.begin(), cells.end(), values.begin());
    m_out.row(values.data());
}

} // namespace belva::score
