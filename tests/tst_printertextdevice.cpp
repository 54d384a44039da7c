#include "printertextdevice.h"
#include "reports.h"

#include <QTest>

#include <climits>
#include <cmath>
#include <stdexcept>

using namespace belva;

namespace {

// A page with exact integer metrics: every character 10 dots wide except
// '|' (1), 'W' (20) and 'M' (300, wider than the page); a low surrogate adds
// nothing to its pair. Cells are 12 dots high, so a line with text is 14.
class FakeSurface : public TextSurface
{
public:
    static constexpr int Cell = 12;

    explicit FakeSurface(int averageWidth = 10) : m_average(averageWidth) {}

    struct Draw
    {
        int page, x, y;
        QString text;
    };

    static int width(QChar c)
    {
        switch (c.unicode()) {
        case u'|':
            return 1;
        case u'W':
            return 20;
        case u'M':
            return 300;
        default:
            return c.isLowSurrogate() ? 0 : 10;
        }
    }

    int cellHeight() const override { return Cell; }
    int averageCharWidth() const override { return m_average; }
    QSize measure(QStringView run) const override
    {
        int w = 0;
        for (QChar c : run)
            w += width(c);
        return {w, Cell};
    }
    void draw(int x, int y, QStringView run) override { draws.append({page, x, y, run.toString()}); }
    void newPage() override { ++page; }

    // "page:x,y:text" for each drawing, in order.
    QString trace() const
    {
        QStringList parts;
        for (const Draw &d : draws)
            parts.append(QStringLiteral("%1:%2,%3:%4").arg(d.page).arg(d.x).arg(d.y).arg(d.text));
        return parts.join(QLatin1String(" ; "));
    }

    // Where each character landed: "page x y char", one per character.
    QStringList placements() const
    {
        QStringList out;
        for (const Draw &d : draws) {
            int x = d.x;
            for (QChar c : d.text) {
                out.append(QStringLiteral("%1 %2 %3 %4").arg(d.page).arg(x).arg(d.y).arg(c));
                x += width(c);
            }
        }
        return out;
    }

    QList<Draw> draws;
    int page = 1;

private:
    int m_average;
};

// Metrics of any value, the same for every character: each code unit but a
// low surrogate is charWidth wide, each run runHeight high. Counts the code
// units it measures and gives up past a limit.
class MetricSurface : public TextSurface
{
public:
    MetricSurface(int cell, int average, int charWidth, int runHeight)
        : m_cell(cell), m_average(average), m_charWidth(charWidth), m_runHeight(runHeight)
    {
    }

    int cellHeight() const override { return m_cell; }
    int averageCharWidth() const override { return m_average; }
    QSize measure(QStringView run) const override
    {
        measured += run.size() + 1;
        if (limit > 0 && measured > limit)
            throw std::runtime_error("measured too often");
        qint64 w = 0;
        for (QChar c : run)
            w += c.isLowSurrogate() ? 0 : m_charWidth;
        return {int(std::clamp<qint64>(w, INT_MIN, INT_MAX)), run.isEmpty() ? m_cell : m_runHeight};
    }
    void draw(int x, int y, QStringView run) override
    {
        trace.append(QStringLiteral("%1:%2,%3:%4").arg(page).arg(x).arg(y).arg(run));
        drawn += run;
        ++draws;
    }
    void newPage() override { ++page; }

    QStringList trace;
    QString drawn;
    int draws = 0;
    int page = 1;
    mutable qint64 measured = 0;
    qint64 limit = 0;

private:
    int m_cell, m_average, m_charWidth, m_runHeight;
};

const QSize Page(200, 98);

QStringList repeated(const QString &line, int n)
{
    QStringList lines;
    for (int i = 0; i < n; ++i)
        lines.append(line);
    return lines;
}

QStringList numbered(int n)
{
    QStringList lines;
    for (int i = 1; i <= n; ++i)
        lines.append(QString::number(i));
    return lines;
}

// Text that exercises every rule, several pages long on the small page.
QString mixedText()
{
    ReportFields fields;
    fields.date = QStringLiteral("08/12/2026");
    fields.patient = QStringLiteral("Dupont-Lefebvre Jean-Étienne Marie Alexandre de la Tour d'Auvergne");
    fields.answers.fill(QStringLiteral("3"));
    fields.scores.fill(QStringLiteral("42,5"));
    fields.status = QStringLiteral("Score global (%) : 41,46");
    QString text = BuildTestReport(fields, ReportVariant::Print);
    text += QStringLiteral("\r\n\fpage\tM\t|\tWWW\r\n");
    text += QString(300, u'x') + QStringLiteral("\r\n\t\t\t\t\r\naMb\r\n");
    text += QStringLiteral("le\tdernier\tmot ") + QString(130, u'W');
    return text;
}

} // namespace

