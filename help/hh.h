#pragma once

#include <QString>

class QWidget;
struct chmFile;
struct chmUnitInfo;

// The help viewer binding. The viewer library (chmlib) is loaded at start-up
// from the path GetViewerLibraryPath finds and released at the end; the
// viewer windows read the help file through its entry points.
namespace belva::hh {

inline constexpr quint32 HH_DISPLAY_TOPIC = 0;
inline constexpr quint32 HH_CLOSE_ALL = 18;

inline constexpr bool LoadAtStartup = true;

// Overrides where the viewer library is looked for; set and empty means none.
inline constexpr char ViewerLibraryVariable[] = "BELVA_CHMLIB";
inline constexpr char ViewerLibraryName[] = "libchm.so.1";
inline constexpr char16_t HelpFileName[] = u"BelvaMG.chm";

// The library's functions the viewer needs; each empty until resolved.
struct EntryPoints
{
    chmFile *(*chm_open)(const char *filename) = nullptr;
    void (*chm_close)(chmFile *h) = nullptr;
    int (*chm_resolve_object)(chmFile *h, const char *objPath, chmUnitInfo *ui) = nullptr;
    long long (*chm_retrieve_object)(chmFile *h, chmUnitInfo *ui, unsigned char *buf,
                                     unsigned long long addr, long long len) = nullptr;
};

// The viewer library's file, or empty when there is none.
[[nodiscard]] QString GetViewerLibraryPath();
void LoadViewerLibrary();
void UnloadViewerLibrary();
[[nodiscard]] bool ViewerLibraryLoaded();
[[nodiscard]] const EntryPoints &ViewerEntryPoints();
// Loaded, with every entry point the viewer needs.
[[nodiscard]] bool ViewerAvailable();

// HH_DISPLAY_TOPIC opens the file's default topic in a viewer window owned by
// `owner` (none: a top-level window of its own); HH_CLOSE_ALL closes every
// viewer window. Returns the viewer window, or null.
QWidget *HtmlHelp(QWidget *owner, const char *file, quint32 command, quintptr data);

// The help file beside the executable.
[[nodiscard]] QString HelpFilePath(const QString &executableFilePath);

// "&Rubriques de l'aide": opens the help file, or tells why it cannot.
// `messageParent` only parents that message; the viewer is not its child.
void ShowHelpTopics(QWidget *messageParent);
// When the main window goes: no viewer window outlives it.
void CloseAllHelpWindows();

} // namespace belva::hh

namespace belva {

// Start-up and end of the help modules, around the application's life:
// construct before the application object, destroy after the main window.
class HelpModules
{
public:
    HelpModules(int argc, const char *const *argv);
    ~HelpModules();
    HelpModules(const HelpModules &) = delete;
    HelpModules &operator=(const HelpModules &) = delete;
};

} // namespace belva
