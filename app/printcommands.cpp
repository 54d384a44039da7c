// Imprimer and Configuration imprimante.
#include "tform1.h"

#include "printdialogs.h"
#include "printing.h"

#include <QPlainTextEdit>

void TForm1::Imprimer1Click()
{
    memo()->clear();
    setMemoText(belva::BuildTestReport(gatherTestFields(), belva::ReportVariant::Print));
    if (!belva::ExecutePrintDialog(this))
        return;
    belva::PrintLines(belva::MemoLines(memo()), memo()->font());
}

void TForm1::Configurationimprimante1Click()
{
    (void)belva::ExecutePrinterSetupDialog(this);
}
