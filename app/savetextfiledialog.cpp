#include "savetextfiledialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>

namespace belva {

QString SaveTextFileDialog::execute(QWidget *parent)
{
    QPointer<QFileDialog> dialog = new QFileDialog(parent, QStringLiteral("Sauvegarder sous..."));
    dialog->setObjectName(QStringLiteral("SaveTextFileDialog1"));
    // Qt's own dialog behaves alike on every desktop and can be driven by tests.
    dialog->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite
                       | QFileDialog::HideNameFilterDetails);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(QString::fromUtf16(TextFileFilter));
    dialog->setDefaultSuffix(QStringLiteral("txt"));
    dialog->setSizeGripEnabled(true);

    // The executable's folder every time; a name chosen before opens its own folder.
    dialog->setDirectory(QCoreApplication::applicationDirPath());
    if (!m_fileName.isEmpty())
        dialog->selectFile(m_fileName);

    const bool accepted = dialog->exec() == QDialog::Accepted;
    QString chosen;
    if (dialog) {
        if (accepted && !dialog->selectedFiles().isEmpty())
            chosen = QFileInfo(dialog->selectedFiles().constFirst()).absoluteFilePath();
        delete dialog;
    }
    if (!chosen.isEmpty())
        m_fileName = chosen;
    return chosen;
}

} // namespace belva
