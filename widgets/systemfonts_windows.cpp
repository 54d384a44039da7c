#include "systemfonts.h"

#include "windowfont.h"

#include <QWidget>

namespace belva {

QString RegisterWindowFontFile(const QString &)
{
    return QString::fromUtf16(WindowFontFamily);
}

void SetWindowFontRendering(QFont &font)
{
    // Hinted, the glyphs grow by a pixel here and there and the longest
    // captions no longer fit beside their fields.
    font.setHintingPreference(QFont::PreferNoHinting);
}

QString PrepareDialogFont()
{
    return {};
}

void UseDialogFont(QWidget *dialog)
{
    const QString bitmapFamily = QStringLiteral("MS Sans Serif");
    const QStringList scalable = {QStringLiteral("Microsoft Sans Serif"), QString::fromUtf16(WindowFontFamily)};
    QList<QWidget *> widgets = dialog->findChildren<QWidget *>();
    widgets.prepend(dialog);
    for (QWidget *widget : std::as_const(widgets)) {
        // The dialog's own font and the fonts its form gives some labels.
        if (widget != dialog && !widget->testAttribute(Qt::WA_SetFont))
            continue;
        QFont font = widget->font();
        if (font.family() != bitmapFamily)
            continue;
        font.setFamilies(scalable);
        widget->setFont(font);
    }
}

} // namespace belva