class TestPrinterTextDevice : public QObject
{
    Q_OBJECT

private slots:
    void layoutRules_data();
    void layoutRules();
    void chunking_data();
    void chunking();
    void pairAcrossBufferEnd();
    void extremeMetrics_data();
    void extremeMetrics();
    void longRunBoundedWork_data();
    void longRunBoundedWork();
    void writesAfterCloseIgnored();
};

void TestPrinterTextDevice::layoutRules_data()
{
    QTest::addColumn<int>("averageWidth");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("expected");

    // Page 200 × 98, tab stops every T = 80.
    QTest::newRow("tab from 0 to T") << 10 << QStringList{"\tA"} << "1:80,0:A";
    QTest::newRow("tab from T to 2T") << 10 << QStringList{"abcdefgh\tA"} << "1:0,0:abcdefgh ; 1:160,0:A";
    QTest::newRow("tab from T-1 to 2T") << 10 << QStringList{"abcdefg|||||||||\tA"}
                                        << "1:0,0:abcdefg||||||||| ; 1:160,0:A";
    QTest::newRow("tab from T-2 to T") << 10 << QStringList{"abcdefg||||||||\tA"} << "1:0,0:abcdefg|||||||| ; 1:80,0:A";
    QTest::newRow("consecutive tabs") << 10 << QStringList{"\t\tA"} << "1:160,0:A";
    QTest::newRow("tab past W starts a line")
        << 10 << QStringList{"abcdefghjklmnopq\tA"} << "1:0,0:abcdefghjklmnopq ; 1:0,14:A";
    QTest::newRow("tab to exactly W stays on the line") << 25 << QStringList{"\t", "A"} << "1:0,12:A";
    QTest::newRow("tab stop in 16 bits") << 8193 << QStringList{"\tA"} << "1:8,0:A";
    QTest::newRow("tab stop of 0 leaves the pen") << 8192 << QStringList{"a\tb"} << "1:0,0:a ; 1:10,0:b";

    QTest::newRow("run broken mid-word at the right edge")
        << 10 << QStringList{"abcdefghjklmnopqrstuvwxyz"} << "1:0,0:abcdefghjklmnopqrstu ; 1:0,14:vwxyz";
    QTest::newRow("run after a tab broken at the right edge")
        << 10 << QStringList{"abc\tdefghjklmnopq"} << "1:0,0:abc ; 1:80,0:defghjklmnop ; 1:0,14:q";
    QTest::newRow("run ending exactly at W stays")
        << 10 << QStringList{"abcdefghjklmnopqrstu", "A"} << "1:0,0:abcdefghjklmnopqrstu ; 1:0,14:A";
    QTest::newRow("run broken over three lines")
        << 10 << QStringList{QString(45, u'x')}
        << "1:0,0:" + QString(20, u'x') + " ; 1:0,14:" + QString(20, u'x') + " ; 1:0,28:xxxxx";

    QTest::newRow("empty line advances by C") << 10 << QStringList{"", "A"} << "1:0,12:A";
    QTest::newRow("tab-only line advances by C") << 10 << QStringList{"\t\t", "A"} << "1:0,12:A";
    QTest::newRow("text line advances by height + 2") << 10 << QStringList{"x", "A"} << "1:0,0:x ; 1:0,14:A";
    QTest::newRow("heading after an empty and a tab line") << 10 << QStringList{"", "\t", "\tBELVA"} << "1:80,24:BELVA";

    QTest::newRow("page break after a text line")
        << 10 << numbered(7) << "1:0,0:1 ; 1:0,14:2 ; 1:0,28:3 ; 1:0,42:4 ; 1:0,56:5 ; 1:0,70:6 ; 2:0,0:7";
    QTest::newRow("empty line reaching H stays on the page")
        << 10 << QStringList{"1"} + repeated(QString(), 7) + QStringList{"A"} << "1:0,0:1 ; 1:0,98:A";
    QTest::newRow("text below H - 2L after empty lines")
        << 10 << repeated(QString(), 8) + QStringList{"A", "B"} << "1:0,96:A ; 2:0,0:B";
    QTest::newRow("page break after an empty line") << 10 << repeated(QString(), 9) + QStringList{"A"} << "2:0,0:A";

    QTest::newRow("form feed within a line") << 10 << QStringList{"ab\fcd", "e"} << "1:0,0:ab ; 2:0,0:cd ; 2:0,14:e";
    QTest::newRow("form feed alone on its line") << 10 << QStringList{"a", "\f", "b"} << "1:0,0:a ; 2:0,12:b";
    QTest::newRow("carriage return does not move the pen") << 10 << QStringList{"ab\rcd"} << "1:0,0:ab ; 1:20,0:cd";
    QTest::newRow("control characters are drawn") << 10 << QStringList{QStringLiteral("a\u0001b")}
                                                   << QStringLiteral("1:0,0:a\u0001b");

    QTest::newRow("character wider than the line") << 10 << QStringList{"M", "A"} << "1:0,0:M ; 1:0,14:A";
    QTest::newRow("wide character after text") << 10 << QStringList{"aMb"} << "1:0,0:a ; 1:0,14:M ; 1:0,28:b";
    QTest::newRow("wide character then a tab") << 10 << QStringList{"M\tA"} << "1:0,0:M ; 1:0,14:A";
    QTest::newRow("wide characters only") << 10 << QStringList{"MMM"} << "1:0,0:M ; 1:0,14:M ; 1:0,28:M";
}

