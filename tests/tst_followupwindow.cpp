// The follow-up chart's geometry and drawing, and Suivi du patient in the
// main window with its file dialog and message answered.
#include "encoding.h"
#include "errorhandler.h"
#include "followupchart.h"
#include "followupfiles.h"
#include "followupwindow.h"
#include "modaldriver.h"
#include "reports.h"
#include "scoring.h"
#include "startup.h"
#include "tform1.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace belva;

namespace {

// Scores that reach both ends of the axis and vary between them.
QList<FollowUpTest> chartTests(int count, const QString &dateText)
{
    QList<FollowUpTest> tests;
    for (int i = 0; i < count; ++i) {
        FollowUpTest t;
        t.dateText = dateText.isEmpty() ? QDate(2024, 1, 1).addDays(17 * i).toString(QStringLiteral("dd/MM/yyyy"))
                                        : dateText + QString::number(i);
        for (int s = 0; s < FollowUpScoreCount; ++s)
            t.scores[size_t(s)] = i == 0 ? 0 : i == 1 ? 100 : (i * 37 + s * 19) % 101;
        tests.append(t);
    }
    return tests;
}

bool inside(const QRectF &outer, const QRectF &inner)
{
    return inner.adjusted(0.5, 0.5, -0.5, -0.5).left() >= outer.left() && inner.right() - 0.5 <= outer.right()
        && inner.top() + 0.5 >= outer.top() && inner.bottom() - 0.5 <= outer.bottom();
}

bool apart(const QList<ChartText> &texts, const QList<ChartText> &others = {})
{
    const QList<ChartText> all = texts + others;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        for (qsizetype j = i + 1; j < all.size(); ++j) {
            if (texts[i].outline.intersects(all[j].outline))
                return false;
        }
    }
    return true;
}

QByteArray savedTest(const QString &date, const QString &patient, QChar answer)
{
    ReportFields f;
    f.date = date;
    f.patient = patient;
    f.answers.fill(QString(answer));
    const ScoreSet s = ComputeScores(f.answers, u',');
    for (int d = 0; d < DimensionCount; ++d)
        f.scores[size_t(d)] = s.dimensions[size_t(d)].text;
    f.status = s.status;
    return EncodeWindows1252(BuildTestReport(f, ReportVariant::Text)).bytes;
}

// Answers the file dialog with `names` (empty: cancel) and acknowledges the
// message boxes that follow, keeping their titles and texts.
struct Answers
{
    Answers(const QString &folder, const QString &names)
        : driver({belva::test::Answer<QFileDialog>([this, folder, names](QFileDialog *dialog) {
                     dialogSeen = dialog->windowTitle() == QLatin1String("Suivi du patient")
                         && dialog->fileMode() == QFileDialog::ExistingFiles;
                     startFolder = dialog->directory().absolutePath();
                     if (names.isEmpty()) {
                         dialog->reject();
                         return;
                     }
                     dialog->setDirectory(folder);
                     dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(names);
                     QMetaObject::invokeMethod(dialog, "accept");
                 })},
                 [this](QWidget *w) {
                     auto *box = qobject_cast<QMessageBox *>(w);
                     if (!box)
                         return false;
                     boxes << box->windowTitle() + u'|' + box->text();
                     box->button(QMessageBox::Ok)->click();
                     return true;
                 })
    {
    }
    QStringList boxes;
    bool dialogSeen = false;
    QString startFolder;
    belva::test::ModalDriver driver; // last: its steps write the fields above
};

FollowUpWindow *followUpWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *f = qobject_cast<FollowUpWindow *>(w))
            return f;
    }
    return nullptr;
}

} // namespace

class TestFollowUpWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void chart_data();
    void chart();
    void command();
    void closesWithTheMainWindow();

private:
    QTemporaryDir m_dir;
};

void TestFollowUpWindow::initTestCase()
{
    SetUpApplication(*qApp);
    QVERIFY(m_dir.isValid());
    const struct
    {
        const char *name;
        QByteArray bytes;
    } files[] = {
        {"mars.txt", savedTest(QStringLiteral("02/03/2026"), QStringLiteral("Dupont Jean"), u'3')},
        {"decembre.txt", savedTest(QStringLiteral("08/12/2025"), QStringLiteral("Dupond Jean"), u'1')},
        {"abime.txt", "pas un test\r\n"},
    };
    for (const auto &file : files) {
        QFile f(m_dir.filePath(QLatin1String(file.name)));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(file.bytes) == file.bytes.size());
    }
}

