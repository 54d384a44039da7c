#pragma once

#include <QString>
#include <QStringList>

// Which printer the system makes the default, one file per platform:
// defaultprinter_cups.cpp on Linux, defaultprinter_windows.cpp on Windows.
namespace belva {

// The name of the default printer, to be looked for among the installed
// printers; empty when none is named. Linux: CUPS's default, else, when
// neither CUPS nor the user's own setting names one, the first installed
// printer. Windows: the printing system's default printer, else the first
// field of the "device" value in the "windows" section of the profile.
// Throws "Aucune imprimante par défaut sélectionnée" when the printing
// system reports no printer (invalid name), and the system's error
// ("Erreur système.  Code : <n>.\r\n<text>") when its query fails otherwise.
[[nodiscard]] QString DefaultPrinterName(const QStringList &installed);

} // namespace belva
