// The follow-up chart's geometry and drawing, the window's content at its
// smallest, and Suivi du patient in the main window with its file dialog,
// question and messages answered.
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
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace belva;
using namespace Qt::StringLiterals;

namespace {

// Scores that reach both ends of the axis and vary between them, on the
// given days from 1 January 2024 (every 17 days when none are given).
FollowUp chartFollowUp(int count, QList<int> days = {})
{
    QList<FollowUpTest> tests;
    for (int i = 0; i < count; ++i) {
        FollowUpTest t;
        t.date = QDate(2024, 1, 1).addDays(days.isEmpty() ? 17 * i : days[i]);
        t.dateText = t.date.toString(u"dd/MM/yyyy"_s);
        t.fileName = QStringLiteral("t%1.txt").arg(i);
        for (int s = 0; s < FollowUpScoreCount; ++s)
            t.scores[size_t(s)] = i == 0 ? 0 : i == 1 ? 100 : (i * 37 + s * 19) % 101;
        tests.append(t);
    }
    return OrderFollowUp(tests);
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

QByteArray savedTest(const QString &date, const QString &patient, const QString &answers)
{
    ReportFields f;
    f.date = date;
    f.patient = patient;
    for (int i = 0; i < ItemCount; ++i)
        f.answers[size_t(i)] = answers.size() == 1 ? answers : answers.mid(i, 1);
    const ScoreSet s = ComputeScores(f.answers, u',');
    for (int d = 0; d < DimensionCount; ++d)
        f.scores[size_t(d)] = s.dimensions[size_t(d)].text;
    f.status = s.status;
    return EncodeWindows1252(BuildTestReport(f, ReportVariant::Text)).bytes;
}

// Answers the file dialog with `names` (empty: cancel), the question with
// `answer` ("Oui" or "Non"), and acknowledges the message boxes, keeping
// their titles and texts.
struct Answers
{
    Answers(const QString &folder, const QString &names, const QString &answer = u"Non"_s)
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
                 [this, answer](QWidget *w) {
                     auto *box = qobject_cast<QMessageBox *>(w);
                     if (!box)
                         return false;
                     QStringList buttons;
                     QAbstractButton *chosen = nullptr;
                     for (QAbstractButton *b : box->buttons()) {
                         buttons << b->text().remove(u'&');
                         if (buttons.back() == answer || box->buttons().size() == 1)
                             chosen = b;
                     }
                     boxes << box->windowTitle() + u'|' + box->text() + u'|' + buttons.join(u'/')
                             + (box->defaultButton() ? u'|' + box->defaultButton()->text().remove(u'&') : QString());
                     if (chosen)
                         chosen->click();
                     return chosen != nullptr;
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

// Every text of a table in view across, on as many lines as it needs.
QStringList clippedCells(QTableWidget *table)
{
    QStringList clipped;
    const int margin = table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1;
    for (int r = 0; r < table->rowCount(); ++r) {
        for (int c = 0; c < table->columnCount(); ++c) {
            const QTableWidgetItem *item = table->item(r, c);
            if (!item || item->text().isEmpty())
                continue;
            const QRect cell = table->visualItemRect(item).adjusted(margin, 0, -margin, 0);
            const QFontMetrics fm(item->font());
            const QRect needed = fm.boundingRect(QRect(0, 0, cell.width(), 0xFFFF), Qt::TextWordWrap, item->text());
            const bool across = cell.left() >= 0 && cell.right() < table->viewport()->width();
            if (needed.width() > cell.width() || needed.height() > cell.height() || !across)
                clipped << QStringLiteral("%1 at %2,%3").arg(item->text()).arg(r).arg(c);
        }
    }
    return clipped;
}

} // namespace

class TestFollowUpWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void chart_data();
    void chart();
    void timeAxis_data();
    void timeAxis();
    void legendAndToolTip();
    void smallest_data();
    void smallest();
    void threshold();
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
        {"mars.txt", savedTest(u"02/03/2026"_s, u"Dupont Jean"_s, u"3"_s)},
        {"decembre.txt", savedTest(u"08/12/2025"_s, u"Dupond Jean"_s, u"1"_s)},
        {"janvier.txt", savedTest(u"15/01/2026"_s, u" Dupont Jean "_s, u"2"_s)},
        {"abime.txt", "pas un test\r\n"},
        {"hier.txt", savedTest(u"hier"_s, u"Dupont Jean"_s, u"1"_s)},
    };
    for (const auto &file : files) {
        QFile f(m_dir.filePath(QLatin1String(file.name)));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(file.bytes) == file.bytes.size());
    }
}

