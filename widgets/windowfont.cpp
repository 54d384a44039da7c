#include "windowfont.h"

#include "systemfonts.h"

#include <QFontMetrics>

namespace belva {

QFont WindowFont(const QString &family)
{
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    SetWindowFontRendering(font);
    return font;
}

int AverageCharWidth(const QFont &font)
{
    const int letters = QFontMetrics(font).horizontalAdvance(
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    return (letters / 26 + 1) / 2;
}

} // namespace belva
