#include "hh.h"

#include "helpviewer.h"
#include "hh_funcs.h"
#include "notices.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QMessageBox>

#ifndef BELVA_LIBRARY_ARCH
#define BELVA_LIBRARY_ARCH ""
#endif

namespace belva::hh {

namespace {

QLibrary *ViewerLibrary = nullptr;
EntryPoints g_entryPoints;

bool isFile(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

// Where the dynamic loader looks, in its order.
QString systemLibraryPath()
{
    const QString arch = QStringLiteral(BELVA_LIBRARY_ARCH);
    QStringList dirs;
    if (!arch.isEmpty())
        dirs << QStringLiteral("/usr/local/lib/") + arch;
    dirs << QStringLiteral("/usr/local/lib");
    if (!arch.isEmpty())
        dirs << QStringLiteral("/lib/") + arch << QStringLiteral("/usr/lib/") + arch;
    dirs << QStringLiteral("/lib") << QStringLiteral("/usr/lib");
    for (const QString &dir : std::as_const(dirs)) {
        const QString path = dir + u'/' + QLatin1String(ViewerLibraryName);
        if (isFile(path))
            return path;
    }
    return {};
}

template<typename F>
void resolve(F &entry, const char *name)
{
    entry = reinterpret_cast<F>(ViewerLibrary->resolve(name));
}

} // namespace

QString GetViewerLibraryPath()
{
    const QString path = qEnvironmentVariableIsSet(ViewerLibraryVariable) ? qEnvironmentVariable(ViewerLibraryVariable)
                                                                          : systemLibraryPath();
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
    auto *library = new QLibrary(path);
    if (!library->load()) {
        delete library;
        return;
    }
    ViewerLibrary = library;
    resolve(g_entryPoints.chm_open, "chm_open");
    resolve(g_entryPoints.chm_close, "chm_close");
    resolve(g_entryPoints.chm_resolve_object, "chm_resolve_object");
    resolve(g_entryPoints.chm_retrieve_object, "chm_retrieve_object");
}

void UnloadViewerLibrary()
{
    if (!ViewerLibrary)
        return;
    // A viewer window still open would read through the entry points.
    HelpViewerWindow::destroyAll();
    ViewerLibrary->unload();
    g_entryPoints = EntryPoints{};
    delete ViewerLibrary;
    ViewerLibrary = nullptr;
}

bool ViewerLibraryLoaded()
{
    return ViewerLibrary != nullptr;
}

const EntryPoints &ViewerEntryPoints()
{
    return g_entryPoints;
}

bool ViewerAvailable()
{
    const EntryPoints &ep = g_entryPoints;
    return ViewerLibrary && ep.chm_open && ep.chm_close && ep.chm_resolve_object && ep.chm_retrieve_object;
}

QWidget *HtmlHelp(QWidget *owner, const char *file, quint32 command, quintptr data)
{
    Q_UNUSED(data);
    if (!ViewerAvailable())
        return nullptr;
    switch (command) {
    case HH_DISPLAY_TOPIC: {
        const QString path = file ? QFile::decodeName(file) : QString();
        HelpViewerWindow *window = HelpViewerWindow::find(path);
        if (!window || window->parentWidget() != owner)
            window = new HelpViewerWindow(path, owner);
        window->showDefaultTopic();
        window->show();
        window->raise();
        window->activateWindow();
        return window;
    }
    case HH_CLOSE_ALL:
        HelpViewerWindow::destroyAll();
        return nullptr;
    default:
        return nullptr;
    }
}

QString HelpFilePath(const QString &executableFilePath)
{
    return hh_funcs::DirectoryPart(executableFilePath) + QString::fromUtf16(HelpFileName);
}

void ShowHelpTopics(QWidget *messageParent)
{
    if (!ViewerAvailable()) {
        QMessageBox box(QMessageBox::Information, QString::fromUtf16(AppTitle),
                        QStringLiteral("L'aide ne peut pas être affichée : la bibliothèque de lecture "
                                       "des fichiers d'aide (%1, paquet libchm1) est introuvable ou inutilisable.\n\n"
                                       "Installez-la, puis relancez BELVA MG.")
                            .arg(QLatin1String(ViewerLibraryName)),
                        QMessageBox::Ok, messageParent);
        box.setObjectName(QStringLiteral("HelpUnavailable"));
        box.setWindowTitle(QString::fromUtf16(AppTitle));
        box.exec();
        return;
    }
    const QString path = HelpFilePath(QCoreApplication::applicationFilePath());
    HtmlHelp(nullptr, QFile::encodeName(path).constData(), HH_DISPLAY_TOPIC, 0);
}

void CloseAllHelpWindows()
{
    if (ViewerLibraryLoaded())
        HtmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
}

} // namespace belva::hh

namespace belva {

HelpModules::HelpModules(int argc, const char *const *argv)
{
    if (hh::LoadAtStartup)
        hh::LoadViewerLibrary();
    hh_funcs::InitializeModule(argc, argv);
}

HelpModules::~HelpModules()
{
    hh_funcs::FinalizeModule();
    hh::UnloadViewerLibrary();
}

} // namespace belva
