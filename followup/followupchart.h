#pragma once

// The follow-up chart: the five scores across the tests, one line per score
// with its points marked, 0 to 100 % upwards, the tests' dates along the
// bottom, a legend on top. Each score has its own colour, dash pattern and
// marker, so that it reads in black and white too. The same drawing serves
// the window and the printed page: everything is sized from the font's line
// height on the device drawn on. For the screen reader the chart is named and
// described in words (followupaccessibility.h).

#include "followup.h"

#include <QFont>
#include <QList>
#include <QPolygonF>
#include <QRectF>
#include <QWidget>
#include <array>

class QPainter;
class QPaintDevice;

namespace belva {

struct ChartText
{
    QString text;       // elided to fit where needed
    QPointF anchor;     // drawing origin
    qreal angle = 0;    // degrees, about the anchor
    QRectF box;         // where the text lies, relative to the anchor before rotation
    int flags = 0;      // Qt::AlignmentFlag for drawText
    QPolygonF outline;  // the box as drawn, in the chart's coordinates
};

struct ChartLegendEntry
{
    int score = 0;
    QLineF sample;      // a piece of the score's line, its marker in the middle
    ChartText caption;
};

struct FollowUpChartLayout
{
    QRectF area;        // everything is drawn inside it
    QRectF plot;        // 0 % on its bottom edge, 100 % on its top edge
    qreal lineWidth = 1;
    qreal markerSize = 6;
    std::array<QList<QPointF>, FollowUpScoreCount> points; // one per test, in order
    QList<qreal> tickXs;        // one per test
    QList<qreal> gridYs;        // the grid lines, 0 % first
    QList<ChartText> yLabels;   // "0 %" upwards
    QList<ChartText> xLabels;   // the dates shown (some may be left out when crowded)
    QList<ChartLegendEntry> legend;

    [[nodiscard]] qreal yOf(qreal percent) const { return plot.bottom() - plot.height() * percent / 100; }
};

// Lays the chart out in `area` with the font on `device`.
[[nodiscard]] FollowUpChartLayout LayoutFollowUpChart(const QList<FollowUpTest> &tests, const QRectF &area,
                                                      const QFont &font, QPaintDevice *device);

// Draws the chart inside `area` with the painter's font.
void PaintFollowUpChart(QPainter &painter, const QRectF &area, const QList<FollowUpTest> &tests);
void PaintFollowUpChart(QPainter &painter, const FollowUpChartLayout &layout);

class FollowUpChart : public QWidget
{
    Q_OBJECT

public:
    explicit FollowUpChart(QWidget *parent = nullptr);

    void setTests(const QList<FollowUpTest> &tests);
    [[nodiscard]] const QList<FollowUpTest> &tests() const { return m_tests; }

    [[nodiscard]] QSize minimumSizeHint() const override;
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void describe();

    QList<FollowUpTest> m_tests;
};

} // namespace belva
