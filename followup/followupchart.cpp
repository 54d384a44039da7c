#include "followupchart.h"

#include "followupaccessibility.h"
#include "scoring.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QToolTip>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <map>

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

const QColor HiddenColor(0xA0, 0xA0, 0xA0);

constexpr qreal Cos45 = 0.70710678118654752;

const QString AxisTitle = QStringLiteral("Scores en % (plus haut : plus de retentissement)");

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

// Whether two texts come closer than `gap` across their lines.
bool crowd(const ChartText &a, const ChartText &b, qreal gap)
{
    const auto widened = [gap](const ChartText &t) {
        return makeText(t.text, t.anchor, t.angle, t.box.adjusted(-gap / 2, -gap / 2, gap / 2, gap / 2), t.flags);
    };
    const ChartText wa = widened(a);
    const ChartText wb = widened(b);
    return wa.outline.boundingRect().intersects(wb.outline.boundingRect()) && wa.outline.intersects(wb.outline);
}

void layOutLegend(FollowUpChartLayout &l, const FollowUp &f, const QFontMetricsF &fm, const QRectF &inner, qreal u)
{
    const qreal sampleLength = 2.6 * u;
    const qreal sampleGap = 0.4 * u;
    const qreal spacing = 1.2 * u;
    qreal x = inner.left();
    qreal y = inner.top();
    for (int s = 0; s < FollowUpScoreCount; ++s) {
        const QString caption = FollowUpScoreName(s);
        const qreal captionWidth = textWidth(fm, caption);
        const qreal width = sampleLength + sampleGap + captionWidth;
        if (x > inner.left() && x + width > inner.right()) {
            x = inner.left();
            y += 1.15 * u;
        }
        ChartLegendEntry entry;
        entry.score = s;
        entry.shown = f.shown[size_t(s)];
        entry.sample = QLineF(x, y + u / 2, x + sampleLength, y + u / 2);
        entry.caption = makeText(caption, QPointF(x + sampleLength + sampleGap, y), 0, QRectF(0, 0, captionWidth, u),
                                 Qt::AlignLeft | Qt::AlignVCenter);
        entry.hitBox = QRectF(x, y, width, u);
        l.legend.append(entry);
        x += width + spacing;
    }
}

// The tests of each day, in order: where a day begins in the list, and its
// length.
struct Day
{
    qsizetype first = 0;
    qsizetype count = 0;
};

QList<Day> daysOf(const QList<FollowUpTest> &tests)
{
    QList<Day> days;
    for (qsizetype i = 0; i < tests.size(); ++i) {
        if (!days.isEmpty() && tests[i].date == tests[days.back().first].date)
            ++days.back().count;
        else
            days.append({i, 1});
    }
    return days;
}

// Each test at its date on a time axis across the plot; the tests of one
// day side by side around it. Returns the x of each day.
QList<qreal> placeTicks(FollowUpChartLayout &l, const QList<FollowUpTest> &tests, const QList<Day> &days)
{
    l.tickXs.clear();
    QList<qreal> dayXs;
    if (tests.isEmpty())
        return dayXs;
    qsizetype most = 1;
    for (const Day &d : days)
        most = std::max(most, d.count);
    const qreal step = most > 1 ? std::min(1.4 * l.markerSize, (l.plot.width() - l.markerSize) / qreal(most)) : 0;
    const qreal inset = l.markerSize / 2 + (most - 1) * step / 2;
    const qreal width = std::max<qreal>(l.plot.width() - 2 * inset, 0);
    const QDate first = tests.front().date;
    const qint64 span = first.daysTo(tests.back().date);
    for (const Day &d : days) {
        const qint64 at = first.daysTo(tests[d.first].date);
        const qreal x = l.plot.left() + inset + (span > 0 ? width * qreal(at) / qreal(span) : width / 2);
        dayXs.append(x);
        for (qsizetype j = 0; j < d.count; ++j)
            l.tickXs.append(x + (qreal(j) - qreal(d.count - 1) / 2) * step);
    }
    return dayXs;
}

