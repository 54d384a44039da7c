// Suivi du patient: saved tests chosen, read, and shown side by side.
#include "tform1.h"

#include "errorhandler.h"
#include "followupwindow.h"
#include "savetextfiledialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QPointer>

namespace {

// Qt's own file dialog, several files at once; empty when cancelled.
QStringList chooseSavedTests(QWidget *parent, const QString &folder)
{
    belva::DisableQtDialogSettings();
    QPointer<QFileDialog> dialog = new QFileDialog(parent, QStringLiteral("Suivi du patient"));
    dialog->setObjectName(QStringLiteral("FollowUpDialog1"));
    dialog->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails
                       | QFileDialog::ReadOnly);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setNameFilter(QString::fromUtf16(belva::TextFileFilter));
    dialog->setDirectory(folder);
    dialog->setSizeGripEnabled(true);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    QStringList chosen;
    if (dialog) {
        if (accepted)
            chosen = dialog->selectedFiles();
        delete dialog;
    }
    return chosen;
}

} // namespace

void TForm1::Suividupatient1Click()
{
    const QStringList paths = chooseSavedTests(this, QCoreApplication::applicationDirPath());
    if (paths.isEmpty())
        return;
    const belva::FollowUpFiles files = belva::ReadFollowUpFiles(paths);
    if (!files.refusals.isEmpty())
        belva::ShowError(belva::RefusedFilesMessage(files.refusals));
    if (files.followUp.tests.isEmpty())
        return;
    if (!m_followUpWindow)
        m_followUpWindow = std::make_unique<belva::FollowUpWindow>();
    m_followUpWindow->setFollowUp(files.followUp);
    m_followUpWindow->show();
    m_followUpWindow->raise();
    m_followUpWindow->activateWindow();
}
