#include "lines.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

TPen::TPen(QObject *parent) : QObject(parent) {}

void TPen::SetColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    emit Changed();
}

void TPen::SetWidth(int width)
{
    if (width == m_width)
        return;
    m_width = width;
    emit Changed();
}

void TPen::SetStyle(Qt::PenStyle style)
{
    if (style == m_style)
        return;
    m_style = style;
    emit Changed();
}

void TPen::Assign(const TPen &other)
{
    if (other.m_color == m_color && other.m_width == m_width && other.m_style == m_style)
        return;
    m_color = other.m_color;
    m_width = other.m_width;
    m_style = other.m_style;
    emit Changed();
}

QPen TPen::ToQPen() const
{
    // A one-pixel line leaves out its end point; wider lines get round ends.
    QPen pen(QBrush(m_color), std::max(m_width, 0), m_style);
    pen.setCapStyle(m_width <= 1 ? Qt::FlatCap : Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

TBrush::TBrush(QObject *parent) : QObject(parent) {}

void TBrush::SetColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    emit Changed();
}

void TBrush::SetStyle(Qt::BrushStyle style)
{
    if (style == m_style)
        return;
    m_style = style;
    emit Changed();
}

void TBrush::Assign(const TBrush &other)
{
    if (other.m_color == m_color && other.m_style == m_style)
        return;
    m_color = other.m_color;
    m_style = other.m_style;
    emit Changed();
}

QBrush TBrush::ToQBrush() const
{
    return QBrush(m_color, m_style);
}

TLine::TLine(QWidget *parent)
    : QWidget(parent), m_pen(new TPen(this)), m_brush(new TBrush(this))
{
    // No background of its own: the parent shows through all but the line.
    resize(65, 65);
    connect(m_pen, &TPen::Changed, this, [this] { update(); });
    connect(m_brush, &TBrush::Changed, this, [this] { update(); });
}

void TLine::SetBrush(const TBrush *brush)
{
    if (brush)
        m_brush->Assign(*brush);
}

void TLine::SetPen(const TPen *pen)
{
    if (pen)
        m_pen->Assign(*pen);
}

void TLine::SetHeight(int height)
{
    resize(width(), height);
}

void TLine::SetWidth(int width)
{
    resize(width, height());
}

void TLine::SetCoordinate(int &field, int value)
{
    // The other line types compute their coordinates when painted.
    if (m_line != ltCustom)
        return;
    field = value;
    update();
}

void TLine::SetFromX(int value) { SetCoordinate(m_from.rx(), value); }
void TLine::SetToX(int value) { SetCoordinate(m_to.rx(), value); }
void TLine::SetFromY(int value) { SetCoordinate(m_from.ry(), value); }
void TLine::SetToY(int value) { SetCoordinate(m_to.ry(), value); }

void TLine::SetLine(TLineType line)
{
    if (line == m_line)
        return;
    // Keeps the length of a horizontal or vertical line when it turns into
    // another kind; a line going flat gets its default thickness back.
    const int w = width();
    const int h = height();
    if (m_line == ltHorizontal) {
        switch (line) {
        case ltVertical:
            resize(h, w);
            break;
        case ltTop:
        case ltBottom:
        case ltUpDiagonal:
        case ltDownDiagonal:
            resize(w, 65);
            break;
        case ltLeft:
        case ltRight:
            resize(65, w);
            break;
        default:
            break;
        }
    } else if (m_line == ltVertical) {
        switch (line) {
        case ltHorizontal:
            resize(h, w);
            break;
        case ltTop:
        case ltBottom:
            resize(h, 65);
            break;
        case ltLeft:
        case ltRight:
        case ltUpDiagonal:
        case ltDownDiagonal:
            resize(65, h);
            break;
        default:
            break;
        }
    }
    m_line = line;
    update();
}

void TLine::paintEvent(QPaintEvent *)
{
    const int w = width() - 1;
    const int h = height() - 1;
    switch (m_line) {
    case ltCustom:
        m_from = QPoint(std::max(m_from.x(), 0), std::max(m_from.y(), 0));
        m_to = QPoint(std::max(m_to.x(), 0), std::max(m_to.y(), 0));
        break;
    case ltHorizontal:
        m_from = QPoint(0, h / 2);
        m_to = QPoint(w, h / 2);
        break;
    case ltVertical:
        m_from = QPoint(w / 2, 0);
        m_to = QPoint(w / 2, h);
        break;
    case ltTop:
        m_from = QPoint(0, 0);
        m_to = QPoint(w, 0);
        break;
    case ltBottom:
        m_from = QPoint(0, h);
        m_to = QPoint(w, h);
        break;
    case ltLeft:
        m_from = QPoint(0, 0);
        m_to = QPoint(0, h);
        break;
    case ltRight:
        m_from = QPoint(w, 0);
        m_to = QPoint(w, h);
        break;
    case ltUpDiagonal:
        m_from = QPoint(0, h);
        m_to = QPoint(w, 0);
        break;
    case ltDownDiagonal:
        m_from = QPoint(0, 0);
        m_to = QPoint(w, h);
        break;
    }

    {
        QPainter painter(this);
        painter.setPen(m_pen->ToQPen());
        painter.setBrush(m_brush->ToQBrush());
        painter.drawLine(m_from, m_to);
    }

    // The new size repaints the control, which then draws with it.
    switch (m_line) {
    case ltCustom: {
        const int right = std::max(m_to.x(), m_from.x());
        const int bottom = std::max(m_to.y(), m_from.y());
        resize(w < right ? right + 1 : width(), h < bottom ? bottom + 1 : height());
        break;
    }
    case ltHorizontal:
        resize(width(), 10 * m_pen->Width());
        break;
    case ltVertical:
        resize(10 * m_pen->Width(), height());
        break;
    default:
        break;
    }
}

bool TLine::AcceptsDrag(QObject *source, QPoint pos, TDragState state)
{
    if (!isSignalConnected(QMetaMethod::fromSignal(&TLine::DragOver)))
        return false;
    bool accept = true;
    emit DragOver(source, pos.x(), pos.y(), state, &accept);
    return accept;
}

TLine *TLine::DragTargetAt(QPoint globalPos, QPoint *localPos)
{
    auto *target = qobject_cast<TLine *>(QApplication::widgetAt(globalPos));
    if (target)
        *localPos = target->mapFromGlobal(globalPos);
    return target;
}

void TLine::DragTo(QPoint globalPos)
{
    QPoint local;
    TLine *target = DragTargetAt(globalPos, &local);
    if (target != m_dragTarget) {
        if (m_dragTarget)
            m_dragTarget->AcceptsDrag(this, m_dragTarget->mapFromGlobal(globalPos), dsDragLeave);
        m_dragTarget = target;
        m_dragAccepted = target && target->AcceptsDrag(this, local, dsDragEnter);
    } else if (target) {
        m_dragAccepted = target->AcceptsDrag(this, local, dsDragMove);
    }
    QGuiApplication::changeOverrideCursor(QCursor(m_dragAccepted ? m_dragCursor : Qt::ForbiddenCursor));
}

void TLine::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (m_dragMode == dmAutomatic && event->button() == Qt::LeftButton && !m_dragging) {
        m_dragging = true;
        m_dragTarget = nullptr;
        m_dragAccepted = false;
        QGuiApplication::setOverrideCursor(QCursor(Qt::ForbiddenCursor));
        DragTo(event->globalPosition().toPoint());
        return;
    }
    emit MouseDown(event->button(), event->modifiers(), pos.x(), pos.y());
}

void TLine::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging) {
        DragTo(event->globalPosition().toPoint());
        return;
    }
    const QPoint pos = event->position().toPoint();
    emit MouseMove(event->modifiers(), pos.x(), pos.y());
}

void TLine::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging && event->button() == Qt::LeftButton) {
        const QPoint globalPos = event->globalPosition().toPoint();
        DragTo(globalPos);
        m_dragging = false;
        QGuiApplication::restoreOverrideCursor();
        TLine *target = m_dragAccepted ? m_dragTarget.data() : nullptr;
        m_dragTarget = nullptr;
        QPoint local;
        if (target) {
            local = target->mapFromGlobal(globalPos);
            emit target->DragDrop(this, local.x(), local.y());
        }
        emit EndDrag(target, local.x(), local.y());
        return;
    }
    const QPoint pos = event->position().toPoint();
    emit MouseUp(event->button(), event->modifiers(), pos.x(), pos.y());
}
