#include "opentextfiledialog.h"

#include "savetextfiledialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>

namespace belva {

QStringList ExecuteOpenTextFileDialog(QWidget *parent, const QString &title, const QString &folder, bool several)
{
    QPointer<QFileDialog> dialog = new QFileDialog(parent, title);
    dialog->setObjectName(QStringLiteral("OpenTextFileDialog"));
    dialog->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::ReadOnly);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog->setNameFilter(QStringLiteral("Fichier Texte (*.txt)"));
    FitFileDialog(dialog);
    dialog->setDirectory(folder);

    const bool accepted = dialog->exec() == QDialog::Accepted;
    QStringList chosen;
    if (dialog) {
        if (accepted) {
            for (const QString &file : dialog->selectedFiles())
                chosen += QFileInfo(file).absoluteFilePath();
        }
        delete dialog;
    }
    return chosen;
}

} // namespace belva