// Keeps the labels that do not crowd the one kept before them; the last one
// always, as the last date matters most.
QList<ChartText> thinned(const QList<ChartText> &labels, qreal gap)
{
    QList<ChartText> kept;
    for (const ChartText &label : labels) {
        if (kept.isEmpty() || !crowd(kept.back(), label, gap))
            kept.append(label);
    }
    if (!labels.isEmpty() && kept.back().anchor != labels.back().anchor) {
        while (!kept.isEmpty() && crowd(kept.back(), labels.back(), gap))
            kept.removeLast();
        kept.append(labels.back());
    }
    return kept;
}

// The dates under the axis, from `top`: level, or at 45 degrees when that
// shows more of them. Returns the height they take below `top`.
qreal layOutDates(FollowUpChartLayout &l, const QList<FollowUpTest> &tests, const QList<Day> &days,
                  const QList<qreal> &dayXs, const QFontMetricsF &fm, const QRectF &inner, qreal top, qreal u,
                  bool *slanted)
{
    QList<ChartText> level;
    QList<ChartText> slant;
    for (qsizetype k = 0; k < days.size(); ++k) {
        const QString text = tests[days[k].first].dateText;
        const qreal w = textWidth(fm, text);
        const qreal x = std::clamp(dayXs[k] - w / 2, inner.left(), std::max(inner.left(), inner.right() - w));
        level.append(makeText(text, QPointF(x, top), 0, QRectF(0, 0, w, u), Qt::AlignHCenter | Qt::AlignTop));
        // The text ends under its tick and runs down to the left.
        const QPointF anchor(dayXs[k] + 0.15 * u, top + 0.36 * u);
        slant.append(makeText(text, anchor, -45, QRectF(-w, -u / 2, w, u), Qt::AlignRight | Qt::AlignVCenter));
    }
    const QList<ChartText> levelShown = thinned(level, 0.6 * u);
    const QList<ChartText> slantShown = thinned(slant, 0.25 * u);
    *slanted = slantShown.size() > levelShown.size();
    l.xLabels = *slanted ? slantShown : levelShown;
    qreal bottom = top;
    for (const ChartText &label : std::as_const(l.xLabels))
        bottom = std::max(bottom, label.outline.boundingRect().bottom());
    return bottom - top;
}