void TestPrinterTextDevice::layoutRules()
{
    QFETCH(int, averageWidth);
    QFETCH(QStringList, lines);
    QFETCH(QString, expected);

    FakeSurface surface(averageWidth);
    {
        PrinterTextDevice device(surface, Page);
        for (const QString &line : std::as_const(lines))
            device.writeLine(line);
        device.close();
    }
    QCOMPARE(surface.trace(), expected);
}

void TestPrinterTextDevice::chunking_data()
{
    QTest::addColumn<int>("chunk");
    QTest::newRow("one character at a time") << 1;
    QTest::newRow("7 characters") << 7;
    QTest::newRow("127 characters") << 127;
    QTest::newRow("129 characters") << 129;
    QTest::newRow("the device's buffer") << 0;
}

// Cutting the text into pieces changes nothing on the page.
void TestPrinterTextDevice::chunking()
{
    QFETCH(int, chunk);
    const QString text = mixedText();
    const QStringList lines = text.split(QStringLiteral("\r\n"));

    FakeSurface whole;
    {
        TextLayout layout(whole, Page);
        layout.layOut(lines.join(u'\n') + u'\n');
    }
    QVERIFY(whole.page > 5);

    FakeSurface pieces;
    if (chunk == 0) {
        PrinterTextDevice device(pieces, Page);
        for (const QString &line : lines)
            device.writeLine(line);
    } else {
        TextLayout layout(pieces, Page);
        const QString all = lines.join(u'\n') + u'\n';
        for (qsizetype i = 0; i < all.size(); i += chunk)
            layout.layOut(QStringView(all).mid(i, chunk));
    }
    QCOMPARE(pieces.page, whole.page);
    QCOMPARE(pieces.placements(), whole.placements());
}

void TestPrinterTextDevice::pairAcrossBufferEnd()
{
    FakeSurface surface;
    const QString smile = QString::fromUtf16(u"\U0001F600");
    {
        PrinterTextDevice device(surface, QSize(100000, 1000));
        device.writeLine(QString(PrinterTextDevice::BufferSize - 1, u'a') + smile + QStringLiteral("b"));
    }
    QString drawn;
    for (const auto &d : std::as_const(surface.draws)) {
        QVERIFY2(!d.text.front().isLowSurrogate() && !d.text.back().isHighSurrogate(), qPrintable(d.text));
        drawn += d.text;
    }
    QCOMPARE(drawn, QString(PrinterTextDevice::BufferSize - 1, u'a') + smile + QStringLiteral("b"));
}

void TestPrinterTextDevice::writesAfterCloseIgnored()
{
    FakeSurface surface;
    PrinterTextDevice device(surface, Page);
    device.writeLine(u"a");
    device.close();
    device.writeLine(u"b");
    device.close();
    QCOMPARE(surface.trace(), QStringLiteral("1:0,0:a"));
    QCOMPARE(device.layout().y(), 14);
}

