#pragma once

#include "savedtest.h"

namespace belva {

// Reads the saved test at `path`. A file that cannot be opened, or that is
// not a regular file, is refused with
//   Impossible d'ouvrir le fichier "<path>". <system text>
// and any other refusal is the reader's, naming the file by its name.
[[nodiscard]] SavedTestReading ReadSavedTestFile(const QString &path);

} // namespace belva
