// Suivi du patient: saved tests chosen, read, and shown side by side; tests
// of different names only once the physician has said they are one patient's.
#include "tform1.h"

#include "errorhandler.h"
#include "followupfiles.h"
#include "followupwindow.h"
#include "opentextfiledialog.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {

// The question box: Oui shows the tests together, Non (also Escape, and the
// default) shows nothing.
bool showAsOnePatient(QWidget *parent, const QStringList &patients)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("BELVA MG 1.0"), belva::MixedNamesQuestion(patients),
                    QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton *yes = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace

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
    if (files.followUp.patients.size() > 1 && !showAsOnePatient(this, files.followUp.patients))
        return;
    if (!m_followUpWindow) {
        m_followUpWindow = std::make_unique<belva::FollowUpWindow>();
        connect(m_followUpWindow.get(), &belva::FollowUpWindow::pdfReady, this,
                [this](const QByteArray &pdf) { belva::Guarded([this, &pdf] { exportFollowUpPdf(pdf); }); });
    }
    m_followUpWindow->setFollowUp(files.followUp, files.refusals);
    m_followUpWindow->show();
    m_followUpWindow->raise();
    m_followUpWindow->activateWindow();
}
