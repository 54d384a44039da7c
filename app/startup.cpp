#include "startup.h"

#include "notices.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>
#include <cfenv>

namespace belva {

QFont LoadWindowFont(const QString &fontFile)
{
    QString family = QStringLiteral("Tahoma");
    if (QFile::exists(fontFile)) {
        const int id = QFontDatabase::addApplicationFont(fontFile);
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty())
            family = families.constFirst();
    }
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

QIcon ApplicationIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/belvamg-%1.png").arg(size), QSize(size, size));
    return icon;
}

void SetUpApplication(QApplication &app, const QString &fontFile)
{
    // The scores are computed in extended precision, rounding to nearest with
    // ties to even, for the whole run.
    std::fesetround(FE_TONEAREST);

    // The title is the application name, not its display name: on X11 a
    // display name would be appended to every window title.
    QCoreApplication::setApplicationName(QString::fromUtf16(AppTitle));
    QApplication::setWindowIcon(ApplicationIcon());

    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;

    QApplication::setFont(LoadWindowFont(fontFile));
}

} // namespace belva
