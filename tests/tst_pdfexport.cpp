// Exporter en PDF: the proposed file name, the paper of the locale, and the
// test report's document read back by pdfa_check.py (qpdf, pdffonts,
// pikepdf, pdftotext) against the lines the print command would print. The
// end-to-end test pdfexport.sh exports from the real program.
#include "exportpdfdialog.h"
#include "goldenfields.h"
#include "pdfdocument.h"
#include "printing.h"
#include "restrictions.h"
#include "startup.h"
#include "tform1.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace belva;

namespace {

// The checker's findings on the document against the expected lines: empty
// when all is good, "MISSING ..." when it lacks a tool.
QString checkPdf(const QByteArray &pdf, const QStringList &lines, const QStringList &options)
{
    QTemporaryDir dir;
    QFile pdfFile(dir.filePath(QStringLiteral("document.pdf")));
    QFile linesFile(dir.filePath(QStringLiteral("lines.txt")));
    if (!pdfFile.open(QIODevice::WriteOnly) || pdfFile.write(pdf) != pdf.size() || !linesFile.open(QIODevice::WriteOnly)
        || linesFile.write(lines.join(u'\n').toUtf8()) < 0)
        return QStringLiteral("cannot write into %1").arg(dir.path());
    pdfFile.close();
    linesFile.close();
    QProcess checker;
    checker.setProcessChannelMode(QProcess::MergedChannels);
    checker.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral(PDFA_CHECK), pdfFile.fileName(),
                                                                  QStringLiteral("--lines"), linesFile.fileName()}
                                                          + options);
    if (!checker.waitForFinished(60000))
        return QStringLiteral("the checker did not end");
    const QString output = QString::fromUtf8(checker.readAll()).trimmed();
    if (checker.exitStatus() != QProcess::NormalExit || checker.exitCode() == 2)
        return QStringLiteral("MISSING ") + output;
    return checker.exitCode() == 0 ? QString() : output;
}

} // namespace

class TestPdfExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { SetUpApplication(*qApp); }

    void proposedName_data()
    {
        QTest::addColumn<QString>("patient");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("name");
        QTest::newRow("date with slashes") << "Dupont Jean" << "08/12/2026" << "Dupont Jean 08-12-2026.pdf";
        QTest::newRow("colon and backslash") << "A\\B" << "12:30" << "A-B 12-30.pdf";
        QTest::newRow("characters Windows refuses") << "Jean \"Jo\" <Dupont>? | *" << "8 déc. 2026"
                                                    << "Jean Jo Dupont 8 déc. 2026.pdf";
        QTest::newRow("tab and no-break space") << "Ève\tMüller\u00a0€" << "1.2.26" << "Ève Müller € 1.2.26.pdf";
        QTest::newRow("empty name") << "" << "08/12/2026" << "BELVA 08-12-2026.pdf";
        QTest::newRow("blanks and dots only") << " . . " << "" << "BELVA.pdf";
        QTest::newRow("leading dot of a hidden file") << ".Dupont." << "" << "Dupont.pdf";
        QTest::newRow("Windows device name") << "con" << "" << "con_.pdf";
        QTest::newRow("Windows port name") << "LPT1" << "" << "LPT1_.pdf";
        QTest::newRow("date of a reopened test in words") << "Dupont" << "le lendemain de l'intervention"
                                                          << "Dupont le lendemain de l'intervention.pdf";
        QTest::newRow("character outside the first plane") << "Ana 🙂" << "" << "Ana 🙂.pdf";
    }
    void proposedName()
    {
        QFETCH(QString, patient);
        QFETCH(QString, date);
        QFETCH(QString, name);
        QCOMPARE(ProposedPdfFileName(patient, date), name);
    }

    // Long names are cut after a whole character (an accent stays with its
    // letter, a pair stays whole); the whole name fits in 255 bytes.
    void proposedNameStaysShort_data()
    {
        QTest::addColumn<QString>("unit"); // one character as the user sees it
        QTest::newRow("letters") << QStringLiteral("a");
        QTest::newRow("accented letters") << QStringLiteral("é");
        QTest::newRow("letter and combining accent") << QStringLiteral("e\u0301");
        QTest::newRow("pairs") << QStringLiteral("🙂");
        QTest::newRow("CJK") << QStringLiteral("五");
    }
    void proposedNameStaysShort()
    {
        QFETCH(QString, unit);
        const QString date = QStringLiteral("08/12/2026");
        const QString name = ProposedPdfFileName(unit.repeated(255), date);
        QVERIFY2(name.toUtf8().size() <= 255, qPrintable(name));
        QVERIFY(name.endsWith(QStringLiteral(" 08-12-2026.pdf")));
        const QString kept = name.chopped(QStringLiteral(" 08-12-2026.pdf").size());
        QVERIFY(!kept.isEmpty());
        QCOMPARE(kept, unit.repeated(kept.size() / unit.size()));
        QVERIFY(kept.size() <= 80);
    }

    void localePaper_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("paper");
        QTest::newRow("France") << "fr_FR" << int(QPageSize::A4);
        QTest::newRow("Quebec") << "fr_CA" << int(QPageSize::Letter);
        QTest::newRow("United States") << "en_US" << int(QPageSize::Letter);
        QTest::newRow("United Kingdom") << "en_GB" << int(QPageSize::A4);
        QTest::newRow("C") << "C" << int(QPageSize::A4);
    }
    void localePaper()
    {
        QFETCH(QString, locale);
        QFETCH(int, paper);
        QCOMPARE(int(LocalePageSize(QLocale(locale)).id()), paper);
    }

    // The test report as the print command would print it, as PDF/A-1b.
    void reportDocument_data()
    {
        QTest::addColumn<QString>("patient");
        QTest::addColumn<QString>("paper");
        QTest::addColumn<bool>("formFeed"); // a page break in the middle
        QTest::addColumn<int>("lines");
        QTest::newRow("Letter, XML's own characters in the name") << "Ève <Müller> & \"Jo\" 'Li'" << "Letter"
                                                                 << false << 52;
        QTest::newRow("A4, name wrapped as the buffer wraps it, two pages") << test::LongName << "A4" << true << 54;
    }
    void reportDocument()
    {
        QFETCH(QString, patient);
        QFETCH(QString, paper);
        QFETCH(bool, formFeed);
        QFETCH(int, lines);
        TForm1 form;
        form.memo()->setPlainText(BuildTestReport(test::GoldenFields(patient), ReportVariant::Print));
        QStringList printed = MemoLines(form.memo());
        if (formFeed)
            printed.insert(26, QStringLiteral("\f"));
        QCOMPARE(printed.size(), lines);
        const QString title = PdfTitle(patient, QStringLiteral("08/12/2026"));
        QCOMPARE(title, QStringLiteral("BELVA MG 1.0 - ") + patient + QStringLiteral(" - 08/12/2026"));
        const QPageSize size(paper == u"A4" ? QPageSize::A4 : QPageSize::Letter);
        const QString findings = checkPdf(ReportPdf(printed, form.memo()->font(), title, size), printed,
                                          {QStringLiteral("--title"), title, QStringLiteral("--paper"), paper,
                                           QStringLiteral("--pages"), formFeed ? QStringLiteral("2") : QStringLiteral("1")});
        if (findings.startsWith(QLatin1String("MISSING ")))
            BELVA_SKIP_OR_FAIL("the PDF checker lacks a tool (python3-pikepdf, qpdf, poppler-utils)");
        QVERIFY2(findings.isEmpty(), qPrintable(findings));
    }

    void titleWithoutName()
    {
        QCOMPARE(PdfTitle(QString(), QStringLiteral("08/12/2026")), QStringLiteral("BELVA MG 1.0 - 08/12/2026"));
        // No control character and no lone half of a pair in the metadata.
        const QString odd = QStringLiteral("A") + QChar(1) + QStringLiteral("\U0001F642") + QChar(0xD800);
        QCOMPARE(PdfTitle(odd, QStringLiteral("x")), QStringLiteral("BELVA MG 1.0 - A \U0001F642  - x"));
    }
};

QTEST_MAIN(TestPdfExport)
#include "tst_pdfexport.moc"
