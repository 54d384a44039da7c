#include "viewerlibrary.h"

#include <QFileInfo>
#include <QLibrary>

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

void FreeViewerLibrary()
{
    if (!ViewerLibrary)
        return;
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

} // namespace belva::hh
