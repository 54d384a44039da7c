#include "lines.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(TLine::TLineType)

namespace {

// A shown white parent holding one line, so that the line really paints.
struct Stage
{
    QWidget parent;
    TLine *line = new TLine(&parent);

    Stage()
    {
        parent.resize(400, 400);
        parent.setAutoFillBackground(true);
        QPalette pal = parent.palette();
        pal.setColor(QPalette::Window, Qt::white);
        parent.setPalette(pal);
        parent.show();
    }

    [[nodiscard]] bool Exposed() { return QTest::qWaitForWindowExposed(&parent); }

    void PaintOnce() { line->repaint(); }
};

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

} // namespace

class TestLines : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void painting_data();
    void painting();
    void resizeOnLineChange_data();
    void resizeOnLineChange();
    void coordinatesOnlyForCustom_data();
    void coordinatesOnlyForCustom();
    void endPointNotDrawn();
    void penAndBrushRepaint();
    void assigningCopiesAttributes();
    void dragToAnotherLine_data();
    void dragToAnotherLine();
};

void TestLines::painting_data()
{
    QTest::addColumn<TLine::TLineType>("type");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("penWidth");
    QTest::addColumn<QLine>("custom"); // coordinates set before painting (ltCustom only)
    QTest::addColumn<QLine>("drawn");
    QTest::addColumn<QSize>("sizeAfter");

    const QLine none;
    QTest::newRow("custom, negatives become 0")
        << TLine::ltCustom << QSize(65, 65) << 1 << QLine(-5, 3, 10, -2) << QLine(0, 3, 10, 0) << QSize(65, 65);
    QTest::newRow("custom, ToX 300 widens to 301")
        << TLine::ltCustom << QSize(65, 65) << 1 << QLine(0, 0, 300, 35) << QLine(0, 0, 300, 35) << QSize(301, 65);
    QTest::newRow("custom, FromX beyond ToX widens to FromX + 1")
        << TLine::ltCustom << QSize(65, 65) << 1 << QLine(80, 0, 10, 35) << QLine(80, 0, 10, 35) << QSize(81, 65);
    QTest::newRow("custom, FromY 120 heightens to 121")
        << TLine::ltCustom << QSize(65, 65) << 1 << QLine(0, 120, 35, 100) << QLine(0, 120, 35, 100) << QSize(65, 121);
    QTest::newRow("custom, W equal to ToX keeps the size")
        << TLine::ltCustom << QSize(65, 65) << 1 << QLine(0, 0, 64, 64) << QLine(0, 0, 64, 64) << QSize(65, 65);
    QTest::newRow("custom never shrinks")
        << TLine::ltCustom << QSize(200, 150) << 1 << QLine(1, 1, 5, 5) << QLine(1, 1, 5, 5) << QSize(200, 150);
    // The resize repaints: the line settles in the middle of the new height.
    QTest::newRow("horizontal, pen 1: 10 high")
        << TLine::ltHorizontal << QSize(100, 65) << 1 << none << QLine(0, 4, 99, 4) << QSize(100, 10);
    QTest::newRow("horizontal, pen 2: 20 high")
        << TLine::ltHorizontal << QSize(100, 65) << 2 << none << QLine(0, 9, 99, 9) << QSize(100, 20);
    QTest::newRow("horizontal, 10 high: row 4")
        << TLine::ltHorizontal << QSize(196, 10) << 1 << none << QLine(0, 4, 195, 4) << QSize(196, 10);
    QTest::newRow("vertical, pen 1: 10 wide")
        << TLine::ltVertical << QSize(65, 100) << 1 << none << QLine(4, 0, 4, 99) << QSize(10, 100);
    QTest::newRow("vertical, pen 3: 30 wide")
        << TLine::ltVertical << QSize(65, 100) << 3 << none << QLine(14, 0, 14, 99) << QSize(30, 100);
    QTest::newRow("top") << TLine::ltTop << QSize(80, 40) << 1 << none << QLine(0, 0, 79, 0) << QSize(80, 40);
    QTest::newRow("bottom") << TLine::ltBottom << QSize(80, 40) << 1 << none << QLine(0, 39, 79, 39) << QSize(80, 40);
    QTest::newRow("left") << TLine::ltLeft << QSize(80, 40) << 1 << none << QLine(0, 0, 0, 39) << QSize(80, 40);
    QTest::newRow("right") << TLine::ltRight << QSize(80, 40) << 1 << none << QLine(79, 0, 79, 39) << QSize(80, 40);
    QTest::newRow("up diagonal")
        << TLine::ltUpDiagonal << QSize(80, 40) << 1 << none << QLine(0, 39, 79, 0) << QSize(80, 40);
    QTest::newRow("down diagonal")
        << TLine::ltDownDiagonal << QSize(80, 40) << 1 << none << QLine(0, 0, 79, 39) << QSize(80, 40);
}

