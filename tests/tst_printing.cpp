#include "printing.h"
#include "reports.h"

#include "reportbuffer.h"
#include "restrictions.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

using namespace belva;

namespace {

const char TahomaFile[] = "/usr/share/wine/fonts/tahoma.ttf";

// The lines the control itself shows once it is laid out on screen.
QStringList shownLines(const QPlainTextEdit &memo)
{
    QStringList lines;
    for (QTextBlock block = memo.document()->begin(); block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i)
            lines.append(block.text().mid(layout->lineAt(i).textStart(), layout->lineAt(i).textLength()));
    }
    return lines;
}

} // namespace

class TestPrinting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void printFont_data();
    void printFont();
    void memoTabStops();
    void memoLines_data();
    void memoLines();
    void memoLinesMatchTheShownControl_data();
    void memoLinesMatchTheShownControl();
};

void TestPrinting::initTestCase()
{
    if (QFontDatabase::addApplicationFont(QLatin1String(TahomaFile)) < 0)
        BELVA_SKIP_OR_FAIL("Tahoma of fonts-wine is missing (run scripts/setup)");
}

void TestPrinting::printFont_data()
{
    QTest::addColumn<QFont>("windowFont");
    QTest::addColumn<int>("screenDpi");
    QTest::addColumn<int>("printerDpi");
    QTest::addColumn<int>("pixels");

    QFont pointFont(QStringLiteral("Tahoma"));
    pointFont.setPointSizeF(8.25);
    QFont px14(QStringLiteral("Tahoma"));
    px14.setPixelSize(14);
    QFont px4(QStringLiteral("Tahoma"));
    px4.setPixelSize(4);

    QTest::newRow("11 px at 96 dpi on 600 dpi") << WindowFont() << 96 << 600 << 67;
    QTest::newRow("11 px at 96 dpi on 300 dpi") << WindowFont() << 96 << 300 << 33;
    QTest::newRow("11 px at 96 dpi on 1200 dpi") << WindowFont() << 96 << 1200 << 133;
    QTest::newRow("same resolution keeps the pixels") << WindowFont() << 96 << 96 << 11;
    QTest::newRow("11 px at 120 dpi on 600 dpi") << WindowFont() << 120 << 600 << 58; // 6.6 -> 7 pt
    QTest::newRow("point size") << pointFont << 96 << 600 << 67;
    QTest::newRow("half a point rounds up") << px14 << 96 << 600 << 92;   // 10.5 -> 11 pt
    QTest::newRow("half a dot rounds up") << px4 << 96 << 300 << 13;      // 3 pt -> 12.5 dots
}

void TestPrinting::printFont()
{
    QFETCH(QFont, windowFont);
    QFETCH(int, screenDpi);
    QFETCH(int, printerDpi);
    QFETCH(int, pixels);

    const QFont font = PrintFont(windowFont, screenDpi, printerDpi);
    QCOMPARE(font.pixelSize(), pixels);
    QCOMPARE(font.family(), windowFont.family());
    QCOMPARE(font.weight(), windowFont.weight());
    QCOMPARE(font.italic(), false);
}

void TestPrinting::memoTabStops()
{
    // Tahoma 11 px: "a".."Z" is 313 pixels wide, 6.02 on average.
    QCOMPARE(QFontMetrics(WindowFont()).horizontalAdvance(
                 QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ")), 313);
    QCOMPARE(MemoTabStopDistance(WindowFont()), 48);
}

void TestPrinting::memoLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");

    const QString report = BuildTestReport(test::GoldenFields(QStringLiteral("Dupont Jean")), ReportVariant::Print);
    QTest::newRow("report") << report << 52;
    QTest::newRow("report with a long name")
        << BuildTestReport(test::GoldenFields(test::LongName), ReportVariant::Print) << 53;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("last empty line not counted") << QStringLiteral("a\r\nb\r\n") << 2;
    QTest::newRow("empty lines inside counted") << QStringLiteral("\r\n\r\na") << 3;
    QTest::newRow("lone tab at the end counted") << QStringLiteral("a\r\n\t") << 2;
}

void TestPrinting::memoLines()
{
    QFETCH(QString, text);
    QFETCH(int, count);

    QPlainTextEdit memo;
    test::SetUpMemo(memo);
    memo.setPlainText(text);
    QVERIFY(!memo.isVisible());

    const QStringList lines = MemoLines(&memo);
    QCOMPARE(lines.size(), count);
    // The pieces put together give the report back.
    QString joined = lines.join(QString());
    QString expected = text;
    expected.remove(QStringLiteral("\r\n"));
    QCOMPARE(joined, expected);

    if (text.contains(test::LongName)) {
        const auto found = std::find_if(lines.cbegin(), lines.cend(),
                                        [](const QString &l) { return l.startsWith(u"\tNom patient : "); });
        QVERIFY(found != lines.cend());
        const qsizetype at = found - lines.cbegin();
        QVERIFY(lines[at].endsWith(u' ')); // broken between two words
        QVERIFY(!lines[at + 1].startsWith(u'\t'));
        QCOMPARE(lines[at] + lines[at + 1], QStringLiteral("\tNom patient : ") + test::LongName);
        QCOMPARE(lines[at + 2], QStringLiteral("\tDate du test : 08/12/2026"));
    }
}

void TestPrinting::memoLinesMatchTheShownControl_data()
{
    QTest::addColumn<QString>("patient");
    QTest::newRow("short name") << QStringLiteral("Dupont Jean");
    QTest::newRow("long name") << test::LongName;
    QTest::newRow("name without blanks") << QString(120, u'X');
}

// Worked out while hidden, the lines are those the control shows.
void TestPrinting::memoLinesMatchTheShownControl()
{
    QFETCH(QString, patient);

    QWidget window;
    window.resize(585, 505);
    auto *memo = new QPlainTextEdit(&window);
    test::SetUpMemo(*memo);
    memo->setPlainText(BuildTestReport(test::GoldenFields(patient), ReportVariant::Print));
    const QStringList hidden = MemoLines(memo);

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(memo->viewport()->width(), memo->maximumViewportSize().width());
    QCOMPARE(hidden, shownLines(*memo));
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
