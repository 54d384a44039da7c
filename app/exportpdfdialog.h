#pragma once

#include <QString>

class QWidget;

namespace belva {

// The name the "Exporter en PDF" dialog proposes: the patient's name and the
// test's date, with ".pdf", made fit for a file name on Linux and Windows:
// "/", "\" and ":" become "-", the other characters Windows refuses and
// control characters become blanks, blanks are merged, blanks and dots
// trimmed at both ends; a name over 80 characters is cut after a whole
// character, so that the whole name stays within 255 bytes; without a name,
// "BELVA"; a device name of Windows (CON, NUL, COM1...) gets "_" after it.
[[nodiscard]] QString ProposedPdfFileName(const QString &patient, const QString &date);

// Qt's own save dialog for a PDF document, made for one showing: title
// "Exporter en PDF", the one filter "Document PDF (*.pdf)", ".pdf" added to a
// name typed without extension, opening in `folder` with `name` proposed.
// An existing file is chosen only once the user confirms its replacement.
// Returns the full path chosen; empty when cancelled.
[[nodiscard]] QString ExecuteExportPdfDialog(QWidget *parent, const QString &folder, const QString &name);

} // namespace belva
