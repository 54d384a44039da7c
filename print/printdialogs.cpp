#include "printdialogs.h"

#include "currentprinter.h"
#include "errors.h"
#include "placement.h"
#include "printersetupdialog.h"

#include <QEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

namespace belva {

namespace {

// Under CUPS, Qt's print dialog offers page ranges and odd or even pages in
// its print range group, and shows that group again whenever it opens. The
// report is always printed whole.
class AllPagesOnly : public QObject
{
public:
    explicit AllPagesOnly(QWidget *dialog) : QObject(dialog) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType())
            hidePageChoices(static_cast<QWidget *>(watched));
        return false;
    }

private:
    static void hidePageChoices(QWidget *dialog)
    {
        for (const char *name : {"gbPrintRange", "pagesRadioButton", "pagesLineEdit", "pageSetLabel", "pageSetCombo"}) {
            for (QWidget *widget : dialog->findChildren<QWidget *>(QLatin1String(name))) {
                widget->setEnabled(false);
                widget->hide();
            }
        }
    }
};

// A dialog's own copy of the current printer, which becomes current on OK only.
std::unique_ptr<QPrinter> copyOfCurrentPrinter()
{
    const QPrinter &current = CurrentPrinter::get();
    auto copy = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(current.printerName()), QPrinter::HighResolution);
    CopyPrinterSettings(current, *copy);
    return copy;
}

void makeCurrent(const QPrinter &chosen)
{
    if (CurrentPrinter::jobOpen())
        throw Error(QStringLiteral("Impression en cours"));
    if (!chosen.isValid() || chosen.outputFormat() != QPrinter::NativeFormat)
        throw Error(QStringLiteral("Opération non supportée par l'imprimante sélectionnée"));
    CurrentPrinter::select(chosen);
}

} // namespace

bool ExecutePrintDialog(QWidget *parent)
{
    const std::unique_ptr<QPrinter> chosen = copyOfCurrentPrinter();
    QPrintDialog dialog(chosen.get(), parent);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    // All pages, on the printer: no page range, no selection, no file.
    dialog.setOptions(QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintShowPageSize);
    dialog.installEventFilter(new AllPagesOnly(&dialog));
    PlaceThirdDownOnOpening(&dialog, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    makeCurrent(*chosen);
    return true;
}

bool ExecutePrinterSetupDialog(QWidget *parent)
{
    const std::unique_ptr<QPrinter> chosen = copyOfCurrentPrinter();
    PrinterSetupDialog dialog(chosen.get(), parent);
    dialog.setObjectName(QStringLiteral("PrinterSetupDialog1"));
    PlaceThirdDownOnOpening(&dialog, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    makeCurrent(*chosen);
    return true;
}

} // namespace belva
