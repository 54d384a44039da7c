#include "startup_platform.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTranslator>
#include <QVariantMap>

#include <optional>

#include <windows.h>

namespace belva {

bool LoadQtTranslations(QTranslator &translator)
{
    return translator.load(QStringLiteral(":/translations/qtbase_fr.qm"));
}

namespace {

// What Qt's dialogs had written in the registry before this run, every
// value under its key; none when they had written nothing.
std::optional<QVariantMap> &savedSettings()
{
    static std::optional<QVariantMap> saved;
    return saved;
}

void restoreQtDialogSettings()
{
    {
        QSettings settings(QSettings::UserScope, QStringLiteral("QtProject"));
        settings.clear();
        if (const std::optional<QVariantMap> &saved = savedSettings()) {
            for (auto it = saved->cbegin(); it != saved->cend(); ++it)
                settings.setValue(it.key(), it.value());
        }
    }
    // Keys that only this run made go too; one holding anything else stays.
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QtProject\\OrganizationDefaults");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QtProject");
}

} // namespace

void DisableQtDialogSettings()
{
    // Qt's file dialogs keep their folders in the registry, under
    // HKEY_CURRENT_USER\Software\QtProject, shared by every Qt program and
    // out of our reach while they are open: it is put back as it was when
    // the program ends.
    QSettings settings(QSettings::UserScope, QStringLiteral("QtProject"));
    const QStringList keys = settings.allKeys();
    if (!keys.isEmpty()) {
        QVariantMap saved;
        for (const QString &key : keys)
            saved.insert(key, settings.value(key));
        savedSettings() = saved;
    }
    qAddPostRoutine(restoreQtDialogSettings);
}

} // namespace belva
