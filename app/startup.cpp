#include "startup.h"

#include "notices.h"
#include "quiettextevents.h"
#include "startup_platform.h"
#include "systemfonts.h"
#include "windowfont.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QResource>
#include <QTranslator>
#include <cfenv>
#include <cstring>

namespace belva {

QFont LoadWindowFont(const QString &fontFile)
{
    return WindowFont(RegisterWindowFontFile(fontFile));
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
    if (LoadQtTranslations(*translator))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;

    QApplication::setFont(LoadWindowFont(fontFile));

    // Nothing is kept between runs, not even the file dialogs' last folders.
    DisableQtDialogSettings();

    // The report buffer's text is not read out by the screen reader.
    QuietHiddenTextEvents();
}

} // namespace belva
