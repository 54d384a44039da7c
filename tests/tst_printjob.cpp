// Real print jobs through the printing system. Run by e2e/printing.sh under
// a CUPS scheduler of its own, not on its own: the script checks the
// documents the queues received against the *.expected files written here.
//   with printers:   queues Belva_PDF (default) and Second
//   noDefaultPrinter: a scheduler without any queue, or a default printer
//                     that is not installed
//   defaultPrinter:   the printer BELVA_DEFAULT_PRINTER is the one taken
#include "currentprinter.h"
#include "placement.h"
#include "printdialogs.h"
#include "printing.h"
#include "reports.h"

#include "errortext.h"
#include "modaldriver.h"
#include "reportbuffer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>


using namespace belva;
using belva::test::ErrorOf;

namespace {

// The lines of the print-variant report, as the report buffer holds them.
QStringList reportLines(const QString &patient)
{
    QPlainTextEdit memo;
    test::SetUpMemo(memo);
    memo.setPlainText(BuildTestReport(test::GoldenFields(patient), ReportVariant::Print));
    return MemoLines(&memo);
}

void writeExpected(const QString &name, const QStringList &lines)
{
    QFile file(qEnvironmentVariable("BELVA_PRINT_OUT") + u'/' + name + QStringLiteral(".expected"));
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(file.fileName()));
    file.write(lines.join(u'\n').toUtf8() + '\n');
}

bool placedAsExpected(const QDialog *dialog)
{
    return dialog->pos() == ThirdDownPosition(dialog->screen()->geometry(), dialog->size());
}

// The choices of pages to print that the print dialog lets the user reach,
// with its options shown, on any of its tabs.
QStringList offeredPageChoices(QDialog *dialog)
{
    if (auto *buttons = dialog->findChild<QDialogButtonBox *>()) {
        for (QAbstractButton *button : buttons->buttons()) {
            if (buttons->buttonRole(button) == QDialogButtonBox::ResetRole)
                button->click();
        }
    }
    QStringList offered;
    for (QTabWidget *tabs : dialog->findChildren<QTabWidget *>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            for (const char *name : {"printRange", "from", "to", "pagesRadioButton", "pagesLineEdit", "printSelection",
                                     "printCurrentPage", "pageSetCombo", "filename"}) {
                for (const QWidget *widget : dialog->findChildren<QWidget *>(QLatin1String(name))) {
                    if (widget->isVisibleTo(dialog) && widget->isEnabled() && !offered.contains(QLatin1String(name)))
                        offered.append(QLatin1String(name));
                }
            }
        }
    }
    return offered;
}

} // namespace

class TestPrintJob : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void printDialogCancelled();
    void printReportThreeCopies();
    void copiesStayForTheNextDialog();
    void refusedWhileJobOpen();
    void setupDialogCancelled();
    void setupDialogChoosesPrinter();
    void allPagesOnly();
    void printerCannotBeOpened();
    void noDefaultPrinter();
    void defaultPrinter();

private:
    QWidget *m_window = nullptr;
};