void TestPrinterTextDevice::extremeMetrics_data()
{
    QTest::addColumn<QSize>("page");
    QTest::addColumn<QList<int>>("metrics"); // cell, average, character width, run height
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("expected");

    const QList<int> usual{12, 10, 10, 12};
    QTest::newRow("tab stop of an average width past 16 bits")
        << QSize(100000, 1000) << QList<int>{12, INT_MAX, 10, 12} << QStringList{"\tA"} << "1:65528,0:A";
    QTest::newRow("text and a tab after a character as wide as can be")
        << QSize(100, 1000) << QList<int>{12, 10, INT_MAX, 12} << QStringList{"A\rB\tC"}
        << "1:0,0:A ; 1:0,14:B ; 1:0,28:C";
    QTest::newRow("lines as high as can be")
        << QSize(100, 1000) << QList<int>{INT_MAX, 10, 10, INT_MAX} << QStringList{"a", "b", "", "c"}
        << "1:0,0:a ; 2:0,0:b ; 4:0,0:c";
    QTest::newRow("page as high as can be")
        << QSize(INT_MAX, INT_MAX) << QList<int>{1000000000, 10, 10, 1000000000} << QStringList{"", "", "a", "b"}
        << "1:0,2000000000:a ; 2:0,0:b";
    QTest::newRow("page as wide as can be")
        << QSize(INT_MAX, 1000) << QList<int>{12, 65535, 1000000000, 12} << QStringList{"\tab\tc"}
        << "1:65528,0:ab ; 1:0,14:c";
    QTest::newRow("negative metrics count as nothing")
        << Page << QList<int>{-12, -10, -5, -3} << QStringList{"", "a\tb", "c"} << "1:0,0:a ; 1:0,0:b ; 1:0,0:c";
    QTest::newRow("page of no size") << QSize(0, 0) << usual << QStringList{"ab", "", "c"}
                                     << "1:0,0:a ; 2:0,0:b ; 4:0,0:c";
}

// Metrics no font has must neither overflow nor send text off the page's
// left edge.
void TestPrinterTextDevice::extremeMetrics()
{
    QFETCH(QSize, page);
    QFETCH(QList<int>, metrics);
    QFETCH(QStringList, lines);
    QFETCH(QString, expected);

    MetricSurface surface(metrics[0], metrics[1], metrics[2], metrics[3]);
    {
        PrinterTextDevice device(surface, page);
        for (const QString &line : std::as_const(lines))
            device.writeLine(line);
    }
    QCOMPARE(surface.trace.join(QLatin1String(" ; ")), expected);
}

void TestPrinterTextDevice::longRunBoundedWork_data()
{
    QTest::addColumn<int>("pageWidth");
    QTest::addColumn<int>("charWidth");
    QTest::addColumn<QString>("run");
    QTest::addColumn<int>("lines");

    const QString pairs = QString::fromUtf16(u"\U0001F600").repeated(3000);
    QTest::newRow("one character a line") << 10 << 10 << QString(6000, u'x') << 6000;
    QTest::newRow("a few characters a line") << 35 << 10 << QString(6000, u'x') << 2000;
    QTest::newRow("a hundred characters a line") << 1000 << 10 << QString(50000, u'x') << 500;
    QTest::newRow("characters wider than the page") << 10 << 20 << QString(6000, u'x') << 6000;
    QTest::newRow("one pair a line") << 15 << 10 << pairs << 3000;
    QTest::newRow("pairs, several a line") << 75 << 10 << pairs << 429;
}

// A run far longer than a line, handed over at once, is laid out with work in
// proportion to its length: each line's share is found without measuring the
// rest of the run again and again.
void TestPrinterTextDevice::longRunBoundedWork()
{
    QFETCH(int, pageWidth);
    QFETCH(int, charWidth);
    QFETCH(QString, run);
    QFETCH(int, lines);

    MetricSurface surface(12, 10, charWidth, 12);
    const qint64 n = run.size();
    surface.limit = 40 * n * qint64(std::log2(double(n)));
    TextLayout layout(surface, QSize(pageWidth, INT_MAX));
    try {
        layout.layOut(run);
    } catch (const std::runtime_error &) {
        QFAIL(qPrintable(QStringLiteral("more than %1 code units measured for %2").arg(surface.limit).arg(n)));
    }
    QCOMPARE(surface.drawn, run);
    QCOMPARE(surface.draws, lines);
    QCOMPARE(layout.y(), (lines - 1) * 14);
}

QTEST_GUILESS_MAIN(TestPrinterTextDevice)
#include "tst_printertextdevice.moc"