void TestFollowUpWindow::chart_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("dates"); // empty: dd/MM/yyyy dates
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("fontPixels");

    QTest::newRow("one test") << 1 << QString() << QSize(640, 360) << 11;
    QTest::newRow("two tests") << 2 << QString() << QSize(640, 360) << 11;
    QTest::newRow("six tests") << 6 << QString() << QSize(640, 360) << 11;
    QTest::newRow("slanted dates") << 12 << QString() << QSize(640, 360) << 11;
    QTest::newRow("fifty tests, every few dates") << 50 << QString() << QSize(640, 360) << 11;
    QTest::newRow("long date texts") << 6 << QStringLiteral("le lendemain de l'intervention ") << QSize(640, 360) << 11;
    QTest::newRow("smallest window") << 50 << QStringLiteral("avant sclérothérapie ") << QSize(308, 176) << 11;
    QTest::newRow("printed page") << 50 << QString() << QSize(2400, 1800) << 40;
}

void TestFollowUpWindow::chart()
{
    QFETCH(int, count);
    QFETCH(QString, dates);
    QFETCH(QSize, size);
    QFETCH(int, fontPixels);

    const QList<FollowUpTest> tests = chartTests(count, dates);
    QImage image(size + QSize(40, 40), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QFont font = QApplication::font();
    font.setPixelSize(fontPixels);
    const QRectF area(QPointF(20, 20), QSizeF(size));
    const FollowUpChartLayout l = LayoutFollowUpChart(tests, area, font, &image);

    // The axis: 0 % at the bottom, 100 % at the top, grid lines between.
    QVERIFY(inside(area, l.plot));
    QCOMPARE(l.gridYs.front(), l.plot.bottom());
    QCOMPARE(l.gridYs.back(), l.plot.top());
    QCOMPARE(l.yLabels.front().text, QStringLiteral("0 %"));
    QCOMPARE(l.yLabels.back().text, QStringLiteral("100 %"));

    // One point per test and score, from left to right, at its score.
    for (int s = 0; s < FollowUpScoreCount; ++s) {
        QCOMPARE(l.points[size_t(s)].size(), count);
        for (int i = 0; i < count; ++i) {
            const QPointF p = l.points[size_t(s)][i];
            QCOMPARE(p.y(), l.yOf(qreal(tests[i].scores[size_t(s)])));
            QCOMPARE(p.x(), l.tickXs[i]);
            QVERIFY(p.x() - l.markerSize / 2 >= l.plot.left() && p.x() + l.markerSize / 2 <= l.plot.right());
            QVERIFY(i == 0 || p.x() > l.points[size_t(s)][i - 1].x());
        }
    }

    // Every text inside the area, none over another; the last date shown.
    QList<ChartText> legend;
    for (const ChartLegendEntry &e : l.legend) {
        legend.append(e.caption);
        QVERIFY(e.caption.outline.boundingRect().bottom() <= l.plot.top() - l.markerSize / 2);
    }
    for (const ChartText &t : l.xLabels + l.yLabels + legend)
        QVERIFY2(inside(area, t.outline.boundingRect()), qPrintable(t.text));
    QVERIFY(apart(l.xLabels, l.yLabels));
    QVERIFY(apart(l.yLabels));
    QVERIFY(apart(legend));
    QVERIFY(!l.xLabels.isEmpty());
    QVERIFY(l.xLabels.back().outline.boundingRect().right() >= l.tickXs.back());
    if (dates.isEmpty())
        QCOMPARE(l.xLabels.back().text, tests.back().dateText);

    // Drawn: nothing outside the area, a mark at every point of the global score.
    {
        QPainter painter(&image);
        painter.setFont(font);
        PaintFollowUpChart(painter, l);
    }
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) != 0 && !area.contains(QPointF(x + 0.5, y + 0.5)))
                QFAIL(qPrintable(QStringLiteral("drawn outside the chart at %1,%2").arg(x).arg(y)));
        }
    }
    for (const QPointF &p : l.points[FollowUpScoreCount - 1])
        QVERIFY(qGray(image.pixel(p.toPoint())) < 64 && qAlpha(image.pixel(p.toPoint())) > 192);
}

