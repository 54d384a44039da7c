// Exporter en PDF: the proposed file name, the paper of the locale and of
// the document, the title. The end-to-end test pdfexport.sh exports from the
// real program and reads the documents back with pdfa_check.py.
#include "exportpdfdialog.h"
#include "goldenfields.h"
#include "pdfdocument.h"
#include "printing.h"
#include "startup.h"
#include "tform1.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>

using namespace belva;

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
        QTest::newRow("Windows device name before a dot") << "nul .x" << "" << "nul_ .x.pdf";
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

    // The paper reaches the document (the end-to-end test reads A4 ones back
    // in full with the PDF checker).
    void reportDocumentPaper_data()
    {
        QTest::addColumn<int>("paper");
        QTest::addColumn<QByteArray>("mediaBox");
        QTest::newRow("A4") << int(QPageSize::A4) << QByteArray("/MediaBox [0 0 595.000000 842.000000]");
        QTest::newRow("Letter") << int(QPageSize::Letter) << QByteArray("/MediaBox [0 0 612.000000 792.000000]");
    }
    void reportDocumentPaper()
    {
        QFETCH(int, paper);
        QFETCH(QByteArray, mediaBox);
        TForm1 form;
        form.memo()->setPlainText(BuildTestReport(test::GoldenFields(), ReportVariant::Print));
        const QByteArray pdf = ReportPdf(MemoLines(form.memo()), form.memo()->font(), QStringLiteral("T"),
                                         QPageSize(QPageSize::PageSizeId(paper)));
        QVERIFY(pdf.startsWith("%PDF-1.4"));
        QCOMPARE(pdf.count(mediaBox), 1);
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
