#include "printdialogs.h"

#include "currentprinter.h"
#include "errors.h"
#include "printersetupdialog.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

#include <memory>

namespace belva {

namespace {

class DialogPlacer : public QObject
{
public:
    DialogPlacer(QWidget *dialog, QWidget *fallback) : QObject(dialog), m_dialog(dialog), m_fallback(fallback) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The size is final when the dialog is about to be shown.
        if (watched == m_dialog && event->type() == QEvent::Show)
            place();
        return false;
    }

private:
    void place()
    {
        QWidget *window = QApplication::activeWindow();
        if (!window || window == m_dialog)
            window = m_fallback ? m_fallback->window() : nullptr;
        const QScreen *screen = window ? window->screen() : QGuiApplication::primaryScreen();
        if (screen)
            m_dialog->move(DialogPosition(screen->geometry(), m_dialog->size()));
    }

    QWidget *const m_dialog;
    const QPointer<QWidget> m_fallback;
};

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

QPoint DialogPosition(const QRect &monitor, const QSize &dialog)
{
    return {monitor.left() + (monitor.width() - dialog.width()) / 2,
            monitor.top() + (monitor.height() - dialog.height()) / 3};
}

void PlaceOnOpening(QWidget *dialog, QWidget *fallback)
{
    dialog->installEventFilter(new DialogPlacer(dialog, fallback));
}

bool ExecutePrintDialog(QWidget *parent)
{
    const std::unique_ptr<QPrinter> chosen = copyOfCurrentPrinter();
    QPrintDialog dialog(chosen.get(), parent);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    // All pages, on the printer: no page range, no selection, no file.
    dialog.setOptions(QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintShowPageSize);
    dialog.installEventFilter(new AllPagesOnly(&dialog));
    PlaceOnOpening(&dialog, parent);
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
    PlaceOnOpening(&dialog, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    makeCurrent(*chosen);
    return true;
}

} // namespace belva
