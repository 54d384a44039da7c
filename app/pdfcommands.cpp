// Exporter en PDF: the printed page of the test, or of the follow-up, as an
// archival PDF document for the patient's record.
#include "tform1.h"

#include "exportpdfdialog.h"
#include "followupwindow.h"
#include "pdfdocument.h"
#include "printing.h"
#include "systemfile.h"

#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QStandardPaths>

void TForm1::ExporterenPDF1Click()
{
    memo()->clear();
    const belva::ReportFields fields = gatherTestFields();
    setMemoText(belva::BuildTestReport(fields, belva::ReportVariant::Print));
    exportPdf(this, belva::ProposedPdfFileName(fields.patient, fields.date), [this, &fields] {
        return belva::ReportPdf(belva::MemoLines(memo()), memo()->font(), belva::PdfTitle(fields.patient, fields.date));
    });
}

void TForm1::exportFollowUpPdf(const QByteArray &pdf)
{
    const belva::FollowUp &followUp = m_followUpWindow->followUp();
    const QString patient = followUp.tests.isEmpty() ? QString() : followUp.tests.back().patient;
    const QString date = followUp.tests.isEmpty() ? QString() : followUp.tests.back().dateText;
    exportPdf(m_followUpWindow.get(), belva::ProposedPdfFileName(QStringLiteral("Suivi ") + patient, date),
              [&pdf] { return pdf; });
}

void TForm1::exportPdf(QWidget *parent, const QString &name, const std::function<QByteArray()> &render)
{
    const QString path = belva::ExecuteExportPdfDialog(parent, exportFolder(), name);
    if (path.isEmpty())
        return;
    // Made whole in memory first: a failed write leaves an earlier file whole.
    belva::WriteWholeFile(path, render());
    m_documentFolder = QFileInfo(path).absolutePath();
}

QString TForm1::exportFolder() const
{
    // The program's own folder is seldom writable once installed.
    if (!m_documentFolder.isEmpty())
        return m_documentFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}
