#include "followupchart.h"

#include "followupaccessibility.h"
#include "scoring.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPaintEvent>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace belva {

namespace {

enum class Marker { Circle, Square, Triangle, Diamond, Cross };

struct ScoreStyle
{
    QColor color;
    QList<qreal> dashes; // in line widths; empty for a solid line
    Marker marker;
    bool filled;
    qreal width;         // times the chart's line width
};

// Colours that stay apart for colour-blind readers; dashes and markers
// differ as well, for black-and-white printers.
const std::array<ScoreStyle, FollowUpScoreCount> &styles()
{
    static const std::array<ScoreStyle, FollowUpScoreCount> s = {{
        {QColor(0x00, 0x72, 0xB2), {}, Marker::Circle, true, 1},
        {QColor(0xD5, 0x5E, 0x00), {6, 3}, Marker::Square, true, 1},
        {QColor(0x00, 0x9E, 0x73), {1.5, 2.5}, Marker::Triangle, false, 1.2},
        {QColor(0xA0, 0x3C, 0x8C), {7, 3, 1.5, 3}, Marker::Diamond, false, 1},
        {QColor(0x00, 0x00, 0x00), {}, Marker::Cross, false, 2},
    }};
    return s;
}

constexpr qreal Cos45 = 0.70710678118654752;

// The date samples no label needs to be narrower than.
const QString DateSample = QStringLiteral("00/00/0000");

ChartText makeText(const QString &text, QPointF anchor, qreal angle, const QRectF &box, int flags)
{
    ChartText t{text, anchor, angle, box, flags, {}};
    QTransform transform;
    transform.translate(anchor.x(), anchor.y());
    transform.rotate(angle);
    t.outline = transform.map(QPolygonF(box));
    return t;
}

// A text's width, rounded up so that drawing it in a box this wide never cuts it.
qreal textWidth(const QFontMetricsF &fm, const QString &text)
{
    return std::ceil(fm.horizontalAdvance(text)) + 1;
}

bool overlaps(const ChartText &a, const ChartText &b)
{
    return a.outline.boundingRect().intersects(b.outline.boundingRect()) && a.outline.intersects(b.outline);
}

void layOutLegend(FollowUpChartLayout &l, const QFontMetricsF &fm, const QRectF &inner, qreal u)
{
    const qreal sampleLength = 2.6 * u;
    const qreal sampleGap = 0.4 * u;
    const qreal spacing = 1.2 * u;
    qreal x = inner.left();
    qreal y = inner.top();
    for (int s = 0; s < FollowUpScoreCount; ++s) {
        const qreal room = inner.width() - sampleLength - sampleGap;
        const QString caption = fm.elidedText(FollowUpScoreName(s), Qt::ElideRight, std::max<qreal>(room - 2, 0));
        const qreal captionWidth = std::min(textWidth(fm, caption), std::max<qreal>(room, 0));
        const qreal width = sampleLength + sampleGap + captionWidth;
        if (x > inner.left() && x + width > inner.right()) {
            x = inner.left();
            y += 1.15 * u;
        }
        ChartLegendEntry entry;
        entry.score = s;
        entry.sample = QLineF(x, y + u / 2, x + sampleLength, y + u / 2);
        entry.caption = makeText(caption, QPointF(x + sampleLength + sampleGap, y), 0,
                                 QRectF(0, 0, captionWidth, u), Qt::AlignLeft | Qt::AlignVCenter);
        l.legend.append(entry);
        x += width + spacing;
    }
}

// The dates, level when each fits its place, else at 45 degrees, every
// k-th one when even so they would touch. Returns the height they take
// below `top`.
qreal layOutDates(FollowUpChartLayout &l, const QList<FollowUpTest> &tests, const QFontMetricsF &fm,
                  const QRectF &inner, qreal top, qreal u, bool level)
{
    l.xLabels.clear();
    const qsizetype n = tests.size();
    if (n == 0)
        return 0;
    const qreal slot = n > 1 ? l.tickXs[1] - l.tickXs[0] : l.plot.width();
    const qreal sample = textWidth(fm, DateSample);

    if (level) {
        const qreal room = slot - 0.6 * u;
        for (qsizetype i = 0; i < n; ++i) {
            const QString text = fm.elidedText(tests[i].dateText, Qt::ElideRight, room - 1);
            const qreal w = std::min(textWidth(fm, text), room);
            qreal x = l.tickXs[i] - w / 2;
            x = std::clamp(x, inner.left(), inner.right() - w);
            l.xLabels.append(makeText(text, QPointF(x, top), 0, QRectF(0, 0, w, u), Qt::AlignHCenter | Qt::AlignTop));
        }
        return u;
    }

    // At 45 degrees, labels one place apart are slot × cos 45 apart.
    const qreal maxWidth = 1.25 * sample;
    const int every = std::max(1, int(std::ceil(1.05 * u / (slot * Cos45))));
    qreal tallest = 0;
    QList<ChartText> shown;
    for (qsizetype i = 0; i < n; ++i) {
        const bool last = i == n - 1;
        if (i % every != 0 && !last)
            continue;
        const QString text = fm.elidedText(tests[i].dateText, Qt::ElideRight, maxWidth - 1);
        const qreal w = std::min(textWidth(fm, text), maxWidth);
        // The text ends under its tick and runs down to the left.
        const QPointF anchor(l.tickXs[i] + 0.15 * u, top + 0.36 * u);
        ChartText label = makeText(text, anchor, -45, QRectF(-w, -u / 2, w, u), Qt::AlignRight | Qt::AlignVCenter);
        if (last && i % every != 0) {
            // The last date matters more than the one shown before it.
            if (!shown.isEmpty() && overlaps(shown.back(), label))
                shown.removeLast();
        }
        shown.append(label);
    }
    for (const ChartText &label : std::as_const(shown))
        tallest = std::max(tallest, label.outline.boundingRect().bottom() - top);
    l.xLabels = shown;
    return tallest;
}

void placeTicks(FollowUpChartLayout &l, qsizetype n)
{
    l.tickXs.clear();
    const qreal inset = l.markerSize / 2;
    const qreal slot = (l.plot.width() - 2 * inset) / std::max<qsizetype>(n, 1);
    for (qsizetype i = 0; i < n; ++i)
        l.tickXs.append(l.plot.left() + inset + (i + 0.5) * slot);
}

QPen scorePen(int score, qreal lineWidth)
{
    const ScoreStyle &style = styles()[size_t(score)];
    // The segments are drawn one by one; the markers cover their joints.
    QPen pen(style.color, lineWidth * style.width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    if (!style.dashes.isEmpty())
        pen.setDashPattern(style.dashes);
    return pen;
}

void drawMarker(QPainter &p, QPointF c, qreal size, qreal lineWidth, int score)
{
    const ScoreStyle &style = styles()[size_t(score)];
    const qreal r = size / 2;
    p.setPen(QPen(style.color, lineWidth * (style.marker == Marker::Cross ? 1.6 : 1.2), Qt::SolidLine,
                  Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(style.filled ? QBrush(style.color) : QBrush(Qt::white));
    switch (style.marker) {
    case Marker::Circle:
        p.drawEllipse(c, r, r);
        break;
    case Marker::Square:
        p.drawRect(QRectF(c.x() - r * 0.85, c.y() - r * 0.85, r * 1.7, r * 1.7));
        break;
    case Marker::Triangle:
        p.drawPolygon(QPolygonF{QPointF(c.x(), c.y() - r), QPointF(c.x() + r, c.y() + r * 0.8),
                                QPointF(c.x() - r, c.y() + r * 0.8)});
        break;
    case Marker::Diamond:
        p.drawPolygon(
            QPolygonF{QPointF(c.x(), c.y() - r), QPointF(c.x() + r, c.y()), QPointF(c.x(), c.y() + r), QPointF(c.x() - r, c.y())});
        break;
    case Marker::Cross: {
        const qreal d = r * 0.8;
        p.drawLine(QPointF(c.x() - d, c.y() - d), QPointF(c.x() + d, c.y() + d));
        p.drawLine(QPointF(c.x() - d, c.y() + d), QPointF(c.x() + d, c.y() - d));
        break;
    }
    }
}

void drawText(QPainter &p, const ChartText &t)
{
    p.save();
    p.translate(t.anchor);
    if (t.angle != 0)
        p.rotate(t.angle);
    p.drawText(t.box, t.flags | Qt::TextSingleLine | Qt::TextDontClip, t.text);
    p.restore();
}

} // namespace

FollowUpChartLayout LayoutFollowUpChart(const QList<FollowUpTest> &tests, const QRectF &area, const QFont &font,
                                        QPaintDevice *device)
{
    const QFontMetricsF fm(font, device);
    const qreal u = fm.height();
    FollowUpChartLayout l;
    l.area = area;
    l.lineWidth = std::max<qreal>(1, u / 9);
    l.markerSize = std::round(0.6 * u);
    const qreal pad = std::ceil(0.25 * u);
    const QRectF inner = area.adjusted(pad, pad, -pad, -pad);

    layOutLegend(l, fm, inner, u);
    qreal legendBottom = inner.top();
    for (const ChartLegendEntry &e : std::as_const(l.legend))
        legendBottom = std::max(legendBottom, e.caption.anchor.y() + u);

    const qreal yLabelWidth = textWidth(fm, QStringLiteral("100 %"));
    const qreal tick = 0.3 * u;
    const qreal gap = 0.4 * u;
    const qsizetype n = tests.size();

    l.plot.setTop(legendBottom + 0.5 * u + std::max(u / 2, l.markerSize / 2));
    l.plot.setLeft(inner.left() + yLabelWidth + gap);
    l.plot.setRight(inner.right());
    // The bottom is found below; lay the dates out on a trial bottom first.
    l.plot.setBottom(inner.bottom());
    placeTicks(l, n);

    const qreal slot = n > 1 ? l.tickXs[1] - l.tickXs[0] : l.plot.width();
    qreal natural = 0;
    for (const FollowUpTest &t : tests)
        natural = std::max(natural, textWidth(fm, t.dateText));
    const qreal room = slot - 0.6 * u;
    const bool level = room >= std::min(natural, textWidth(fm, DateSample));
    if (!level) {
        // The first slanted date must not leave the area on the left.
        const qreal reach = Cos45 * (1.25 * textWidth(fm, DateSample) + u / 2) - 0.15 * u;
        const qreal firstX = n > 0 ? l.tickXs[0] : l.plot.left();
        if (firstX - reach < inner.left()) {
            const qreal shift = inner.left() - (firstX - reach);
            // Moving the plot's left edge by d moves the first tick by d less half a place.
            l.plot.setLeft(l.plot.left() + shift * 2 * n / (2 * n - 1));
            placeTicks(l, n);
        }
    }
    const qreal datesTop = 0; // relative; moved below once the height is known
    const qreal datesHeight = layOutDates(l, tests, fm, inner, datesTop, u, level);
    l.plot.setBottom(inner.bottom() - datesHeight - tick - gap);
    if (l.plot.height() < u)
        l.plot.setBottom(l.plot.top() + u);
    // The dates go under the plot now that its bottom is known.
    const qreal down = l.plot.bottom() + tick + gap - datesTop;
    for (ChartText &label : l.xLabels) {
        label.anchor.ry() += down;
        label.outline.translate(0, down);
    }

    // Labels 20 % apart where they fit, else 50 %, else the ends only.
    const qreal h = l.plot.height();
    const int labelStep = h / 5 >= 1.3 * u ? 20 : h / 2 >= 1.3 * u ? 50 : 100;
    const int gridStep = h / 10 >= 0.5 * u ? 10 : labelStep;
    for (int v = 0; v <= 100; v += gridStep)
        l.gridYs.append(l.yOf(v));
    for (int v = 0; v <= 100; v += labelStep) {
        const QPointF anchor(inner.left(), l.yOf(v) - u / 2);
        l.yLabels.append(makeText(QStringLiteral("%1 %").arg(v), anchor, 0, QRectF(0, 0, yLabelWidth, u),
                                  Qt::AlignRight | Qt::AlignVCenter));
    }

    for (qsizetype i = 0; i < n; ++i) {
        for (int s = 0; s < FollowUpScoreCount; ++s) {
            const qreal value = std::clamp<qreal>(qreal(tests[i].scores[size_t(s)]), 0, 100);
            l.points[size_t(s)].append(QPointF(l.tickXs[i], l.yOf(value)));
        }
    }
    return l;
}

void PaintFollowUpChart(QPainter &p, const FollowUpChartLayout &l)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    // Grid and axes.
    p.setPen(QPen(QColor(0xC8, 0xC8, 0xC8), l.lineWidth * 0.7));
    for (const qreal y : l.gridYs)
        p.drawLine(QPointF(l.plot.left(), y), QPointF(l.plot.right(), y));
    const QPen axisPen(Qt::black, l.lineWidth, Qt::SolidLine, Qt::FlatCap);
    p.setPen(axisPen);
    p.drawLine(l.plot.bottomLeft(), l.plot.topLeft());
    p.drawLine(l.plot.bottomLeft(), l.plot.bottomRight());
    const qreal tick = l.markerSize / 2;
    for (const qreal x : l.tickXs)
        p.drawLine(QPointF(x, l.plot.bottom()), QPointF(x, l.plot.bottom() + tick));

    for (const ChartText &t : l.yLabels)
        drawText(p, t);
    for (const ChartText &t : l.xLabels)
        drawText(p, t);

    // The global score last, over the others.
    for (int s = 0; s < FollowUpScoreCount; ++s) {
        const QList<QPointF> &points = l.points[size_t(s)];
        p.setPen(scorePen(s, l.lineWidth));
        p.setBrush(Qt::NoBrush);
        // Segment by segment: a polyline that crosses itself is stroked as
        // one outline, a hundred times slower.
        for (qsizetype i = 1; i < points.size(); ++i)
            p.drawLine(points[i - 1], points[i]);
        for (const QPointF &point : points)
            drawMarker(p, point, l.markerSize, l.lineWidth, s);
    }

    for (const ChartLegendEntry &e : l.legend) {
        p.setPen(scorePen(e.score, l.lineWidth));
        p.drawLine(e.sample);
        drawMarker(p, e.sample.center(), l.markerSize, l.lineWidth, e.score);
        p.setPen(Qt::black);
        drawText(p, e.caption);
    }
    p.restore();
}

void PaintFollowUpChart(QPainter &painter, const QRectF &area, const QList<FollowUpTest> &tests)
{
    PaintFollowUpChart(painter, LayoutFollowUpChart(tests, area, painter.font(), painter.device()));
}

FollowUpChart::FollowUpChart(QWidget *parent) : QWidget(parent)
{
    InstallFollowUpAccessibility();
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAccessibleName(QString::fromUtf16(FollowUpChartName));
    describe();
}

void FollowUpChart::setTests(const QList<FollowUpTest> &tests)
{
    m_tests = tests;
    describe();
    update();
}

// The screen reader's words for what the chart shows, with the numbers of
// the regional setting.
void FollowUpChart::describe()
{
    setAccessibleDescription(FollowUpChartDescription(m_tests, LocaleDecimalSeparator()));
}

void FollowUpChart::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LocaleChange)
        describe();
    QWidget::changeEvent(event);
}

QSize FollowUpChart::minimumSizeHint() const
{
    const int u = fontMetrics().height();
    return {28 * u, 16 * u};
}

QSize FollowUpChart::sizeHint() const
{
    const int u = fontMetrics().height();
    return {48 * u, 24 * u};
}

void FollowUpChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    PaintFollowUpChart(painter, QRectF(rect()), m_tests);
}

} // namespace belva
