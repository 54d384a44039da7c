// The help viewer binding on Windows: the system's HTML Help viewer
// (hhctrl.ocx), found through the registry, loaded at start-up and released
// at the end; the help file is shown in its window.
#include "hh.h"

#include "hh_funcs.h"
#include "notices.h"
#include "viewerlibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

#include <windows.h>

#include <vector>

namespace belva::hh {

namespace {

// The HTML Help ActiveX control, whose server is the viewer library.
constexpr wchar_t ViewerServerKey[] = L"CLSID\\{adb880a6-d8ff-11cf-9377-00aa003b7a11}\\InprocServer32";

using HtmlHelpAFunction = HWND(WINAPI *)(HWND, LPCSTR, UINT, DWORD_PTR);
using HtmlHelpWFunction = HWND(WINAPI *)(HWND, LPCWSTR, UINT, DWORD_PTR);

HMODULE ViewerLibrary = nullptr;
HtmlHelpAFunction HtmlHelpA = nullptr;
HtmlHelpWFunction HtmlHelpW = nullptr;

bool isFile(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

// The key's default value, its environment variables expanded; empty when
// the key cannot be opened or holds no text.
QString defaultValue(HKEY root, const wchar_t *subKey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return {};
    QString value;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS
        && (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(buffer.data()), &size)
            == ERROR_SUCCESS) {
            value = QString::fromWCharArray(buffer.data());
            if (type == REG_EXPAND_SZ) {
                const auto *source = reinterpret_cast<const wchar_t *>(value.utf16());
                const DWORD needed = ExpandEnvironmentStringsW(source, nullptr, 0);
                std::vector<wchar_t> expanded(needed + 1, L'\0');
                if (needed && ExpandEnvironmentStringsW(source, expanded.data(), needed + 1))
                    value = QString::fromWCharArray(expanded.data());
            }
        }
    }
    RegCloseKey(key);
    return value;
}

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

} // namespace

QString GetViewerLibraryPath()
{
    const QString path = defaultValue(HKEY_CLASSES_ROOT, ViewerServerKey);
    if (!path.isEmpty() && !isFile(path))
        return {};
    return path;
}

void LoadViewerLibrary()
{
    if (ViewerLibrary)
        return;
    const QString path = GetViewerLibraryPath();
    if (path.isEmpty() || !isFile(path))
        return;
    // From that file, no search; what it needs comes from its own folder first.
    ViewerLibrary = LoadLibraryExW(wide(QDir::toNativeSeparators(path)), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!ViewerLibrary)
        return;
    HtmlHelpA = reinterpret_cast<HtmlHelpAFunction>(reinterpret_cast<void *>(GetProcAddress(ViewerLibrary, "HtmlHelpA")));
    HtmlHelpW = reinterpret_cast<HtmlHelpWFunction>(reinterpret_cast<void *>(GetProcAddress(ViewerLibrary, "HtmlHelpW")));
}

void FreeViewerLibrary()
{
    if (!ViewerLibrary)
        return;
    FreeLibrary(ViewerLibrary);
    HtmlHelpA = nullptr;
    HtmlHelpW = nullptr;
    ViewerLibrary = nullptr;
}

bool ViewerLibraryLoaded()
{
    return ViewerLibrary != nullptr;
}

bool ViewerAvailable()
{
    return ViewerLibrary && HtmlHelpW;
}

void UnloadViewerLibrary()
{
    FreeViewerLibrary();
}

QString HelpFilePath(const QString &executableFilePath)
{
    return hh_funcs::DirectoryPart(QDir::toNativeSeparators(executableFilePath)) + QString::fromUtf16(HelpFileName);
}

void ShowHelpTopics(QWidget *messageParent)
{
    if (!ViewerAvailable()) {
        QMessageBox box(QMessageBox::Information, QString::fromUtf16(AppTitle),
                        QStringLiteral("L'aide ne peut pas être affichée : le visualiseur d'aide HTML de Windows "
                                       "(hhctrl.ocx) est introuvable ou inutilisable."),
                        QMessageBox::Ok, messageParent);
        box.setObjectName(QStringLiteral("HelpUnavailable"));
        box.setWindowTitle(QString::fromUtf16(AppTitle));
        box.exec();
        return;
    }
    // Owned by the desktop, not by the main window; the result is not used.
    const QString path = HelpFilePath(QCoreApplication::applicationFilePath());
    HtmlHelpW(GetDesktopWindow(), wide(path), HH_DISPLAY_TOPIC, 0);
}

void CloseAllHelpWindows()
{
    if (ViewerAvailable())
        HtmlHelpW(nullptr, nullptr, HH_CLOSE_ALL, 0);
}

} // namespace belva::hh