void TestLines::painting()
{
    QFETCH(TLine::TLineType, type);
    QFETCH(QSize, size);
    QFETCH(int, penWidth);
    QFETCH(QLine, custom);
    QFETCH(QLine, drawn);
    QFETCH(QSize, sizeAfter);

    Stage stage;
    TLine &line = *stage.line;
    if (type == TLine::ltCustom) {
        line.SetFromX(custom.x1());
        line.SetFromY(custom.y1());
        line.SetToX(custom.x2());
        line.SetToY(custom.y2());
    }
    line.SetLine(type);
    line.Pen()->SetWidth(penWidth);
    line.resize(size);
    QVERIFY(stage.Exposed());
    stage.PaintOnce();

    QCOMPARE(QLine(line.FromX(), line.FromY(), line.ToX(), line.ToY()), drawn);
    QCOMPARE(line.size(), sizeAfter);
    QCOMPARE(line.property("Width").toInt(), sizeAfter.width());
    QCOMPARE(line.property("Height").toInt(), sizeAfter.height());
}

void TestLines::resizeOnLineChange_data()
{
    QTest::addColumn<TLine::TLineType>("current");
    QTest::addColumn<TLine::TLineType>("next");
    QTest::addColumn<QSize>("expected"); // from 196 × 10

    using L = TLine;
    QTest::newRow("horizontal to vertical swaps") << L::ltHorizontal << L::ltVertical << QSize(10, 196);
    QTest::newRow("horizontal to top") << L::ltHorizontal << L::ltTop << QSize(196, 65);
    QTest::newRow("horizontal to bottom") << L::ltHorizontal << L::ltBottom << QSize(196, 65);
    QTest::newRow("horizontal to left") << L::ltHorizontal << L::ltLeft << QSize(65, 196);
    QTest::newRow("horizontal to right") << L::ltHorizontal << L::ltRight << QSize(65, 196);
    QTest::newRow("horizontal to up diagonal") << L::ltHorizontal << L::ltUpDiagonal << QSize(196, 65);
    QTest::newRow("horizontal to down diagonal") << L::ltHorizontal << L::ltDownDiagonal << QSize(196, 65);
    QTest::newRow("horizontal to custom keeps") << L::ltHorizontal << L::ltCustom << QSize(196, 10);
    QTest::newRow("horizontal to horizontal keeps") << L::ltHorizontal << L::ltHorizontal << QSize(196, 10);
    QTest::newRow("vertical to horizontal swaps") << L::ltVertical << L::ltHorizontal << QSize(10, 196);
    QTest::newRow("vertical to top") << L::ltVertical << L::ltTop << QSize(10, 65);
    QTest::newRow("vertical to bottom") << L::ltVertical << L::ltBottom << QSize(10, 65);
    QTest::newRow("vertical to left") << L::ltVertical << L::ltLeft << QSize(65, 10);
    QTest::newRow("vertical to right") << L::ltVertical << L::ltRight << QSize(65, 10);
    QTest::newRow("vertical to up diagonal") << L::ltVertical << L::ltUpDiagonal << QSize(65, 10);
    QTest::newRow("vertical to down diagonal") << L::ltVertical << L::ltDownDiagonal << QSize(65, 10);
    QTest::newRow("vertical to custom keeps") << L::ltVertical << L::ltCustom << QSize(196, 10);
    QTest::newRow("custom to vertical keeps") << L::ltCustom << L::ltVertical << QSize(196, 10);
    QTest::newRow("top to horizontal keeps") << L::ltTop << L::ltHorizontal << QSize(196, 10);
    QTest::newRow("left to bottom keeps") << L::ltLeft << L::ltBottom << QSize(196, 10);
}

