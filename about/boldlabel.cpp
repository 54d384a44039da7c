#include "boldlabel.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGlyphRun>
#include <QPainter>

#include <cmath>

TBoldLabel::TBoldLabel(QWidget *parent) : QLabel(parent) {}

void TBoldLabel::SetBitmapFontFile(const QString &fileName)
{
    m_fontFile = fileName;
    PickStrike();
}

void TBoldLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        PickStrike();
}

void TBoldLabel::PickStrike()
{
    m_strike = QRawFont();
    if (!m_fontFile.isEmpty()) {
        const QFont wanted = font();
        const int em = wanted.pixelSize() > 0 ? wanted.pixelSize()
                                              : qRound(wanted.pointSizeF() * logicalDpiY() / 72.0);
        // A strike is asked for by its cell height, which adds the internal
        // leading to the character height.
        for (int cell = em; cell <= em + em / 2 + 1; ++cell) {
            QRawFont strike(m_fontFile, cell);
            if (strike.isValid() && strike.familyName() == wanted.family() && qRound(strike.ascent()) == em) {
                m_strike = strike;
                break;
            }
        }
    }
    updateGeometry();
    update();
}

bool TBoldLabel::UsesStrike() const
{
    if (!m_strike.isValid() || textFormat() == Qt::RichText || wordWrap())
        return false;
    const QString line = text();
    for (QChar c : line) {
        if (!m_strike.supportsCharacter(c))
            return false;
    }
    return true;
}

bool TBoldLabel::Smears() const
{
    if (!font().bold() || textFormat() == Qt::RichText || wordWrap())
        return false;
    if (UsesStrike())
        return true;
    const QFontInfo info(font());
    return !QFontDatabase::isSmoothlyScalable(info.family(), info.styleName());
}

QFont TBoldLabel::SmearedFont() const
{
    QFont smeared = font();
    smeared.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    return smeared;
}

QMargins TBoldLabel::TextMargins() const
{
    return contentsMargins() + QMargins(margin(), margin(), margin(), margin());
}

QSize TBoldLabel::sizeHint() const
{
    if (UsesStrike()) {
        const QString line = text();
        qreal width = 0;
        for (const QPointF &advance : m_strike.advancesForGlyphIndexes(m_strike.glyphIndexesForString(line)))
            width += std::round(advance.x()) + Extra();
        const int height = qRound(m_strike.ascent()) + qRound(m_strike.descent());
        return QSize(int(width), height).grownBy(TextMargins());
    }
    if (Smears()) {
        // Laid out as drawn: characters from fallback fonts count too.
        const QSize size = QFontMetrics(SmearedFont()).size(Qt::TextSingleLine, text());
        return (size + QSize(1, 0)).grownBy(TextMargins());
    }
    return QLabel::sizeHint();
}

QSize TBoldLabel::minimumSizeHint() const
{
    return UsesStrike() || Smears() ? sizeHint() : QLabel::minimumSizeHint();
}

void TBoldLabel::paintEvent(QPaintEvent *event)
{
    const bool strike = UsesStrike();
    if (!strike && !Smears()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    const QRect area = contentsRect().marginsRemoved(QMargins(margin(), margin(), margin(), margin()));
    const int passes = Smears() ? 2 : 1;
    if (strike) {
        QGlyphRun run;
        run.setRawFont(m_strike);
        const QList<quint32> glyphs = m_strike.glyphIndexesForString(text());
        const QList<QPointF> advances = m_strike.advancesForGlyphIndexes(glyphs);
        QList<QPointF> positions;
        qreal x = 0;
        for (const QPointF &advance : advances) {
            positions << QPointF(x, 0);
            x += std::round(advance.x()) + Extra();
        }
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        // Left and top aligned, as the label sizes itself to its text.
        const QPointF baseline(area.left(), area.top() + qRound(m_strike.ascent()));
        for (int dx = 0; dx < passes; ++dx)
            painter.drawGlyphRun(baseline + QPointF(dx, 0), run);
    } else {
        painter.setFont(SmearedFont());
        for (int dx = 0; dx < passes; ++dx)
            painter.drawText(area.translated(dx, 0), int(alignment()), text());
    }
}
