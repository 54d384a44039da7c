// Suivi du patient: saved tests chosen, read, and shown side by side.
#include "tform1.h"

#include "errorhandler.h"
#include "followupfiles.h"
#include "followupwindow.h"
#include "opentextfiledialog.h"

#include <QFileInfo>

void TForm1::Suividupatient1Click()
{
    const QStringList paths =
        belva::ExecuteOpenTextFileDialog(this, QStringLiteral("Suivi du patient"), documentFolder(), true);
    if (paths.isEmpty())
        return;
    const belva::FollowUpFiles files = belva::ReadFollowUpFiles(paths);
    if (!files.refusals.isEmpty())
        belva::ShowError(belva::RefusedFilesMessage(files.refusals));
    if (files.followUp.tests.isEmpty())
        return;
    m_documentFolder = QFileInfo(paths.constFirst()).absolutePath();
    if (!m_followUpWindow) {
        m_followUpWindow = std::make_unique<belva::FollowUpWindow>();
        connect(m_followUpWindow.get(), &belva::FollowUpWindow::pdfReady, this,
                [this](const QByteArray &pdf) { belva::Guarded([this, &pdf] { exportFollowUpPdf(pdf); }); });
    }
    m_followUpWindow->setFollowUp(files.followUp);
    m_followUpWindow->show();
    m_followUpWindow->raise();
    m_followUpWindow->activateWindow();
}