void TestLines::resizeOnLineChange()
{
    QFETCH(TLine::TLineType, current);
    QFETCH(TLine::TLineType, next);
    QFETCH(QSize, expected);

    TLine line; // never shown: no painting changes the size in between
    line.SetLine(current);
    line.resize(196, 10);
    line.SetLine(next);
    QCOMPARE(line.Line(), next);
    QCOMPARE(line.size(), expected);
}

void TestLines::coordinatesOnlyForCustom_data()
{
    QTest::addColumn<TLine::TLineType>("type");
    QTest::addColumn<QByteArray>("property");

    for (const char *name : {"FromX", "ToX", "FromY", "ToY"}) {
        QTest::addRow("%s, custom", name) << TLine::ltCustom << QByteArray(name);
        QTest::addRow("%s, horizontal", name) << TLine::ltHorizontal << QByteArray(name);
        QTest::addRow("%s, down diagonal", name) << TLine::ltDownDiagonal << QByteArray(name);
    }
}

void TestLines::coordinatesOnlyForCustom()
{
    QFETCH(TLine::TLineType, type);
    QFETCH(QByteArray, property);

    Stage stage;
    TLine &line = *stage.line;
    line.SetLine(type);
    QVERIFY(stage.Exposed());
    QCoreApplication::processEvents();
    PaintCounter counter;
    line.installEventFilter(&counter);
    const QSize size = line.size();
    const int before = line.property(property.constData()).toInt();

    QVERIFY(line.setProperty(property.constData(), 17));
    QCoreApplication::processEvents();
    if (type == TLine::ltCustom) {
        QCOMPARE(line.property(property.constData()).toInt(), 17);
        QVERIFY(counter.count > 0);
    } else {
        QCOMPARE(line.property(property.constData()).toInt(), before);
        QCOMPARE(counter.count, 0);
        QCOMPARE(line.size(), size);
    }
}

void TestLines::endPointNotDrawn()
{
    Stage stage;
    TLine &line = *stage.line;
    line.move(10, 20);
    line.resize(50, 10);
    line.SetLine(TLine::ltHorizontal);
    QVERIFY(stage.Exposed());
    const QImage image = stage.parent.grab().toImage();
    for (int x = 10; x < 59; ++x)
        QCOMPARE(image.pixelColor(x, 24), QColor(Qt::black));
    QCOMPARE(image.pixelColor(59, 24), QColor(Qt::white));
    QCOMPARE(image.pixelColor(9, 24), QColor(Qt::white));
    QCOMPARE(image.pixelColor(30, 23), QColor(Qt::white));
    QCOMPARE(image.pixelColor(30, 25), QColor(Qt::white));
}

void TestLines::penAndBrushRepaint()
{
    Stage stage;
    TLine &line = *stage.line;
    QVERIFY(stage.Exposed());
    QCoreApplication::processEvents();
    PaintCounter counter;
    line.installEventFilter(&counter);

    line.Pen()->SetColor(Qt::red);
    QCoreApplication::processEvents();
    QCOMPARE(counter.count, 1);
    QCOMPARE(stage.parent.grab().toImage().pixelColor(line.x() + 10, line.y() + 10), QColor(Qt::red));
    counter.count = 1; // the grab painted too
    line.Brush()->SetColor(Qt::green);
    QCoreApplication::processEvents();
    QCOMPARE(counter.count, 2);

    line.Pen()->SetColor(Qt::red); // unchanged: no repaint
    QCoreApplication::processEvents();
    QCOMPARE(counter.count, 2);
}