void TestFollowUpWindow::chart_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("fontPixels");

    QTest::newRow("one test") << 1 << QSize(640, 360) << 11;
    QTest::newRow("two tests") << 2 << QSize(640, 360) << 11;
    QTest::newRow("six tests") << 6 << QSize(640, 360) << 11;
    QTest::newRow("slanted dates") << 30 << QSize(640, 360) << 11;
    QTest::newRow("fifty tests, every few dates") << 50 << QSize(640, 360) << 11;
    QTest::newRow("smallest window") << 50 << QSize(308, 176) << 11;
    QTest::newRow("printed page") << 50 << QSize(2400, 1800) << 40;
}

void TestFollowUpWindow::chart()
{
    QFETCH(int, count);
    QFETCH(QSize, size);
    QFETCH(int, fontPixels);

    const FollowUp f = chartFollowUp(count);
    const QList<FollowUpTest> &tests = f.tests;
    QImage image(size + QSize(40, 40), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QFont font = QApplication::font();
    font.setPixelSize(fontPixels);
    const QRectF area(QPointF(20, 20), QSizeF(size));
    const FollowUpChartLayout l = LayoutFollowUpChart(f, area, font, &image);

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

    // Every text inside the area, none over another; the first and last
    // dates shown whole.
    QList<ChartText> legend;
    for (const ChartLegendEntry &e : l.legend) {
        legend.append(e.caption);
        QCOMPARE(e.caption.text, FollowUpScoreName(e.score));
        QVERIFY(e.caption.outline.boundingRect().bottom() <= l.plot.top() - l.markerSize / 2);
    }
    QVERIFY(!l.title.isEmpty());
    for (const ChartText &t : l.xLabels + l.yLabels + legend + l.title)
        QVERIFY2(inside(area, t.outline.boundingRect()), qPrintable(t.text));
    QVERIFY(apart(l.xLabels, l.yLabels));
    QVERIFY(apart(l.yLabels));
    QVERIFY(apart(legend + l.title));
    QVERIFY(!l.xLabels.isEmpty());
    QCOMPARE(l.xLabels.back().text, tests.back().dateText);
    if (count <= 6)
        QCOMPARE(l.xLabels.front().text, tests.front().dateText);
    QVERIFY(l.title.back().outline.boundingRect().bottom() <= l.plot.top() - l.markerSize / 2);

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

void TestFollowUpWindow::timeAxis_data()
{
    QTest::addColumn<QList<int>>("days");  // from the first test
    QTest::addColumn<int>("top");          // the axis' top, in %
    QTest::addColumn<long double>("highest");

    QTest::newRow("three visits a week apart, then a year later") << QList<int>{0, 7, 14, 379} << 100 << 100.0L;
    QTest::newRow("two on one day, side by side") << QList<int>{0, 30, 30, 60} << 100 << 100.0L;
    QTest::newRow("all on one day") << QList<int>{5, 5, 5} << 100 << 100.0L;
    QTest::newRow("a score above 100 % stays on the chart") << QList<int>{0, 10} << 180 << 180.0L;
}

// Tests stand at their dates; tests of one day side by side around it.
void TestFollowUpWindow::timeAxis()
{
    QFETCH(QList<int>, days);
    QFETCH(int, top);
    QFETCH(long double, highest);

    FollowUp f = chartFollowUp(int(days.size()), days);
    f.tests.back().scores.fill(highest);
    QImage image(640, 360, QImage::Format_ARGB32_Premultiplied);
    const FollowUpChartLayout l = LayoutFollowUpChart(f, QRectF(image.rect()), QApplication::font(), &image);

    QCOMPARE(l.top, qreal(top));
    QCOMPARE(l.yLabels.back().text, QStringLiteral("%1 %").arg(top));
    QVERIFY(l.points[4].back().y() >= l.plot.top() - 0.01);
    const qreal span = days.back() - days.front();
    const auto centre = [&](qsizetype i) {
        // The middle of the tests of test i's day.
        qsizetype a = i, b = i;
        while (a > 0 && days[a - 1] == days[i])
            --a;
        while (b + 1 < days.size() && days[b + 1] == days[i])
            ++b;
        return (l.tickXs[a] + l.tickXs[b]) / 2;
    };
    for (qsizetype i = 0; i < days.size(); ++i) {
        if (span > 0) {
            const qreal share = (centre(i) - centre(0)) / (centre(days.size() - 1) - centre(0));
            QVERIFY2(qAbs(share - (days[i] - days.front()) / span) < 1e-9, qPrintable(QString::number(share)));
        } else {
            QVERIFY(qAbs(centre(i) - l.plot.center().x()) < 1e-9);
        }
        if (i > 0 && days[i] == days[i - 1])
            QVERIFY(l.tickXs[i] - l.tickXs[i - 1] >= l.markerSize); // side by side, apart
    }
}

// A legend entry hides its score and shows it again; the tooltip names the
// scores at a test, equal ones together.
void TestFollowUpWindow::legendAndToolTip()
{
    FollowUp f = chartFollowUp(3);
    f.tests[2].scores = {20, 20, 60, 20, 30};
    FollowUpChart chart;
    chart.resize(700, 400);
    chart.setFollowUp(f);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    QSignalSpy toggled(&chart, &FollowUpChart::shownChanged);

    FollowUpChartLayout l = chart.chartLayout();
    const QPoint ph = l.legend[1].hitBox.center().toPoint();
    QCOMPARE(LegendEntryAt(l, ph), 1);
    QCOMPARE(FollowUpChartToolTip(l, chart.followUp(), ph, u','), u"Cliquer pour masquer PH physique"_s);
    QCOMPARE(FollowUpChartToolTip(l, chart.followUp(), l.points[4][2], u','),
             u"%1 (t2.txt)\nS : 60 %\nGlobal : 30 %\nPS, PH, DG : 20 %"_s.arg(f.tests[2].dateText));
    QVERIFY(FollowUpChartToolTip(l, chart.followUp(), l.plot.topLeft() + QPointF(1, -l.markerSize * 3), u',').isEmpty());

    QTest::mouseClick(&chart, Qt::LeftButton, Qt::NoModifier, ph);
    QCOMPARE(toggled.size(), 1);
    QCOMPARE(toggled.front(), (QVariantList{1, false}));
    l = chart.chartLayout();
    QVERIFY(l.points[1].isEmpty());
    QVERIFY(!l.legend[1].shown);
    QCOMPARE(FollowUpChartToolTip(l, chart.followUp(), l.points[4][2], u','),
             u"%1 (t2.txt)\nS : 60 %\nGlobal : 30 %\nPS, DG : 20 %"_s.arg(f.tests[2].dateText));
    QTest::mouseClick(&chart, Qt::LeftButton, Qt::NoModifier, ph);
    QCOMPARE(chart.chartLayout().points[1].size(), 3);
}

void TestFollowUpWindow::smallest_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("mixed");

    QTest::newRow("one test") << 1 << false;
    QTest::newRow("two tests") << 2 << false;
    QTest::newRow("six tests") << 6 << false;
    QTest::newRow("sixteen tests") << 16 << false;
    QTest::newRow("sixteen tests, names mixed") << 16 << true;
}

// At its smallest the window still shows every text whole: labels, table
// cells, the change row below the tests, the chart's dates.
void TestFollowUpWindow::smallest()
{
    QFETCH(int, count);
    QFETCH(bool, mixed);

    FollowUp f = chartFollowUp(count);
    const QString longName = u"Dupont-Lefebvre Jean-Étienne Marie Alexandre Hippolyte de la Tour d'Auvergne"_s;
    for (qsizetype i = 0; i < f.tests.size(); ++i)
        f.tests[i].patient = mixed && i % 3 == 1 ? u"Dupont Jean"_s : longName;
    f = OrderFollowUp(f.tests);
    FollowUpWindow window;
    window.setFollowUp(f, {u"\"abime.txt\" n'est pas un test BELVA MG enregistré (ligne 1)."_s});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // No smaller than its layout lets it be (wrapped labels may want a few
    // more pixels down at that width).
    window.resize(1, 1);
    QTRY_COMPARE(window.width(), window.minimumSize().width());
    QVERIFY(window.height() < window.minimumSize().height() + 20);
    QVERIFY(window.minimumSize().width() > 300 && window.minimumSize().height() > 300);
    QApplication::processEvents();

    auto *table = window.findChild<QTableWidget *>(u"ScoreTable"_s);
    auto *changes = window.findChild<QTableWidget *>(u"ChangeTable"_s);
    QCOMPARE(table->columnCount(), mixed ? 7 : 6);
    QCOMPARE(table->rowCount(), count);
    QCOMPARE(changes->isVisible(), count >= 2);
    QStringList clipped = clippedCells(table);
    if (count >= 2) {
        QCOMPARE(changes->item(0, 0)->text(), QString::fromUtf16(ChangeRowCaption));
        clipped << clippedCells(changes);
        // Its columns under the tests' columns, its row whole in view.
        for (int c = 0; c < table->columnCount(); ++c)
            QCOMPARE(changes->columnViewportPosition(c), table->columnViewportPosition(c));
        QVERIFY(changes->rowViewportPosition(0) == 0 && changes->rowHeight(0) <= changes->viewport()->height());
    }
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(u'\n')));

    for (QLabel *label : window.findChildren<QLabel *>()) {
        if (!label->isVisible())
            continue;
        const int needed = label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
        QVERIFY2(label->height() >= needed, qPrintable(label->objectName()));
        if (!label->wordWrap())
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->objectName()));
    }
    const auto *refused = window.findChild<QPlainTextEdit *>(u"RefusedFiles"_s);
    QVERIFY(refused->isVisible());
    QVERIFY2(refused->toPlainText().endsWith(u"(ligne 1)."_s), qPrintable(refused->toPlainText()));

    const auto *chart = window.findChild<FollowUpChart *>(u"Chart"_s);
    const FollowUpChartLayout l = chart->chartLayout();
    for (const ChartText &t : l.xLabels + l.title)
        QVERIFY2(inside(QRectF(chart->rect()), t.outline.boundingRect()), qPrintable(t.text));
    QCOMPARE(l.xLabels.back().text, f.tests.back().dateText);
}

