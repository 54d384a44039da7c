#pragma once

class QPrinter;

namespace belva {

// The printer of the run. It is looked up from the system's default printer
// the first time it is needed, replaced whenever a printer dialog is
// confirmed, and forgotten when the program ends; nothing of it is stored.
// It also carries the state of the print job under way, if any.
class CurrentPrinter
{
public:
    // The printer, with its settings: the default printer of the system or
    // of the user's own setting, or else the first installed printer. Throws
    // "Aucune imprimante par défaut sélectionnée" when no printer is
    // installed or the default printer is not among the installed ones.
    [[nodiscard]] static QPrinter &get();

    // Makes a copy of the chosen printer and its settings current. Throws
    // "Impression en cours" while a job is open.
    static void select(const QPrinter &chosen);

    [[nodiscard]] static bool jobOpen();
    // 1 when a job starts, one more at each new page, 0 outside a job.
    [[nodiscard]] static int pageNumber();
    static void beginJob();
    static void nextPage();
    static void endJob();

    // Forgets the printer: the next get() looks the default printer up again.
    static void reset();
};

// Carries the choice of printer and its settings (paper, orientation, copies,
// collation, duplex, colour and the printer's own options) from one QPrinter
// to another. Page ranges and odd or even pages stay behind: the report is
// always printed whole.
void CopyPrinterSettings(const QPrinter &from, QPrinter &to);

} // namespace belva
