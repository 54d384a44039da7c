#pragma once

#include <QFont>
#include <QIcon>
#include <QString>

class QApplication;

namespace belva {

// Debian's fonts-wine ships a Tahoma-metric font that fontconfig does not list.
inline constexpr char16_t WindowFontFile[] = u"/usr/share/wine/fonts/tahoma.ttf";

// Everything the application needs before its window exists: floating-point
// rounding, the title "BELVA MG 1.0", the icon, Qt's French texts, the
// window font (Tahoma 11 px from fontFile when present), and Qt's own dialogs
// kept from their shared settings file (~/.config/QtProject.conf: folders
// visited, view state), for the program stores nothing between runs.
void SetUpApplication(QApplication &app, const QString &fontFile = QString::fromUtf16(WindowFontFile));

// The window font (WindowFont), fontFile registered first when it exists.
// Without it, whatever fontconfig gives for Tahoma (a sans serif) at the same
// size.
[[nodiscard]] QFont LoadWindowFont(const QString &fontFile);

// The program's own icon, 16 to 64 pixels, for its windows. The same artwork
// is in the resources as :/icons/belvamg-<16..256>.png.
[[nodiscard]] QIcon ApplicationIcon();

} // namespace belva
