#pragma once

#include <QString>

class QFileDialog;
class QWidget;

namespace belva {

// The "Sauvegarder sous..." dialog for text reports. Lives for the whole run
// and remembers the full name chosen last, which the next showing offers.
class SaveTextFileDialog
{
public:
    // Shows Qt's own file dialog modally; returns the chosen full path, with
    // ".txt" added to a name typed without extension, or empty when cancelled.
    // An existing file is chosen without a question.
    [[nodiscard]] QString execute(QWidget *parent);

    [[nodiscard]] const QString &fileName() const { return m_fileName; }

private:
    QString m_fileName;
};

// Resizable, with room for the side bar's place names and the file names.
void FitFileDialog(QFileDialog *dialog);

// Shows a save dialog made for this one showing, then deletes it (unless it
// went meanwhile); returns the full path chosen, or empty when cancelled.
[[nodiscard]] QString ExecuteForOneFile(QFileDialog *dialog);

// The one filter entry, as the dialog's filter list holds it (Qt shows only
// the caption before the last parenthesised pattern).
inline constexpr char16_t TextFileFilter[] = u"Fichier Texte (.txt) (*.txt)";

} // namespace belva
