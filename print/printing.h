#pragma once

// Printing of the report: the lines of the report buffer, and the print job
// that lays them out on the current printer (currentprinter.h) through a
// PrinterTextDevice (printertextdevice.h).
//
// The print command: fill the report buffer, ExecutePrintDialog()
// (printdialogs.h), then PrintLines(MemoLines(buffer), windowFont). Failures
// throw belva::Error.

#include <QFont>
#include <QStringList>

class QPlainTextEdit;

namespace belva {

// The lines the report buffer holds: its text split at its line breaks and
// at its own word wrap, as wide as its text area (also while it is hidden).
// A last line that is empty is not counted.
[[nodiscard]] QStringList MemoLines(const QPlainTextEdit *memo);

// The report buffer's tab stops, where a multi-line edit control puts them:
// every 32 dialog units, that is eight average character widths of its font
// (AverageCharWidth). Qt's default of 80 pixels would wrap the report's
// answer lines.
[[nodiscard]] int MemoTabStopDistance(const QFont &font);

// Prints the lines on the current printer, one job with an empty name, in
// the print font made from the window's font. The window stays responsive
// meanwhile; a second print or a confirmed printer dialog is then refused
// with "Impression en cours". Throws that too, or "Imprimante sélectionnée
// incorrecte" when the printer cannot be opened; the job, once started, is
// always ended.
void PrintLines(const QStringList &lines, const QFont &windowFont);

// The screen's vertical resolution, which the window font is sized for (96
// without a screen).
[[nodiscard]] int ScreenDpi();

// The print font: the window's font at its size in whole points, then at the
// printer's resolution (pixel size = em height in dots). Halves are rounded
// away from zero. When both resolutions are equal the window font's pixel
// height is kept.
[[nodiscard]] QFont PrintFont(const QFont &windowFont, int screenDpi, int printerDpi);

} // namespace belva
