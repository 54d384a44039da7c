#pragma once

// The two printer dialogs on the current printer (currentprinter.h). They
// open centred across the screen and a third of the way down (placement.h).

class QWidget;

namespace belva {

// The print dialog (object name "PrintDialog1") on the current printer:
// choice of printer and its properties, copies, collation. True on OK, after
// the choice became the current printer; false on Cancel, nothing changed.
// Throws "Aucune imprimante par défaut sélectionnée" before it opens when
// there is no usable default printer, and "Impression en cours" when it is
// confirmed while a job is open.
[[nodiscard]] bool ExecutePrintDialog(QWidget *parent);

// The printer set-up dialog (object name "PrinterSetupDialog1"): choice of
// printer, paper and orientation. Same rules as ExecutePrintDialog().
bool ExecutePrinterSetupDialog(QWidget *parent);

} // namespace belva
