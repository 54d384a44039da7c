// The follow-up printed through the printing system. Run by
// e2e/followupprint.sh under a CUPS scheduler of its own (queue Belva_PDF),
// which checks the documents against the *.expected files written here.
#include "currentprinter.h"
#include "followupwindow.h"
#include "errortext.h"
#include "modaldriver.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFontDatabase>
#include <QPrinter>
#include <QSpinBox>
#include <QTest>

using namespace belva;
using belva::test::ErrorOf;
using belva::test::ModalDriver;

namespace {

// Tests eleven days apart; with `mixed`, every third of another name.
FollowUp followUp(int count, bool mixed)
{
    QList<FollowUpTest> chosen;
    const QString longName = QStringLiteral("Dupont-Lefebvre Jean-Étienne Marie Alexandre Hippolyte de la Tour d'Auvergne");
    for (int i = 0; i < count; ++i) {
        FollowUpTest t;
        t.fileName = QStringLiteral("test%1.txt").arg(i);
        t.date = QDate(2024, 1, 5).addDays(11 * i);
        t.dateText = t.date.toString(QStringLiteral("dd/MM/yyyy"));
        t.patient = !mixed ? longName : i % 3 == 2 ? QStringLiteral("Dupond Jean") : QStringLiteral("Dupont Jean");
        for (int s = 0; s < FollowUpScoreCount; ++s)
            t.scores[size_t(s)] = ((i * 1237 + s * 1900) % 10001) / 100.0L;
        chosen.append(t);
    }
    FollowUp f = OrderFollowUp(chosen);
    f.threshold = 5;
    return f;
}

// The words the page starts with: title, period, warning, threshold and
// table, each cell's lines in turn.
void writeExpected(const QString &name, const FollowUp &f)
{
    QStringList lines{FollowUpTitle(f), FollowUpPeriodText(f), PatientNamesWarning(f.patients),
                      FollowUpThresholdText(f, u',')};
    for (const FollowUpRow &row : FollowUpTable(f, u',')) {
        for (const FollowUpCell &cell : row)
            lines << cell.lines().join(u' ');
    }
    QFile file(qEnvironmentVariable("BELVA_PRINT_OUT") + u'/' + name + QStringLiteral(".expected"));
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(file.fileName()));
    file.write(lines.join(u'\n').toUtf8() + '\n');
}

// Accepts the print dialog with `copies`.
ModalDriver::Step acceptPrintDialog(int copies)
{
    return belva::test::Answer<QDialog>([copies](QDialog *dialog) {
        if (auto *spin = dialog->findChild<QSpinBox *>(QStringLiteral("copies")))
            spin->setValue(copies);
        dialog->accept();
    });
}

} // namespace

class TestFollowUpPrint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf")) >= 0,
                 "Tahoma is missing: run scripts/setup");
        QVERIFY2(!qEnvironmentVariable("BELVA_PRINT_OUT").isEmpty(), "run through e2e/followupprint.sh");
        QFont font(QStringLiteral("Tahoma"));
        font.setPixelSize(11);
        QApplication::setFont(font);
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    }

    // Through the window's command: the print dialog, then the job.
    void sixTestsTwoCopies()
    {
        FollowUpWindow window;
        window.setFollowUp(followUp(6, true));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.decimalSeparator(), QChar(u','));
        writeExpected(QStringLiteral("Belva_PDF-1"), window.followUp());
        ModalDriver driver({acceptPrintDialog(2)});
        window.ImprimerClick();
        QVERIFY(driver.done());
        QCOMPARE(CurrentPrinter::get().copyCount(), 2);
        QVERIFY(!CurrentPrinter::jobOpen());
    }

    void fiftyTestsOnSeveralPages()
    {
        FollowUpWindow window;
        window.setFollowUp(followUp(50, false));
        writeExpected(QStringLiteral("Belva_PDF-2"), window.followUp());
        ModalDriver driver({acceptPrintDialog(1)});
        window.ImprimerClick();
        QVERIFY(driver.done());
    }

    void refusedWhileJobOpen()
    {
        CurrentPrinter::beginJob();
        QCOMPARE(ErrorOf([] { PrintFollowUp(followUp(2, false), u',', QApplication::font()); }),
                 QStringLiteral("Impression en cours"));
        CurrentPrinter::endJob();
    }
};

QTEST_MAIN(TestFollowUpPrint)
#include "tst_followupprint.moc"
