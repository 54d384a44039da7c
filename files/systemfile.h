#pragma once

#include <QByteArray>
#include <QString>

class QFile;

// The operating system's side of the files the commands write and read: one
// file per platform, systemfile_posix.cpp and systemfile_windows.cpp.
namespace belva {

// The operating system's text for an error code (errno; GetLastError() on
// Windows), in the user's language where the system has it, without trailing
// blanks, line ends or full stops. localeName "" means the user's locale from
// the environment; on Windows the user's language always.
[[nodiscard]] QString SystemErrorText(int errnum, const char *localeName = "");

// Makes `bytes` the whole content of the file, created if missing. An
// earlier regular file is replaced only once the new content is whole where
// the folder allows it; else, and for a new file, it is written in place.
// Throws belva::Error with "Impossible de créer le fichier \"<path>\".
// <system text>" when the file cannot be opened or created for writing, and
// "Erreur d'écriture dans le flux" when writing fails once it is open (the
// file is closed either way and keeps what was written).
void WriteWholeFile(const QString &path, const QByteArray &bytes);

// Opens a regular file for reading, without waiting on a pipe or device;
// on failure false, with the system's error code for SystemErrorText.
[[nodiscard]] bool OpenRegularFile(const QString &path, QFile &file, int *error);

// Shared by both platforms' files:

// The text without its trailing blanks, line ends and full stops.
[[nodiscard]] QString WithoutTrailingStops(QString text);

// Writing failed once the file was open.
[[noreturn]] void ThrowWriteError();

} // namespace belva