void TestPrintJob::initTestCase()
{
    QVERIFY2(QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf")) >= 0,
             "Tahoma is missing: run scripts/setup");
    QVERIFY2(!qEnvironmentVariable("BELVA_PRINT_OUT").isEmpty(), "run through e2e/printing.sh");
    m_window = new QWidget;
    m_window->setObjectName(QStringLiteral("Form1"));
    m_window->setGeometry(100, 100, 585, 505);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestPrintJob::printDialogCancelled()
{
    bool seen = false;
    test::ModalDriver driver({test::Answer<QDialog>([&](QDialog *dialog) {
        seen = dialog->objectName() == QLatin1String("PrintDialog1") && placedAsExpected(dialog)
            && static_cast<QPrintDialog *>(dialog)->printer()->printerName() == QLatin1String("Belva_PDF");
        if (auto *copies = dialog->findChild<QSpinBox *>(QStringLiteral("copies")))
            copies->setValue(5);
        dialog->reject();
    })});
    QVERIFY(!ExecutePrintDialog(m_window));
    QVERIFY(seen);
    QCOMPARE(CurrentPrinter::get().printerName(), QStringLiteral("Belva_PDF"));
    QCOMPARE(CurrentPrinter::get().copyCount(), 1);
}

void TestPrintJob::printReportThreeCopies()
{
    QString problem = QStringLiteral("no dialog");
    test::ModalDriver driver({test::Answer<QDialog>([&](QDialog *dialog) {
        auto *copies = dialog->findChild<QSpinBox *>(QStringLiteral("copies"));
        if (!copies || copies->value() != 1) {
            problem = QStringLiteral("copies not offered or not 1");
        } else if (dialog->findChild<QCheckBox *>(QStringLiteral("collate")) == nullptr) {
            problem = QStringLiteral("collation not offered");
        } else {
            problem.clear();
            copies->setValue(3);
        }
        dialog->accept();
    })});
    QVERIFY(ExecutePrintDialog(m_window));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(CurrentPrinter::get().copyCount(), 3);

    const QStringList lines = reportLines(QStringLiteral("Dupont Jean-Étienne"));
    QCOMPARE(lines.size(), 52);
    writeExpected(QStringLiteral("Belva_PDF-1"), lines);
    PrintLines(lines, WindowFont());
    QVERIFY(!CurrentPrinter::jobOpen());
    QCOMPARE(CurrentPrinter::pageNumber(), 0);
}

void TestPrintJob::copiesStayForTheNextDialog()
{
    int copiesShown = 0;
    test::ModalDriver driver({test::Answer<QDialog>([&](QDialog *dialog) {
        if (auto *copies = dialog->findChild<QSpinBox *>(QStringLiteral("copies"))) {
            copiesShown = copies->value();
            copies->setValue(1);
        }
        dialog->accept();
    })});
    QVERIFY(ExecutePrintDialog(m_window));
    QCOMPARE(copiesShown, 3);
    QCOMPARE(CurrentPrinter::get().copyCount(), 1);

    // The long name is wrapped by the report buffer; the form feed starts page 2.
    const QStringList first = reportLines(test::LongName);
    QCOMPARE(first.size(), 53);
    const QStringList lines = first + QStringList{QStringLiteral("\f")} + reportLines(QStringLiteral("Martin Paul"));
    writeExpected(QStringLiteral("Belva_PDF-2"), lines);
    PrintLines(lines, WindowFont());
}

void TestPrintJob::refusedWhileJobOpen()
{
    QStringList lines = reportLines(QStringLiteral("Durand Sophie"));
    writeExpected(QStringLiteral("Belva_PDF-3"), lines);

    bool jobSeenOpen = false;
    QString secondPrint, printDialog, setupDialog;
    // Runs while the job is being sent, as a command of the window would.
    QTimer::singleShot(0, this, [&] {
        jobSeenOpen = CurrentPrinter::jobOpen() && CurrentPrinter::pageNumber() == 1;
        lines[6] = QStringLiteral("\tNom patient : CHANGED");
        lines.append(QStringLiteral("ADDED"));
        secondPrint = ErrorOf([&] { PrintLines(lines, WindowFont()); });
        const auto accept = [](QDialog *dialog) { dialog->accept(); };
        test::ModalDriver driver({test::Answer<QDialog>(accept), test::Answer<QDialog>(accept)});
        printDialog = ErrorOf([&] { (void)ExecutePrintDialog(m_window); });
        setupDialog = ErrorOf([&] { ExecutePrinterSetupDialog(m_window); });
    });
    PrintLines(lines, WindowFont());

    QVERIFY(jobSeenOpen);
    QCOMPARE(secondPrint, QStringLiteral("Impression en cours"));
    QCOMPARE(printDialog, QStringLiteral("Impression en cours"));
    QCOMPARE(setupDialog, QStringLiteral("Impression en cours"));
    QVERIFY(!CurrentPrinter::jobOpen());
}

void TestPrintJob::setupDialogCancelled()
{
    bool seen = false;
    test::ModalDriver driver({test::Answer<QDialog>([&](QDialog *dialog) {
        auto *name = dialog->findChild<QComboBox *>(QStringLiteral("printerName"));
        auto *landscape = dialog->findChild<QRadioButton *>(QStringLiteral("landscape"));
        seen = dialog->objectName() == QLatin1String("PrinterSetupDialog1") && placedAsExpected(dialog) && name
            && landscape && name->currentText() == QLatin1String("Belva_PDF");
        if (name && landscape) {
            name->setCurrentIndex(name->findText(QStringLiteral("Second")));
            emit name->activated(name->currentIndex());
            landscape->setChecked(true);
        }
        dialog->reject();
    })});
    QVERIFY(!ExecutePrinterSetupDialog(m_window));
    QVERIFY(seen);
    QCOMPARE(CurrentPrinter::get().printerName(), QStringLiteral("Belva_PDF"));
    QCOMPARE(CurrentPrinter::get().pageLayout().orientation(), QPageLayout::Portrait);
}

void TestPrintJob::setupDialogChoosesPrinter()
{
    QString openedOn;
    test::ModalDriver driver({
        test::Answer<QDialog>([&](QDialog *dialog) {
            auto *name = dialog->findChild<QComboBox *>(QStringLiteral("printerName"));
            auto *paper = dialog->findChild<QComboBox *>(QStringLiteral("paperSize"));
            auto *landscape = dialog->findChild<QRadioButton *>(QStringLiteral("landscape"));
            if (name && paper && landscape) {
                name->setCurrentIndex(name->findText(QStringLiteral("Second")));
                emit name->activated(name->currentIndex());
                paper->setCurrentIndex(paper->findText(QPageSize(QPageSize::A5).name()));
                landscape->setChecked(true);
            }
            dialog->accept();
        }),
        test::Answer<QDialog>([&](QDialog *dialog) {
            openedOn = static_cast<QPrintDialog *>(dialog)->printer()->printerName();
            dialog->accept();
        }),
    });
    QVERIFY(ExecutePrinterSetupDialog(m_window));
    const QPrinter &printer = CurrentPrinter::get();
    QCOMPARE(printer.printerName(), QStringLiteral("Second"));
    QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
    QVERIFY(printer.pageLayout().pageSize().isEquivalentTo(QPageSize(QPageSize::A5)));

    // The next print dialog opens on that printer.
    QVERIFY(ExecutePrintDialog(m_window));
    QCOMPARE(openedOn, QStringLiteral("Second"));
    QCOMPARE(CurrentPrinter::get().pageLayout().orientation(), QPageLayout::Landscape);

    const QStringList lines = reportLines(QStringLiteral("Petit Louis"));
    writeExpected(QStringLiteral("Second-4"), lines);
    PrintLines(lines, WindowFont());
}

void TestPrintJob::allPagesOnly()
{
    QStringList offered = {QStringLiteral("no dialog")};
    test::ModalDriver driver({test::Answer<QDialog>([&](QDialog *dialog) {
        offered = offeredPageChoices(dialog);
        // Even pages from page 2, chosen all the same: none of it may reach the job.
        if (auto *range = dialog->findChild<QRadioButton *>(QStringLiteral("printRange")))
            range->setChecked(true);
        if (auto *from = dialog->findChild<QSpinBox *>(QStringLiteral("from")))
            from->setValue(2);
        if (auto *pageSet = dialog->findChild<QComboBox *>(QStringLiteral("pageSetCombo")))
            pageSet->setCurrentIndex(pageSet->count() - 1);
        dialog->accept();
    })});
    QVERIFY(ExecutePrintDialog(m_window));
    const QStringList lines = reportLines(QStringLiteral("Leroy Anne"));
    writeExpected(QStringLiteral("Second-5"), lines);
    PrintLines(lines, WindowFont());

    QVERIFY2(offered.isEmpty(), qPrintable(QStringLiteral("offered: ") + offered.join(QStringLiteral(", "))));
}

// Run with no folder for the job's spool file: the job cannot start.
void TestPrintJob::printerCannotBeOpened()
{
    QCOMPARE(ErrorOf([&] { PrintLines({QStringLiteral("a")}, WindowFont()); }),
             QStringLiteral("Imprimante sélectionnée incorrecte"));
    QVERIFY(!CurrentPrinter::jobOpen());
    QCOMPARE(CurrentPrinter::pageNumber(), 0);
}

void TestPrintJob::noDefaultPrinter()
{
    // No dialog may open; one that did is closed and reported.
    bool dialogShown = false;
    test::ModalDriver driver({test::Answer<QDialog>([&](QDialog *dialog) {
        dialogShown = true;
        dialog->reject();
    })});
    const QString message = QStringLiteral("Aucune imprimante par défaut sélectionnée");
    QCOMPARE(ErrorOf([&] { (void)ExecutePrintDialog(m_window); }), message);
    QCOMPARE(ErrorOf([&] { ExecutePrinterSetupDialog(m_window); }), message);
    QCOMPARE(ErrorOf([&] { PrintLines({QStringLiteral("a")}, WindowFont()); }), message);
    QTest::qWait(50);
    QVERIFY(!dialogShown);
    QVERIFY(!CurrentPrinter::jobOpen());
}

void TestPrintJob::defaultPrinter()
{
    const QString expected = qEnvironmentVariable("BELVA_DEFAULT_PRINTER");
    QVERIFY2(!expected.isEmpty(), "run through e2e/printing.sh");
    QString openedOn;
    test::ModalDriver driver({test::Answer<QDialog>([&](QDialog *dialog) {
        openedOn = static_cast<QPrintDialog *>(dialog)->printer()->printerName();
        dialog->reject();
    })});
    QCOMPARE(ErrorOf([&] { (void)ExecutePrintDialog(m_window); }), QStringLiteral("(no error)"));
    QCOMPARE(openedOn, expected);
}

QTEST_MAIN(TestPrintJob)
#include "tst_printjob.moc"
