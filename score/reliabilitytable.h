#pragma once

#include "questionnaire.h"
#include "reliability.h"
#include "rowsink.h"
#include "settings.h"

#include <QChar>

#include <array>
#include <vector>

namespace belva::score {

class Report;

// Instead of the scored rows, the reliability of the questionnaire's scales
// over the study, as one table handed at end() to `out` (a CsvWriter: the
// delimiter, line end and encoding of the scores, their decimal separator):
//   Échelle;Tests;Alpha;Moyenne;Écart-type;Plancher (%);Plafond (%);
//   Corrélation item-total corrigée;Alpha sans l'item
// one row per scale PS, PH, S, DG, then one per item q1..q20 (ScaleSums,
// ComputeFigures), four decimals. A scale's figures are those of the tests
// that answered all its items (listwise), the answers read as the scorer
// reads them (AnswerValue); an item's row gives that same number of tests.
// A figure that cannot be computed is left empty, and the report says why.
class ReliabilityTable final : public RowSink
{
public:
    ReliabilityTable(RowSink &out, const Settings &settings, Report &report);

    void sourceEncoding(SourceEncoding encoding) override;
    void begin(const std::vector<Column> &columns, const SourceStyle &style) override;
    void row(const QByteArrayView *values) override;
    void end() override;

private:
    [[nodiscard]] QByteArray number(double value) const;
    void writeScale(int dimension, const ScaleFigures *figures);
    void writeItem(int item, qint64 tests, const ItemFigures *figures);
    void tellMissing(int item, const QString &scale, qint64 tests, const ItemFigures &figures);

    RowSink &m_out;
    const Settings m_settings;
    Report &m_report;
    SourceStyle m_style;
    QChar m_separator;
    bool m_begun = false;
    std::array<size_t, ItemCount> m_answerColumn{};
    std::vector<ScaleSums> m_scales;
    std::vector<int> m_answers;
};

} // namespace belva::score
