// Exporter en PDF of one test: the print report of the main window's buffer
// laid out on a PDF/A-1b document in memory, and that document written.
// Run: bench_pdfexport -median 9 (offscreen unless QT_QPA_PLATFORM is set).
#include "pdfdocument.h"
#include "printedreport.h"
#include "startup.h"
#include "systemfile.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace belva;

class BenchPdfExport : public QObject
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
        m_font = report.windowFont;
        m_title = PdfTitle(report.fields.patient, report.fields.date);
    }

    // The first export of the run: Qt's PDF engine and the font's tables
    // read for the first time.
    void coldRenderOne()
    {
        QByteArray pdf;
        QBENCHMARK_ONCE {
            pdf = ReportPdf(m_lines, m_font, m_title, QPageSize(QPageSize::A4));
        }
        QVERIFY(pdf.startsWith("%PDF-1.4"));
    }

    // The document in memory: begun, laid out, font embedded, ended.
    void renderOne()
    {
        QByteArray pdf;
        QBENCHMARK {
            pdf = ReportPdf(m_lines, m_font, m_title, QPageSize(QPageSize::A4));
        }
        QVERIFY(pdf.startsWith("%PDF-1.4"));
    }

    // The whole export after the dialog: rendered, then written as
    // Sauvegarder sous writes (a new file, then the same file replaced).
    void renderAndWrite()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("rapport.pdf"));
        QBENCHMARK {
            WriteWholeFile(path, ReportPdf(m_lines, m_font, m_title, QPageSize(QPageSize::A4)));
        }
        QVERIFY(QFile(path).size() > 0);
    }

private:
    QStringList m_lines;
    QFont m_font;
    QString m_title;
};

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchPdfExport bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_pdfexport.moc"
