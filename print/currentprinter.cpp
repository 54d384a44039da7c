#include "currentprinter.h"

#include "defaultprinter.h"
#include "errors.h"

#include <QCoreApplication>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

namespace belva {

namespace {

struct PrinterState
{
    std::unique_ptr<QPrinter> printer;
    bool jobOpen = false;
    int pageNumber = 0;
};

PrinterState &state()
{
    static PrinterState s;
    return s;
}

// Deleted with the application object, while the printing plug-in is still there.
void releasePrinter()
{
    state().printer.reset();
}

// The options of the printer's properties dialog, kept by Qt's CUPS engine.
constexpr auto CupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

std::unique_ptr<QPrinter> defaultPrinter()
{
    const QStringList installed = QPrinterInfo::availablePrinterNames();
    const QString wanted = DefaultPrinterName(installed);
    if (!wanted.isEmpty()) {
        for (const QString &name : installed) {
            if (name.compare(wanted, Qt::CaseInsensitive) != 0)
                continue;
            const QPrinterInfo info = QPrinterInfo::printerInfo(name);
            auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
            if (!printer->isValid() || printer->outputFormat() != QPrinter::NativeFormat)
                break;
            // Qt starts from the locale's paper; the printer's own comes with
            // its printable margins, the only margins of the page.
            if (info.defaultPageSize().isValid())
                printer->setPageSize(info.defaultPageSize());
            return printer;
        }
    }
    throw Error(QStringLiteral("Aucune imprimante par défaut sélectionnée"));
}

} // namespace

QPrinter &CurrentPrinter::get()
{
    PrinterState &s = state();
    if (!s.printer) {
        s.printer = defaultPrinter();
        static const bool registered = (qAddPostRoutine(releasePrinter), true);
        Q_UNUSED(registered);
    }
    return *s.printer;
}

void CurrentPrinter::select(const QPrinter &chosen)
{
    if (jobOpen())
        throw Error(QStringLiteral("Impression en cours"));
    CopyPrinterSettings(chosen, get());
}

bool CurrentPrinter::jobOpen()
{
    return state().jobOpen;
}

int CurrentPrinter::pageNumber()
{
    return state().pageNumber;
}

void CurrentPrinter::beginJob()
{
    state().jobOpen = true;
    state().pageNumber = 1;
}

void CurrentPrinter::nextPage()
{
    ++state().pageNumber;
}

void CurrentPrinter::endJob()
{
    state().jobOpen = false;
    state().pageNumber = 0;
}

void CurrentPrinter::reset()
{
    state().printer.reset();
}

void CopyPrinterSettings(const QPrinter &from, QPrinter &to)
{
    if (&from == &to)
        return;
    to.setPrinterName(from.printerName());
    to.setResolution(from.resolution());
    to.setPageLayout(from.pageLayout());
    to.setCopyCount(from.copyCount());
    to.setCollateCopies(from.collateCopies());
    to.setDuplex(from.duplex());
    to.setColorMode(from.colorMode());
    to.setPageOrder(from.pageOrder());
    to.setFullPage(from.fullPage());
    to.setPrintRange(QPrinter::AllPages);
    to.setPageRanges({});
    const QVariant options = from.printEngine()->property(CupsOptionsKey);
    if (options.isValid()) {
        // Pairs of option name and value; the two CUPS options that print
        // only some of the pages are left out.
        const QStringList given = options.toStringList();
        QStringList kept;
        for (qsizetype i = 0; i + 1 < given.size(); i += 2) {
            if (given.at(i) != u"page-set" && given.at(i) != u"page-ranges")
                kept << given.at(i) << given.at(i + 1);
        }
        to.printEngine()->setProperty(CupsOptionsKey, kept);
    }
}

} // namespace belva
