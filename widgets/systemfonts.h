#pragma once

#include <QFont>
#include <QString>

class QWidget;

// Where the program's fonts come from, one file per platform. On Linux,
// Tahoma and "MS Sans Serif" are the look-alikes of Debian's fonts-wine,
// read from their files (systemfonts_linux.cpp); on Windows they are the
// system's own (systemfonts_windows.cpp).
namespace belva {

// The family of the window font's file once registered with Qt, or Tahoma
// when there is no file to register (always on Windows).
[[nodiscard]] QString RegisterWindowFontFile(const QString &fontFile);

// The window font's rendering. Windows: the font's design widths (no
// hinting), so that every caption keeps the width the form was laid out
// with. Linux: as the platform renders it.
void SetWindowFontRendering(QFont &font);

// The About box's font, "MS Sans Serif", made ready before its widgets are
// built: on Linux the bitmap font's file, whose strikes the bold label draws
// itself; empty on Windows.
[[nodiscard]] QString PrepareDialogFont();

// Windows: the built dialog's "MS Sans Serif", a bitmap font that Qt sizes
// one step too large, becomes the system's TrueType twin "Microsoft Sans
// Serif" (Tahoma where it is missing). Linux: nothing to do.
void UseDialogFont(QWidget *dialog);

} // namespace belva
