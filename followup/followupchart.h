#pragma once

// The follow-up chart: the five scores across the tests, one line per score
// with its points marked, placed along the time axis by their dates (tests
// of one day side by side), 0 % at the bottom and at least 100 % at the top,
// the axis titled, a legend on top whose entries show or hide their score.
// Each score has its own colour, dash pattern and marker, so that it reads in
// black and white too. The same drawing serves the window and the printed
// page: everything is sized from the font's line height on the device drawn on.
// For the screen reader the chart is named and described in words
// (followupaccessibility.h).

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
    QString text;
    QPointF anchor;     // drawing origin
    qreal angle = 0;    // degrees, about the anchor
    QRectF box;         // where the text lies, relative to the anchor before rotation
    int flags = 0;      // Qt::AlignmentFlag for drawText
    QPolygonF outline;  // the box as drawn, in the chart's coordinates
};

struct ChartLegendEntry
{
    int score = 0;
    bool shown = true;
    QLineF sample;      // a piece of the score's line, its marker in the middle
    ChartText caption;
    QRectF hitBox;      // sample and caption: a click there shows or hides the score
};

struct FollowUpChartLayout
{
    QRectF area;        // everything is drawn inside it
    QRectF plot;        // 0 % on its bottom edge, `top` % on its top edge
    qreal top = 100;    // 100, or more when a score is above 100
    qreal lineWidth = 1;
    qreal markerSize = 6;
    std::array<QList<QPointF>, FollowUpScoreCount> points; // one per test, in order; none for a hidden score
    QList<qreal> tickXs;        // one per test
    QList<qreal> gridYs;        // the grid lines, 0 % first
    QList<ChartText> yLabels;   // "0 %" upwards
    QList<ChartText> xLabels;   // the dates shown (some may be left out when crowded), left to right
    QList<ChartText> title;     // the vertical axis' title, one or two lines
    QList<ChartLegendEntry> legend;

    [[nodiscard]] qreal yOf(qreal percent) const { return plot.bottom() - plot.height() * percent / top; }
};

// Lays the chart out in `area` with the font on `device`.
[[nodiscard]] FollowUpChartLayout LayoutFollowUpChart(const FollowUp &followUp, const QRectF &area,
                                                      const QFont &font, const QPaintDevice *device);

// Draws the chart inside `area` with the painter's font.
void PaintFollowUpChart(QPainter &painter, const QRectF &area, const FollowUp &followUp);
void PaintFollowUpChart(QPainter &painter, const FollowUpChartLayout &layout);

// The legend entry at `pos`; -1 when none.
[[nodiscard]] int LegendEntryAt(const FollowUpChartLayout &layout, QPointF pos);

// What the chart says at `pos`: over a test, its date and the scores shown,
// from the highest, those of equal value on one line; over a legend entry,
// what a click does; empty elsewhere.
[[nodiscard]] QString FollowUpChartToolTip(const FollowUpChartLayout &layout, const FollowUp &followUp, QPointF pos,
                                           QChar decimalSeparator);

class FollowUpChart : public QWidget
{
    Q_OBJECT

public:
    explicit FollowUpChart(QWidget *parent = nullptr);

    void setFollowUp(const FollowUp &followUp);
    [[nodiscard]] const FollowUp &followUp() const { return m_followUp; }
    [[nodiscard]] FollowUpChartLayout chartLayout() const;

    [[nodiscard]] QSize minimumSizeHint() const override;
    [[nodiscard]] QSize sizeHint() const override;

Q_SIGNALS:
    // A legend entry was clicked: the score is now shown or hidden.
    void shownChanged(int score, bool shown);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void describe();

    FollowUp m_followUp;
};

} // namespace belva