void TestFollowUpWindow::threshold()
{
    FollowUp f = chartFollowUp(3);
    f.tests[1].scores = {3, 4, 5, 6, 4.5L};
    f.tests[2].scores = {1, 8, 5, 6, 5};
    FollowUpWindow window;
    window.setFollowUp(f);
    window.show();
    auto *edit = window.findChild<QLineEdit *>(u"ThresholdEdit"_s);
    auto *table = window.findChild<QTableWidget *>(u"ScoreTable"_s);
    QVERIFY(edit->text().isEmpty());
    QCOMPARE(table->item(2, 1)->text(), u"1\n-2 points\namélioration"_s);
    QTest::keyClicks(edit, u"2,5"_s);
    QCOMPARE(window.followUp().threshold, 2.5);
    QCOMPARE(table->item(2, 1)->text(), u"1\n-2 points\nstable"_s);
    QCOMPARE(table->item(2, 2)->text(), u"8\n+4 points\naggravation"_s);
    QCOMPARE(table->item(2, 3)->text(), u"5\n0 point\ninchangé"_s);
    QTest::keyClicks(edit, u"x."_s); // refused: one separator, digits only
    QCOMPARE(edit->text(), u"2,5"_s);
    edit->clear();
    QCOMPARE(window.followUp().threshold, 0.0);
    QCOMPARE(table->item(2, 1)->text(), u"1\n-2 points\namélioration"_s);
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
        Answers refused(m_dir.path(), u"\"abime.txt\" \"hier.txt\""_s);
        command->trigger();
        QCOMPARE(refused.boxes, QStringList{u"BELVA MG 1.0|Ces 2 fichiers n'ont pas été retenus :\n"
                                            "\"abime.txt\" n'est pas un test BELVA MG enregistré (ligne 1).\n"
                                            "\"hier.txt\" : date du test illisible (« hier »).|OK"_s});
        QVERIFY(!followUpWindow());
    }

    const QString chosen = u"\"mars.txt\" \"abime.txt\" \"decembre.txt\" \"janvier.txt\""_s;
    const QString refusal = u"BELVA MG 1.0|Ce fichier n'a pas été retenu :\n"
                            "\"abime.txt\" n'est pas un test BELVA MG enregistré (ligne 1).|OK"_s;
    const QString question = u"BELVA MG 1.0|Les tests choisis portent des noms différents :\nDupond Jean\nDupont Jean\n"
                             "Les afficher comme ceux d'un même patient ?|Oui/Non|Non"_s;
    {
        // Names differ: Non opens nothing.
        Answers no(m_dir.path(), chosen, u"Non"_s);
        command->trigger();
        QCOMPARE(no.boxes, (QStringList{refusal, question}));
        QVERIFY(!followUpWindow());
    }

    auto answers = std::make_unique<Answers>(m_dir.path(), chosen, u"Oui"_s);
    command->trigger();
    QCOMPARE(answers->boxes, (QStringList{refusal, question}));
    FollowUpWindow *window = followUpWindow();
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(window->isWindow() && !window->isModal());
    QCOMPARE(window->windowTitle(), u"Suivi du patient - « Dupond Jean », « Dupont Jean »"_s);
    QCOMPARE(window->findChild<QLabel *>(u"PatientLabel"_s)->text(), u"Patients : « Dupond Jean », « Dupont Jean »"_s);
    QCOMPARE(window->findChild<QLabel *>(u"PeriodLabel"_s)->text(), u"3 tests, du 08/12/2025 au 02/03/2026"_s);
    auto *warning = window->findChild<QLabel *>(QStringLiteral("NamesWarning"));
    QVERIFY(warning->isVisible());
    QCOMPARE(warning->text(), PatientNamesWarning({u"a"_s, u"b"_s}));
    auto *refusedList = window->findChild<QPlainTextEdit *>(u"RefusedFiles"_s);
    QVERIFY(refusedList->isVisible());
    QCOMPARE(refusedList->toPlainText(), refusal.section(u'|', 1, 1));
    auto *table = window->findChild<QTableWidget *>(QStringLiteral("ScoreTable"));
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->horizontalHeaderItem(1)->text(), u"Patient"_s);
    QCOMPARE(table->item(1, 1)->text(), u"Dupont Jean"_s);
    QCOMPARE(window->findChild<QTableWidget *>(u"ChangeTable"_s)->item(0, 0)->text(), u"Évolution"_s);

    // In the C locale of the tests the decimal separator is a point.
    QApplication::clipboard()->clear();
    window->findChild<QPushButton *>(QStringLiteral("CopyButton"))->click();
    QCOMPARE(QApplication::clipboard()->text(),
             u"Suivi du patient : « Dupond Jean », « Dupont Jean »\r\n"
             "3 tests, du 08/12/2025 au 02/03/2026\r\n"
             "Attention : ces tests portent des noms différents (colonne Patient) ; ils sont montrés comme ceux d'un "
             "même patient.\r\n\r\n"
             "Date\tPatient\tPS\tPH\tS\tDG\tGlobal\r\n"
             "08/12/2025\tDupond Jean\t20\t20\t20\t20\t20\r\n"
             "15/01/2026\tDupont Jean\t40 (+20 points, aggravation)\t40 (+20 points, aggravation)\t"
             "40 (+20 points, aggravation)\t40 (+20 points, aggravation)\t40 (+20 points, aggravation)\r\n"
             "02/03/2026\tDupont Jean\t60 (+20 points, aggravation)\t60 (+20 points, aggravation)\t"
             "60 (+20 points, aggravation)\t60 (+20 points, aggravation)\t60 (+20 points, aggravation)\r\n"
             "Évolution\t\t+40 points, aggravation\t+40 points, aggravation\t+40 points, aggravation\t"
             "+40 points, aggravation\t+40 points, aggravation\r\n"_s);

    // Asked again, the same window shows the new choice: one name, no question.
    answers.reset();
    Answers again(m_dir.path(), u"\"janvier.txt\" \"mars.txt\""_s);
    command->trigger();
    QVERIFY(again.boxes.isEmpty());
    QCOMPARE(again.startFolder, m_dir.path()); // where the last files were opened
    QCOMPARE(followUpWindow(), window);
    QCOMPARE(window->windowTitle(), u"Suivi du patient - Dupont Jean"_s);
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->columnCount(), 6);
    QVERIFY(!warning->isVisible());
    QVERIFY(!refusedList->isVisible());

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
