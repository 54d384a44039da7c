#pragma once

class QTranslator;

// What start-up does differently per platform: startup_linux.cpp and
// startup_windows.cpp.
namespace belva {

// Qt's own texts in French (buttons, the entry fields' context menu): from
// Qt's translations folder on Linux, built into the program on Windows.
[[nodiscard]] bool LoadQtTranslations(QTranslator &translator);

// Keeps Qt's own dialogs from keeping anything between runs (folders
// visited, view state), for the program stores nothing.
void DisableQtDialogSettings();

} // namespace belva
