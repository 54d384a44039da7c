#pragma once

#include "regularfile.h" // SystemErrorText, and the reading side

#include <QByteArray>
#include <QString>

// The operating system's side of the files the commands write: one file per
// platform, systemfile_posix.cpp and systemfile_windows.cpp.
namespace belva {

// Makes `bytes` the whole content of the file, created if missing. An
// earlier regular file is replaced only once the new content is whole where
// the folder allows it; else (a second name, a folder that takes no new file)
// it is rewritten in place once the room for the new content is taken, so
// that a full disk or the file size limit leaves it whole. A new file that
// cannot be written whole is removed. A named pipe is written only when
// something reads it. Throws belva::Error with "Impossible de créer le
// fichier \"<path>\". <system text>" when the file cannot be opened or
// created for writing, and "Erreur d'écriture dans le flux" when writing
// fails once it is open (the file is closed either way). The file size
// limit's signal does not end the program.
void WriteWholeFile(const QString &path, const QByteArray &bytes);

// Shared by both platforms' files: writing failed once the file was open.
[[noreturn]] void ThrowWriteError();

} // namespace belva
