#include "startup_platform.h"

#include <QLibraryInfo>
#include <QSettings>
#include <QTranslator>

namespace belva {

bool LoadQtTranslations(QTranslator &translator)
{
    return translator.load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

void DisableQtDialogSettings()
{
    // Their shared settings file (~/.config/QtProject.conf) in a folder no
    // one can create, not even root: nothing is read, nothing written.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null/belva"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("/dev/null/belva"));
}

} // namespace belva
