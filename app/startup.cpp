#include "startup.h"

#include "notices.h"
#include "windowfont.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QPixmap>
#include <QLibraryInfo>
#include <QResource>
#include <QSettings>
#include <QTranslator>
#include <cfenv>
#include <cstring>

namespace belva {

namespace {

// Keeps Qt's own dialogs from reading and writing their shared settings file
// (~/.config/QtProject.conf: folders visited, view state).
void disableQtDialogSettings()
{
    // A folder no one can create, not even root: nothing is read, nothing written.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null/belva"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("/dev/null/belva"));
}

} // namespace

QFont LoadWindowFont(const QString &fontFile)
{
    if (QFile::exists(fontFile)) {
        const int id = QFontDatabase::addApplicationFont(fontFile);
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty())
            return WindowFont(families.constFirst());
    }
    return WindowFont();
}

QIcon ApplicationIcon()
{
    // Raw pixels: decoding PNG files (and looking up image plugins) would
    // cost start-up several milliseconds for an icon nobody waits for.
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64}) {
        const QByteArray pixels =
            QResource(QStringLiteral(":/icons/belvamg-%1.rgba").arg(size)).uncompressedData();
        if (pixels.size() != size * size * 4)
            continue;
        QImage image(size, size, QImage::Format_RGBA8888);
        std::memcpy(image.bits(), pixels.constData(), pixels.size());
        icon.addPixmap(QPixmap::fromImage(std::move(image)));
    }
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

    // Nothing is kept between runs, not even the file dialogs' last folders.
    disableQtDialogSettings();
}

} // namespace belva
