#pragma once

// TLine: a transparent control that draws one straight line across itself,
// with its own pen and brush. The line is chosen by TLineType; every painting
// rewrites the four coordinates to the drawn line and may resize the control.

#include <QBrush>
#include <QColor>
#include <QObject>
#include <QPen>
#include <QPoint>
#include <QPointer>
#include <QWidget>

// The line's pen: a colour, a width in pixels and a style. Every change
// emits Changed().
class TPen : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QColor Color READ Color WRITE SetColor NOTIFY Changed)
    Q_PROPERTY(int Width READ Width WRITE SetWidth NOTIFY Changed)
    Q_PROPERTY(Qt::PenStyle Style READ Style WRITE SetStyle NOTIFY Changed)

public:
    explicit TPen(QObject *parent = nullptr);

    [[nodiscard]] QColor Color() const { return m_color; }
    void SetColor(const QColor &color);
    [[nodiscard]] int Width() const { return m_width; }
    void SetWidth(int width);
    [[nodiscard]] Qt::PenStyle Style() const { return m_style; }
    void SetStyle(Qt::PenStyle style);

    // Copies colour, width and style; one Changed() when anything differs.
    void Assign(const TPen &other);
    [[nodiscard]] QPen ToQPen() const;

signals:
    void Changed();

private:
    QColor m_color = Qt::black;
    int m_width = 1;
    Qt::PenStyle m_style = Qt::SolidLine;
};

// The fill of the canvas: a colour and a pattern. Every change emits Changed().
class TBrush : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QColor Color READ Color WRITE SetColor NOTIFY Changed)
    Q_PROPERTY(Qt::BrushStyle Style READ Style WRITE SetStyle NOTIFY Changed)

public:
    explicit TBrush(QObject *parent = nullptr);

    [[nodiscard]] QColor Color() const { return m_color; }
    void SetColor(const QColor &color);
    [[nodiscard]] Qt::BrushStyle Style() const { return m_style; }
    void SetStyle(Qt::BrushStyle style);

    void Assign(const TBrush &other);
    [[nodiscard]] QBrush ToQBrush() const;

signals:
    void Changed();

private:
    QColor m_color = Qt::white;
    Qt::BrushStyle m_style = Qt::SolidPattern;
};

class TLine : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(TBrush *Brush READ Brush WRITE SetBrush)
    Q_PROPERTY(Qt::CursorShape DragCursor READ DragCursor WRITE SetDragCursor)
    Q_PROPERTY(TDragMode DragMode READ DragMode WRITE SetDragMode)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(TPen *Pen READ Pen WRITE SetPen)
    Q_PROPERTY(int FromX READ FromX WRITE SetFromX)
    Q_PROPERTY(int ToX READ ToX WRITE SetToX)
    Q_PROPERTY(int FromY READ FromY WRITE SetFromY)
    Q_PROPERTY(int ToY READ ToY WRITE SetToY)
    Q_PROPERTY(TLineType Line READ Line WRITE SetLine)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)

public:
    enum TLineType {
        ltCustom,
        ltHorizontal,
        ltVertical,
        ltTop,
        ltBottom,
        ltLeft,
        ltRight,
        ltUpDiagonal,
        ltDownDiagonal,
    };
    Q_ENUM(TLineType)

    // dmAutomatic: a left-button press drags the control to another TLine.
    enum TDragMode { dmManual, dmAutomatic };
    Q_ENUM(TDragMode)

    enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
    Q_ENUM(TDragState)

    explicit TLine(QWidget *parent = nullptr);

    [[nodiscard]] TBrush *Brush() const { return m_brush; }
    void SetBrush(const TBrush *brush);
    [[nodiscard]] Qt::CursorShape DragCursor() const { return m_dragCursor; }
    void SetDragCursor(Qt::CursorShape cursor) { m_dragCursor = cursor; }
    [[nodiscard]] TDragMode DragMode() const { return m_dragMode; }
    void SetDragMode(TDragMode mode) { m_dragMode = mode; }
    [[nodiscard]] int Height() const { return height(); }
    void SetHeight(int height);
    [[nodiscard]] TPen *Pen() const { return m_pen; }
    void SetPen(const TPen *pen);
    [[nodiscard]] int FromX() const { return m_from.x(); }
    void SetFromX(int value);
    [[nodiscard]] int ToX() const { return m_to.x(); }
    void SetToX(int value);
    [[nodiscard]] int FromY() const { return m_from.y(); }
    void SetFromY(int value);
    [[nodiscard]] int ToY() const { return m_to.y(); }
    void SetToY(int value);
    [[nodiscard]] TLineType Line() const { return m_line; }
    void SetLine(TLineType line);
    [[nodiscard]] int Width() const { return width(); }
    void SetWidth(int width);

signals:
    // *accept starts true when something listens; a listener clears it to refuse.
    void DragOver(QObject *source, int x, int y, TLine::TDragState state, bool *accept);
    void DragDrop(QObject *source, int x, int y);
    void EndDrag(QObject *target, int x, int y);
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void MouseMove(Qt::KeyboardModifiers modifiers, int x, int y);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void SetCoordinate(int &field, int value);
    bool AcceptsDrag(QObject *source, QPoint pos, TDragState state);
    TLine *DragTargetAt(QPoint globalPos, QPoint *localPos);
    void DragTo(QPoint globalPos);

    TPen *const m_pen;
    TBrush *const m_brush;
    QPoint m_from{0, 0};
    QPoint m_to{35, 35};
    TLineType m_line = ltCustom;
    Qt::CursorShape m_dragCursor = Qt::DragMoveCursor;
    TDragMode m_dragMode = dmManual;
    bool m_dragging = false;
    QPointer<TLine> m_dragTarget;
    bool m_dragAccepted = false;
};