void TestFollowUpWindow::command()
{
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QAction *command = form.findChild<QAction *>(QStringLiteral("Suividupatient1"));
    QVERIFY(command);
    QCOMPARE(command->text(), QStringLiteral("S&uivi du patient..."));
    QVERIFY(!followUpWindow()); // made when first asked for

    {
        Answers cancel(m_dir.path(), QString());
        command->trigger();
        QVERIFY(cancel.dialogSeen);
        QCOMPARE(cancel.startFolder, QCoreApplication::applicationDirPath());
        QVERIFY(cancel.boxes.isEmpty());
        QVERIFY(!followUpWindow());
    }
    {
        // Every file refused: one message, no window.
        Answers refused(m_dir.path(), QStringLiteral("\"abime.txt\""));
        command->trigger();
        QCOMPARE(refused.boxes.size(), 1);
        QVERIFY(!followUpWindow());
    }

    auto answers = std::make_unique<Answers>(m_dir.path(), QStringLiteral("\"mars.txt\" \"abime.txt\" \"decembre.txt\""));
    command->trigger();
    QCOMPARE(answers->boxes,
             QStringList{QStringLiteral("BELVA MG 1.0|Ce fichier n'a pas été retenu :\n"
                                        "\"abime.txt\" n'est pas un test BELVA MG enregistré (ligne 1).")});

    FollowUpWindow *window = followUpWindow();
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(window->isWindow() && !window->isModal());
    QCOMPARE(window->windowTitle(), QStringLiteral("Suivi du patient - Dupont Jean"));
    auto *warning = window->findChild<QLabel *>(QStringLiteral("NamesWarning"));
    QVERIFY(warning->isVisible());
    QVERIFY(warning->text().contains(QStringLiteral("« Dupond Jean » et « Dupont Jean »")));
    auto *table = window->findChild<QTableWidget *>(QStringLiteral("ScoreTable"));
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->item(2, 0)->text(), QStringLiteral("Évolution"));

    // In the C locale of the tests the decimal separator is a point.
    QApplication::clipboard()->clear();
    window->findChild<QPushButton *>(QStringLiteral("CopyButton"))->click();
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("Date\tPS\tPH\tS\tDG\tGlobal\r\n"
                            "08/12/2025\t20\t20\t20\t20\t20\r\n"
                            "02/03/2026\t60\t60\t60\t60\t60\r\n"
                            "Évolution\t+40\t+40\t+40\t+40\t+40\r\n"));

    // Asked again, the same window shows the new choice.
    answers.reset();
    Answers again(m_dir.path(), QStringLiteral("\"decembre.txt\""));
    command->trigger();
    QCOMPARE(again.startFolder, m_dir.path()); // where the last files were opened
    QCOMPARE(followUpWindow(), window);
    QCOMPARE(table->rowCount(), 1);
    QVERIFY(!warning->isVisible());

    // A file gone since it was chosen is left out with the system's reason.
    const FollowUpFiles files = ReadFollowUpFiles({m_dir.filePath(QStringLiteral("absent.txt")),
                                                   m_dir.filePath(QStringLiteral("mars.txt"))});
    QCOMPARE(files.followUp.tests.size(), 1);
    QCOMPARE(files.refusals.size(), 1);
    QVERIFY2(files.refusals[0].startsWith(QStringLiteral("Impossible d'ouvrir le fichier \"%1\". ")
                                              .arg(m_dir.filePath(QStringLiteral("absent.txt")))),
             qPrintable(files.refusals[0]));
    QVERIFY(RefusedFilesMessage(files.refusals).endsWith(u'.'));
}

void TestFollowUpWindow::closesWithTheMainWindow()
{
    auto form = std::make_unique<TForm1>();
    form->show();
    Answers answers(m_dir.path(), QStringLiteral("\"mars.txt\""));
    form->findChild<QAction *>(QStringLiteral("Suividupatient1"))->trigger();
    QPointer<FollowUpWindow> window = followUpWindow();
    QVERIFY(window && window->isVisible());
    form->close();
    QVERIFY(!window->isVisible());
    form.reset();
    QVERIFY(!window);
}

QTEST_MAIN(TestFollowUpWindow)
#include "tst_followupwindow.moc"