void TestLines::assigningCopiesAttributes()
{
    TLine line;
    TPen pen;
    pen.SetColor(Qt::blue);
    pen.SetWidth(3);
    pen.SetStyle(Qt::DashLine);
    QSignalSpy changed(line.Pen(), &TPen::Changed);

    QVERIFY(line.setProperty("Pen", QVariant::fromValue(&pen)));
    QCOMPARE(changed.count(), 1);
    QVERIFY(line.Pen() != &pen);
    QCOMPARE(line.Pen()->Color(), QColor(Qt::blue));
    QCOMPARE(line.Pen()->Width(), 3);
    QCOMPARE(line.Pen()->Style(), Qt::DashLine);
    pen.SetWidth(5); // the copy is the line's own
    QCOMPARE(line.Pen()->Width(), 3);

    TBrush brush;
    brush.SetStyle(Qt::CrossPattern);
    line.SetBrush(&brush);
    QCOMPARE(line.Brush()->Style(), Qt::CrossPattern);
    QVERIFY(line.Brush() != &brush);

    line.SetPen(nullptr); // nothing to copy
    QCOMPARE(line.Pen()->Width(), 3);
}

void TestLines::dragToAnotherLine_data()
{
    QTest::addColumn<bool>("listening"); // the target handles DragOver
    QTest::addColumn<bool>("accept");    // and accepts
    QTest::addColumn<bool>("dropped");

    QTest::newRow("target accepts") << true << true << true;
    QTest::newRow("target refuses") << true << false << false;
    QTest::newRow("target does not listen") << false << true << false;
}

void TestLines::dragToAnotherLine()
{
    QFETCH(bool, listening);
    QFETCH(bool, accept);
    QFETCH(bool, dropped);

    Stage stage;
    TLine &source = *stage.line;
    source.setGeometry(10, 10, 60, 60);
    source.SetDragMode(TLine::dmAutomatic);
    auto *target = new TLine(&stage.parent);
    target->setGeometry(200, 200, 60, 60);
    target->show();
    QVERIFY(stage.Exposed());

    QList<TLine::TDragState> states;
    if (listening) {
        connect(target, &TLine::DragOver, this,
                [&](QObject *from, int, int, TLine::TDragState state, bool *ok) {
                    QCOMPARE(from, &source);
                    states << state;
                    *ok = accept;
                });
    }
    QSignalSpy drops(target, &TLine::DragDrop);
    QSignalSpy ends(&source, &TLine::EndDrag);
    QSignalSpy downs(&source, &TLine::MouseDown);

    QTest::mousePress(&source, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(&source, QPoint(200, 200)); // (10,10) in the target
    QTest::mouseMove(&source, QPoint(205, 205));
    QTest::mouseRelease(&source, Qt::LeftButton, {}, QPoint(205, 205));

    QCOMPARE(downs.count(), 0); // an automatic drag replaces the press event
    QCOMPARE(ends.count(), 1);
    QCOMPARE(drops.count(), dropped ? 1 : 0);
    if (dropped) {
        QCOMPARE(drops.at(0).at(0).value<QObject *>(), &source);
        QCOMPARE(drops.at(0).at(1).toInt(), 15);
        QCOMPARE(drops.at(0).at(2).toInt(), 15);
        QCOMPARE(ends.at(0).at(0).value<QObject *>(), target);
    } else {
        QCOMPARE(ends.at(0).at(0).value<QObject *>(), nullptr);
    }
    if (listening) {
        QVERIFY(states.size() >= 2);
        QCOMPARE(states.first(), TLine::dsDragEnter);
        QCOMPARE(states.last(), TLine::dsDragMove);
    }
    QVERIFY(!QGuiApplication::overrideCursor());

    // A manual line reports the press itself.
    source.SetDragMode(TLine::dmManual);
    QTest::mouseClick(&source, Qt::LeftButton, {}, QPoint(7, 8));
    QCOMPARE(downs.count(), 1);
    QCOMPARE(downs.at(0).at(2).toInt(), 7);
    QCOMPARE(downs.at(0).at(3).toInt(), 8);
}

QTEST_MAIN(TestLines)
#include "tst_lines.moc"
