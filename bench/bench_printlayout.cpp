// The print layout of the test report: its lines, as the report buffer holds
// them, through the printer text device in the print font at 600 dpi.
// Run: bench_printlayout -median 9 (offscreen unless QT_QPA_PLATFORM is set).
#include "printedreport.h"
#include "printerjob.h"
#include "printertextdevice.h"
#include "startup.h"

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using namespace belva;

namespace {

constexpr int Dpi = 600;
constexpr int DotsPerMeter = 23622; // 600 dpi
// A4 at 600 dpi less a sixth of an inch of unprintable border all round.
const QSize Page(4960 - 200, 7016 - 200);

// Measures as the printer does, draws nothing.
class MeasuringSurface : public TextSurface
{
public:
    explicit MeasuringSurface(const QFontMetrics &metrics) : m_metrics(metrics) {}

    int cellHeight() const override { return m_metrics.height(); }
    int averageCharWidth() const override { return m_metrics.averageCharWidth(); }
    QSize measure(QStringView run) const override
    {
        return {m_metrics.horizontalAdvance(run.toString()), m_metrics.height()};
    }
    void draw(int x, int y, QStringView run) override { checksum += x + y + run.size(); }
    void newPage() override { ++pages; }

    qint64 checksum = 0;
    int pages = 1;

private:
    QFontMetrics m_metrics;
};

void layOut(TextSurface &surface, const QStringList &lines)
{
    PrinterTextDevice device(surface, Page);
    for (const QString &line : lines)
        device.writeLine(line);
    device.close();
}

} // namespace

class BenchPrintLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        SetUpApplication(*qApp);
        QVERIFY2(QFile::exists(QString::fromUtf16(WindowFontFile)), "Tahoma is missing: run scripts/setup");
        const bench::PrintedReport report = bench::MakePrintedReport();
        m_lines = report.lines;
        QCOMPARE(m_lines.size(), 52);
        m_font = PrintFont(report.windowFont, 96, Dpi);
        QCOMPARE(m_font.pixelSize(), 67);
    }

    // The layout alone: measuring with the print font, drawing nothing.
    void measureOnly()
    {
        QImage device(1, 1, QImage::Format_Grayscale8);
        device.setDotsPerMeterX(DotsPerMeter);
        device.setDotsPerMeterY(DotsPerMeter);
        MeasuringSurface surface(QFontMetrics(m_font, &device));
        QBENCHMARK {
            layOut(surface, m_lines);
        }
        QCOMPARE(surface.pages, 1);
    }

    // The layout drawing on a page-sized image at 600 dpi. Qt's raster engine
    // caches no glyph above 64 pixels: each is drawn as a path.
    void drawOnImage()
    {
        QImage page(Page, QImage::Format_RGB32);
        page.setDotsPerMeterX(DotsPerMeter);
        page.setDotsPerMeterY(DotsPerMeter);
        page.fill(Qt::white);
        QPainter painter(&page);
        painter.setFont(m_font);
        painter.setPen(Qt::black);
        PainterSurface surface(painter);
        QBENCHMARK {
            layOut(surface, m_lines);
        }
    }

    static void toPdfFile(QPrinter &printer, const QString &path)
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setResolution(Dpi);
    }

    // The layout drawing on the pages of a PDF job at 600 dpi, the engine of
    // the print jobs sent to CUPS; one page each time.
    void drawOnPdfPages()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QPrinter printer(QPrinter::HighResolution);
        toPdfFile(printer, dir.filePath(QStringLiteral("report.pdf")));
        QPainter painter(&printer);
        painter.setFont(m_font);
        painter.setPen(Qt::black);
        PainterSurface surface(painter);
        QBENCHMARK {
            layOut(surface, m_lines);
            printer.newPage();
        }
    }

    // A whole job into a PDF file at 600 dpi: start, layout, end.
    void pdfJob()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QPrinter printer(QPrinter::HighResolution);
        toPdfFile(printer, dir.filePath(QStringLiteral("report.pdf")));
        QBENCHMARK {
            QPainter painter(&printer);
            painter.setFont(m_font);
            painter.setPen(Qt::black);
            PainterSurface surface(painter);
            layOut(surface, m_lines);
        }
    }

private:
    QStringList m_lines;
    QFont m_font;
};

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchPrintLayout bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_printlayout.moc"
