#pragma once

#include <QString>

class QFile;

// The operating system's side of reading the files people keep: one file per
// platform, regularfile_posix.cpp and regularfile_windows.cpp.
namespace belva {

// The operating system's text for an error code (errno; GetLastError() on
// Windows), in the user's language where the system has it, without trailing
// blanks, line ends or full stops. localeName "" means the user's locale from
// the environment; on Windows the user's language always.
[[nodiscard]] QString SystemErrorText(int errnum, const char *localeName = "");

// Opens a regular file for reading, without waiting on a pipe or device;
// on failure false, with the system's error code for SystemErrorText.
[[nodiscard]] bool OpenRegularFile(const QString &path, QFile &file, int *error);

// The text without its trailing blanks, line ends and full stops.
[[nodiscard]] QString WithoutTrailingStops(QString text);

} // namespace belva
