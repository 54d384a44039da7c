#include "systemfonts.h"

#include "windowfont.h"

#include <QFile>
#include <QFontDatabase>

namespace belva {

QString RegisterWindowFontFile(const QString &fontFile)
{
    if (QFile::exists(fontFile)) {
        const int id = QFontDatabase::addApplicationFont(fontFile);
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty())
            return families.constFirst();
    }
    return QString::fromUtf16(WindowFontFamily);
}

void SetWindowFontRendering(QFont &)
{
}

// Debian's fonts-wine has the dialog's bitmap font, which fontconfig does not
// list. Returns its file, or an empty text when it is missing: Qt then picks
// a look-alike.
QString PrepareDialogFont()
{
    static const QString loaded = [] {
        const QString file = QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf");
        return QFile::exists(file) && QFontDatabase::addApplicationFont(file) >= 0 ? file : QString();
    }();
    return loaded;
}

void UseDialogFont(QWidget *)
{
}

} // namespace belva