QPen scorePen(int score, qreal lineWidth, bool shown = true)
{
    const ScoreStyle &style = styles()[size_t(score)];
    // The segments are drawn one by one; the markers cover their joints.
    QPen pen(shown ? style.color : HiddenColor, lineWidth * style.width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    if (!style.dashes.isEmpty())
        pen.setDashPattern(style.dashes);
    return pen;
}

void drawMarker(QPainter &p, QPointF c, qreal size, qreal lineWidth, int score, bool shown = true)
{
    const ScoreStyle &style = styles()[size_t(score)];
    const QColor color = shown ? style.color : HiddenColor;
    const qreal r = size / 2;
    p.setPen(QPen(color, lineWidth * (style.marker == Marker::Cross ? 1.6 : 1.2), Qt::SolidLine, Qt::SquareCap,
                  Qt::MiterJoin));
    p.setBrush(style.filled ? QBrush(color) : QBrush(Qt::white));
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

FollowUpChartLayout LayoutFollowUpChart(const FollowUp &f, const QRectF &area, const QFont &font,
                                        const QPaintDevice *device)
{
    const QList<FollowUpTest> &tests = f.tests;
    const QFontMetricsF fm(font, device);
    const qreal u = fm.height();
    FollowUpChartLayout l;
    l.area = area;
    l.lineWidth = std::max<qreal>(1, u / 9);
    l.markerSize = std::round(0.6 * u);
    const qreal pad = std::ceil(0.25 * u);
    const QRectF inner = area.adjusted(pad, pad, -pad, -pad);

    layOutLegend(l, f, fm, inner, u);
    qreal y = inner.top();
    for (const ChartLegendEntry &e : std::as_const(l.legend))
        y = std::max(y, e.hitBox.bottom());

    // The axis' title, on two lines where one is too narrow.
    y += 0.4 * u;
    QStringList titleLines{AxisTitle};
    if (textWidth(fm, AxisTitle) > inner.width())
        titleLines = AxisTitle.split(QStringLiteral(" ("));
    for (qsizetype i = 0; i < titleLines.size(); ++i) {
        const QString text = i > 0 ? QStringLiteral("(") + titleLines[i] : titleLines[i];
        l.title.append(makeText(text, QPointF(inner.left(), y), 0, QRectF(0, 0, textWidth(fm, text), u),
                                Qt::AlignLeft | Qt::AlignVCenter));
        y += u;
    }

    // Scores above 100 % (answers above 5) stay on the chart.
    for (const FollowUpTest &t : tests) {
        for (const long double score : t.scores)
            l.top = std::max(l.top, std::ceil(qreal(score) / 20) * 20);
    }
    const QString widest = QStringLiteral("%1 %").arg(int(l.top));
    const qreal yLabelWidth = textWidth(fm, widest);
    const qreal tick = 0.3 * u;
    const qreal gap = 0.4 * u;

    l.plot.setTop(y + 0.3 * u + std::max(u / 2, l.markerSize / 2));
    l.plot.setLeft(inner.left() + yLabelWidth + gap);
    l.plot.setRight(inner.right());
    l.plot.setBottom(inner.bottom());
    const QList<Day> days = daysOf(tests);
    QList<qreal> dayXs = placeTicks(l, tests, days);

    bool slanted = false;
    qreal datesHeight = layOutDates(l, tests, days, dayXs, fm, inner, 0, u, &slanted);
    if (slanted && !l.xLabels.isEmpty()) {
        // The first slanted date must not leave the area on the left.
        const qreal reach = l.xLabels.front().outline.boundingRect().left();
        if (reach < inner.left()) {
            l.plot.setLeft(l.plot.left() + inner.left() - reach);
            dayXs = placeTicks(l, tests, days);
            datesHeight = layOutDates(l, tests, days, dayXs, fm, inner, 0, u, &slanted);
        }
    }
    l.plot.setBottom(inner.bottom() - datesHeight - tick - gap);
    if (l.plot.height() < u)
        l.plot.setBottom(l.plot.top() + u);
    // The dates go under the plot now that its bottom is known.
    const qreal down = l.plot.bottom() + tick + gap;
    for (ChartText &label : l.xLabels) {
        label.anchor.ry() += down;
        label.outline.translate(0, down);
    }

    // Labels every 20 % where they fit, else further apart, else the ends only.
    const qreal h = l.plot.height();
    const int top = int(l.top);
    int labelStep = top;
    for (const int step : {20, 40, 50, 60, 100}) {
        if (top % step == 0 && h * step / l.top >= 1.3 * u) {
            labelStep = step;
            break;
        }
    }
    const int gridStep = h * 10 / l.top >= 0.5 * u ? 10 : labelStep;
    for (int v = 0; v <= top; v += gridStep)
        l.gridYs.append(l.yOf(v));
    for (int v = 0; v <= top; v += labelStep) {
        const QPointF anchor(inner.left(), l.yOf(v) - u / 2);
        l.yLabels.append(makeText(QStringLiteral("%1 %").arg(v), anchor, 0, QRectF(0, 0, yLabelWidth, u),
                                  Qt::AlignRight | Qt::AlignVCenter));
    }

    for (int s = 0; s < FollowUpScoreCount; ++s) {
        if (!f.shown[size_t(s)])
            continue;
        for (qsizetype i = 0; i < tests.size(); ++i) {
            const qreal value = std::max<qreal>(qreal(tests[i].scores[size_t(s)]), 0);
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

    for (const ChartText &t : l.yLabels + l.xLabels + l.title)
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
        p.setPen(scorePen(e.score, l.lineWidth, e.shown));
        p.drawLine(e.sample);
        drawMarker(p, e.sample.center(), l.markerSize, l.lineWidth, e.score, e.shown);
        p.setPen(e.shown ? QColor(Qt::black) : HiddenColor);
        drawText(p, e.caption);
    }
    p.restore();
}

void PaintFollowUpChart(QPainter &painter, const QRectF &area, const FollowUp &followUp)
{
    PaintFollowUpChart(painter, LayoutFollowUpChart(followUp, area, painter.font(), painter.device()));
}

int LegendEntryAt(const FollowUpChartLayout &layout, QPointF pos)
{
    for (const ChartLegendEntry &e : layout.legend) {
        if (e.hitBox.contains(pos))
            return e.score;
    }
    return -1;
}

QString FollowUpChartToolTip(const FollowUpChartLayout &l, const FollowUp &f, QPointF pos, QChar decimalSeparator)
{
    if (const int score = LegendEntryAt(l, pos); score >= 0) {
        return (f.shown[size_t(score)] ? QStringLiteral("Cliquer pour masquer ") : QStringLiteral("Cliquer pour afficher "))
            + FollowUpScoreName(score);
    }
    if (!l.plot.adjusted(-l.markerSize, -l.markerSize, l.markerSize, l.markerSize).contains(pos))
        return QString();
    // The test nearest across, if its marks are under the pointer.
    qsizetype nearest = -1;
    for (qsizetype i = 0; i < l.tickXs.size() && i < f.tests.size(); ++i) {
        if (nearest < 0 || std::fabs(l.tickXs[i] - pos.x()) < std::fabs(l.tickXs[nearest] - pos.x()))
            nearest = i;
    }
    if (nearest < 0 || std::fabs(l.tickXs[nearest] - pos.x()) > l.markerSize)
        return QString();

    const FollowUpTest &t = f.tests[nearest];
    std::map<long double, QStringList, std::greater<>> byValue;
    for (int s = 0; s < FollowUpScoreCount; ++s) {
        if (f.shown[size_t(s)])
            byValue[t.scores[size_t(s)]] << FollowUpScoreCaption(s);
    }
    if (byValue.empty())
        return QString();
    QStringList lines{QStringLiteral("%1 (%2)").arg(t.dateText, t.fileName)};
    for (const auto &[value, captions] : byValue)
        lines << captions.join(QLatin1String(", ")) + QStringLiteral(" : ") + FormatScore(value, decimalSeparator)
                     + QStringLiteral(" %");
    return lines.join(u'\n');
}

FollowUpChart::FollowUpChart(QWidget *parent) : QWidget(parent)
{
    InstallFollowUpAccessibility();
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMouseTracking(true);
    setAccessibleName(QString::fromUtf16(FollowUpChartName));
    describe();
}

void FollowUpChart::setFollowUp(const FollowUp &followUp)
{
    m_followUp = followUp;
    describe();
    update();
}

FollowUpChartLayout FollowUpChart::chartLayout() const
{
    return LayoutFollowUpChart(m_followUp, QRectF(rect()), font(), this);
}

// The screen reader's words for what the chart shows, with the numbers of
// the regional setting.
void FollowUpChart::describe()
{
    setAccessibleDescription(FollowUpChartDescription(m_followUp.tests, LocaleDecimalSeparator()));
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

bool FollowUpChart::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QString tip = FollowUpChartToolTip(chartLayout(), m_followUp, help->pos(), LocaleDecimalSeparator());
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), tip, this);
        }
        return true;
    }
    return QWidget::event(event);
}

void FollowUpChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    PaintFollowUpChart(painter, chartLayout());
}

void FollowUpChart::mouseMoveEvent(QMouseEvent *event)
{
    setCursor(LegendEntryAt(chartLayout(), event->position()) >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    QWidget::mouseMoveEvent(event);
}

void FollowUpChart::mouseReleaseEvent(QMouseEvent *event)
{
    const int score = event->button() == Qt::LeftButton ? LegendEntryAt(chartLayout(), event->position()) : -1;
    if (score < 0) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    bool &shown = m_followUp.shown[size_t(score)];
    shown = !shown;
    update();
    Q_EMIT shownChanged(score, shown);
}

} // namespace belva
