#pragma once

#include <QByteArray>
#include <QString>

namespace belva::score {

// The fewest bytes a pseudonyms' key may have.
inline constexpr qsizetype MinimumKeySize = 16;

// The key of the pseudonyms, read from a file, never from the command line
// (where other users see it): the bytes of the file's first line, without
// its line end (LF, CR LF or CR). Throws Failure, in French, when the file is
// missing, is not a regular file (a folder; a pipe or device, never waited
// on), cannot be read, or its first line is shorter than MinimumKeySize
// bytes. `warning` tells when other users may read the file.
[[nodiscard]] QByteArray ReadKeyFile(const QString &path, QString *warning);

} // namespace belva::score
