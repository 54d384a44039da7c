#pragma once

#include <QString>

class QWidget;

// The help viewer binding. The viewer library (viewerlibrary.h) is loaded at
// start-up and released at the end. On Linux our own viewer windows
// (helpviewer.h) read the help file through chmlib (hh.cpp); on Windows the
// system's HTML Help viewer shows it (hh_windows.cpp).
namespace belva::hh {

inline constexpr quint32 HH_DISPLAY_TOPIC = 0;
inline constexpr quint32 HH_CLOSE_ALL = 18;

inline constexpr char16_t HelpFileName[] = u"BelvaMG.chm";

// Closes every viewer window (Linux), then frees the viewer library.
void UnloadViewerLibrary();

// Linux: HH_DISPLAY_TOPIC opens the file's default topic in a viewer window owned by
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
