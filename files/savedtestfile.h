#pragma once

#include "savedtest.h"

namespace belva {

// Reads the saved test at `path`: the one way the window and belvamg-score
// open a saved test's file. A file that cannot be opened, or that is not a
// regular file (a pipe or a device is never waited on), is refused with
//   Impossible d'ouvrir le fichier "<shownName>". <system text>
// and any other refusal is the reader's, naming the file as `shownName`.
// When `shownName` is empty, the first names the file by its path and the
// others by its name without its folder.
[[nodiscard]] SavedTestReading ReadSavedTestFile(const QString &path, const QString &shownName = QString());

} // namespace belva
