// Where the windows and dialogs open.
#include "placement.h"

#include "modaldriver.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QTest>

using namespace belva;

enum class Placement { Centred, ThirdDown };
Q_DECLARE_METATYPE(Placement)

class TestPlacement : public QObject
{
    Q_OBJECT

private slots:
    void position_data();
    void position();
    void centredOnTheScreen_data();
    void centredOnTheScreen();
    void thirdDownWhenShown();
};

void TestPlacement::position_data()
{
    QTest::addColumn<Placement>("placement");
    QTest::addColumn<QRect>("monitor");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QPoint>("expected");

    QTest::newRow("centred") << Placement::Centred << QRect(0, 0, 1280, 1024) << QSize(593, 559) << QPoint(343, 232);
    QTest::newRow("centred, second monitor")
        << Placement::Centred << QRect(1280, 0, 1920, 1080) << QSize(294, 268) << QPoint(2093, 406);
    QTest::newRow("centred, larger than the screen")
        << Placement::Centred << QRect(0, 0, 800, 600) << QSize(901, 701) << QPoint(-50, -50);
    QTest::newRow("a third down") << Placement::ThirdDown << QRect(0, 0, 1280, 1024) << QSize(400, 301) << QPoint(440, 241);
    QTest::newRow("a third down, divisions truncate")
        << Placement::ThirdDown << QRect(0, 0, 1281, 1025) << QSize(400, 300) << QPoint(440, 241);
    QTest::newRow("a third down, second monitor")
        << Placement::ThirdDown << QRect(1280, 0, 1920, 1080) << QSize(500, 480) << QPoint(1990, 200);
    QTest::newRow("a third down, larger than the monitor")
        << Placement::ThirdDown << QRect(0, 0, 800, 600) << QSize(901, 700) << QPoint(-50, -33);
}

void TestPlacement::position()
{
    QFETCH(Placement, placement);
    QFETCH(QRect, monitor);
    QFETCH(QSize, window);
    QFETCH(QPoint, expected);
    QCOMPARE(placement == Placement::Centred ? CentredPosition(monitor, window) : ThirdDownPosition(monitor, window),
             expected);
}

void TestPlacement::centredOnTheScreen_data()
{
    QTest::addColumn<bool>("withParent");
    QTest::newRow("main window") << false;
    QTest::newRow("dialog of a window") << true;
}

void TestPlacement::centredOnTheScreen()
{
    QFETCH(bool, withParent);
    QWidget owner;
    owner.setGeometry(10, 10, 585, 505);
    QDialog dialog(withParent ? &owner : nullptr);
    dialog.resize(294, 268);
    CentreOnScreen(&dialog);
    const QRect screen = (withParent ? owner.screen() : dialog.screen())->geometry();
    QVERIFY(qAbs(dialog.frameGeometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(dialog.frameGeometry().center().y() - screen.center().y()) <= 1);
}

void TestPlacement::thirdDownWhenShown()
{
    QWidget window;
    window.setGeometry(10, 10, 585, 505);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QDialog dialog(&window);
    dialog.resize(321, 123);
    PlaceThirdDownOnOpening(&dialog, &window);
    QPoint seen;
    test::ModalDriver driver({test::Answer<QDialog>([&](QDialog *shown) {
        seen = shown->pos();
        shown->reject();
    })});
    dialog.exec();
    QCOMPARE(seen, ThirdDownPosition(window.screen()->geometry(), QSize(321, 123)));
}

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"
