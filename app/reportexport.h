#pragma once

#include <QDate>
#include <QString>

#include "systemfile.h" // SystemErrorText

namespace belva {

// The date as reports show it: the short date format of the user's locale
// (QLocale()), e.g. "08/12/2026" in French.
[[nodiscard]] QString ReportDateText(const QDate &date = QDate::currentDate());

// Writes a report as a text file: Windows-1252, one byte per character, no
// byte-order mark, nothing added. The file is created, or emptied and
// rewritten without a question. Throws belva::Error with
//   "Le caractère \"<c>\" ne peut pas être enregistré dans un fichier texte
//   Windows." when the text holds a character Windows-1252 cannot hold (no
//   file is created or changed),
//   "Impossible de créer le fichier \"<path>\". <system text>" when it cannot
//   be created, and
//   "Erreur d'écriture dans le flux" when writing fails once it exists
// (the file is closed either way and keeps what was written).
void WriteReportFile(const QString &path, const QString &text);

} // namespace belva
